#include "framework/Exceptions.h"
#include "framework/LayoutReader.h"
#include "framework/LayoutResource.h"
#include "framework/LayoutWriter.h"
#include "tests/framework/TestComponents.h"

#include <gtest/gtest.h>

QUELLON_LAYOUT_RESOURCE(Sample);

namespace {

class Layout : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};

TTestBox* Box(TComponent* owner, const std::string& name, TComponent* parent)
{
    auto* box = new TTestBox(owner);
    box->SetName(name);
    box->SetParentComponent(parent);
    return box;
}

TEST_F(Layout, WrittenTreeReadsBackEqual)
{
    TTestForm form(nullptr);
    form.SetName("Form1");
    form.Caption = "Main \"window\"\\\n";
    form.SetWidth(514);
    form.Rate = 0.1;
    form.Mode = tmSecond;
    form.Modes = {tmFirst, tmThird};
    form.Font()->Height = -13;
    form.Volume = 7;
    form.OnClick.Assign(&form, &TTestForm::FormShow);
    for (int i = 0; i < 40; ++i)
        form.Data.push_back(static_cast<BYTE>(i * 13));
    TTestBox* panel = Box(&form, "Panel1", &form);
    panel->Visible = false;
    TTestBox* button = Box(&form, "Button1", panel);
    button->SetWidth(75);
    button->OnClick.Assign(&form, &TTestForm::Button1Click);
    button->OnKey.Assign(&form, &TTestForm::Edit1Key);
    TTestBox* edit = Box(&form, "Edit1", &form);
    edit->Caption = "Déjà vu";
    panel->SetBuddy(edit); // a reference to a component written later
    button->SetBuddy(&form);

    const std::string text = WriteLayout(form);

    TTestForm copy(nullptr);
    ReadLayout(copy, text, "test");
    EXPECT_EQ(WriteLayout(copy), text);

    EXPECT_EQ(copy.Name(), "Form1");
    EXPECT_EQ(copy.Caption, form.Caption);
    EXPECT_EQ(copy.Rate, 0.1);
    EXPECT_EQ(copy.Modes, (TSet<TTestMode>{tmFirst, tmThird}));
    EXPECT_EQ(copy.Font()->Height, -13);
    EXPECT_EQ(copy.Volume, 50) << "not stored";
    EXPECT_EQ(copy.Data, form.Data);
    ASSERT_EQ(copy.ComponentCount(), 3);
    ASSERT_NE(copy.Button1, nullptr);
    auto* copyPanel = dynamic_cast<TTestBox*>(copy.FindComponent("Panel1"));
    auto* copyEdit = dynamic_cast<TTestBox*>(copy.FindComponent("Edit1"));
    ASSERT_NE(copyPanel, nullptr);
    ASSERT_NE(copyEdit, nullptr);
    EXPECT_EQ(copy.Button1->ParentBox(), copyPanel);
    EXPECT_EQ(copyPanel->ParentBox(), &copy);
    EXPECT_FALSE(copyPanel->Visible);
    EXPECT_EQ(copyPanel->Buddy(), copyEdit);
    EXPECT_EQ(copy.Button1->Buddy(), &copy);
    EXPECT_EQ(copyEdit->Caption, "Déjà vu");

    // Handlers are bound to the new form, not the old one.
    copy.Button1->OnClick(copy.Button1);
    copy.OnClick(&copy);
    EXPECT_EQ(copy.Calls, (std::vector<std::string>{"Button1Click:Button1", "FormShow"}));
    EXPECT_TRUE(form.Calls.empty());

    // Loading state from creation to Loaded, which runs once per component.
    for (TTestBox* box : {static_cast<TTestBox*>(&copy), copyPanel, copy.Button1, copyEdit}) {
        EXPECT_EQ(box->LoadedCount, 1) << box->Name();
        EXPECT_FALSE(box->LoadingWhenLoaded) << box->Name();
        EXPECT_FALSE(box->ComponentState().Contains(csLoading));
        EXPECT_FALSE(box->ComponentState().Contains(csReading));
    }
    EXPECT_TRUE(copy.Button1->LoadingWhenWidthSet);
}

TEST_F(Layout, OnlyStoredPropertiesThatDifferFromTheirDefault)
{
    TTestForm form(nullptr);
    form.SetName("F");
    form.SetWidth(0);
    form.Volume = 1;
    EXPECT_EQ(WriteLayout(form), "F: TTestForm {\n  AutoStart = true\n}\n");

    form.AutoStart = WordFalse;
    form.Data = {0xAB};
    form.Font()->Name = "Arial";
    form.Small = -1;
    form.Rate = 2;
    EXPECT_EQ(WriteLayout(form), "F: TTestForm {\n"
                                 "  AutoStart = false\n"
                                 "  Rate = 2.0\n"
                                 "  Small = -1\n"
                                 "  Data = {\n    AB\n  }\n"
                                 "  Font {\n    Name = \"Arial\"\n  }\n"
                                 "}\n");

    // A handler that is not a published method of the root cannot be written.
    form.OnClick.Assign(&form, &TTestForm::Unpublished);
    EXPECT_THROW(WriteLayout(form), EWriteError);
}

