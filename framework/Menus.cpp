#include "framework/Menus.h"

#include "framework/Application.h"
#include "framework/ClassBuilder.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <map>

// --- TMenuItem ------------------------------------------------------------------------------

const TClass& TMenuItem::StaticClass()
{
    static const TClass cls = TClassBuilder<TMenuItem>("TMenuItem", &TComponent::StaticClass())
        .String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption, "")
        .Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
        .Boolean("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false)
        .Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
        .Integer("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, 0)
        .Integer("Tag", &TMenuItem::Tag, &TMenuItem::SetTag, 0)
        .Event("OnClick", &TMenuItem::OnClick)
        .Build();
    return cls;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem()
{
    for (TMenuItem* item : items_)
        item->parent_ = nullptr;
    if (parent_ != nullptr)
        parent_->Remove(this);
}

void TMenuItem::SetChecked(bool value)
{
    checked_ = value;
    if (!value || !radioItem_ || parent_ == nullptr)
        return;
    for (TMenuItem* other : parent_->items_)
        if (other != this && other->radioItem_ && other->groupIndex_ == groupIndex_)
            other->checked_ = false;
}

void TMenuItem::Add(TMenuItem* item)
{
    if (item->parent_ != nullptr)
        item->parent_->Remove(item);
    item->parent_ = this;
    items_.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item)
{
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->parent_ = nullptr;
}

TMenuItem* TMenuItem::Find(const std::string& caption)
{
    if (caption_ == caption)
        return this;
    for (TMenuItem* item : items_)
        if (TMenuItem* found = item->Find(caption))
            return found;
    return nullptr;
}

void TMenuItem::Click()
{
    if (!enabled_)
        return;
    if (radioItem_)
        SetChecked(true);
    OnClick(this);
}

// --- TPopupMenu -----------------------------------------------------------------------------

// The Qt menu of the last Popup, made afresh each time from the items as they are then.
struct TPopupMenu::Shown {
    QPointer<QMenu> menu;
    ~Shown() { delete menu.data(); }
};

namespace {

void AddItems(QMenu& menu, TMenuItem& parent)
{
    // Radio items of one group show as such: one mark among them.
    std::map<int, QActionGroup*> groups;
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (item->Caption() == "-") {
            menu.addSeparator();
            continue;
        }
        const QString caption = QString::fromStdString(item->Caption());
        if (item->Count() > 0) {
            QMenu* sub = menu.addMenu(caption);
            sub->setEnabled(item->Enabled());
            AddItems(*sub, *item);
            continue;
        }
        QAction* action = menu.addAction(caption);
        action->setEnabled(item->Enabled());
        action->setCheckable(item->Checked() || item->RadioItem());
        action->setChecked(item->Checked());
        if (item->RadioItem()) {
            QActionGroup*& group = groups[item->GroupIndex()];
            if (group == nullptr)
                group = new QActionGroup(&menu);
            group->addAction(action);
        }
        QObject::connect(action, &QAction::triggered, &menu, [item] {
            try {
                item->Click();
            } catch (...) {
                Application->HandleException(item);
            }
        });
    }
}

} // namespace

const TClass& TPopupMenu::StaticClass()
{
    static const TClass cls = TClassBuilder<TPopupMenu>("TPopupMenu", &TComponent::StaticClass())
        .Event("OnPopup", &TPopupMenu::OnPopup)
        .Build();
    return cls;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int X, int Y)
{
    OnPopup(this);
    shown_.reset();
    shown_ = std::make_unique<Shown>();
    shown_->menu = new QMenu();
    AddItems(*shown_->menu, *items_);
    shown_->menu->popup(QPoint(X, Y));
}

bool TPopupMenu::Showing() const { return shown_ && shown_->menu && shown_->menu->isVisible(); }

void TPopupMenu::CloseMenu()
{
    if (Showing())
        shown_->menu->hide();
}
