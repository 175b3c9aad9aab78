#include "framework/Component.h"

#include "framework/ClassBuilder.h"
#include "framework/Exceptions.h"

#include <algorithm>

namespace {
// Set by the layout reader around the creation of a component, so that the component is
// in the loading state from its construction on, as the reader's contract says.
thread_local bool creatingForReader = false;
} // namespace

// Internal hook of the layout reader (see LayoutReader.cpp).
void SetCreatingForReader(bool on) noexcept
{
    creatingForReader = on;
}

const TClass& TComponent::StaticClass()
{
    static const TClass cls = TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClass())
                                  .String("Name", &TComponent::Name, &TComponent::SetName)
                                  .NotStored()
                                  .Integer("Tag", &TComponent::Tag, &TComponent::SetTag, 0)
                                  .Build();
    return cls;
}

TComponent::TComponent(TComponent* owner)
{
    if (creatingForReader) {
        state_.Include(csLoading).Include(csReading);
        creatingForReader = false;
    }
    if (owner != nullptr)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    while (!freeNotifies_.empty()) {
        TComponent* peer = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& back = peer->freeNotifies_;
        back.erase(std::remove(back.begin(), back.end(), this), back.end());
        peer->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_ != nullptr)
        owner_->RemoveComponent(this);
}

void TComponent::BeforeDestruction()
{
    Destroying();
}

void TComponent::Destroying()
{
    if (state_.Contains(csDestroying))
        return;
    state_.Include(csDestroying);
    for (TComponent* c : components_)
        c->Destroying();
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* last = components_.back();
        Remove(last);
        last->Free();
    }
}

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EInvalidOperation("Indice de composant hors limites (" + std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const
{
    if (owner_ == nullptr)
        return -1;
    const auto& list = owner_->components_;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name))
            return c;
    return nullptr;
}

bool TComponent::IsValidIdent(std::string_view name) noexcept
{
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (name.empty() || !letter(name.front()))
        return false;
    return std::all_of(name.begin() + 1, name.end(), [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

void TComponent::ValidateRename(const TComponent* component, std::string_view newName) const
{
    if (newName.empty())
        return;
    const TComponent* existing = FindComponent(newName);
    if (existing != nullptr && existing != component)
        throw EComponentError("Un composant nommé " + std::string(newName) + " existe déjà");
    if (const TFieldInfo* field = ClassType().FindField(newName); field != nullptr && !field->Accepts(component))
        throw EComponentError("Le champ " + field->Name + " de " + ClassName() + " ne peut pas recevoir un " +
                              component->ClassName());
}

void TComponent::SetName(const std::string& newName)
{
    if (newName == name_)
        return;
    if (!newName.empty() && !IsValidIdent(newName))
        throw EComponentError("'" + newName + "' n'est pas un nom de composant valide");
    if (owner_ != nullptr)
        owner_->ValidateRename(this, newName);
    SetReference(false);
    name_ = newName;
    SetReference(true);
}

void TComponent::SetReference(bool enable)
{
    if (owner_ == nullptr || name_.empty())
        return;
    const TFieldInfo* field = owner_->ClassType().FindField(name_);
    if (field == nullptr)
        return;
    if (enable)
        field->Set(*owner_, this);
    else if (field->Get(*owner_) == this)
        field->Set(*owner_, nullptr);
}

void TComponent::InsertComponent(TComponent* component)
{
    if (component == nullptr || component->owner_ == this)
        return;
    for (const TComponent* o = this; o != nullptr; o = o->owner_)
        if (o == component)
            throw EComponentError("Un composant ne peut pas se posséder lui-même");
    ValidateRename(component, component->name_);
    if (component->owner_ != nullptr)
        component->owner_->RemoveComponent(component);
    Insert(component);
    component->SetReference(true);
    if (state_.Contains(csDesigning))
        component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    if (component == nullptr || component->owner_ != this)
        return;
    component->SetReference(false);
    Remove(component);
    if (!state_.Contains(csDestroying))
        Notification(component, opRemove);
}

void TComponent::Insert(TComponent* component)
{
    components_.push_back(component);
    component->owner_ = this;
}

void TComponent::Remove(TComponent* component)
{
    component->SetReference(false);
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
    component->owner_ = nullptr;
}

void TComponent::SetDesigning(bool value, bool setChildren)
{
    SetStateFlag(csDesigning, value);
    if (setChildren)
        for (TComponent* c : components_)
            c->SetDesigning(value, true);
}

void TComponent::SetStateFlag(TComponentStateItem item, bool on) noexcept
{
    if (on)
        state_.Include(item);
    else
        state_.Exclude(item);
}

void TComponent::FreeNotification(TComponent* component)
{
    if (component == nullptr || component == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
        component->freeNotifies_.end())
        component->freeNotifies_.push_back(this);
    state_.Include(csFreeNotification);
    component->state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (component == nullptr)
        return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
    auto& back = component->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
    if (freeNotifies_.empty())
        state_.Exclude(csFreeNotification);
    if (back.empty())
        component->state_.Exclude(csFreeNotification);
}

void TComponent::Loaded()
{
    state_.Exclude(csLoading);
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    if (operation == opRemove)
        RemoveFreeNotification(component);
    // A copy: a component told of the news may free or move others.
    const std::vector<TComponent*> owned = components_;
    for (TComponent* c : owned)
        if (c != component && std::find(components_.begin(), components_.end(), c) != components_.end())
            c->Notification(component, operation);
}
