// TMoviePlayer: playback of a movie, or of a numbered series from the member chosen on, at
// the rate of the device (0.1155 s a frame), for the player window. It holds the frame shown
// and decides which frame is due; the window draws it and runs the timer.
//
// Timing: frames are due at absolute times counted from the press of Play (frame k after it
// at start + k x FramePeriodNs), never from the previous tick, so late or coarse ticks never
// make the movie drift: a late tick shows the frame due at its time. The caller hands in the
// time (nanoseconds of a monotonic clock), so tests drive it.
//
// Memory: one frame at a time is read from the file (TMovieReader); a later member of a
// series is opened when it is reached.
//
// Failures raise EMovieFileError with a message for a person: Open when the movie cannot be
// shown (nothing is open afterwards), Tick/Play/Stop when a file changed or a member went
// missing (playback is stopped, the last frame stays shown, and the next Play or Stop
// reads the movie afresh). UI thread only.
#pragma once

#include "app/MovieSeries.h"
#include "convert/FrameBuffer.h"
#include "convert/MovieReader.h"

#include <cstdint>
#include <string>

class TMoviePlayer {
public:
    static constexpr std::int64_t FramePeriodNs = 115'500'000;

    // Opens the movie and shows its frame 0; stops any playback.
    void Open(const std::string& path);
    void Close() noexcept;
    bool IsOpen() const noexcept { return open_; }

    const TFrameBuffer& Frame() const noexcept { return frame_; }
    // The frame shown, within its file, and that file's whole frames and tail.
    std::uint64_t FrameIndex() const noexcept { return shown_.index; }
    std::uint64_t FrameCount() const noexcept { return shown_.frames; }
    std::uint64_t TailBytes() const noexcept { return shown_.tailBytes; }
    // The member shown and the last member, for a series.
    bool IsSeries() const noexcept { return series_.IsSeries(); }
    int FileNumber() const noexcept { return shown_.fileNumber; }
    int LastFileNumber() const noexcept { return series_.last; }

    bool Playing() const noexcept { return playing_; }
    // From the frame shown; once the end has been reached, from frame 0 again. Nothing while
    // playing.
    void Play(std::int64_t nowNs);
    // Stops and shows frame 0 of the movie chosen.
    void Stop();
    // Shows the frame due at nowNs while playing; at the end, stops on the last frame.
    // True when the frame shown changed.
    bool Tick(std::int64_t nowNs);
    // Time from nowNs until the next frame is due, while playing (0 when already due).
    std::int64_t NsUntilNextFrame(std::int64_t nowNs) const noexcept;

private:
    void OpenFile(const std::string& path, int fileNumber);
    void Rewind();
    // Moves one frame on, into the next member at a file's end; false at the very end.
    bool StepForward();
    void Fail();
    // Reads the frame at the reader's position into the picture shown.
    void ShowCurrent();

    TMovieReader reader_;
    TMovieSeries series_;
    std::string chosen_;
    bool open_ = false;
    bool stale_ = false; // a failure left the reader in doubt: read afresh before playing
    bool atEnd_ = false;
    // Where the reader stands; during a tick it runs ahead of the frame shown.
    std::uint64_t index_ = 0;
    int fileNumber_ = 0;
    TFrameBuffer frame_{};
    struct {
        std::uint64_t index = 0;
        std::uint64_t frames = 0;
        std::uint64_t tailBytes = 0;
        int fileNumber = 0;
    } shown_;

    bool playing_ = false;
    std::int64_t startNs_ = 0;
    std::int64_t stepsShown_ = 0; // frames moved on since Play
};
