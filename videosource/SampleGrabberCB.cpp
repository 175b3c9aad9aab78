#include "videosource/SampleGrabberCB.h"

#include "platform/dshow/MediaTypes.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstring>

TSampleGrabberCB::TSampleGrabberCB() = default;

TSampleGrabberCB::~TSampleGrabberCB()
{
    if (HBITMAP frame = frameSection_.exchange(nullptr))
        DeleteObject(frame);
    FreeConnectedType();
}

HRESULT TSampleGrabberCB::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_ISampleGrabberCB)
        return E_NOINTERFACE;
    *object = static_cast<ISampleGrabberCB*>(this);
    return S_OK; // not counted: AddRef would change nothing
}

HRESULT TSampleGrabberCB::SampleCB(double, IMediaSample*)
{
    return S_OK;
}

HRESULT TSampleGrabberCB::BufferCB(double sampleTime, BYTE* buffer, LONG bufferLength)
{
    // Claiming Busy is the only way in: a second thread (a seek while paused) or a sample
    // arriving while a frame waits for its delivery goes straight out again.
    if (busy_.exchange(true))
        return S_OK;
    bool delivered = false;
    WPARAM wParam = 0;
    LPARAM lParam = 1;
    try {
        if (frameSection_.load() != nullptr)
            return S_OK; // a frame not yet taken: Busy stays set for its delivery
        if (formatKind_.load() != FormatUnsupported && armed_.load()) {
            bool take = true;
            const bool burst = burstMode_.load();
            if (burst) {
                if (intervalCountdown_.fetch_sub(1) - 1 > 0) {
                    take = false;
                } else {
                    burstsLeft_.fetch_sub(1);
                    intervalCountdown_.store(burstInterval_.load());
                }
            } else {
                armed_.store(false);
            }
            if (take) {
                if ((!burst || burstCount_.load() > 0) && burstsLeft_.load() == 0) {
                    armed_.store(false);
                    if (repauseAfterCapture_.exchange(false))
                        lParam = 0;
                }
                if (buffer != nullptr) {
                    if (HBITMAP frame = MakeFrameSection(buffer, bufferLength)) {
                        frameTag_.store(armTag_.load());
                        frameSection_.store(frame);
                        delivered = true;
                    }
                }
                wParam = 1;
            }
        }
    } catch (...) {
        // Nothing here throws by design; whatever did, the sample is passed on untouched.
    }
    if (delivered) {
        sampleTime_.store(sampleTime);
        if (PostMessageA(notifyWindow_.load(), WM_GRABBERFRAME, wParam, lParam))
            return S_OK; // Busy stays set until the delivery's FrameDone
        // No window to deliver to: without this the callback would stay busy for good, and
        // paused media that played for the frame would never be paused again.
        if (HBITMAP frame = frameSection_.exchange(nullptr))
            DeleteObject(frame);
        if (lParam == 0)
            repauseAfterCapture_.store(true);
    }
    busy_.store(false);
    return S_OK;
}

HBITMAP TSampleGrabberCB::MakeFrameSection(const BYTE* buffer, LONG bufferLength)
{
    decltype(frameInfo_) info;
    {
        std::lock_guard lock(formatLock_);
        if (formatKind_.load() == FormatUnsupported)
            return nullptr;
        info = frameInfo_;
    }
    BITMAPINFOHEADER header;
    std::memcpy(&header, info.data(), sizeof header);
    const long long rowBytes = DibRowBytes(header.biWidth, header.biBitCount);
    const long long rows = header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
    const long long frameBytes = rowBytes * rows;
    if (rowBytes <= 0 || rows <= 0 || bufferLength < frameBytes)
        return nullptr;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                       &bits, nullptr, 0);
    if (section == nullptr || bits == nullptr)
        return nullptr;
    std::memcpy(bits, buffer, static_cast<std::size_t>(frameBytes));
    return section;
}

void TSampleGrabberCB::Arm(std::uint32_t tag) noexcept
{
    armTag_.store(tag);
    if (burstMode_.load()) {
        burstsLeft_.store(burstCount_.load());
        intervalCountdown_.store(1);
    }
    armed_.store(true);
}

void TSampleGrabberCB::Disarm() noexcept
{
    burstsLeft_.store(0);
    armed_.store(false);
}

void TSampleGrabberCB::SetBurstMode(bool value) noexcept
{
    if (value != burstMode_.load())
        burstMode_.store(value);
}

void TSampleGrabberCB::SetBurstCount(std::int32_t value) noexcept
{
    if (value >= 0 && value != burstCount_.load())
        burstCount_.store(value);
}

void TSampleGrabberCB::SetBurstInterval(std::int32_t value) noexcept
{
    if (value >= 1 && value != burstInterval_.load())
        burstInterval_.store(value);
}

std::uint8_t TSampleGrabberCB::AdoptConnectedType(AM_MEDIA_TYPE& type)
{
    std::lock_guard lock(formatLock_);
    formatKind_.store(FormatUnsupported);
    FreeMediaType(connectedType_);
    connectedType_ = type;
    std::memset(&type, 0, sizeof type);
    if (connectedType_.majortype != MEDIATYPE_Video)
        return FormatUnsupported;
    std::uint8_t kind = FormatUnsupported;
    std::size_t headerOffset = 0;
    if (connectedType_.formattype == FORMAT_VideoInfo) {
        kind = FormatVideoInfo;
        headerOffset = offsetof(VIDEOINFOHEADER, bmiHeader);
    } else if (connectedType_.formattype == FORMAT_VideoInfo2) {
        kind = FormatVideoInfo2;
        headerOffset = offsetof(VIDEOINFOHEADER2, bmiHeader);
    }
    if (kind == FormatUnsupported || connectedType_.pbFormat == nullptr ||
        connectedType_.cbFormat < headerOffset + sizeof(BITMAPINFOHEADER))
        return FormatUnsupported;
    // The header and whatever colour table follows it in the block; the rest stays zero.
    frameInfo_.fill(0);
    const std::size_t available = connectedType_.cbFormat - headerOffset;
    std::memcpy(frameInfo_.data(), connectedType_.pbFormat + headerOffset, std::min(available, frameInfo_.size()));
    formatKind_.store(kind);
    return kind;
}

void TSampleGrabberCB::FreeConnectedType() noexcept
{
    std::lock_guard lock(formatLock_);
    formatKind_.store(FormatUnsupported);
    FreeMediaType(connectedType_);
}

void TSampleGrabberCB::FrameDone() noexcept
{
    if (HBITMAP frame = frameSection_.exchange(nullptr))
        DeleteObject(frame);
    busy_.store(false);
}
