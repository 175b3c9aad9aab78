// TSampleGrabberCB: the callback that TActiveMovie hands to its Sample Grabber. It sees every
// video sample; when armed it copies one frame (or a burst of frames) into a DIB section and
// posts WM_GRABBERFRAME to the component's window, which delivers the frame on the
// user-interface thread and then calls FrameDone.
//
// COM: not reference counted. AddRef answers 2 and Release 1; the component owns the object
// and deletes it, after the grabber has let go of it (SetCallback(nullptr, 1)).
// QueryInterface answers ISampleGrabberCB and IUnknown only.
//
// Threads: BufferCB runs on the thread that delivers the sample (the streaming thread while
// the graph runs, the player's command thread during seeks while paused). Everything else is
// called on the user-interface thread. The two share the flags below as atomics, without a
// lock, in this order: BufferCB claims Busy before it looks at anything else; a frame is
// stored before its message is posted and Busy stays set until the delivery calls FrameDone,
// which drops the frame first and clears Busy last. So at most one frame is ever pending, and
// the user-interface thread touches it only between the message and FrameDone. A frame that
// cannot be posted (no window) is dropped, and a request to pause again that it carried stands
// again, for whoever gives up waiting for it.
//
// Frames: a DIB section made from the connected format's BITMAPINFOHEADER, rows copied with
// their padding (24-bit, bottom-up for a positive height, as the grabber is fixed to RGB24).
// The framework's bitmap class belongs to the user-interface thread, so the callback makes
// only the section; the delivery wraps it in a TBitmap (TakeFrameSection).
#pragma once

#include "platform/dshow/DShowInterfaces.h"
#include "platform/user/WinUser.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

// Posted to the notify window: wParam 1 (a frame is ready), lParam 0 (pause the control again
// after delivering it) or 1 (do not).
constexpr UINT WM_GRABBERFRAME = WM_APP + 1000;

class TSampleGrabberCB final : public ISampleGrabberCB {
public:
    // The connected format, as BufferCB reads it.
    enum : std::uint8_t { FormatUnsupported = 0, FormatVideoInfo = 1, FormatVideoInfo2 = 2 };

    TSampleGrabberCB();
    // Deletes a frame not yet taken and frees the connected type. The grabber must no longer
    // call this object (SetCallback(nullptr, 1) has returned).
    ~TSampleGrabberCB();
    TSampleGrabberCB(const TSampleGrabberCB&) = delete;
    TSampleGrabberCB& operator=(const TSampleGrabberCB&) = delete;

    // --- ISampleGrabberCB ---
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    // Does nothing; the grabber is set up for BufferCB.
    HRESULT SampleCB(double sampleTime, IMediaSample* sample) override;
    // Takes the frame when armed and idle (see the class comment); always S_OK. A buffer
    // shorter than the connected format's frame is not read: no frame, as without a buffer.
    HRESULT BufferCB(double sampleTime, BYTE* buffer, LONG bufferLength) override;

    // --- user-interface thread ---
    void SetNotifyWindow(HWND window) noexcept { notifyWindow_.store(window); }
    HWND NotifyWindow() const noexcept { return notifyWindow_.load(); }

    // Take the next frame, or with burst mode the next BurstCount frames (0: until Disarm).
    // Each frame taken carries `tag` (FrameTag), so that the delivery knows what it was taken
    // for even when a later arming came before it.
    void Arm(std::uint32_t tag = 0) noexcept;
    // Ends a single or burst capture in progress; a frame already posted is still delivered.
    void Disarm() noexcept;
    // Each stores only a different value: any for the mode, >= 0 for the count, >= 1 for the
    // interval; others are ignored.
    void SetBurstMode(bool value) noexcept;
    void SetBurstCount(std::int32_t value) noexcept;
    void SetBurstInterval(std::int32_t value) noexcept;
    // Ask for WM_GRABBERFRAME's lParam 0 with the last frame of the armed capture.
    void SetRepauseAfterCapture(bool value) noexcept { repauseAfterCapture_.store(value); }
    // Withdraws that request; true when it was still standing (no frame has taken it).
    bool TakeRepauseRequest() noexcept { return repauseAfterCapture_.exchange(false); }

    // Takes over `type` (the grabber's connected type; the record is left zeroed) and
    // returns the format kind: VideoInfo or VideoInfo2 for a video type whose block holds a
    // BITMAPINFOHEADER, else FormatUnsupported.
    std::uint8_t AdoptConnectedType(AM_MEDIA_TYPE& type);
    // Frees the connected type; the format kind becomes FormatUnsupported.
    void FreeConnectedType() noexcept;

    // The pending frame, owned by the callback until taken; nullptr when none.
    HBITMAP FrameSection() const noexcept { return frameSection_.load(); }
    // Hands the pending frame's ownership to the caller (nullptr when none).
    HBITMAP TakeFrameSection() noexcept { return frameSection_.exchange(nullptr); }
    // The tag of the arming the pending frame was taken under.
    std::uint32_t FrameTag() const noexcept { return frameTag_.load(); }
    // The end of every delivery: deletes a frame still held, then clears Busy, so that the
    // next sample can be taken.
    void FrameDone() noexcept;

    // --- state, for the component and its tests (any thread) ---
    bool Busy() const noexcept { return busy_.load(); }
    bool Armed() const noexcept { return armed_.load(); }
    bool BurstMode() const noexcept { return burstMode_.load(); }
    std::int32_t BurstCount() const noexcept { return burstCount_.load(); }
    std::int32_t BurstInterval() const noexcept { return burstInterval_.load(); }
    std::int32_t BurstsLeft() const noexcept { return burstsLeft_.load(); }
    std::int32_t IntervalCountdown() const noexcept { return intervalCountdown_.load(); }
    bool RepauseAfterCapture() const noexcept { return repauseAfterCapture_.load(); }
    std::uint8_t FormatKind() const noexcept { return formatKind_.load(); }
    // Sample time (seconds) of the last posted frame.
    double SampleTime() const noexcept { return sampleTime_.load(); }

private:
    // The DIB section of one frame from `buffer`, or nullptr (no format, short buffer, no
    // memory).
    HBITMAP MakeFrameSection(const BYTE* buffer, LONG bufferLength);

    std::atomic<double> sampleTime_{0};
    std::atomic<HBITMAP> frameSection_{nullptr}; // owned
    std::atomic<HWND> notifyWindow_{nullptr};
    std::atomic<bool> busy_{false};
    std::atomic<bool> burstMode_{false};
    std::atomic<std::int32_t> intervalCountdown_{0};
    std::atomic<std::int32_t> burstsLeft_{0};
    std::atomic<std::int32_t> burstCount_{1};
    std::atomic<std::int32_t> burstInterval_{1};
    std::atomic<std::uint8_t> formatKind_{FormatUnsupported};
    std::atomic<bool> repauseAfterCapture_{false};
    std::atomic<bool> armed_{false};
    std::atomic<std::uint32_t> armTag_{0};
    std::atomic<std::uint32_t> frameTag_{0};

    // The connected type and the BITMAPINFO made from it (header and up to 256 colour-table
    // entries), guarded: BufferCB copies the header while the user-interface thread may be
    // replacing the type for a new graph.
    mutable std::mutex formatLock_;
    AM_MEDIA_TYPE connectedType_{};
    std::array<BYTE, sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)> frameInfo_{};
};
