#include "framework/Spin.h"

#include "framework/ControlsWidget.h"

#include <QLineEdit>
#include <QToolButton>

#include <charconv>
#include <string>

namespace {

constexpr int ButtonWidth = 15;
constexpr const char* UpButtonName = "up";
constexpr const char* DownButtonName = "down";

} // namespace

const TClass& TSpinEdit::StaticClass()
{
    static const TClass cls = TClassBuilder<TSpinEdit>("TSpinEdit", &TCustomEdit::StaticClass())
        .Integer("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue, 0)
        .Integer("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue, 0)
        .Integer("Value", &TSpinEdit::Value, &TSpinEdit::SetValue)
        .Integer("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement, 1)
        .Boolean("EditorEnabled", &TSpinEdit::EditorEnabled, &TSpinEdit::SetEditorEnabled, true)
        .Build();
    return cls;
}

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 121, 22);
    text_ = "0";
}

std::optional<int> TSpinEdit::ParseInteger(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t'))
        ++start;
    text.remove_prefix(start);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    int value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value, 10);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

int TSpinEdit::Value() const
{
    return ParseInteger(Text()).value_or(minValue_);
}

int TSpinEdit::CheckValue(int value) const
{
    if (maxValue_ != minValue_) {
        if (value < minValue_)
            return minValue_;
        if (value > maxValue_)
            return maxValue_;
    }
    return value;
}

void TSpinEdit::SetValue(int value)
{
    SetTextProp(std::to_string(CheckValue(value)));
}

void TSpinEdit::UpClick()
{
    if (ReadOnly())
        return;
    const long long next = static_cast<long long>(Value()) + increment_;
    SetValue(static_cast<int>(std::clamp<long long>(next, INT32_MIN, INT32_MAX)));
}

void TSpinEdit::DownClick()
{
    if (ReadOnly())
        return;
    const long long next = static_cast<long long>(Value()) - increment_;
    SetValue(static_cast<int>(std::clamp<long long>(next, INT32_MIN, INT32_MAX)));
}

void TSpinEdit::SetEditorEnabled(bool value)
{
    editorEnabled_ = value;
}

void TSpinEdit::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_UP) {
        UpClick();
        key = 0;
    } else if (key == VK_DOWN) {
        DownClick();
        key = 0;
    }
    TCustomEdit::KeyDown(key, shift);
}

void TSpinEdit::KeyPress(char& key)
{
    if (!editorEnabled_)
        key = 0;
    TCustomEdit::KeyPress(key);
}

void TSpinEdit::DoExit()
{
    // Out-of-range typing is kept while the person types; leaving the field settles it.
    const int value = Value();
    if (CheckValue(value) != value)
        SetValue(value);
    TCustomEdit::DoExit();
}

void TSpinEdit::InitializeWindow()
{
    TCustomEdit::InitializeWindow();
    auto* edit = static_cast<QLineEdit*>(Widget());
    edit->setTextMargins(0, 0, ButtonWidth, 0);
    auto* up = new QToolButton(edit);
    auto* down = new QToolButton(edit);
    up->setObjectName(UpButtonName);
    down->setObjectName(DownButtonName);
    for (QToolButton* button : {up, down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::ArrowCursor);
        button->show();
    }
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    QObject::connect(up, &QToolButton::clicked, edit, [this] { RunGuarded(this, [this] { UpClick(); }); });
    QObject::connect(down, &QToolButton::clicked, edit, [this] { RunGuarded(this, [this] { DownClick(); }); });
    PlaceButtons();
}

void TSpinEdit::Resize()
{
    PlaceButtons();
    TCustomEdit::Resize();
}

void TSpinEdit::PlaceButtons()
{
    // The buttons are children of the widget (they die with it), found by name.
    QWidget* edit = Widget();
    if (edit == nullptr)
        return;
    auto* up = edit->findChild<QToolButton*>(UpButtonName, Qt::FindDirectChildrenOnly);
    auto* down = edit->findChild<QToolButton*>(DownButtonName, Qt::FindDirectChildrenOnly);
    if (up == nullptr || down == nullptr)
        return;
    const int half = Height() / 2;
    up->setGeometry(Width() - ButtonWidth - 1, 1, ButtonWidth, half - 1);
    down->setGeometry(Width() - ButtonWidth - 1, half, ButtonWidth, Height() - half - 1);
}
