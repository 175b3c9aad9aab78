// A form built from a layout: nested parents, windows, handlers; showing, closing, the
// modal loop and the application's event loop.
#include "tests/framework/controls/ControlTestSupport.h"

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/LayoutReader.h"
#include "framework/LayoutWriter.h"
#include "framework/ExtCtrls.h"
#include "framework/Spin.h"
#include "framework/StdCtrls.h"
#include "platform/user/ScriptedDialogService.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGuiApplication>
#include <QWidget>

namespace {

// A small form of its own: nested panels, a label in the inner one, value controls sharing a
// handler, a shape with a brush and constraints, and a dialog.
constexpr const char* TestLayout = R"(
LayoutForm: TLayoutTestForm {
  Caption = "Layout test"
  Left = 60
  Top = 50
  ClientWidth = 300
  ClientHeight = 200
  BorderStyle = bsSingle
  BorderIcons = [biSystemMenu, biMinimize]
  OnShow = FormShow
  Button1: TButton {
    Left = 10
    Top = 10
    Width = 90
    Height = 25
    Caption = "Choose"
    OnClick = Button1Click
  }
  Panel1: TPanel {
    Left = 120
    Top = 10
    Width = 170
    Height = 120
    Panel2: TPanel {
      Left = 5
      Top = 7
      Width = 100
      Height = 50
      BevelOuter = bvLowered
      Label1: TLabel {
        Left = 6
        Top = 3
        Caption = "Inner :"
      }
    }
    ScrollBar1: TScrollBar {
      Left = 5
      Top = 90
      Width = 150
      Height = 13
      Max = 20
      Position = 5
      OnChange = ValueChange
    }
  }
  SpinEdit1: TSpinEdit {
    Left = 10
    Top = 150
    Width = 60
    Height = 22
    MaxLength = 2
    MaxValue = 50
    MinValue = 1
    Value = 7
    OnChange = ValueChange
  }
  Shape1: TShape {
    Left = 10
    Top = 50
    Width = 60
    Height = 40
    Brush.Color = 65280
    Brush.Style = bsCross
    Constraints.MaxHeight = 150
    Constraints.MaxWidth = 200
    Constraints.MinHeight = 30
    Constraints.MinWidth = 40
  }
  OpenDialog1: TOpenDialog {
    Filter = "*.txt|*.txt|*.*|*.*"
  }
}
)";

class TLayoutTestForm : public TForm {
    QUELLON_CLASS()

public:
    explicit TLayoutTestForm(TComponent* owner, bool readLayout = true) : TForm(owner)
    {
        if (readLayout)
            InitializeLayout(TestLayout, "LayoutTest.layout");
    }

    TButton* Button1 = nullptr;
    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    TLabel* Label1 = nullptr;
    TScrollBar* ScrollBar1 = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    TShape* Shape1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;

    int Shows = 0;
    int Changes = 0;
    std::string Chosen;

    void FormShow(TObject*) { ++Shows; }
    void ValueChange(TObject*) { ++Changes; }
    void Button1Click(TObject*)
    {
        if (OpenDialog1->Execute())
            Chosen = OpenDialog1->FileName;
    }
};

const TClass& TLayoutTestForm::StaticClass()
{
    static const TClass cls = TClassBuilder<TLayoutTestForm>("TLayoutTestForm", &TForm::StaticClass())
        .Handler("FormShow", &TLayoutTestForm::FormShow)
        .Handler("ValueChange", &TLayoutTestForm::ValueChange)
        .Handler("Button1Click", &TLayoutTestForm::Button1Click)
        .Field("Button1", &TLayoutTestForm::Button1)
        .Field("Panel1", &TLayoutTestForm::Panel1)
        .Field("Panel2", &TLayoutTestForm::Panel2)
        .Field("Label1", &TLayoutTestForm::Label1)
        .Field("ScrollBar1", &TLayoutTestForm::ScrollBar1)
        .Field("SpinEdit1", &TLayoutTestForm::SpinEdit1)
        .Field("Shape1", &TLayoutTestForm::Shape1)
        .Field("OpenDialog1", &TLayoutTestForm::OpenDialog1)
        .Build();
    return cls;
}

} // namespace

