// Small component classes that exercise every kind of published property, event slots,
// handlers, fields and parent components, without any visual control.
#pragma once

#include "framework/Arithmetic.h"
#include "framework/ClassBuilder.h"
#include "framework/Component.h"
#include "framework/Events.h"

#include <string>
#include <vector>

enum TTestMode { tmFirst, tmSecond, tmThird };
extern const TEnumInfo TestModeInfo;

// Names of the test components in the order their destructors ran.
std::vector<std::string>& DestroyedNames();

class TTestFont : public TPersistent {
    QUELLON_CLASS()

public:
    std::string Name = "MS Sans Serif";
    int Height = -11;
    void Assign(const TPersistent* source) override;
};

class TTestBox : public TComponent {
    QUELLON_CLASS()

public:
    explicit TTestBox(TComponent* owner);
    ~TTestBox() override;

    int Width() const { return width_; }
    void SetWidth(int value);
    bool Visible = true;
    WordBool AutoStart = WordTrue; // published without a default: always written
    double Rate = 1.0;
    std::string Caption;
    TTestMode Mode = tmFirst;
    TSet<TTestMode> Modes;
    short Small = 0;
    int Volume = 50; // published, not stored
    std::vector<BYTE> Data;
    bool HasData() const { return !Data.empty(); }
    TTestFont* Font() const { return font_; }

    TTestBox* Buddy() const { return buddy_; }
    void SetBuddy(TTestBox* buddy);

    TNotifyEvent OnClick;
    TKeyEvent OnKey;

    TTestBox* ParentBox() const { return parent_; }
    TComponent* GetParentComponent() const override { return parent_; }
    bool HasParent() const override { return parent_ != nullptr; }
    void SetParentComponent(TComponent* parent) override;

    int LoadedCount = 0;
    bool LoadingWhenLoaded = true;
    bool LoadingWhenWidthSet = false;

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    int width_ = 0;
    TTestFont* font_;
    TTestBox* buddy_ = nullptr;
    TTestBox* parent_ = nullptr;
};

class TTestForm : public TTestBox {
    QUELLON_CLASS()

public:
    explicit TTestForm(TComponent* owner) : TTestBox(owner) {}

    TTestBox* Button1 = nullptr; // follows the owned component named Button1

    void FormShow(TObject* sender) { Calls.push_back("FormShow"); }
    void Button1Click(TObject* sender) { Calls.push_back("Button1Click:" + static_cast<TComponent*>(sender)->Name()); }
    void Edit1Key(TObject* sender, WORD& key, TShiftState shift)
    {
        Calls.push_back("Edit1Key");
        if (shift.Contains(ssCtrl))
            key = 0;
    }
    void Unpublished(TObject* sender) {}

    std::vector<std::string> Calls;
};

// Registers the test classes with the class registry (once).
void RegisterTestClasses();
