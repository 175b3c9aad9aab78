// IMediaSeeking of the file source: positions in media time (100 ns) or in frames.
#include "platform/dshow/VideoSourceFilter.h"

#include "platform/dshow/TestDelays.h"

#include <chrono>
#include <thread>

namespace {

constexpr DWORD kCapabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards |
                                AM_SEEKING_CanGetCurrentPos | AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

bool Supported(const GUID& format)
{
    return format == TIME_FORMAT_MEDIA_TIME || format == TIME_FORMAT_FRAME;
}

}  // namespace

HRESULT VideoSourceFilter::GetCapabilities(DWORD* capabilities)
{
    if (capabilities == nullptr)
        return E_POINTER;
    *capabilities = kCapabilities;
    return S_OK;
}

HRESULT VideoSourceFilter::CheckCapabilities(DWORD* capabilities)
{
    if (capabilities == nullptr)
        return E_POINTER;
    const DWORD asked = *capabilities;
    *capabilities = asked & kCapabilities;
    if (*capabilities == asked)
        return S_OK;
    return *capabilities != 0 ? S_FALSE : E_FAIL;
}

HRESULT VideoSourceFilter::IsFormatSupported(const GUID* format)
{
    if (format == nullptr)
        return E_POINTER;
    return Supported(*format) ? S_OK : S_FALSE;
}

HRESULT VideoSourceFilter::QueryPreferredFormat(GUID* format)
{
    if (format == nullptr)
        return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT VideoSourceFilter::GetTimeFormat(GUID* format)
{
    if (format == nullptr)
        return E_POINTER;
    std::lock_guard lock(positionLock_);
    *format = timeFormat_;
    return S_OK;
}

HRESULT VideoSourceFilter::IsUsingTimeFormat(const GUID* format)
{
    if (format == nullptr)
        return E_POINTER;
    std::lock_guard lock(positionLock_);
    return *format == timeFormat_ ? S_OK : S_FALSE;
}

HRESULT VideoSourceFilter::SetTimeFormat(const GUID* format)
{
    if (format == nullptr)
        return E_POINTER;
    if (!Supported(*format))
        return E_INVALIDARG;
    std::lock_guard lock(positionLock_);
    timeFormat_ = *format;
    return S_OK;
}

LONGLONG VideoSourceFilter::FromUnits(REFERENCE_TIME units, const GUID& format) const
{
    if (format == TIME_FORMAT_FRAME)
        return units >= timeline_->DurationUnits() ? timeline_->FrameCount() : timeline_->FrameAtUnits(units);
    return units;
}

bool VideoSourceFilter::ToFrame(LONGLONG value, const GUID& format, std::int64_t& frame) const
{
    if (value < 0)
        return false;
    if (format == TIME_FORMAT_FRAME) {
        if (value >= timeline_->FrameCount())
            return false;
        frame = value;
        return true;
    }
    if (value > timeline_->DurationUnits())
        return false;
    frame = timeline_->FrameAtUnits(value);
    return true;
}

HRESULT VideoSourceFilter::GetDuration(LONGLONG* duration)
{
    if (duration == nullptr)
        return E_POINTER;
    std::lock_guard lock(positionLock_);
    *duration = timeFormat_ == TIME_FORMAT_FRAME ? timeline_->FrameCount() : timeline_->DurationUnits();
    return S_OK;
}

HRESULT VideoSourceFilter::GetStopPosition(LONGLONG* stop)
{
    if (stop == nullptr)
        return E_POINTER;
    std::lock_guard lock(positionLock_);
    *stop = FromUnits(stopUnits_, timeFormat_);
    return S_OK;
}

double VideoSourceFilter::CurrentSecondsLocked() const
{
    if (!running_)
        return timeline_->FrameSeconds(currentFrame_);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - runClockStart_).count();
    const double limit = std::min(timeline_->DurationSeconds(), static_cast<double>(stopUnits_) / kUnitsPerSecond);
    if (endReached_.load())
        return std::max(limit, runBaseSeconds_);
    return std::clamp(runBaseSeconds_ + elapsed * rate_, 0.0, std::max(limit, runBaseSeconds_));
}

HRESULT VideoSourceFilter::GetCurrentPosition(LONGLONG* current)
{
    if (current == nullptr)
        return E_POINTER;
    std::lock_guard lock(positionLock_);
    if (timeFormat_ == TIME_FORMAT_FRAME)
        *current = running_ ? timeline_->FrameAtSeconds(CurrentSecondsLocked()) : currentFrame_;
    else
        *current = running_ ? SourceTimeline::ToUnits(CurrentSecondsLocked()) : timeline_->FrameUnits(currentFrame_);
    return S_OK;
}

