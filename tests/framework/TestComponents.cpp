#include "tests/framework/TestComponents.h"

#include "framework/ClassRegistry.h"

const TEnumInfo TestModeInfo{"TTestMode", {"tmFirst", "tmSecond", "tmThird"}};

std::vector<std::string>& DestroyedNames()
{
    static std::vector<std::string> names;
    return names;
}

const TClass& TTestFont::StaticClass()
{
    static const TClass cls = TClassBuilder<TTestFont>("TTestFont", &TPersistent::StaticClass())
                                  .String("Name", &TTestFont::Name, &TTestFont::Name, "MS Sans Serif")
                                  .Integer("Height", &TTestFont::Height, &TTestFont::Height, -11)
                                  .Build();
    return cls;
}

void TTestFont::Assign(const TPersistent* source)
{
    if (const auto* font = dynamic_cast<const TTestFont*>(source)) {
        Name = font->Name;
        Height = font->Height;
        return;
    }
    TPersistent::Assign(source);
}

const TClass& TTestBox::StaticClass()
{
    static const TClass cls = TClassBuilder<TTestBox>("TTestBox", &TComponent::StaticClass())
                                  .Integer("Width", &TTestBox::Width, &TTestBox::SetWidth, 0)
                                  .Boolean("Visible", &TTestBox::Visible, &TTestBox::Visible, true)
                                  .WordBoolean("AutoStart", &TTestBox::AutoStart, &TTestBox::AutoStart)
                                  .Float("Rate", &TTestBox::Rate, &TTestBox::Rate, 1.0)
                                  .String("Caption", &TTestBox::Caption, &TTestBox::Caption, "")
                                  .Enum("Mode", TestModeInfo, &TTestBox::Mode, &TTestBox::Mode, tmFirst)
                                  .Set("Modes", TestModeInfo, &TTestBox::Modes, &TTestBox::Modes, TSet<TTestMode>{})
                                  .Integer("Small", &TTestBox::Small, &TTestBox::Small, 0)
                                  .Integer("Volume", &TTestBox::Volume, &TTestBox::Volume)
                                  .NotStored()
                                  .Binary("Data", &TTestBox::Data, &TTestBox::Data)
                                  .StoredIf(&TTestBox::HasData)
                                  .Nested("Font", &TTestBox::Font)
                                  .Reference("Buddy", &TTestBox::Buddy, &TTestBox::SetBuddy)
                                  .Event("OnClick", &TTestBox::OnClick)
                                  .Event("OnKey", &TTestBox::OnKey)
                                  .Build();
    return cls;
}

TTestBox::TTestBox(TComponent* owner) : TComponent(owner), font_(new TTestFont) {}

TTestBox::~TTestBox()
{
    DestroyedNames().push_back(Name());
    delete font_;
}

void TTestBox::SetWidth(int value)
{
    LoadingWhenWidthSet = ComponentState().Contains(csLoading);
    width_ = value;
}

void TTestBox::SetBuddy(TTestBox* buddy)
{
    if (buddy_ != nullptr)
        RemoveFreeNotification(buddy_);
    buddy_ = buddy;
    if (buddy_ != nullptr)
        FreeNotification(buddy_);
}

void TTestBox::SetParentComponent(TComponent* parent)
{
    parent_ = dynamic_cast<TTestBox*>(parent);
}

void TTestBox::Loaded()
{
    TComponent::Loaded();
    ++LoadedCount;
    LoadingWhenLoaded = ComponentState().Contains(csLoading);
}

void TTestBox::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == buddy_)
        buddy_ = nullptr;
    if (operation == opRemove && component == parent_)
        parent_ = nullptr;
}

const TClass& TTestForm::StaticClass()
{
    static const TClass cls = TClassBuilder<TTestForm>("TTestForm", &TTestBox::StaticClass())
                                  .Handler("FormShow", &TTestForm::FormShow)
                                  .Handler("Button1Click", &TTestForm::Button1Click)
                                  .Handler("Edit1Key", &TTestForm::Edit1Key)
                                  .Field("Button1", &TTestForm::Button1)
                                  .Build();
    return cls;
}

void RegisterTestClasses()
{
    RegisterClasses({&TTestBox::StaticClass(), &TTestForm::StaticClass()});
}
