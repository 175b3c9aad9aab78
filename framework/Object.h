// TObject, the root of the framework's classes, and TPersistent, the base of objects that
// can be copied into each other (Assign) and published as properties.
//
// Every class that publishes members or is created by name declares QUELLON_CLASS() at the
// top of its body (it leaves the access at private) and defines StaticClass() with
// TClassBuilder (ClassBuilder.h); a class without it reports its base's class. Objects have identity:
// they cannot be copied. Heap objects are destroyed with Free() (BeforeDestruction runs
// first, while the whole object is still alive) or by their owner.
#pragma once

#include "framework/TypeInfo.h"

#include <string>

#define QUELLON_CLASS()                                                  \
public:                                                                  \
    static const TClass& StaticClass();                                  \
    const TClass& ClassType() const override { return StaticClass(); }  \
                                                                         \
private:

class TObject {
public:
    TObject() = default;
    virtual ~TObject();
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const TClass& StaticClass();
    virtual const TClass& ClassType() const { return StaticClass(); }
    const std::string& ClassName() const { return ClassType().Name(); }
    bool InheritsFrom(const TClass& cls) const { return ClassType().InheritsFrom(cls); }

    // BeforeDestruction(), then delete. Only for objects made with new.
    void Free();
    virtual void BeforeDestruction() {}
};

// Frees the object (when not null) and sets the pointer to null first, so the object
// cannot be reached through it while it is being destroyed.
template <class T>
void FreeAndNil(T*& object)
{
    T* doomed = object;
    object = nullptr;
    if (doomed != nullptr)
        doomed->Free();
}

class TPersistent : public TObject {
    QUELLON_CLASS()

public:
    // Copies the state of `source` into this object. The base asks the source
    // (source->AssignTo(this)); a class that can copy from some sources overrides it and
    // calls the base for the others. Unsupported pairs raise EConvertError
    // "Impossible d'assigner un TX à un TY".
    virtual void Assign(const TPersistent* source);

    // The object that owns this one for naming purposes (nested properties: their holder).
    virtual TPersistent* GetOwner() const { return nullptr; }
    virtual std::string GetNamePath() const { return ClassName(); }

protected:
    virtual void AssignTo(TPersistent* dest) const;
    [[noreturn]] void AssignError(const TPersistent* source) const;
};
