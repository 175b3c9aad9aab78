#include "framework/Component.h"
#include "framework/Exceptions.h"
#include "tests/framework/TestComponents.h"

#include <gtest/gtest.h>

namespace {

TTestBox* Box(TComponent* owner, const std::string& name)
{
    auto* box = new TTestBox(owner);
    box->SetName(name);
    return box;
}

TEST(Component, OwnerDestroysOwnedInReverseOrderOfCreation)
{
    DestroyedNames().clear();
    auto* owner = new TTestForm(nullptr);
    owner->SetName("Owner");
    Box(owner, "A");
    TTestBox* b = Box(owner, "B");
    Box(b, "B1");
    Box(b, "B2");
    Box(owner, "C");
    ASSERT_EQ(owner->ComponentCount(), 3);
    owner->Free();
    EXPECT_EQ(DestroyedNames(), (std::vector<std::string>{"Owner", "C", "B", "B2", "B1", "A"}));
}

TEST(Component, ComponentFreedFirstLeavesItsOwner)
{
    DestroyedNames().clear();
    auto* form = new TTestForm(nullptr);
    TTestBox* a = Box(form, "A");
    TTestBox* button = Box(form, "Button1");
    Box(form, "C");
    EXPECT_EQ(form->Button1, button) << "the published field follows the component of its name";
    EXPECT_EQ(button->ComponentIndex(), 1);

    button->Free();
    EXPECT_EQ(form->ComponentCount(), 2);
    EXPECT_EQ(form->Button1, nullptr) << "the field must not dangle";
    EXPECT_EQ(form->FindComponent("Button1"), nullptr);

    a->Free();
    EXPECT_EQ(form->Components(0)->Name(), "C");
    EXPECT_THROW(form->Components(1), EInvalidOperation);
    form->Free(); // destroys C only (sanitizers catch a double free)
    EXPECT_EQ(DestroyedNames(), (std::vector<std::string>{"Button1", "A", "", "C"}));
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner)
{
    TTestForm form(nullptr);
    TTestBox* a = Box(&form, "Edit1");
    for (const char* bad : {"1abc", "a b", "a-b", "é", "a.b"})
        EXPECT_THROW(a->SetName(bad), EComponentError) << bad;
    EXPECT_EQ(a->Name(), "Edit1");

    TTestBox* b = Box(&form, "Edit2");
    try {
        b->SetName("EDIT1");
        FAIL() << "duplicate name accepted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "Un composant nommé EDIT1 existe déjà");
    }
    EXPECT_EQ(b->Name(), "Edit2");
    EXPECT_EQ(form.FindComponent("edit2"), b);
    EXPECT_EQ(form.FindComponent(""), nullptr);

    // Same name under another owner, several unnamed components, renaming to oneself.
    Box(b, "Edit1");
    new TTestBox(&form);
    new TTestBox(&form);
    b->SetName("Edit2");
    a->SetName("_x9");
    EXPECT_EQ(form.FindComponent("Edit1"), nullptr);

    // The owner's field follows renames and refuses components it cannot hold.
    b->SetName("Button1");
    EXPECT_EQ(form.Button1, b);
    b->SetName("Button2");
    EXPECT_EQ(form.Button1, nullptr);

    // Taking over a component whose name clashes is refused and changes nothing.
    TTestForm other(nullptr);
    TTestBox* clash = Box(&other, "Button2");
    EXPECT_THROW(form.InsertComponent(clash), EComponentError);
    EXPECT_EQ(clash->Owner(), &other);
    clash->SetName("Moved");
    form.InsertComponent(clash);
    EXPECT_EQ(clash->Owner(), &form);
    EXPECT_EQ(other.ComponentCount(), 0);
    EXPECT_THROW(clash->InsertComponent(&form), EComponentError);
}

TEST(Component, FreeNotificationAndOwnerNewsReachPeers)
{
    TTestForm form1(nullptr);
    TTestForm form2(nullptr);
    TTestBox* holder = Box(&form1, "Holder");
    TTestBox* target = Box(&form2, "Target");
    holder->SetBuddy(target);
    EXPECT_TRUE(holder->ComponentState().Contains(csFreeNotification));
    target->Free();
    EXPECT_EQ(holder->Buddy(), nullptr);

    // A reference to a component of the same owner is cleared through the owner's news,
    // and the holder's own destruction unlinks it from the target.
    TTestBox* sibling = Box(&form1, "Sibling");
    holder->SetBuddy(sibling);
    holder->Free();
    sibling->Free(); // must not notify the freed holder
    EXPECT_EQ(form1.ComponentCount(), 0);
}

TEST(Component, StateFlags)
{
    TTestForm form(nullptr);
    form.SetDesigning(true);
    TTestBox* late = Box(&form, "Late");
    EXPECT_TRUE(late->ComponentState().Contains(csDesigning));
    form.SetDesigning(false);
    EXPECT_FALSE(late->ComponentState().Contains(csDesigning));

    struct Probe : TTestBox {
        using TTestBox::TTestBox;
        bool* sawDestroying = nullptr;
        ~Probe() override { *sawDestroying = ComponentState().Contains(csDestroying); }
    };
    bool saw = false;
    auto* probe = new Probe(&form);
    probe->sawDestroying = &saw;
    probe->Free();
    EXPECT_TRUE(saw);
}

TEST(Persistent, AssignCopiesOrRaisesAConversionError)
{
    TTestFont a;
    TTestFont b;
    a.Name = "Arial";
    a.Height = 20;
    b.Assign(&a);
    EXPECT_EQ(b.Name, "Arial");
    EXPECT_EQ(b.Height, 20);
    TTestBox box(nullptr);
    try {
        b.Assign(&box);
        FAIL() << "impossible assignment accepted";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Impossible d'assigner un TTestBox à un TTestFont");
    }
    EXPECT_THROW(b.Assign(nullptr), EConvertError);
}

TEST(Event, SlotsAssignClearCompareAndFireOnlyWhenAssigned)
{
    TTestForm form(nullptr);
    TTestForm other(nullptr);
    TTestBox* button = Box(&form, "Button1");

    TNotifyEvent slot;
    EXPECT_FALSE(slot.Assigned());
    slot(button); // nothing assigned: nothing happens

    slot.Assign(&form, &TTestForm::Button1Click);
    EXPECT_TRUE(slot.Assigned());
    slot(button);
    EXPECT_EQ(form.Calls, (std::vector<std::string>{"Button1Click:Button1"}));

    EXPECT_TRUE(slot == TNotifyEvent(&form, &TTestForm::Button1Click));
    EXPECT_FALSE(slot == TNotifyEvent(&form, &TTestForm::FormShow));
    EXPECT_FALSE(slot == TNotifyEvent(&other, &TTestForm::Button1Click));

    slot.Clear();
    slot(button);
    EXPECT_EQ(form.Calls.size(), 1u);
    EXPECT_TRUE(slot == TNotifyEvent());

    // A var parameter is the caller's variable.
    TKeyEvent key(&form, &TTestForm::Edit1Key);
    WORD code = 65;
    key(button, code, TShiftState{ssShift});
    EXPECT_EQ(code, 65);
    key(button, code, TShiftState{ssCtrl, ssLeft});
    EXPECT_EQ(code, 0);
}

TEST(Sets, Operations)
{
    TShiftState s{ssShift, ssLeft};
    EXPECT_TRUE(s.Contains(ssLeft));
    EXPECT_FALSE(s.Contains(ssCtrl));
    EXPECT_EQ((s + TShiftState{ssCtrl}).Bits(), 0b1101u);
    EXPECT_EQ(s - TShiftState{ssShift}, TShiftState{ssLeft});
    EXPECT_EQ(s * (TShiftState{ssLeft, ssRight}), TShiftState{ssLeft});
    EXPECT_TRUE(TShiftState{}.Empty());
}

} // namespace
