// The host tests' shared pieces: a host class over the test control with a few event slots,
// and a fixture that installs the test control and gives each test a form to place hosts on.
#pragma once

#include "axhost/OleControl.h"
#include "framework/Forms.h"
#include "tests/axhost/TestControl.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

// Events of the test host's description, in slot order; slot 3 is never assigned.
constexpr DISPID kTwoArgumentEvent = 10;
constexpr DISPID kTextEvent = 11;
constexpr DISPID kByRefEvent = 12;
constexpr DISPID kEmptySlotEvent = 13;

class TTestHost : public TOleControl2 {
    QUELLON_CLASS()

public:
    // Uses the description that NextInfo() points at when it is created.
    explicit TTestHost(TComponent* owner);

    static TControlInfo*& NextInfo();
    static TControlInfo& BasicInfo(); // no bound properties

    TEvent<void(TObject*, int, int)> OnTwo;
    TEvent<void(TObject*, const WideString&)> OnText;
    TEvent<void(TObject*, int*)> OnByRef;
    TEvent<void(TObject*, int)> OnNeverAssigned;

protected:
    void InitControlInfo() override;

private:
    TControlInfo* info_;
    TOleEventSlot slots_[4];
};

// A TControlInfo for the test control with the given bound-property flags.
TControlInfo MakeTestInfo(DWORD flags, DWORD reserved = 0);

// Catches what reaches the application's exception display.
class ErrorRecorder : public TObject {
public:
    struct Shown {
        TObject* sender;
        std::string message;
    };
    std::vector<Shown> shown;
    void Record(TObject* sender, const Exception& error) { shown.push_back({sender, error.Message()}); }
};

class AxHostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A host on the form (or without parent), created under the given description.
    TTestHost* NewHost(TControlInfo& info, bool onForm = true);
    // A description that lives as long as the test's hosts (the form goes in TearDown).
    TControlInfo& Info(DWORD flags, DWORD reserved = 0) { return infos_.emplace_back(MakeTestInfo(flags, reserved)); }
    // Starts recording afresh.
    void ClearCalls() { Script().calls.clear(); }
    std::vector<std::string> TakeCalls() { return Script().TakeCalls(); }

    TForm* form_ = nullptr;
    ErrorRecorder errors_;
    std::deque<TControlInfo> infos_;
};
