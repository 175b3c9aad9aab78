// What the player tests ask of the control's filter graph, in a unit of its own: the graph
// interfaces are declared by the DirectShow headers, which cannot share a unit with the OLE
// headers the host brings in. Everything takes the graph as a plain IUnknown.
#pragma once

#include "platform/com/Unknown.h"

#include <memory>
#include <string>
#include <vector>

namespace playertest {

inline constexpr int kVideoWidth = 176;
inline constexpr int kVideoHeight = 144;

// A video of `frames` pictures at 25 per second in which each picture shows its number as 12
// black or white blocks (4 x 3, bit 0 top left); made once per run in a temporary folder.
// `codec` holds the ffmpeg output options. "" (and a test failure) when ffmpeg fails.
std::string NumberedVideo(const std::string& name, int frames, const std::string& codec = "-c:v mjpeg -q:v 3");
std::string TestFolder();
// Runs the ffmpeg command with the given arguments; true on success.
bool RunFfmpeg(const std::string& arguments);

// The number shown by the graph's renderer (IBasicVideo::GetCurrentImage), -1 when the
// picture cannot be read or a block is unclear.
int ShownFrameNumber(IUnknown* graph);
// Whether the graph answers IGraphBuilder, IMediaControl, IMediaSeeking and IBasicVideo
// with the video's size.
bool GraphHasVideoInterfaces(IUnknown* graph);
// Stops the graph, puts a sample grabber between the renderer and the filter feeding it,
// runs it again and waits until the grabber has seen a sample; "" on success, else what
// failed.
std::string InsertSampleGrabber(IUnknown* graph);

}  // namespace playertest

namespace playertest {
// A container's rewiring of the graph as one step under the graph's lock (IGraphLock): stop,
// check that the graph and every filter stopped, take the renderer's input off the filter
// feeding it and connect the two again, check that nothing was run in between, pause. ""
// on success, else what failed.
std::string RewireUnderGraphLock(IUnknown* graph);
// Drives the graph directly, call by call: run, seek to the frame, pause. "" or what failed.
std::string RunSeekPause(IUnknown* graph, LONGLONG frame);
// Whether the graph's state is the state of each of its filters.
bool GraphStateIsEveryFiltersState(IUnknown* graph);
// The graph's playback rate (IMediaSeeking::GetRate), 0 when it cannot be read.
double GraphRate(IUnknown* graph);
}  // namespace playertest

namespace playertest {

// Records, in order, the number of every frame the graph sends to its renderer, through a
// Sample Grabber put in front of the renderer. Putting it there (under the graph's lock:
// stop, rewire, then the graph back in its state) makes a paused source send its frame
// again; that frame is not recorded.
class FrameRecorder {
public:
    FrameRecorder();
    ~FrameRecorder();  // the grabber lets go of the recording first
    FrameRecorder(const FrameRecorder&) = delete;
    FrameRecorder& operator=(const FrameRecorder&) = delete;

    // "" on success, else what failed.
    std::string Insert(IUnknown* graph);
    std::vector<int> Frames() const;
    void Clear();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace playertest
