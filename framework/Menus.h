// Pop-up menus: a tree of items, each with a caption, a check mark and a click event, shown
// at a point of the screen when the program asks (a right-click on a control, say).
//
// A menu shows and returns at once; it is not modal. Choosing an item clicks it: a radio item
// becomes the checked one of its group (the items of the same parent with the same
// GroupIndex), then OnClick fires. An exception of a handler goes to the application's
// exception handler, as for any event. Click() does the same from code (tests, keys).
//
// Ownership: items are components of the owner they are made with (usually the form), and
// belong to the tree of the parent they are added to; destroying an item takes it out of its
// parent. A shown menu refers to its items: items taken away while it shows must be taken
// out of the tree and the menu closed first (CloseMenu). Thread: the user-interface thread.
#pragma once

#include "framework/Component.h"
#include "framework/Events.h"

#include <memory>
#include <string>
#include <vector>

class TMenuItem : public TComponent {
    QUELLON_CLASS()

public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    // "-" makes the item a separating line.
    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }
    bool Checked() const noexcept { return checked_; }
    // Checking a radio item unchecks the others of its group.
    void SetChecked(bool value);
    bool RadioItem() const noexcept { return radioItem_; }
    void SetRadioItem(bool value) { radioItem_ = value; }
    int GroupIndex() const noexcept { return groupIndex_; }
    void SetGroupIndex(int value) { groupIndex_ = value; }
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    // Free for the program's use (which value an item stands for).
    int Tag() const noexcept { return tag_; }
    void SetTag(int value) { tag_ = value; }

    // Sub-items: an item with some shows them as a sub-menu.
    void Add(TMenuItem* item);
    int Count() const noexcept { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    TMenuItem* Parent() const noexcept { return parent_; }
    // The first item of this tree (this one included) whose caption is `caption`, or null.
    TMenuItem* Find(const std::string& caption);

    // As if the person chose the item.
    virtual void Click();
    TNotifyEvent OnClick;

private:
    void Remove(TMenuItem* item);

    std::string caption_;
    bool checked_ = false;
    bool radioItem_ = false;
    bool enabled_ = true;
    int groupIndex_ = 0;
    int tag_ = 0;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
};

class TPopupMenu : public TComponent {
    QUELLON_CLASS()

public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // The root of the tree: its sub-items are the menu's lines.
    TMenuItem* Items() const noexcept { return items_; }
    // Fires OnPopup, then shows the menu with its top left corner at the screen point X, Y
    // (moved to fit the screen), and returns at once.
    void Popup(int X, int Y);
    // Whether the menu is shown now; CloseMenu hides it without choosing anything.
    bool Showing() const;
    void CloseMenu();
    TNotifyEvent OnPopup;

private:
    struct Shown;

    TMenuItem* items_;
    std::unique_ptr<Shown> shown_;
};
