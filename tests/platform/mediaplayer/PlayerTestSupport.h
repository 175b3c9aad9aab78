// The player tests' fixture: the control installed and hosted on a form through
// TDerivedMovie_, as the program hosts it, with every state event it fires recorded in order.
#pragma once

#include "axhost/DerivedMovie.h"
#include "framework/Forms.h"
#include "platform/mediaplayer/MediaPlayerInterfaces.h"
#include "tests/support/EventWait.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace playertest {

using testsupport::Pump;
using testsupport::WaitUntil;

// Records the player's events as short texts: "open 0>5", "play 6>2", "ready 4", "end 0",
// "error", "mousedown left [shift] 10,20", "click", "keydown 65", "help".
class EventLog : public TObject {
public:
    std::vector<std::string> entries;

    void OpenState(TObject*, int oldState, int newState);
    void PlayState(TObject*, int oldState, int newState);
    void Ready(TObject*, int state);
    void EndOfStream(TObject*, int result);
    void Error(TObject*);
    void MouseDown(TObject*, TMouseButton button, TShiftState shift, int x, int y);
    void MouseUp(TObject*, TMouseButton button, TShiftState shift, int x, int y);
    void Click(TObject*);
    void KeyDown(TObject*, WORD& key, TShiftState shift);
    void Help(TObject*, bool& canShow);

    bool Has(const std::string& entry) const;
    // The entries that start with the prefix, in order.
    std::vector<std::string> Starting(const std::string& prefix) const;
};

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    mediaplayer::IMediaPlayer* Player();
    // Opens the file and waits until the control reports it open (open state 6).
    void OpenAndWait(const std::string& path);
    // Property access through the host, as the program does it.
    LONG Int(DISPID id) { return movie_->GetIntegerProp(id); }
    double Double(DISPID id) { return movie_->GetDoubleProp(id); }
    bool Bool(DISPID id) { return movie_->GetWordBoolProp(id) != 0; }
    ComPtr<IUnknown> FilterGraph();
    // The frame number the renderer shows now.
    int ShownFrame();

    TForm* form_ = nullptr;
    TDerivedMovie_* movie_ = nullptr;
    EventLog log_;
    ComPtr<IMediaPlayer> player_;
};

}  // namespace playertest
