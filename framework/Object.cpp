#include "framework/Object.h"

#include "framework/ClassBuilder.h"
#include "framework/Exceptions.h"

TObject::~TObject() = default;

const TClass& TObject::StaticClass()
{
    static const TClass cls("TObject", nullptr);
    return cls;
}

void TObject::Free()
{
    BeforeDestruction();
    delete this;
}

const TClass& TPersistent::StaticClass()
{
    static const TClass cls = TClassBuilder<TPersistent>("TPersistent", &TObject::StaticClass()).Build();
    return cls;
}

void TPersistent::Assign(const TPersistent* source)
{
    if (source == nullptr)
        AssignError(nullptr);
    source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const std::string sourceName = source == nullptr ? "nil" : "un " + source->ClassName();
    throw EConvertError("Impossible d'assigner " + sourceName + " à un " + ClassName());
}
