// Helpers of the grabber and capture tests: a window that receives WM_GRABBERFRAME and plays
// the part of the frame delivery, a filter graph for a numbered video with a Sample Grabber in
// front of its renderer, and temporary folders. The bounded wait and the pin and filter
// search are the test support's (tests/support).
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/dshow/DShowInterfaces.h"
#include "tests/support/EventWait.h"
#include "tests/support/GraphPins.h"
#include "videosource/SampleGrabberCB.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace grabbertest {

using testgraph::FindPin;
using testgraph::FindRenderer;
using testsupport::Pump;
using testsupport::WaitUntil;

// The number shown by a 24- or 32-bit DIB section of the numbered pattern, -1 when unreadable,
// -2 when the handle is not a DIB section.
int SectionFrameNumber(HBITMAP section);

// What one WM_GRABBERFRAME brought.
struct ReceivedFrame {
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    int Number = -3; // -3: no frame was pending when the message came
    int Width = 0;
    int Height = 0; // as the section's header says (negative: top-down)
    int BitsPerPixel = 0;
};

// A hidden window that receives WM_GRABBERFRAME for `callback`. With Deliver set (the
// default) each message is handled as the component's delivery would: the frame is read,
// then FrameDone. Otherwise the frame stays pending until DeliverPending().
class FrameWindow {
public:
    explicit FrameWindow(TSampleGrabberCB& callback);
    ~FrameWindow();
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    HWND Handle() const { return window_; }
    bool Deliver = true;
    const std::vector<ReceivedFrame>& Frames() const { return frames_; }
    std::vector<int> Numbers() const;
    // Reads and releases the frame the last message left pending.
    void DeliverPending();

private:
    static LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    ReceivedFrame Take(WPARAM wParam, LPARAM lParam);

    TSampleGrabberCB& callback_;
    HWND window_ = nullptr;
    std::vector<ReceivedFrame> frames_;
};

// COM, the DirectShow classes, and a graph for a numbered 176 x 144 video whose renderer is
// fed through a Sample Grabber fixed to RGB24 (as the component builds it).
class GrabberGraphTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Builds the graph for `frames` numbered pictures with a new callback_ as the grabber's
    // BufferCB callback, holding the grabber's connected type.
    void Build(int frames);
    // Paused at `frame`: the grabber sees that one sample on this thread before it returns.
    void ShowFrame(LONGLONG frame);

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaSeeking> seeking_;
    ComPtr<ISampleGrabber> grabber_;
    // Freed at the end of the test, after the grabber has let go of it.
    std::unique_ptr<TSampleGrabberCB> callback_;
};

// A fresh folder under /tmp, removed with its content afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string Path(const std::string& name = {}) const { return name.empty() ? path_ : path_ + "/" + name; }
    void Touch(const std::string& name) const;

private:
    std::string path_;
};

// A folder in which creating a file fails, or "" when there is none to be had here (a folder
// made read-only does not stop the superuser; a read-only system folder is used then).
std::string UnwritableFolder(const TempFolder& scratch);

// The start-of-frame marker of a JPEG file (0xC0 baseline, 0xC2 progressive), 0 when none.
int JpegFrameMarker(const std::string& path);
std::vector<unsigned char> ReadFileBytes(const std::string& path);

} // namespace grabbertest
