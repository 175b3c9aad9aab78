// Every caption of both windows, drawn in the face that stands in for the layouts' "MS Sans
// Serif", fits the place the layout gives it: a button's or a check box's text inside its
// text area, a label clear of the windowed controls (which would cover it) and of every
// control it does not lie wholly within.
#include "tests/app/MainWindowHarness.h"

#include "app/ProgramClasses.h"
#include "framework/ControlsWidget.h"
#include "framework/GraphicsQt.h"
#include "framework/StdCtrls.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <string>
#include <vector>

namespace {

QRect BoundsOf(const TControl* control)
{
    return QRect(control->Left(), control->Top(), control->Width(), control->Height());
}

// The room a button or check box leaves for its text, as its style lays it out: a check
// box's text beside its mark, a button's inside its frame and the margins it keeps.
int TextRoom(QWidget* widget)
{
    QStyleOptionButton option;
    option.initFrom(widget);
    QStyle* style = widget->style();
    if (qobject_cast<QCheckBox*>(widget) != nullptr)
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, widget).width();
    return widget->width() - style->pixelMetric(QStyle::PM_ButtonMargin, &option, widget) -
           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, widget);
}

void CheckCaptions(const TWinControl* parent, std::vector<std::string>& faults)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* control = parent->Controls(i);
        const std::string name = control->Name() + " \"" + control->Caption() + "\"";
        const int textWidth = QFontMetrics(ToQFont(*control->Font())).horizontalAdvance(
            QString::fromStdString(control->Caption()));
        if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
            QWidget* widget = windowed->Widget();
            if ((dynamic_cast<TButton*>(control) != nullptr || dynamic_cast<TCheckBox*>(control) != nullptr) &&
                textWidth > TextRoom(widget))
                faults.push_back(name + ": " + std::to_string(textWidth) + " pixels of text in " +
                                 std::to_string(TextRoom(widget)));
            CheckCaptions(windowed, faults);
            continue;
        }
        if (dynamic_cast<TLabel*>(control) == nullptr)
            continue;
        const QRect label = BoundsOf(control);
        if (label.width() < textWidth)
            faults.push_back(name + ": cut to " + std::to_string(label.width()) + " pixels");
        if (!QRect(0, 0, parent->ClientWidth(), parent->ClientHeight()).contains(label))
            faults.push_back(name + ": out of " + parent->Name());
        for (int j = 0; j < parent->ControlCount(); ++j) {
            const TControl* other = parent->Controls(j);
            if (other == control || !other->Visible() || !label.intersects(BoundsOf(other)))
                continue;
            // A label may lie on a graphic control (its box); a windowed one is drawn over it.
            if (dynamic_cast<const TWinControl*>(other) != nullptr || !BoundsOf(other).contains(label))
                faults.push_back(name + ": overlaps " + other->Name());
        }
    }
}

class Captions : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(InstallProgramComponents(), ""); }
};

} // namespace

TEST_F(Captions, EveryCaptionOfBothWindowsFitsItsControl)
{
    TMainWindowHarness h;
    h.form2->HandleNeeded();
    // Measured in a substitute face the test would prove nothing.
    const QFontInfo face(ToQFont(*h.form1->Font()));
    ASSERT_EQ(TFont::SansSerifFace, face.family().toStdString())
        << "the font \"" << TFont::SansSerifFace << "\" is not installed (scripts/packages.txt lists its package)";

    std::vector<std::string> faults;
    CheckCaptions(h.form1, faults);
    CheckCaptions(h.form2, faults);
    EXPECT_EQ(std::vector<std::string>{}, faults);
}