HRESULT VideoSourceFilter::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    if (current == nullptr || stop == nullptr)
        return E_POINTER;
    GetCurrentPosition(current);
    return GetStopPosition(stop);
}

HRESULT VideoSourceFilter::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                             const GUID* sourceFormat)
{
    if (target == nullptr)
        return E_POINTER;
    GUID from;
    GUID to;
    {
        std::lock_guard lock(positionLock_);
        from = sourceFormat != nullptr ? *sourceFormat : timeFormat_;
        to = targetFormat != nullptr ? *targetFormat : timeFormat_;
    }
    if (!Supported(from) || !Supported(to))
        return E_INVALIDARG;
    REFERENCE_TIME units = source;
    if (from == TIME_FORMAT_FRAME)
        units = timeline_->FrameUnits(std::max<LONGLONG>(source, 0));
    *target = FromUnits(units, to);
    return S_OK;
}

HRESULT VideoSourceFilter::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    const DWORD currentMode = currentFlags & AM_SEEKING_PositioningBitsMask;
    const DWORD stopMode = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((currentMode != AM_SEEKING_NoPositioning && current == nullptr) ||
        (stopMode != AM_SEEKING_NoPositioning && stop == nullptr))
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        std::int64_t target = -1;
        REFERENCE_TIME newStop;
        GUID format;
        {
            std::lock_guard lock(positionLock_);
            format = timeFormat_;
            newStop = stopUnits_;
            LONGLONG now = 0;
            GetCurrentPosition(&now);
            LONGLONG wanted = now;
            if (currentMode == AM_SEEKING_AbsolutePositioning)
                wanted = *current;
            else if (currentMode != AM_SEEKING_NoPositioning)
                wanted = now + *current;
            if (currentMode != AM_SEEKING_NoPositioning && !ToFrame(wanted, format, target))
                return E_INVALIDARG;
            if (stopMode != AM_SEEKING_NoPositioning) {
                LONGLONG stopValue = *stop;
                if (stopMode == AM_SEEKING_RelativePositioning)
                    stopValue += FromUnits(stopUnits_, format);
                else if (stopMode == AM_SEEKING_IncrementalPositioning)
                    stopValue += target >= 0 ? FromUnits(timeline_->FrameUnits(target), format) : now;
                if (stopValue < 0)
                    return E_INVALIDARG;
                newStop = format == TIME_FORMAT_FRAME ? timeline_->FrameUnits(stopValue) : stopValue;
                newStop = std::min(newStop, timeline_->DurationUnits());
                stopUnits_ = newStop;
            }
        }
        HRESULT result = S_OK;
        if (target >= 0) {
            const FILTER_STATE state = State();
            if (state == State_Running)
                StopStreaming();
            {
                std::lock_guard lock(positionLock_);
                currentFrame_ = target;
                currentShown_ = false;
            }
            if (state == State_Running) {
                StartStreaming();
            } else if (state == State_Paused && pin_.IsConnected()) {
                if (const int delayMs = PausedSeekDelayMs(); delayMs > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                result = DeliverFrame(target, true);
                std::lock_guard lock(positionLock_);
                currentShown_ = result == S_OK;
            }
        }
        if ((currentFlags & AM_SEEKING_ReturnTime) != 0 && current != nullptr) {
            std::lock_guard lock(positionLock_);
            *current = timeline_->FrameUnits(currentFrame_);
        }
        if ((stopFlags & AM_SEEKING_ReturnTime) != 0 && stop != nullptr)
            *stop = newStop;
        return result;
    });
}

HRESULT VideoSourceFilter::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    if (earliest == nullptr || latest == nullptr)
        return E_POINTER;
    std::lock_guard lock(positionLock_);
    *earliest = 0;
    *latest = timeFormat_ == TIME_FORMAT_FRAME ? timeline_->FrameCount() : timeline_->DurationUnits();
    return S_OK;
}

HRESULT VideoSourceFilter::SetRate(double rate)
{
    if (!(rate > 0) || !std::isfinite(rate))
        return E_INVALIDARG;
    return ComBoundary([&] {
        const bool restart = State() == State_Running;
        if (restart)
            StopStreaming();
        {
            std::lock_guard lock(positionLock_);
            rate_ = rate;
        }
        if (restart)
            StartStreaming();
        return S_OK;
    });
}

HRESULT VideoSourceFilter::GetRate(double* rate)
{
    if (rate == nullptr)
        return E_POINTER;
    std::lock_guard lock(positionLock_);
    *rate = rate_;
    return S_OK;
}

HRESULT VideoSourceFilter::GetPreroll(LONGLONG* preroll)
{
    if (preroll == nullptr)
        return E_POINTER;
    *preroll = 0;  // frames are delivered when due; nothing is sent ahead
    return S_OK;
}
