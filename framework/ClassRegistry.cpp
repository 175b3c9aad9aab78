#include "framework/ClassRegistry.h"

#include "framework/Exceptions.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::vector<const TClass*>& Registry()
{
    static std::vector<const TClass*> classes;
    return classes;
}

const TClass* Lookup(std::string_view name)
{
    for (const TClass* cls : Registry())
        if (SameText(cls->Name(), name))
            return cls;
    return nullptr;
}

} // namespace

void RegisterClass(const TClass& cls)
{
    std::lock_guard lock(RegistryMutex());
    if (const TClass* existing = Lookup(cls.Name())) {
        if (existing == &cls)
            return;
        throw EFilerError("Une classe nommée " + cls.Name() + " est déjà recensée");
    }
    Registry().push_back(&cls);
}

void RegisterClasses(std::initializer_list<const TClass*> classes)
{
    for (const TClass* cls : classes)
        RegisterClass(*cls);
}

void UnRegisterClass(const TClass& cls)
{
    std::lock_guard lock(RegistryMutex());
    auto& classes = Registry();
    classes.erase(std::remove(classes.begin(), classes.end(), &cls), classes.end());
}

const TClass* GetClass(std::string_view name)
{
    std::lock_guard lock(RegistryMutex());
    return Lookup(name);
}

const TClass& FindClass(std::string_view name)
{
    if (const TClass* cls = GetClass(name))
        return *cls;
    throw EClassNotFound("Classe " + std::string(name) + " introuvable");
}