TEST(FormLayout, NestedControlsWindowsAndHandlers)
{
    ScriptedDialogService dialogs;
    ScopedDialogService scope(dialogs);
    TLayoutTestForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NE(nullptr, form);
    EXPECT_EQ(form, Application->MainForm());

    ASSERT_NE(nullptr, form->Label1);
    EXPECT_EQ(form->Panel2, form->Label1->Parent());
    EXPECT_EQ(form->Panel1, form->Panel2->Parent());
    EXPECT_EQ(form->Panel1, form->ScrollBar1->Parent());
    EXPECT_EQ(5, form->ScrollBar1->Position());
    EXPECT_EQ(0, form->Changes) << "no handler runs while the layout is read";
    EXPECT_EQ(7, form->SpinEdit1->Value());
    EXPECT_EQ(bsCross, form->Shape1->Brush()->Style());
    EXPECT_EQ(clLime, form->Shape1->Brush()->Color());
    EXPECT_EQ(40, form->Shape1->Constraints()->MinWidth());
    EXPECT_EQ(clBtnFace, form->Label1->Color());
    EXPECT_GT(form->Label1->Width(), 20) << "AutoSize fits the caption";

    form->Show();
    EXPECT_EQ(1, form->Shows);
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isVisible(); }));
    QWidget* window = form->Widget();
    EXPECT_EQ("Layout test", window->windowTitle().toStdString());
    EXPECT_EQ(300, window->width());
    EXPECT_EQ(200, window->height());
    EXPECT_EQ(GetParent(form->Panel2->Handle()), form->Panel1->Handle());
    EXPECT_EQ(QRect(5, 90, 150, 13), form->ScrollBar1->Widget()->geometry());
    EXPECT_EQ(QRect(5, 7, 100, 50), form->Panel2->Widget()->geometry());
    EXPECT_EQ("TPanel", [&] {
        char name[32] = {};
        GetClassNameA(form->Panel1->Handle(), name, sizeof name);
        return std::string(name);
    }());

    dialogs.QueueFileName("/notes/list.txt");
    static_cast<QAbstractButton*>(form->Button1->Widget())->click();
    EXPECT_EQ("/notes/list.txt", form->Chosen);
    ASSERT_EQ(1u, dialogs.FileDialogs().size());
    EXPECT_EQ("*.txt|*.txt|*.*|*.*", dialogs.FileDialogs()[0].options.filter);
    EXPECT_EQ(form->HandleOrNull(), dialogs.FileDialogs()[0].options.owner);

    form->ScrollBar1->SetPosition(3);
    form->SpinEdit1->SetValue(4);
    EXPECT_EQ(2, form->Changes);

    // Closing the window hides the form; the main form's close ends the event loop.
    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(Application->Terminated());
    Application->ResetTerminated();
    form->Free();
    EXPECT_EQ(nullptr, Application->MainForm());
}

TEST(FormLayout, ShowModalRunsUntilAResultAndRunEndsWithTheMainForm)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    Application->ResetTerminated();
    auto* dialog = new TForm(Application);
    auto* ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetModalResult(mrOk);
    auto* timer = new TTimer(dialog);
    timer->SetInterval(20);
    struct Clicker : TObject {
        TButton* Button = nullptr;
        TForm* Main = nullptr;
        TModalResult Result = mrNone;
        int Ticks = 0;
        void Tick(TObject* sender)
        {
            ++Ticks;
            static_cast<TTimer*>(sender)->SetEnabled(false);
            static_cast<QAbstractButton*>(Button->Widget())->click();
        }
        void Close(TObject* sender)
        {
            static_cast<TTimer*>(sender)->SetEnabled(false);
            Main->Close();
        }
    } clicker;
    clicker.Button = ok;
    clicker.Main = main;
    timer->OnTimer.Assign(&clicker, &Clicker::Tick);

    EXPECT_EQ(mrOk, dialog->ShowModal());
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(1, clicker.Ticks);
    EXPECT_THROW((void)[&] { dialog->Show(); dialog->ShowModal(); }(), EInvalidOperation);
    dialog->Hide();

    auto* closer = new TTimer(main);
    closer->SetInterval(20);
    closer->OnTimer.Assign(&clicker, &Clicker::Close);
    ASSERT_EQ(main, Application->MainForm());
    Application->Run();
    EXPECT_EQ(nullptr, Application->MainForm()) << "Run destroys the forms at its end";
    EXPECT_EQ(0, Application->ComponentCount());
    Application->ResetTerminated();
}

