// Holding back the release of forms while a component runs a nested message loop.
//
// A form goes by Release (and so by a close with caFree) through a posted CM_RELEASE, handled
// by whichever message loop runs next. A component waiting inside a loop of its own (a grabber
// snapshot waiting for its frame) would be freed inside that loop, under its own feet, by a
// release of the form that holds it. While a TFormReleaseHold lives, the forms that own or hold
// the control keep every CM_RELEASE they receive; when it ends the releases are posted again,
// so each such form goes once the loop is over, in the next loop that runs.
//
// A form freed directly (not through Release) during the hold is forgotten by the hold.
// Thread: the user-interface thread. Holds nest (a second hold hooks in front of the first
// and must end first, as nested loops do).
#pragma once

#include <memory>
#include <vector>

class TControl;

class TFormReleaseHold {
public:
    explicit TFormReleaseHold(TControl& control);
    ~TFormReleaseHold();
    TFormReleaseHold(const TFormReleaseHold&) = delete;
    TFormReleaseHold& operator=(const TFormReleaseHold&) = delete;

private:
    class Hook;
    std::vector<std::unique_ptr<Hook>> hooks_;
};
