// Published properties by name at run time (the control host and the layouts use them).
// A name may be a dotted path through nested objects: "Font.Height". Names ignore ASCII
// case. Unknown names and values of the wrong kind raise EPropertyError; setters of the
// object may raise their own errors. UI thread, like the objects themselves.
#pragma once

#include "framework/TypeInfo.h"

#include <string>
#include <string_view>

// The property and the object that holds it (the last nested object of a dotted path);
// nullptr when a name is unknown.
struct TPropTarget {
    TObject* Object = nullptr;
    const TPropInfo* Prop = nullptr;
};
TPropTarget FindPropTarget(TObject& object, std::string_view path);

bool IsPublishedProp(const TObject& object, std::string_view path);

TPropValue GetPropValue(const TObject& object, std::string_view path);
// EPropertyError for read-only properties (nested objects, no setter) and method properties.
void SetPropValue(TObject& object, std::string_view path, const TPropValue& value);

long long GetOrdProp(const TObject& object, std::string_view path);
void SetOrdProp(TObject& object, std::string_view path, long long value);
double GetFloatProp(const TObject& object, std::string_view path);
void SetFloatProp(TObject& object, std::string_view path, double value);
std::string GetStrProp(const TObject& object, std::string_view path);
void SetStrProp(TObject& object, std::string_view path, const std::string& value);
// Enumerations by value name ("alClient").
std::string GetEnumProp(const TObject& object, std::string_view path);
void SetEnumProp(TObject& object, std::string_view path, std::string_view valueName);
TObject* GetObjectProp(const TObject& object, std::string_view path);

// Event properties: the handler is a published method of `handlerObject` (usually the
// form, the root of the layout), found by name. An empty name clears the slot.
void SetMethodProp(TObject& object, std::string_view path, TObject& handlerObject, std::string_view handlerName);
// The name of the published method of `handlerObject` the slot calls; empty when the slot
// is clear. EPropertyError when it calls something that is not such a method.
std::string GetMethodName(const TObject& object, std::string_view path, const TObject& handlerObject);

// True when the property holds its declared default (false when it declares none).
bool IsDefaultPropValue(const TObject& object, const TPropInfo& prop);
