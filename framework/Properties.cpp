#include "framework/Properties.h"

#include "framework/Exceptions.h"
#include "framework/Object.h"

TPropTarget FindPropTarget(TObject& object, std::string_view path)
{
    TObject* holder = &object;
    while (true) {
        const std::size_t dot = path.find('.');
        const std::string_view name = path.substr(0, dot);
        const TPropInfo* prop = holder->ClassType().FindProperty(name);
        if (prop == nullptr)
            return {};
        if (dot == std::string_view::npos)
            return {holder, prop};
        if (prop->Kind != TTypeKind::Nested)
            return {};
        const TPropValue value = prop->Get(*holder);
        TObject* const* nested = std::get_if<TObject*>(&value);
        if (nested == nullptr || *nested == nullptr)
            return {};
        holder = *nested;
        path.remove_prefix(dot + 1);
    }
}

namespace {

TPropTarget Require(const TObject& object, std::string_view path)
{
    TPropTarget target = FindPropTarget(const_cast<TObject&>(object), path);
    if (target.Prop == nullptr)
        throw EPropertyError("Propriété " + std::string(path) + " inexistante dans " + object.ClassName());
    return target;
}

template <class A>
A Expect(const TPropValue& value, std::string_view path)
{
    if (const A* a = std::get_if<A>(&value))
        return *a;
    throw EPropertyError("La propriété " + std::string(path) + " n'est pas de ce type");
}

} // namespace

bool IsPublishedProp(const TObject& object, std::string_view path)
{
    return FindPropTarget(const_cast<TObject&>(object), path).Prop != nullptr;
}

TPropValue GetPropValue(const TObject& object, std::string_view path)
{
    const TPropTarget target = Require(object, path);
    if (target.Prop->Kind == TTypeKind::Method)
        throw EPropertyError("La propriété " + std::string(path) + " est un événement");
    return target.Prop->Get(*target.Object);
}

void SetPropValue(TObject& object, std::string_view path, const TPropValue& value)
{
    const TPropTarget target = Require(object, path);
    if (target.Prop->Kind == TTypeKind::Method)
        throw EPropertyError("La propriété " + std::string(path) + " est un événement");
    if (!target.Prop->Set)
        throw EPropertyError("La propriété " + std::string(path) + " est en lecture seule");
    target.Prop->Set(*target.Object, value);
}

long long GetOrdProp(const TObject& object, std::string_view path)
{
    return Expect<long long>(GetPropValue(object, path), path);
}

void SetOrdProp(TObject& object, std::string_view path, long long value)
{
    SetPropValue(object, path, TPropValue(value));
}

double GetFloatProp(const TObject& object, std::string_view path)
{
    return Expect<double>(GetPropValue(object, path), path);
}

void SetFloatProp(TObject& object, std::string_view path, double value)
{
    SetPropValue(object, path, TPropValue(value));
}

std::string GetStrProp(const TObject& object, std::string_view path)
{
    return Expect<std::string>(GetPropValue(object, path), path);
}

void SetStrProp(TObject& object, std::string_view path, const std::string& value)
{
    SetPropValue(object, path, TPropValue(value));
}

std::string GetEnumProp(const TObject& object, std::string_view path)
{
    const TPropTarget target = Require(object, path);
    if (target.Prop->Kind != TTypeKind::Enumeration)
        throw EPropertyError("La propriété " + std::string(path) + " n'est pas une énumération");
    const std::string* name = target.Prop->Enum->NameOf(Expect<long long>(target.Prop->Get(*target.Object), path));
    return name != nullptr ? *name : std::string();
}

void SetEnumProp(TObject& object, std::string_view path, std::string_view valueName)
{
    const TPropTarget target = Require(object, path);
    if (target.Prop->Kind != TTypeKind::Enumeration)
        throw EPropertyError("La propriété " + std::string(path) + " n'est pas une énumération");
    const int value = target.Prop->Enum->ValueOf(valueName);
    if (value < 0)
        throw EPropertyError("Valeur " + std::string(valueName) + " inconnue de " + target.Prop->Enum->TypeName);
    SetPropValue(object, path, TPropValue(static_cast<long long>(value)));
}

TObject* GetObjectProp(const TObject& object, std::string_view path)
{
    return Expect<TObject*>(GetPropValue(object, path), path);
}

void SetMethodProp(TObject& object, std::string_view path, TObject& handlerObject, std::string_view handlerName)
{
    const TPropTarget target = Require(object, path);
    if (target.Prop->Kind != TTypeKind::Method)
        throw EPropertyError("La propriété " + std::string(path) + " n'est pas un événement");
    void* slot = target.Prop->Slot(*target.Object);
    if (handlerName.empty()) {
        target.Prop->ClearSlot(slot);
        return;
    }
    const TMethodInfo* method = handlerObject.ClassType().FindMethod(handlerName);
    if (method == nullptr)
        throw EPropertyError("Méthode " + std::string(handlerName) + " inexistante dans " + handlerObject.ClassName());
    if (method->Signature != target.Prop->Signature)
        throw EPropertyError("La méthode " + method->Name + " ne convient pas à l'événement " + target.Prop->Name);
    method->AssignTo(slot, handlerObject);
}

std::string GetMethodName(const TObject& object, std::string_view path, const TObject& handlerObject)
{
    const TPropTarget target = Require(object, path);
    if (target.Prop->Kind != TTypeKind::Method)
        throw EPropertyError("La propriété " + std::string(path) + " n'est pas un événement");
    const void* slot = target.Prop->Slot(const_cast<TObject&>(*target.Object));
    if (!target.Prop->IsAssigned(slot))
        return {};
    const TMethodInfo* method = handlerObject.ClassType().FindMethodBoundTo(slot, target.Prop->Signature, handlerObject);
    if (method == nullptr)
        throw EPropertyError("Le gestionnaire de " + target.Prop->Name + " n'est pas une méthode publiée de " +
                             handlerObject.ClassName());
    return method->Name;
}

bool IsDefaultPropValue(const TObject& object, const TPropInfo& prop)
{
    if (!prop.Default || !prop.Get)
        return false;
    return prop.Get(object) == *prop.Default;
}
