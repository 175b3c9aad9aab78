#include "framework/StdCtrls.h"

#include "framework/ControlsWidget.h"
#include "framework/GraphicsQt.h"
#include "framework/Forms.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

const TEnumInfo AlignmentInfo{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
const TEnumInfo ScrollBarKindInfo{"TScrollBarKind", {"sbHorizontal", "sbVertical"}};

// --- TButton ---------------------------------------------------------------------------------

const TClass& TButton::StaticClass()
{
    static const TClass cls = TClassBuilder<TButton>("TButton", &TWinControl::StaticClass())
        .Boolean("Default", &TButton::Default, &TButton::SetDefault, false)
        .Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
        .Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, 0)
        .Boolean("TabStop", &TButton::TabStop, &TButton::SetTabStop, true)
        .Build();
    return cls;
}

TButton::TButton(TComponent* owner) : TWinControl(owner)
{
    // Qt's button reports the click itself (mouse and keyboard alike).
    controlStyle_.Exclude(csClickEvents);
    controlStyle_.Exclude(csSetCaption);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TButton::CreateWindowHandle(const TCreateParams& params) { CreateWidgetHandle<QPushButton>(params); }

void TButton::InitializeWindow()
{
    auto* button = static_cast<QPushButton*>(Widget());
    button->setDefault(default_);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { RunGuarded(this, [this] { Click(); }); });
}

void TButton::SetDefault(bool value)
{
    default_ = value;
    if (auto* button = static_cast<QPushButton*>(Widget()))
        button->setDefault(value);
}

void TButton::Dispatch(TMessage& message)
{
    if (message.Msg == CM_DIALOGKEY) {
        const bool matches = (message.WParam == VK_RETURN && default_) || (message.WParam == VK_ESCAPE && cancel_);
        if (matches && CanFocus()) {
            Click();
            message.Result = 1;
        }
        return;
    }
    TWinControl::Dispatch(message);
}

void TButton::Click()
{
    if (modalResult_ != 0) {
        if (TCustomForm* form = GetParentForm(this))
            form->SetModalResult(modalResult_);
    }
    TWinControl::Click();
}

// --- TCheckBox -------------------------------------------------------------------------------

const TClass& TCheckBox::StaticClass()
{
    static const TClass cls = TClassBuilder<TCheckBox>("TCheckBox", &TWinControl::StaticClass())
        .Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, false)
        .Boolean("TabStop", &TCheckBox::TabStop, &TCheckBox::SetTabStop, true)
        .Build();
    return cls;
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner)
{
    controlStyle_.Exclude(csClickEvents);
    SetTabStop(true);
    SetBounds(0, 0, 97, 17);
}

void TCheckBox::CreateWindowHandle(const TCreateParams& params) { CreateWidgetHandle<QCheckBox>(params); }

void TCheckBox::InitializeWindow()
{
    auto* box = static_cast<QCheckBox*>(Widget());
    box->setChecked(checked_);
    // `clicked` comes from the person only; a change made in code fires in SetChecked.
    QObject::connect(box, &QCheckBox::clicked, box, [this](bool checked) {
        RunGuarded(this, [this, checked] {
            if (checked == checked_)
                return;
            checked_ = checked;
            Click();
        });
    });
}

void TCheckBox::SetChecked(bool value)
{
    if (value == checked_)
        return;
    checked_ = value;
    if (auto* box = static_cast<QCheckBox*>(Widget())) {
        const QSignalBlocker blocker(box);
        box->setChecked(value);
    }
    if (!ComponentState().Contains(csLoading))
        Click();
}

// --- TLabel ----------------------------------------------------------------------------------

const TClass& TLabel::StaticClass()
{
    static const TClass cls = TClassBuilder<TLabel>("TLabel", &TGraphicControl::StaticClass())
        .Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
        .Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
        .Enum("Alignment", AlignmentInfo, &TLabel::Alignment, &TLabel::SetAlignment, taLeftJustify)
        .Boolean("ParentColor", &TLabel::ParentColor, &TLabel::SetParentColor, true)
        .Build();
    return cls;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    controlStyle_.Include(csReplicatable);
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
}

void TLabel::SetAutoSize(bool value)
{
    autoSize_ = value;
    AdjustBounds();
}

void TLabel::SetTransparent(bool value)
{
    if (value == transparent_)
        return;
    transparent_ = value;
    Invalidate();
}

void TLabel::SetAlignment(TAlignment value)
{
    if (value == alignment_)
        return;
    alignment_ = value;
    Invalidate();
}

