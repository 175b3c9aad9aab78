// Event handler slots and the standard event types.
//
// A slot, TEvent<void(Args...)>, holds a method and the object to call it on, as a handler
// assigned to an event: Assign(form, &TForm1::Button1Click). Firing an empty slot does
// nothing, so "events fire only when a handler is assigned" needs no test at the call site.
// `var` parameters are references, so a handler can change the caller's value. Two slots are
// equal when they hold the same object and the same method. The slot does not own the
// object: whoever assigns a handler clears it before the object goes away (components do it
// through Notification). The object's class must derive from TObject (not virtually).
#pragma once

#include "framework/Object.h"
#include "framework/Sets.h"

#include <concepts>
#include <utility>

template <class Signature>
class TEvent;

template <class... Args>
class TEvent<void(Args...)> {
public:
    using Signature = void(Args...);
    using MethodPointer = void (TObject::*)(Args...);

    TEvent() = default;
    // `method` may belong to a base class C of the object's class O.
    template <class O, std::derived_from<TObject> C>
        requires std::derived_from<O, C>
    TEvent(O* object, void (C::*method)(Args...))
    {
        Assign(object, method);
    }

    template <class O, std::derived_from<TObject> C>
        requires std::derived_from<O, C>
    void Assign(O* object, void (C::*method)(Args...))
    {
        if (object == nullptr || method == nullptr) {
            Clear();
            return;
        }
        object_ = static_cast<C*>(object);
        method_ = static_cast<MethodPointer>(method);
    }
    void Clear() noexcept
    {
        object_ = nullptr;
        method_ = nullptr;
    }
    bool Assigned() const noexcept { return object_ != nullptr; }
    TObject* Object() const noexcept { return object_; }
    MethodPointer Method() const noexcept { return method_; }

    // Calls the handler when one is assigned.
    void operator()(Args... args) const
    {
        if (object_ != nullptr)
            (object_->*method_)(std::forward<Args>(args)...);
    }

    friend bool operator==(const TEvent& a, const TEvent& b) noexcept
    {
        return a.object_ == b.object_ && a.method_ == b.method_;
    }

private:
    TObject* object_ = nullptr;
    MethodPointer method_ = nullptr;
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

class TDragObject;

using TNotifyEvent = TEvent<void(TObject* Sender)>;
using TMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TEvent<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = TEvent<void(TObject* Sender, char& Key)>;
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent =
    TEvent<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;
