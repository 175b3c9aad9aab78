// The media behind the player control: a file opened and indexed on a loading thread, a
// filter graph built from it on the user-interface thread (source -> video renderer, the
// renderer's window inside the control's), and a command thread that drives the graph (run,
// pause, seek, rate) so that a seek needing long decoding never holds up the user-interface
// thread. Seeks are coalesced: a newer position replaces one still waiting in the queue.
//
// Progress reaches the owner as messages posted to its notify window:
//   kMessageLoaded(loadId, 0)       a load finished (call FinishLoad with the id);
//   kMessageReady(generation, 0)    the graph built by FinishLoad holds its first frame;
//   kMessageGraphEvent(0, 0)        the graph has events (call TakeEvents).
// Stale messages (an older load or graph) are recognised by their ids and ignored.
//
// Positions: the position read back is the last one the renderer really shows: a seek
// becomes visible in PositionFrame/PositionSeconds only after the renderer holds that frame.
// While the graph runs with no command pending, the position is the running clock's.
//
// Thread: every method on the user-interface thread. The loading and command threads never
// call back; they only post. Destruction joins both (a load in progress is waited for).
// The command thread carries out each command under the graph's drive lock (IGraphLock), and
// every driving call of the graph takes that lock too: a caller that drives the graph from
// the user-interface thread (GetGraph) is serialised against our commands, call by call, or
// for a whole sequence while it holds IGraphLock.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/com/Unknown.h"
#include "platform/user/WinUser.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mediaplayer {

constexpr UINT kMessageLoaded = WM_APP + 0x310;
constexpr UINT kMessageReady = WM_APP + 0x311;
constexpr UINT kMessageGraphEvent = WM_APP + 0x312;

struct MediaInfo {
    LONG width = 0;
    LONG height = 0;
    LONGLONG frameCount = 0;
    double durationSeconds = 0;
};

struct GraphEvent {
    LONG code;
    LONG_PTR param1;
};

class PlayerGraph {
public:
    explicit PlayerGraph(HWND notifyWindow);
    ~PlayerGraph();
    PlayerGraph(const PlayerGraph&) = delete;
    PlayerGraph& operator=(const PlayerGraph&) = delete;

    // Starts opening the file (UTF-8 path) on a loading thread; the current media stays
    // until FinishLoad. Returns the id that the kMessageLoaded message will carry.
    WPARAM BeginLoad(const std::string& path);
    // Whether a load started by BeginLoad has not been finished or abandoned yet.
    bool Loading() const;
    // Forgets any load in progress: its result will be dropped.
    void AbandonLoad();
    // On kMessageLoaded. S_FALSE for a stale id. Otherwise closes the current media and
    // builds the graph for the loaded file, its renderer window a child of videoOwner; S_OK
    // with `info` filled, or the failure status with a readable `message` (the media then
    // stays closed).
    HRESULT FinishLoad(WPARAM loadId, HWND videoOwner, MediaInfo& info, std::string& message);
    // True for the kMessageReady of the current graph.
    bool IsCurrentGeneration(WPARAM generation) const;

    // Stops the command thread and releases the graph. The renderer's window is hidden and
    // moved into the notify window first: a caller still holding the graph keeps it alive, but
    // it no longer shows the closed media in the owner's window.
    void Close();
    bool IsOpen() const;
    const MediaInfo& Info() const { return info_; }

    // Queued to the command thread, in order; each returns at once.
    void Run();
    void Pause();
    // Frame n (0 .. frameCount-1) or a time in seconds (0 .. duration).
    void SeekFrame(LONGLONG frame);
    void SeekSeconds(double seconds);
    // Pauses, then goes to frame n or the time: one command, so that no position read in
    // between reports where the playback happened to be.
    void PauseAtFrame(LONGLONG frame);
    void PauseAtSeconds(double seconds);
    void SetRate(double rate);
    // Whether an end of stream reported by the graph still stands: no command is queued or
    // running (each of them restarts or stops the stream, so a report from before it is
    // stale) and the source really is at its end.
    bool EndOfStreamStands() const;
    // No command queued or running.
    bool Idle() const;
    // Records that the stream has ended: the position then reads as the end of the media.
    void MarkEnded();
    bool Ended() const;

    LONGLONG PositionFrame() const;
    double PositionSeconds() const;
    double FrameSeconds(LONGLONG frame) const;
    LONGLONG FrameAtSeconds(double seconds) const;

    // Events queued by the graph since the last call (EC_COMPLETE, EC_ERRORABORT, ...).
    std::vector<GraphEvent> TakeEvents();
    // Why the stream failed, from the graph.
    std::string LastErrorText() const;

    // The graph's IUnknown (a new reference), or null when nothing is open. Waits until the
    // command thread has carried out what is queued, so that the caller finds the graph in
    // the state last asked for (a seek of long decoding can take a few hundred milliseconds).
    // Commands given to the control later run on the command thread: each of the caller's
    // calls on the graph waits for a command being carried out and is carried out whole, and a
    // sequence of calls held under IGraphLock::Lock sees no command in between.
    HRESULT GetGraph(IUnknown** graph) const;
    HWND RendererWindow() const;
    // Moves the renderer window into `owner` (without recreating it, so its handle stays the
    // same) and places it there.
    void PlaceVideo(HWND owner, const RECT& rect);

private:
    struct LoadJob;
    struct Commands;
    struct Session;

    HWND notifyWindow_;
    MediaInfo info_;
    std::shared_ptr<LoadJob> currentLoad_;
    std::vector<std::shared_ptr<LoadJob>> loads_;  // threads to join
    std::unique_ptr<Session> session_;
    WPARAM nextLoadId_ = 1;
    WPARAM generation_ = 0;
};

}  // namespace mediaplayer
