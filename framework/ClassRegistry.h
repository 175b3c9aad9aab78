// The registry of component classes that layouts create by name. Classes are registered
// explicitly (a static library drops unreferenced self-registering objects); registering a
// class again is harmless. Thread-safe.
#pragma once

#include "framework/TypeInfo.h"

#include <initializer_list>
#include <string_view>

// EFilerError when a different class of the same name is already registered.
void RegisterClass(const TClass& cls);
void RegisterClasses(std::initializer_list<const TClass*> classes);
void UnRegisterClass(const TClass& cls);

// The registered class of that name (ASCII case ignored), or nullptr.
const TClass* GetClass(std::string_view name);
// The same, raising EClassNotFound "Classe X introuvable" when there is none.
const TClass& FindClass(std::string_view name);
