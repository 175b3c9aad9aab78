#include "framework/TypeInfo.h"

#include "framework/Exceptions.h"

#include <algorithm>

bool SameText(std::string_view a, std::string_view b) noexcept
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

int TEnumInfo::ValueOf(std::string_view name) const noexcept
{
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (SameText(Names[i], name))
            return static_cast<int>(i);
    return -1;
}

const std::string* TEnumInfo::NameOf(long long ordinal) const noexcept
{
    if (ordinal < 0 || ordinal >= static_cast<long long>(Names.size()))
        return nullptr;
    return &Names[static_cast<std::size_t>(ordinal)];
}

TClass::TClass(std::string name, const TClass* parent) : name_(std::move(name)), parent_(parent) {}

bool TClass::InheritsFrom(const TClass& other) const noexcept
{
    for (const TClass* c = this; c != nullptr; c = c->parent_)
        if (c == &other)
            return true;
    return false;
}

TComponent* TClass::Create(TComponent* owner) const
{
    if (factory_ == nullptr)
        throw EInvalidOperation("La classe " + name_ + " ne peut pas être créée par son nom");
    return factory_(owner);
}

std::vector<const TPropInfo*> TClass::Properties() const
{
    std::vector<const TClass*> chain;
    for (const TClass* c = this; c != nullptr; c = c->parent_)
        chain.push_back(c);
    std::vector<const TPropInfo*> result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const TPropInfo& prop : (*it)->properties_) {
            auto same = std::find_if(result.begin(), result.end(),
                                     [&](const TPropInfo* p) { return SameText(p->Name, prop.Name); });
            if (same != result.end())
                *same = &prop;
            else
                result.push_back(&prop);
        }
    }
    return result;
}

const TPropInfo* TClass::FindProperty(std::string_view name) const noexcept
{
    for (const TClass* c = this; c != nullptr; c = c->parent_)
        for (const TPropInfo& prop : c->properties_)
            if (SameText(prop.Name, name))
                return &prop;
    return nullptr;
}

const TMethodInfo* TClass::FindMethod(std::string_view name) const noexcept
{
    for (const TClass* c = this; c != nullptr; c = c->parent_)
        for (const TMethodInfo& method : c->methods_)
            if (SameText(method.Name, name))
                return &method;
    return nullptr;
}

const TMethodInfo* TClass::FindMethodBoundTo(const void* slot, const void* signature, const TObject& object) const
{
    for (const TClass* c = this; c != nullptr; c = c->parent_)
        for (const TMethodInfo& method : c->methods_)
            if (method.Signature == signature && method.IsBoundTo(slot, object))
                return &method;
    return nullptr;
}

const TFieldInfo* TClass::FindField(std::string_view name) const noexcept
{
    for (const TClass* c = this; c != nullptr; c = c->parent_)
        for (const TFieldInfo& field : c->fields_)
            if (SameText(field.Name, name))
                return &field;
    return nullptr;
}
