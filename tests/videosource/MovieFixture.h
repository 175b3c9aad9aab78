// The video source tests' fixture: a form holding one TActiveMovie with the main window's
// settings (video out of view, AutoStart False, display mode time, fit to size, grabber off),
// over the program's own media player control, with its events recorded in order and the
// frame of every position report identified by the number drawn into it.
#pragma once

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "tests/support/EventWait.h"
#include "videosource/ActiveMovie.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vstest {

using testsupport::Pump;
using testsupport::WaitUntil;

// The number shown in the image's picture, -1 when it cannot be read.
int ShownNumber(TImage* image);

struct PositionReport {
    double OldTime = 0;
    double NewTime = 0;
    Cardinal OldFrame = 0;
    Cardinal NewFrame = 0;
    int Shown = -2; // the frame number SnapshotToImage gave inside the report (-2: none taken)
    bool SnapshotOk = false;
};

// Records the component's events as short texts ("openComplete", "open 5>6", "play 6>2",
// "end 0", "error 123 text", "ready 4", "key 65") and every position report.
class MovieEvents : public TObject {
public:
    std::vector<std::string> entries;
    std::vector<PositionReport> positions;
    TImage* snapshotImage = nullptr; // when set, each report takes a snapshot into it

    void OpenComplete(TObject* sender);
    void OpenState(TObject*, int oldState, int newState);
    void PlayState(TObject*, int oldState, int newState);
    void Ready(TObject*, int state);
    void EndOfStream(TObject*, int result);
    void Error(TObject*, int code, const std::string& message);
    void PositionChange(TObject* sender, double oldTime, double newTime, Cardinal oldFrame, Cardinal newFrame);
    void FullScreenKey(TObject*, WORD key, TShiftState shift);

    int Count(const std::string& entry) const;
    bool Has(const std::string& entry) const { return Count(entry) > 0; }
    std::vector<std::string> Starting(const std::string& prefix) const;
};

class MovieTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new component on the form with the main window's settings and every recorder.
    TActiveMovie* MakeMovie();
    // Opens the file and waits for OnOpenComplete and the first position report.
    void OpenAndWaitFirstReport(const std::string& path);
    // Seeks and waits for the next position report; returns it (fails the test on timeout).
    PositionReport SeekAndWaitReport(Cardinal frame, int* latencyMs = nullptr);

    TForm* form_ = nullptr;
    TActiveMovie* movie_ = nullptr;
    TImage* image_ = nullptr;
    MovieEvents events_;
};

} // namespace vstest