TEST_F(Layout, EmbeddedHandWrittenLayout)
{
    TTestForm form(nullptr);
    ReadLayout(form, LayoutResource_Sample(), "Sample.layout");
    EXPECT_EQ(form.Name(), "Sample");
    EXPECT_EQ(form.Caption, "Quellon v0.3 by Dresko");
    EXPECT_EQ(form.Width(), 514);
    EXPECT_EQ(form.Rate, 1e-3);
    EXPECT_EQ(form.Modes, (TSet<TTestMode>{tmFirst, tmThird}));
    EXPECT_EQ(form.Font()->Name, "Arial");
    EXPECT_TRUE(form.OnClick == TNotifyEvent(&form, &TTestForm::FormShow));
    auto* panel = dynamic_cast<TTestBox*>(form.FindComponent("Panel1"));
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->Visible);
    EXPECT_EQ(panel->AutoStart, WordFalse);
    EXPECT_EQ(panel->Font()->Height, -8);
    ASSERT_NE(form.Button1, nullptr);
    EXPECT_EQ(form.Button1->Caption, "\"Open\"\té");
    EXPECT_EQ(form.Button1->Buddy(), &form);
    EXPECT_EQ(form.Button1->Data, (std::vector<BYTE>{0x00, 0xFF, 0x10, 0x7F}));
    EXPECT_EQ(form.Button1->ParentBox(), panel);
}

TEST_F(Layout, ErrorsNameTheLine)
{
    struct Case {
        const char* body; // the lines after "F: TTestForm {"
        const char* expected;
    } cases[] = {
        {"  Wdth = 3\n}", "test, ligne 2 : propriété Wdth inconnue dans TTestForm"},
        {"  Font.Size = 3\n}", "ligne 2 : propriété Font.Size inconnue"},
        {"\n  OnClick = NoSuch\n}", "ligne 3 : gestionnaire NoSuch inconnu dans TTestForm"},
        {"  OnClick = Edit1Key\n}", "ligne 2 : le gestionnaire Edit1Key ne convient pas à l'événement OnClick"},
        {"  B: TNoSuch {\n  }\n}", "ligne 2 : classe TNoSuch inconnue"},
        {"  Mode = tmFourth\n}", "ligne 2 : valeur 'tmFourth' incorrecte pour Mode"},
        {"  Width = 1.5\n}", "ligne 2 : valeur '1.5' incorrecte pour Width"},
        {"  Visible = 1\n}", "ligne 2 : valeur '1' incorrecte pour Visible"},
        {"  Small = 99999\n}", "ligne 2 : Small : Valeur 99999 hors limites pour Small"},
        {"  Buddy = Ghost\n}", "ligne 2 : composant Ghost introuvable"},
        {"  Width 3\n}", "ligne 2 : '=' attendu au lieu de '3'"},
        {"  Width = 3\n", "ligne 3 : '}' manquant"},
        {"  Caption = \"open\n}", "ligne 2 : chaîne non terminée"},
        {"  Data = {\n 0G }\n}", "ligne 3 : caractère 'G'"},
        {"  Data = { ABC }\n}", "nombre impair de chiffres"},
        {"  B: TTestBox {\n  }\n  B: TTestBox {\n  }\n}", "ligne 4 : composant B en double"},
        {"  B: TTestBox {\n    X: TTestBox { }\n  }\n  Font { C: TTestBox { } }\n}",
         "ligne 5 : composant dans un objet imbriqué"},
        {"}\nextra", "ligne 3 : texte après la fin"},
    };
    for (const Case& c : cases) {
        TTestForm form(nullptr);
        try {
            ReadLayout(form, std::string("F: TTestForm {\n") + c.body, "test");
            ADD_FAILURE() << "accepted: " << c.body;
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(c.expected), std::string::npos) << e.Message();
        }
        EXPECT_FALSE(form.ComponentState().Contains(csLoading));
        EXPECT_EQ(form.LoadedCount, 0);
    }

    TTestForm form(nullptr);
    EXPECT_THROW(ReadLayout(form, "F: TTestFont { }", "test"), EReadError);
    ReadLayout(form, "F: TTestBox { }", "test"); // a base class of the root is accepted
}

TEST_F(Layout, SecondRootUnderTheSameOwnerGetsAFreeName)
{
    TComponent application(nullptr);
    auto* first = new TTestForm(&application);
    auto* second = new TTestForm(&application);
    auto* third = new TTestForm(&application);
    ReadLayout(*first, "Form2: TTestForm { }", "test");
    ReadLayout(*second, "Form2: TTestForm { }", "test");
    ReadLayout(*third, "Form2: TTestForm { }", "test");
    EXPECT_EQ(first->Name(), "Form2");
    EXPECT_EQ(second->Name(), "Form2_1");
    EXPECT_EQ(third->Name(), "Form2_2");
    ReadLayout(*first, "Form2: TTestForm { }", "test"); // reading again keeps its own name
    EXPECT_EQ(first->Name(), "Form2");
}

} // namespace
