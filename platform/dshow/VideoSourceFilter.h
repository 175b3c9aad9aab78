// The file source with its decoder: one output pin "Video" that offers the file's pictures as
// uncompressed RGB32 or RGB24 (FORMAT_VideoInfo, bottom-up rows padded to 4 bytes), and the
// graph's position interface (IMediaSeeking, in 100-ns media time or in frames).
//
// Streaming: Pause from stopped delivers the frame at the current position; Run starts the
// streaming thread, which delivers each following frame when it is due (its presentation time
// over the playback rate, against the steady clock) and sends end of stream after the last
// frame before the stop position. A seek while paused delivers the new frame before it
// returns; a seek while running continues from the new frame. Paused seeks that step forward
// by a few frames have the next step's frame decoded ahead on a thread of the filter's own. A decode failure in the middle
// of the stream reports EC_ERRORABORT to the graph and ends the stream.
//
// Threads: state changes and seeking come from the thread that drives the graph; samples are
// sent from the streaming thread while running and from the driving thread otherwise.
// Stopping waits for the streaming thread a bounded time: a thread held up inside a receiver
// (a callback waiting for the user-interface thread) is left to finish on its own, keeping
// this filter alive until then and sending nothing more.
#pragma once

#include "platform/dshow/FilterBase.h"
#include "platform/dshow/PinBase.h"
#include "platform/dshow/SourceTimeline.h"
#include "platform/dshow/decode/DecodeTypes.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace quellon::decode {
class VideoDecoder;
}

class VideoSourceFilter;

class VideoSourceOutputPin final : public OutputPinBase {
public:
    VideoSourceOutputPin(VideoSourceFilter& owner, int width, int height, REFERENCE_TIME avgTimePerFrame);

    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;
    HRESULT GetMediaType(int index, AM_MEDIA_TYPE& type) override;

    // The format of the connection, read when streaming starts (connections change only
    // while stopped).
    quellon::decode::PixelFormat Format() const { return format_; }

protected:
    void OnConnected() override;

private:
    const int width_;
    const int height_;
    const REFERENCE_TIME avgTimePerFrame_;
    quellon::decode::PixelFormat format_ = quellon::decode::PixelFormat::Rgb32;
};

class VideoSourceFilter final : public FilterBase, public IMediaSeeking, public IGraphDiagnostics {
public:
    // Opens and indexes the file (UTF-8 path). On failure returns the status a caller of a
    // source filter sees (HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), VFW_E_UNKNOWN_FILE_TYPE,
    // VFW_E_UNSUPPORTED_STREAM, VFW_E_INVALID_FILE_FORMAT, VFW_E_UNSUPPORTED_VIDEO, E_OUTOFMEMORY
    // or E_FAIL) and a readable message.
    static HRESULT Open(const std::string& path, ComPtr<VideoSourceFilter>& filter, std::string& message);

    FILTER_BASE_IUNKNOWN

    HRESULT GetCapabilities(DWORD* capabilities) override;
    HRESULT CheckCapabilities(DWORD* capabilities) override;
    HRESULT IsFormatSupported(const GUID* format) override;
    HRESULT QueryPreferredFormat(GUID* format) override;
    HRESULT GetTimeFormat(GUID* format) override;
    HRESULT IsUsingTimeFormat(const GUID* format) override;
    HRESULT SetTimeFormat(const GUID* format) override;
    HRESULT GetDuration(LONGLONG* duration) override;
    HRESULT GetStopPosition(LONGLONG* stop) override;
    HRESULT GetCurrentPosition(LONGLONG* current) override;
    HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                              const GUID* sourceFormat) override;
    HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override;
    HRESULT GetPreroll(LONGLONG* preroll) override;

    HRESULT GetLastErrorText(BSTR* text) override;

    const SourceTimeline& Timeline() const { return *timeline_; }

    // How long Stop waits for a streaming thread held up by a receiver.
    static constexpr std::chrono::milliseconds kStopWait{3000};

protected:
    int PinCount() override { return 1; }
    PinBase* PinAt(int index) override;
    HRESULT OnStateChange(FILTER_STATE from, FILTER_STATE to, REFERENCE_TIME start) override;
    HRESULT QueryOtherInterface(REFIID iid, void** object) override;

private:
    struct DecoderAccess;
    struct StreamControl;

    VideoSourceFilter(std::shared_ptr<DecoderAccess> decoder, std::shared_ptr<const SourceTimeline> timeline);
    ~VideoSourceFilter() override;

    // Decodes frame n and sends it downstream on the calling thread. For a paused seek, the
    // frame after it is asked for ahead (LookAheadAfter) as soon as this one is decoded.
    HRESULT DeliverFrame(std::int64_t n, bool pausedSeek = false);
    // After a paused seek showed `shown`: when the seeks step forward by a few frames, the
    // frame one more step on is decoded ahead (see DecoderAccess in the source).
    void LookAheadAfter(std::int64_t shown);
    void ReportStreamError(HRESULT hr, const std::string& message);
    void StartStreaming();
    // Ends the streaming thread (bounded wait) and takes over the last frame it delivered.
    void StopStreaming();
    void StreamLoop(const std::shared_ptr<StreamControl>& control, std::int64_t first, double baseSeconds,
                    double rate, REFERENCE_TIME stopUnits, std::chrono::steady_clock::time_point clockStart);
    double CurrentSecondsLocked() const;
    bool ToFrame(LONGLONG value, const GUID& format, std::int64_t& frame) const;
    LONGLONG FromUnits(REFERENCE_TIME units, const GUID& format) const;

    VideoSourceOutputPin pin_;
    const std::shared_ptr<DecoderAccess> decoder_;
    const std::shared_ptr<const SourceTimeline> timeline_;

    // Position state, touched by the driving thread; read by position queries from any thread.
    mutable std::recursive_mutex positionLock_;
    GUID timeFormat_ = TIME_FORMAT_MEDIA_TIME;
    std::int64_t currentFrame_ = 0;
    bool currentShown_ = false;  // currentFrame_ was delivered and the next run starts after it
    REFERENCE_TIME stopUnits_;
    double rate_ = 1.0;
    bool running_ = false;
    std::chrono::steady_clock::time_point runClockStart_;
    double runBaseSeconds_ = 0;
    std::string lastError_;
    // Set by the streaming thread when it sent end of stream: the position is then the end.
    std::atomic<bool> endReached_{false};

    std::thread thread_;
    std::shared_ptr<StreamControl> control_;

    // The driving thread's last frame shown by a paused seek.
    std::int64_t lastPausedShown_ = -1;
    static constexpr std::int64_t kLookAheadMaxStep = 15;
};
