// Shared helpers of the filter graph tests: numbered test videos made with the ffmpeg
// command, reading the number back from a DIB, and a fixture that initialises COM and installs
// the graph classes. The bounded wait, the pin and filter search and the recording callback
// are the test support's (tests/support).
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/dshow/DShowInterfaces.h"
#include "tests/support/EventWait.h"
#include "tests/support/GraphPins.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace graphtest {

inline constexpr int kWidth = 176;
inline constexpr int kHeight = 144;

// A video of `frames` pictures at 25 per second in which each picture shows its number as 12
// black or white blocks (4 columns x 3 rows, bit 0 top left). Made once per run in a temporary
// folder removed at the end; "" (and a test failure) when ffmpeg fails.
std::string NumberedVideo(const std::string& name, int frames, const std::string& codecArguments = "-c:v mjpeg -q:v 3");
std::string TestFolder();

// The number shown in a bottom-up DIB of kWidth x kHeight pixels (24 or 32 bits), -1 when a
// block is neither clearly black nor clearly white.
int ReadFrameNumber(const std::uint8_t* pixels, int bitsPerPixel);

using testsupport::WaitUntil;
using testgraph::FindFilter;
using testgraph::FindPin;
using testgraph::InsertGrabber;
using testgraph::RecordingCallback;

// The reference count after a matching AddRef/Release pair.
inline ULONG RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

// Initialises COM on the test thread and installs the graph classes for each test.
class GraphTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A graph for the file (RenderFile), with the interfaces most tests use.
    void Build(const std::string& path);

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaSeeking> seeking_;
    ComPtr<IBasicVideo> video_;
};

}  // namespace graphtest