TEST(FormLayout, AModalFormClosedAndDestroyedLeavesNoModalWindowBehind)
{
    auto* dialog = new TForm(Application);
    auto* timer = new TTimer(dialog);
    timer->SetInterval(10);
    struct Closer : TObject {
        TForm* Dialog = nullptr;
        void Tick(TObject*) { Dialog->Close(); }
    } closer;
    closer.Dialog = dialog;
    timer->OnTimer.Assign(&closer, &Closer::Tick);
    EXPECT_EQ(mrCancel, dialog->ShowModal());
    EXPECT_EQ(mrCancel, dialog->ShowModal());
    dialog->Free();
    EXPECT_EQ(nullptr, QGuiApplication::modalWindow());
    // Showing another window asks for the active modal window: none, and no dangling one.
    auto* other = new TForm(Application);
    other->Show();
    EXPECT_TRUE(other->Visible());
    other->Free();
}

TEST(FormLayout, ClosingAModalFormAsksOnceAndEscapePressesTheCancelButton)
{
    auto* dialog = new TForm(Application);
    auto* edit = new TEdit(dialog);
    edit->SetParent(dialog);
    auto* cancel = new TButton(dialog);
    cancel->SetParent(dialog);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    struct Script : TObject {
        TForm* Dialog = nullptr;
        TEdit* Edit = nullptr;
        int Queries = 0;
        int Ticks = 0;
        void Query(TObject*, bool& canClose)
        {
            ++Queries;
            canClose = Queries > 1; // the first close is refused
        }
        void Tick(TObject*)
        {
            ++Ticks;
            if (Ticks == 1)
                SendMessageA(Dialog->Handle(), WM_CLOSE, 0, 0);
            else if (Ticks == 2)
                SendKey(Edit->Widget(), Qt::Key_Escape);
        }
    } script;
    script.Dialog = dialog;
    script.Edit = edit;
    dialog->OnCloseQuery.Assign(&script, &Script::Query);
    auto* timer = new TTimer(dialog);
    timer->SetInterval(20);
    timer->OnTimer.Assign(&script, &Script::Tick);

    EXPECT_EQ(mrCancel, dialog->ShowModal());
    EXPECT_EQ(2, script.Queries) << "one question per close, the refused one included";
    EXPECT_GE(script.Ticks, 2);
    dialog->Free();
}

TEST(FormLayout, WrittenLayoutReadsBackTheSameControls)
{
    auto* source = new TLayoutTestForm(nullptr);
    source->ScrollBar1->SetParams(7, 0, 30);
    source->Shape1->SetBounds(20, 60, 150, 100);
    source->Label1->SetCaption("Outer :");
    source->Panel2->SetBevelOuter(bvRaised);
    source->SpinEdit1->SetValue(12);
    source->Button1->SetEnabled(false);
    const std::string text = WriteLayout(*source);

    auto* copy = new TLayoutTestForm(nullptr, false);
    ReadLayout(*copy, text, "written.layout");
    ASSERT_NE(nullptr, copy->Panel2);
    EXPECT_EQ(7, copy->ScrollBar1->Position());
    EXPECT_EQ(30, copy->ScrollBar1->Max());
    EXPECT_EQ(Bounds(20, 60, 150, 100), copy->Shape1->BoundsRect());
    EXPECT_EQ("Outer :", copy->Label1->Caption());
    EXPECT_EQ(copy->Panel2, copy->Label1->Parent());
    EXPECT_TRUE(copy->Label1->ParentColor());
    EXPECT_EQ(bvRaised, copy->Panel2->BevelOuter());
    EXPECT_EQ(12, copy->SpinEdit1->Value());
    EXPECT_FALSE(copy->Button1->Enabled());
    EXPECT_EQ(300, copy->ClientWidth());
    EXPECT_EQ(text, WriteLayout(*copy));
    source->Free();
    copy->Free();
}

TEST(FormLayout, AVisibleFormInItsLayoutShowsOnceEverythingIsRead)
{
    auto* form = new TLayoutTestForm(nullptr, false);
    ReadLayout(*form, "LayoutForm: TLayoutTestForm {\n  Visible = true\n  OnShow = FormShow\n}\n", "visible.layout");
    EXPECT_EQ(1, form->Shows);
    EXPECT_TRUE(form->Showing());
    form->Free();
}
