// TSpinEdit: a text field for an integer, with up and down buttons.
//
// Value is the text read as a decimal integer (optional leading blanks and sign), or
// MinValue when the text is not one. A typed value outside MinValue..MaxValue stays as
// typed while the field has the focus; when the field loses the focus the text is brought
// into the range. Setting Value, the buttons and the up/down keys keep it in the range
// (when MinValue equals MaxValue there is no range). OnChange fires on every text change.
// Thread: the user-interface thread.
#pragma once

#include "framework/StdCtrls.h"

#include <optional>
#include <string_view>

class TSpinEdit : public TCustomEdit {
    QUELLON_CLASS()

public:
    explicit TSpinEdit(TComponent* owner);

    int MinValue() const noexcept { return minValue_; }
    void SetMinValue(int value) { minValue_ = value; }
    int MaxValue() const noexcept { return maxValue_; }
    void SetMaxValue(int value) { maxValue_ = value; }
    int Value() const;
    void SetValue(int value);
    int Increment() const noexcept { return increment_; }
    void SetIncrement(int value) { increment_ = value; }
    bool EditorEnabled() const noexcept { return editorEnabled_; }
    void SetEditorEnabled(bool value);

    // The step actions of the buttons and of the up and down keys.
    void UpClick();
    void DownClick();

    // The integer `text` stands for, or nothing when it is not a decimal integer.
    static std::optional<int> ParseInteger(std::string_view text);

protected:
    void InitializeWindow() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void DoExit() override;
    void Resize() override;

private:
    int CheckValue(int value) const;
    void PlaceButtons();

    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    bool editorEnabled_ = true;
};
