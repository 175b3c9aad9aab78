#include "framework/Exceptions.h"
#include "framework/Properties.h"
#include "tests/framework/TestComponents.h"

#include <gtest/gtest.h>

namespace {

// Publishes Visible again with another default, and a handler declared in its base.
class TTestChildForm : public TTestForm {
    QUELLON_CLASS()

public:
    explicit TTestChildForm(TComponent* owner) : TTestForm(owner) { Visible = false; }
};

const TClass& TTestChildForm::StaticClass()
{
    static const TClass cls = TClassBuilder<TTestChildForm>("TTestChildForm", &TTestForm::StaticClass())
                                  .Boolean("Visible", &TTestChildForm::Visible, &TTestChildForm::Visible, false)
                                  .Handler("Shown", &TTestForm::FormShow)
                                  .Event("OnOther", &TTestBox::OnClick)
                                  .Build();
    return cls;
}

TEST(Properties, GetAndSetByNameWithChecks)
{
    TTestForm form(nullptr);
    SetOrdProp(form, "width", 320);
    EXPECT_EQ(form.Width(), 320);
    EXPECT_EQ(GetOrdProp(form, "Width"), 320);

    SetPropValue(form, "Font.Height", TPropValue(-13LL));
    EXPECT_EQ(form.Font()->Height, -13);
    SetStrProp(form, "Font.Name", "Arial");
    EXPECT_EQ(GetStrProp(form, "font.name"), "Arial");

    SetEnumProp(form, "Mode", "tmThird");
    EXPECT_EQ(form.Mode, tmThird);
    EXPECT_EQ(GetEnumProp(form, "Mode"), "tmThird");
    EXPECT_THROW(SetEnumProp(form, "Mode", "tmFourth"), EPropertyError);
    EXPECT_THROW(SetOrdProp(form, "Mode", 3), EPropertyError);
    EXPECT_THROW(SetOrdProp(form, "Modes", 8), EPropertyError) << "bit outside the enumeration";

    // WordBool: any true value is stored as -1.
    SetOrdProp(form, "AutoStart", 1);
    EXPECT_EQ(form.AutoStart, -1);
    EXPECT_EQ(GetOrdProp(form, "AutoStart"), -1);
    SetOrdProp(form, "AutoStart", 0);
    EXPECT_EQ(form.AutoStart, 0);

    // Integers are range-checked against the field's own type.
    EXPECT_THROW(SetOrdProp(form, "Small", 40000), EPropertyError);
    SetOrdProp(form, "Small", -32768);
    EXPECT_EQ(form.Small, -32768);

    SetFloatProp(form, "Rate", 0.5);
    EXPECT_EQ(GetFloatProp(form, "Rate"), 0.5);

    EXPECT_THROW(GetPropValue(form, "Nothing"), EPropertyError);
    EXPECT_THROW(GetPropValue(form, "Font.Nothing"), EPropertyError);
    EXPECT_THROW(GetPropValue(form, "Width.Height"), EPropertyError);
    EXPECT_THROW(SetStrProp(form, "Width", "12"), EPropertyError);
    EXPECT_THROW(SetPropValue(form, "Font", TPropValue(static_cast<TObject*>(nullptr))), EPropertyError);
    EXPECT_FALSE(IsPublishedProp(form, "Button1Click"));
    EXPECT_TRUE(IsPublishedProp(form, "Name"));
}

TEST(Properties, ReferencesAcceptOnlyTheirClass)
{
    TTestForm form(nullptr);
    auto* box = new TTestBox(&form);
    SetPropValue(form, "Buddy", TPropValue(static_cast<TObject*>(box)));
    EXPECT_EQ(form.Buddy(), box);
    EXPECT_EQ(GetObjectProp(form, "Buddy"), box);
    TTestFont font;
    EXPECT_THROW(SetPropValue(form, "Buddy", TPropValue(static_cast<TObject*>(&font))), EPropertyError);
    EXPECT_EQ(form.Buddy(), box);
}

TEST(Properties, EventsTakePublishedHandlersByName)
{
    TTestForm form(nullptr);
    auto* button = new TTestBox(&form);
    button->SetName("Button1");
    SetMethodProp(*button, "OnClick", form, "button1click");
    EXPECT_TRUE(button->OnClick == TNotifyEvent(&form, &TTestForm::Button1Click));
    EXPECT_EQ(GetMethodName(*button, "OnClick", form), "Button1Click");

    EXPECT_THROW(SetMethodProp(*button, "OnClick", form, "Edit1Key"), EPropertyError) << "wrong signature";
    EXPECT_THROW(SetMethodProp(*button, "OnClick", form, "Missing"), EPropertyError);
    EXPECT_THROW(SetMethodProp(*button, "Width", form, "FormShow"), EPropertyError);

    button->OnClick.Assign(&form, &TTestForm::Unpublished);
    EXPECT_THROW(GetMethodName(*button, "OnClick", form), EPropertyError);
    SetMethodProp(*button, "OnClick", form, "");
    EXPECT_FALSE(button->OnClick.Assigned());
    EXPECT_EQ(GetMethodName(*button, "OnClick", form), "");
}

TEST(Properties, SubclassSeesBasePropertiesBaseFirst)
{
    const auto props = TTestForm::StaticClass().Properties();
    ASSERT_GE(props.size(), 3u);
    EXPECT_EQ(props[0]->Name, "Name");
    EXPECT_EQ(props[1]->Name, "Tag");
    EXPECT_EQ(props[2]->Name, "Width");
    EXPECT_TRUE(TTestForm::StaticClass().InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TTestBox::StaticClass().InheritsFrom(TTestForm::StaticClass()));
    EXPECT_TRUE(TTestForm::StaticClass().CanCreate());

    // A property published again replaces the base's one in place, with its own default.
    const auto childProps = TTestChildForm::StaticClass().Properties();
    EXPECT_EQ(childProps.size(), props.size() + 1);
    const TPropInfo* visible = TTestChildForm::StaticClass().FindProperty("Visible");
    ASSERT_NE(visible, nullptr);
    EXPECT_EQ(childProps[3], visible);
    TTestChildForm child(nullptr);
    EXPECT_TRUE(IsDefaultPropValue(child, *visible));
    SetMethodProp(child, "OnOther", child, "Shown");
    child.OnClick(&child);
    EXPECT_EQ(child.Calls, std::vector<std::string>{"FormShow"});
    EXPECT_FALSE(TTestFont::StaticClass().CanCreate());
}

} // namespace
