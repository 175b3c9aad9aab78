// TActiveMovie: the lengths of the media at open, seeking by frame and by time, the position
// poll behind OnPositionChange, the rate and the selection.
//
// The player gives positions and lengths in the unit its display mode (32) names: seconds
// or frames. Both are learnt at open by switching the mode and back; seeks switch the same
// way, so the caller's display mode never changes.
#include "videosource/ActiveMovie.h"

#include <cmath>

namespace {

constexpr DISPID kDisplayMode = 32;
constexpr DISPID kDuration = 1003;
constexpr DISPID kPosition = 1027;
constexpr DISPID kRate = 1028;

// Nearest, halves to even, in extended precision, as an unsigned 32-bit frame number.
Cardinal RoundFrame(long double value)
{
    return static_cast<Cardinal>(Round(value));
}

} // namespace

void TActiveMovie::DetermineLengths()
{
    lastPosition_ = -1;
    double frames = 0;
    if (GetDispEnum(kDisplayMode) == mpFrames) {
        SetDispEnum(kDisplayMode, mpTime);
        durationSeconds_ = GetDispDouble(kDuration);
        SetDispEnum(kDisplayMode, mpFrames);
        frames = GetDispDouble(kDuration);
    } else {
        SetDispEnum(kDisplayMode, mpFrames);
        frames = GetDispDouble(kDuration);
        SetDispEnum(kDisplayMode, mpTime);
        durationSeconds_ = GetDispDouble(kDuration);
    }
    frameCount_ = FrameCountOf(frames, durationSeconds_);
}

Cardinal TActiveMovie::FrameCountOf(double frameLength, double seconds)
{
    // The same number in both units: the control could not tell frames at all.
    return frameLength == seconds ? 0 : RoundFrame(frameLength);
}

void TActiveMovie::SeekToFrame(Cardinal frame)
{
    if (frameCount_ == 0 || frame > frameCount_)
        return;
    openRewindTicks_ = 0;
    openRewindWanted_ = false;
    if (GetDispEnum(kDisplayMode) == mpTime) {
        SetDispEnum(kDisplayMode, mpFrames);
        SetDispDouble(kPosition, static_cast<double>(frame));
        SetDispEnum(kDisplayMode, mpTime);
    } else {
        SetDispDouble(kPosition, static_cast<double>(frame));
    }
}

void TActiveMovie::SeekToTime(double seconds)
{
    if (seconds > durationSeconds_)
        return;
    openRewindTicks_ = 0;
    openRewindWanted_ = false;
    if (GetDispEnum(kDisplayMode) == mpFrames) {
        SetDispEnum(kDisplayMode, mpTime);
        SetDispDouble(kPosition, seconds);
        SetDispEnum(kDisplayMode, mpFrames);
    } else {
        SetDispDouble(kPosition, seconds);
    }
}

void TActiveMovie::PollPosition()
{
    if (!OnPositionChange.Assigned() && selectionEnd_ == -1)
        return;
    if (openRewindTicks_ > 0) {
        // While the player still carries out the pause and the way back to 0 (on a thread of
        // its own, however long a decode takes), its position may read 0 with another picture
        // shown: the first report waits until the player has done what it was told, and then
        // until a paused graph stands on 0, for at most kOpenRewindTicks ticks.
        WaitForPlayerCommands();
        --openRewindTicks_;
        if ((GetDispDouble(kPosition) != 0 || !GraphPaused()) && openRewindTicks_ > 0)
            return;
        openRewindTicks_ = 0;
    }
    const double p = GetDispDouble(kPosition);
    if (p == lastPosition_)
        return;
    const double last = lastPosition_ == -1 ? 0.0 : lastPosition_;
    double oldTime = 0;
    Cardinal oldFrame = 0;
    if (GetDispEnum(kDisplayMode) == mpFrames) {
        oldFrame = RoundFrame(last);
        framePosition_ = RoundFrame(p);
        if (frameCount_ != 0) {
            oldTime = static_cast<double>(static_cast<long double>(last) * durationSeconds_ / frameCount_);
            timePosition_ = static_cast<double>(static_cast<long double>(p) * durationSeconds_ / frameCount_);
        } else {
            oldTime = 0;
            timePosition_ = 0;
        }
    } else {
        oldTime = last;
        timePosition_ = p;
        if (durationSeconds_ != 0) {
            oldFrame = RoundFrame(static_cast<long double>(frameCount_) * last / durationSeconds_);
            framePosition_ = RoundFrame(static_cast<long double>(frameCount_) * p / durationSeconds_);
        } else {
            oldFrame = 0;
            framePosition_ = 0;
        }
    }
    lastPosition_ = p;
    OnPositionChange(this, oldTime, timePosition_, oldFrame, framePosition_);
    if (selectionEnd_ >= 0 && p >= selectionEnd_)
        Stop();
}

bool TActiveMovie::GraphPaused() const
{
    ComPtr<IMediaControl> control;
    if (!rendererVideo_ || rendererVideo_.As(control) != S_OK)
        return true; // nothing to ask: the position read has to do
    OAFilterState state = State_Stopped;
    return control->GetState(0, &state) == S_OK && state == State_Paused;
}

void TActiveMovie::WaitForPlayerCommands()
{
    // Handing out its graph, the control first carries out the commands already given.
    ComPtr<mediaplayer::IActiveMovie> movie;
    ComPtr<IUnknown> graph;
    if (MediaPlayer().As(movie) == S_OK)
        movie->get_FilterGraph(graph.ReleaseAndGetAddressOf());
}

void TActiveMovie::SeekToShownFrame()
{
    const bool inTime = GetDispEnum(kDisplayMode) == mpTime;
    if (inTime)
        SetDispEnum(kDisplayMode, mpFrames);
    try {
        SetDispDouble(kPosition, GetDispDouble(kPosition));
    } catch (...) {
        if (inTime)
            SetDispEnum(kDisplayMode, mpTime);
        throw;
    }
    if (inTime)
        SetDispEnum(kDisplayMode, mpTime);
}

void TActiveMovie::SetRate(double value)
{
    // Kept only once the control took it: a refused rate would be written again at every
    // change of the play state, and fail there each time.
    SetDispDouble(kRate, value);
    rate_ = value;
}

void TActiveMovie::SetSelectionStart(double value)
{
    if (value == selectionStart_)
        return;
    if (value == -1) {
        selectionStart_ = value;
        return;
    }
    if (value < 0)
        return;
    if (selectionEnd_ != -1 && value > selectionEnd_)
        return;
    selectionStart_ = value;
}

void TActiveMovie::SetSelectionEnd(double value)
{
    if (value == selectionEnd_)
        return;
    if (value == -1) {
        selectionEnd_ = value;
        return;
    }
    if (value < 0)
        return;
    if (selectionStart_ != -1 && value < selectionStart_)
        return;
    selectionEnd_ = value;
}
