// Scroll bars, spin fields, check boxes and edits: when their change events fire and what
// their values are.
#include "tests/framework/controls/ControlTestSupport.h"

#include "framework/Spin.h"
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QScrollBar>

#include <string>
#include <vector>

namespace {

// Records each change as "position/max" as the handler sees it.
class ScrollWatcher : public TObject {
public:
    TScrollBar* Bar = nullptr;
    std::vector<std::string> Seen;
    int LowerMaxTo = -1; // when >= 0, the first change lowers Max (a nested change)

    void Changed(TObject*)
    {
        Seen.push_back(std::to_string(Bar->Position()) + "/" + std::to_string(Bar->Max()));
        if (LowerMaxTo >= 0) {
            const int target = LowerMaxTo;
            LowerMaxTo = -1;
            Bar->SetMax(target);
            Seen.push_back("after " + std::to_string(Bar->Position()));
        }
    }
};

class Counter : public TObject {
public:
    int Count = 0;
    std::vector<std::string> Texts;
    TSpinEdit* Spin = nullptr;
    void Hit(TObject*)
    {
        ++Count;
        if (Spin != nullptr)
            Texts.push_back(Spin->Text());
    }
};

} // namespace

TEST(ScrollBar, ChangeFiresOnlyWhenThePositionReallyChanges)
{
    FormGuard form;
    auto* bar = new TScrollBar(form.Get());
    bar->SetParent(form.Get());
    ScrollWatcher watcher;
    watcher.Bar = bar;
    bar->OnChange.Assign(&watcher, &ScrollWatcher::Changed);

    bar->SetParams(16, 0, 32);
    bar->SetPosition(16);  // same position: nothing
    bar->SetMax(40);       // range grows, position stays: nothing
    bar->SetPosition(50);  // kept within range: 40
    bar->SetPosition(-3);  // and 0
    bar->SetMin(5);        // the minimum drags the position up
    EXPECT_EQ((std::vector<std::string>{"16/32", "40/40", "0/40", "5/40"}), watcher.Seen);
    EXPECT_EQ(5, bar->Min());
}

TEST(ScrollBar, LoweringMaxBelowThePositionFiresTheChangeInsideTheSetter)
{
    FormGuard form;
    auto* bar = new TScrollBar(form.Get());
    bar->SetParent(form.Get());
    bar->SetParams(250, 0, 333);
    ScrollWatcher watcher;
    watcher.Bar = bar;
    bar->OnChange.Assign(&watcher, &ScrollWatcher::Changed);

    bar->SetMax(100);
    // The handler runs before SetMax returns, already seeing the new Max.
    ASSERT_EQ(1u, watcher.Seen.size());
    EXPECT_EQ("100/100", watcher.Seen[0]);

    // A handler that lowers Max again runs nested, and its caller then sees the result.
    watcher.Seen.clear();
    watcher.LowerMaxTo = 10;
    bar->SetPosition(90);
    EXPECT_EQ((std::vector<std::string>{"90/100", "10/10", "after 10"}), watcher.Seen);
    EXPECT_EQ(10, bar->Position());
}

TEST(ScrollBar, RefusedRangeAndPageSizeLimit)
{
    FormGuard form;
    auto* bar = new TScrollBar(form.Get());
    bar->SetParent(form.Get());
    bar->SetParams(5, 0, 10);
    EXPECT_THROW(bar->SetParams(0, 10, 5), EInvalidOperation);
    EXPECT_EQ(0, bar->Min());
    EXPECT_EQ(10, bar->Max());
    EXPECT_EQ(5, bar->Position());

    bar->SetPageSize(4); // the last reachable position is Max - PageSize + 1
    bar->SetPosition(10);
    EXPECT_EQ(7, bar->Position());
    EXPECT_THROW(bar->SetPageSize(12), EInvalidOperation);

    // The widget shows the control's range and position.
    form->HandleNeeded();
    auto* widget = static_cast<QScrollBar*>(bar->Widget());
    ASSERT_NE(nullptr, widget);
    EXPECT_EQ(7, widget->maximum());
    EXPECT_EQ(7, widget->value());
}

TEST(ScrollBar, MovingTheWidgetSetsThePositionAndFiresOnce)
{
    FormGuard form;
    auto* bar = new TScrollBar(form.Get());
    bar->SetParent(form.Get());
    bar->SetParams(0, 0, 32);
    form->HandleNeeded();
    ScrollWatcher watcher;
    watcher.Bar = bar;
    bar->OnChange.Assign(&watcher, &ScrollWatcher::Changed);

    static_cast<QScrollBar*>(bar->Widget())->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(1, bar->Position());
    EXPECT_EQ((std::vector<std::string>{"1/32"}), watcher.Seen);
}