void TLabel::SetText(const std::string& value)
{
    TGraphicControl::SetText(value);
    AdjustBounds();
}

void TLabel::FontChanged()
{
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TLabel::AdjustBounds()
{
    if (!autoSize_ || ComponentState().Contains(csLoading))
        return;
    const QFontMetrics metrics(ToQFont(*Font()));
    const QString text = QString::fromStdString(Caption());
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    int left = Left();
    if (alignment_ == taRightJustify)
        left += Width() - width;
    SetBounds(left, Top(), width, height);
}

void TLabel::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect area = ClientRect();
    if (!transparent_) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(area);
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->SetFont(Font());
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    const std::string text = Caption();
    const int textWidth = canvas->TextWidth(text);
    int x = 0;
    if (alignment_ == taCenter)
        x = (area.Width() - textWidth) / 2;
    else if (alignment_ == taRightJustify)
        x = area.Width() - textWidth;
    canvas->TextOut(x, 0, text);
}

// --- TCustomEdit -----------------------------------------------------------------------------

const TClass& TCustomEdit::StaticClass()
{
    static const TClass cls = TClassBuilder<TCustomEdit>("TCustomEdit", &TWinControl::StaticClass())
        .String("Caption", &TCustomEdit::Caption, &TCustomEdit::SetCaption, "")
        .NotStored()
        .String("Text", &TCustomEdit::Text, &TCustomEdit::SetTextProp, "")
        .Boolean("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false)
        .Integer("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0)
        .Boolean("TabStop", &TCustomEdit::TabStop, &TCustomEdit::SetTabStop, true)
        .Event("OnChange", &TCustomEdit::OnChange)
        .Build();
    return cls;
}

const TClass& TEdit::StaticClass()
{
    static const TClass cls = TClassBuilder<TEdit>("TEdit", &TCustomEdit::StaticClass()).Build();
    return cls;
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    controlStyle_.Exclude(csSetCaption);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::CreateWindowHandle(const TCreateParams& params) { CreateWidgetHandle<QLineEdit>(params); }

void TCustomEdit::InitializeWindow()
{
    auto* edit = static_cast<QLineEdit*>(Widget());
    edit->setReadOnly(readOnly_);
    edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this] { RunGuarded(this, [this] { Change(); }); });
}

void TCustomEdit::SetReadOnly(bool value)
{
    readOnly_ = value;
    if (auto* edit = static_cast<QLineEdit*>(Widget()))
        edit->setReadOnly(value);
}

void TCustomEdit::SetMaxLength(int value)
{
    maxLength_ = std::max(0, value);
    if (auto* edit = static_cast<QLineEdit*>(Widget()))
        edit->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TCustomEdit::SetText(const std::string& value)
{
    if (value == GetText())
        return;
    if (HandleAllocated()) {
        // The widget reports the change (textChanged), which fires OnChange.
        TWinControl::SetText(value);
        return;
    }
    text_ = value;
    Perform(CM_TEXTCHANGED, 0, 0);
    Change();
}

void TCustomEdit::Change() { OnChange(this); }

namespace {

// Keys whose press types a character (without Ctrl or Alt held).
bool TypesCharacter(WPARAM key)
{
    if ((GetKeyState(VK_CONTROL) & 0x8000) != 0 || (GetKeyState(VK_MENU) & 0x8000) != 0)
        return false;
    return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || key == VK_SPACE ||
           (key >= VK_NUMPAD0 && key <= VK_DIVIDE && key != VK_SEPARATOR) ||
           (key >= VK_OEM_1 && key <= VK_OEM_3) || (key >= VK_OEM_4 && key <= VK_OEM_7);
}

} // namespace

void TCustomEdit::DefaultHandler(TMessage& message)
{
    if (message.Msg == WM_KEYDOWN && TypesCharacter(message.WParam))
        return;
    if (message.Msg == WM_CHAR) {
        auto* edit = static_cast<QLineEdit*>(Widget());
        if (edit != nullptr && !readOnly_ && message.WParam >= 0x20 && message.WParam != 0x7F)
            edit->insert(QString(QChar(static_cast<char16_t>(message.WParam))));
        return;
    }
    TWinControl::DefaultHandler(message);
}

// --- TScrollBar ------------------------------------------------------------------------------

const TClass& TScrollBar::StaticClass()
{
    static const TClass cls = TClassBuilder<TScrollBar>("TScrollBar", &TWinControl::StaticClass())
        .Enum("Kind", ScrollBarKindInfo, &TScrollBar::Kind, &TScrollBar::SetKind, sbHorizontal)
        .Integer("Max", &TScrollBar::Max, &TScrollBar::SetMax, 100)
        .Integer("Min", &TScrollBar::Min, &TScrollBar::SetMin, 0)
        .Integer("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize, 0)
        .Integer("Position", &TScrollBar::Position, &TScrollBar::SetPosition, 0)
        .Integer("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange, 1)
        .Integer("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange, 1)
        .Boolean("Ctl3D", &TScrollBar::Ctl3D, &TScrollBar::SetCtl3D, true)
        .Boolean("ParentCtl3D", &TScrollBar::ParentCtl3D, &TScrollBar::SetParentCtl3D, true)
        .Boolean("TabStop", &TScrollBar::TabStop, &TScrollBar::SetTabStop, true)
        .Event("OnChange", &TScrollBar::OnChange)
        .Event("OnScroll", &TScrollBar::OnScroll)
        .Build();
    return cls;
}

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner)
{
    controlStyle_.Exclude(csClickEvents);
    controlStyle_.Exclude(csSetCaption);
    SetTabStop(true);
    SetBounds(0, 0, 121, 16);
}

void TScrollBar::CreateWindowHandle(const TCreateParams& params)
{
    CreateWidgetHandle<QScrollBar>(params, kind_ == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
}

void TScrollBar::InitializeWindow()
{
    auto* bar = static_cast<QScrollBar*>(Widget());
    SyncWidget();
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [this](int action) { lastAction_ = action; });
    QObject::connect(bar, &QAbstractSlider::valueChanged, bar, [this](int value) {
        if (!syncing_)
            RunGuarded(this, [this, value] { WidgetMoved(value); });
    });
}

void TScrollBar::WidgetMoved(int value)
{
    TScrollCode code = scPosition;
    switch (lastAction_) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = scLineDown;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = scLineUp;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = scPageDown;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = scPageUp;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = scTop;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = scBottom;
        break;
    case QAbstractSlider::SliderMove:
        code = scTrack;
        break;
    default:
        break;
    }
    lastAction_ = 0;
    int position = value;
    Scroll(code, position);
    SetPosition(position);
    // A handler may have refused the move: the widget shows the control's position.
    SyncWidget();
}

void TScrollBar::Scroll(TScrollCode code, int& position) { OnScroll(this, code, position); }

void TScrollBar::SetKind(TScrollBarKind value)
{
    if (value == kind_)
        return;
    kind_ = value;
    if (!ComponentState().Contains(csLoading))
        SetBounds(Left(), Top(), Height(), Width());
    if (auto* bar = static_cast<QScrollBar*>(Widget()))
        bar->setOrientation(value == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
}

int TScrollBar::PositionLimit() const noexcept
{
    return max_ - std::max(pageSize_ - 1, 0);
}

void TScrollBar::SetParams(int position, int min, int max)
{
    if (max < min)
        throw EInvalidOperation("Valeur de propriété de barre de défilement hors limites");
    const int limit = max - std::max(pageSize_ - 1, 0);
    position = std::clamp(position, min, std::max(min, limit));
    const bool changed = position != position_;
    min_ = min;
    max_ = max;
    position_ = position;
    SyncWidget();
    if (changed)
        Change();
}

void TScrollBar::SetPageSize(int value)
{
    if (value == pageSize_)
        return;
    if (value < 0 || (value > 0 && static_cast<long long>(value) > static_cast<long long>(max_) - min_ + 1))
        throw EInvalidOperation("Valeur de propriété de barre de défilement hors limites");
    pageSize_ = value;
    SetParams(position_, min_, max_);
    SyncWidget();
}

void TScrollBar::SetSmallChange(int value)
{
    smallChange_ = value;
    SyncWidget();
}

void TScrollBar::SetLargeChange(int value)
{
    largeChange_ = value;
    SyncWidget();
}

void TScrollBar::SetCtl3D(bool value)
{
    ctl3D_ = value;
    parentCtl3D_ = false;
}

void TScrollBar::SyncWidget()
{
    auto* bar = static_cast<QScrollBar*>(Widget());
    if (bar == nullptr)
        return;
    syncing_ = true;
    bar->setRange(min_, std::max(min_, PositionLimit()));
    bar->setSingleStep(smallChange_);
    bar->setPageStep(pageSize_ > 0 ? pageSize_ : std::max(1, largeChange_));
    bar->setValue(position_);
    syncing_ = false;
}

void TScrollBar::Change() { OnChange(this); }
