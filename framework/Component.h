// TComponent: named objects that own other components.
//
// Ownership: a component created with an owner belongs to it and is destroyed with it, the
// owned components in reverse order of their insertion (the last created goes first).
// Owned components must be made with new. A component destroyed before its owner leaves
// the owner's list itself, so it is never destroyed twice. Destroy components with Free()
// (or let the owner do it), so that csDestroying is set while the destructors run.
//
// Names: empty, or an identifier (letter or '_', then letters, digits, '_'), unique among
// the components of the same owner without regard to ASCII case. A published field of the
// owner with the component's name (TClassBuilder::Field) follows the component: it is set
// when the component gets that name in the owner and cleared when it loses it or leaves.
//
// Notifications: the owner is told of every component inserted into or removed from it,
// and passes the news on to all its components. A component that must learn of the
// destruction of another (a reference property) calls FreeNotification(other) and gets
// Notification(other, opRemove) before `other` is gone.
//
// Everything here runs on the thread that owns the component tree (the UI thread).
#pragma once

#include "framework/Object.h"
#include "framework/Sets.h"

#include <string>
#include <string_view>
#include <vector>

enum TComponentStateItem {
    csLoading,   // a layout is being read into the component; cleared just before Loaded()
    csReading,   // the component's own properties are being read
    csWriting,   // the component is being written into a layout
    csDestroying,
    csDesigning, // created in a form designer: design time, not run time
    csFreeNotification,
};
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    QUELLON_CLASS()

public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    void BeforeDestruction() override;

    TComponent* Owner() const noexcept { return owner_; }
    TPersistent* GetOwner() const override { return owner_; }
    std::string GetNamePath() const override { return name_; }

    const std::string& Name() const noexcept { return name_; }
    // EComponentError for an invalid or duplicate name, or a name whose published field in
    // the owner cannot hold this component; the name is then unchanged.
    virtual void SetName(const std::string& newName);

    int Tag() const noexcept { return tag_; }
    void SetTag(int tag) noexcept { tag_ = tag; }

    int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    // The owned component of that name (ASCII case ignored), or nullptr. Empty finds nothing.
    TComponent* FindComponent(std::string_view name) const;

    // Takes `component` over from its current owner (if any). Its name must be unique here.
    void InsertComponent(TComponent* component);
    // Releases `component` without destroying it; it then has no owner.
    void RemoveComponent(TComponent* component);
    // Destroys every owned component, last inserted first. A derived destructor calls it
    // when its owned components must go while the derived part is still alive.
    void DestroyComponents();

    TComponentState ComponentState() const noexcept { return state_; }
    // Marks this component (and, by default, those it owns) as created in a form designer.
    // Components inserted later into a designing owner are marked too.
    void SetDesigning(bool value, bool setChildren = true);
    // Sets csDestroying here and in every owned component.
    void Destroying();

    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Called once a layout has been read into the component (csLoading already cleared).
    virtual void Loaded();
    // `component` was inserted into or is being removed from this component's owner tree,
    // or is a component this one asked to be told about. The base forgets a removed
    // component's free notification and passes the news on to the owned components.
    virtual void Notification(TComponent* component, TOperation operation);

    // Components with a visual parent (controls) tell layouts where they belong: the writer
    // nests a component inside its parent's block, and the reader hands the enclosing
    // block's component to SetParentComponent before reading the component's properties.
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* parent) {}

    static bool IsValidIdent(std::string_view name) noexcept;

protected:
    // Raises EComponentError when `newName` may not be given to `component` in this owner.
    virtual void ValidateRename(const TComponent* component, std::string_view newName) const;

private:
    friend class TLayoutReader;
    friend class TLayoutWriter;

    void Insert(TComponent* component);
    void Remove(TComponent* component);
    void SetReference(bool enable);
    void SetStateFlag(TComponentStateItem item, bool on) noexcept;

    TComponent* owner_ = nullptr; // not owned: the owner holds us
    std::string name_;
    int tag_ = 0;
    TComponentState state_;
    std::vector<TComponent*> components_;    // owned, insertion order
    std::vector<TComponent*> freeNotifies_;  // not owned; links are kept in both directions
};