TEST(SpinEdit, ValueIsTheTextAsADecimalIntegerOrTheMinimum)
{
    EXPECT_EQ(12, TSpinEdit::ParseInteger("12"));
    EXPECT_EQ(-7, TSpinEdit::ParseInteger("-7"));
    EXPECT_EQ(5, TSpinEdit::ParseInteger("  +5"));
    for (const char* bad : {"", " ", "12a", "1 2", "0x10", "+-3", "99999999999", "3 "})
        EXPECT_FALSE(TSpinEdit::ParseInteger(bad).has_value()) << bad;

    FormGuard form;
    auto* spin = new TSpinEdit(form.Get());
    spin->SetParent(form.Get());
    spin->SetMinValue(1);
    spin->SetMaxValue(999);
    spin->SetTextProp("abc");
    EXPECT_EQ(1, spin->Value());
    spin->SetTextProp("");
    EXPECT_EQ(1, spin->Value());
    spin->SetValue(5000); // set in code: kept in range
    EXPECT_EQ("999", spin->Text());
}

TEST(SpinEdit, TypedValueOutOfRangeStaysUntilTheFocusLeaves)
{
    FormGuard form;
    auto* spin = new TSpinEdit(form.Get());
    spin->SetParent(form.Get());
    auto* other = new TEdit(form.Get());
    other->SetParent(form.Get());
    other->SetTop(40);
    spin->SetMinValue(1);
    spin->SetMaxValue(40);
    spin->SetValue(8);
    form->Show();
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isVisible(); }));

    spin->SetFocus();
    auto* edit = static_cast<QLineEdit*>(spin->Widget());
    edit->selectAll();
    SendKey(edit, Qt::Key_0, "0");     // text "0": below the range
    EXPECT_EQ("0", spin->Text());
    EXPECT_EQ(0, spin->Value());       // used unchanged while typing
    SendKey(edit, Qt::Key_7, "7");     // "07" -> 7
    SendKey(edit, Qt::Key_5, "5");     // "075" -> 75, above the range
    EXPECT_EQ(75, spin->Value());

    other->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return spin->Text() == "40"; })) << spin->Text();
    EXPECT_EQ(40, spin->Value());
}

TEST(SpinEdit, EveryTextChangeFiresOnChange)
{
    FormGuard form;
    auto* spin = new TSpinEdit(form.Get());
    spin->SetParent(form.Get());
    spin->SetMinValue(1);
    spin->SetMaxValue(3);
    spin->SetValue(1);
    Counter counter;
    counter.Spin = spin;
    spin->OnChange.Assign(&counter, &Counter::Hit);

    spin->UpClick();          // 2
    spin->UpClick();          // 3
    spin->UpClick();          // stays 3: no change, no event
    spin->SetTextProp("x");   // not a number, still a change
    form->HandleNeeded();     // a window now: typing reports through the widget
    static_cast<QLineEdit*>(spin->Widget())->setText("12");
    spin->DownClick();        // from 12 (out of range): 11 brought to 3
    EXPECT_EQ((std::vector<std::string>{"2", "3", "x", "12", "3"}), counter.Texts);
}

TEST(CheckBox, EveryToggleFiresOnClickIncludingCode)
{
    FormGuard form;
    auto* box = new TCheckBox(form.Get());
    box->SetParent(form.Get());
    Counter counter;
    box->OnClick.Assign(&counter, &Counter::Hit);

    box->SetChecked(true);
    box->SetChecked(true); // no toggle
    box->SetChecked(false);
    EXPECT_EQ(2, counter.Count);

    form->Show();
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isVisible(); }));
    QWidget* widget = box->Widget();
    Press(widget, QPoint(5, 8));
    Release(widget, QPoint(5, 8));
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(static_cast<QCheckBox*>(widget)->isChecked());
    EXPECT_EQ(3, counter.Count);
    box->SetChecked(false);
    EXPECT_FALSE(static_cast<QCheckBox*>(widget)->isChecked());
    EXPECT_EQ(4, counter.Count);
}

TEST(Edit, TextKeptAcrossWindowCreationAndReadOnly)
{
    FormGuard form;
    auto* edit = new TEdit(form.Get());
    edit->SetParent(form.Get());
    Counter counter;
    edit->OnChange.Assign(&counter, &Counter::Hit);
    edit->SetTextProp("before");
    edit->SetReadOnly(true);
    form->HandleNeeded();
    auto* widget = static_cast<QLineEdit*>(edit->Widget());
    EXPECT_EQ("before", widget->text().toStdString());
    EXPECT_TRUE(widget->isReadOnly());
    edit->SetTextProp("after");
    EXPECT_EQ("after", widget->text().toStdString());
    EXPECT_EQ(2, counter.Count);
}

TEST(SpinEdit, DestroyingTheFormWhileTheFieldHasTheFocusRunsNoHandler)
{
    auto* form = new TForm(nullptr);
    auto* spin = new TSpinEdit(form);
    spin->SetParent(form);
    spin->SetMinValue(1);
    spin->SetMaxValue(40);
    form->Show();
    spin->SetFocus();
    spin->SetTextProp("75");
    Counter counter;
    spin->OnChange.Assign(&counter, &Counter::Hit);
    form->Free();
    EXPECT_EQ(0, counter.Count);
}
