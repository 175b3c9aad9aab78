// A read-only registry for the program: the Windows functions to open keys and read values
// under the predefined roots, over an in-process tree that installed components fill at
// process start-up (RegistryInstallKey / RegistryInstallValue) and that tests can empty again
// (RegistryRemoveKey).
//
// Key names are compared without regard to case (ASCII and Latin-1 letters), as on Windows;
// paths use '\' between names. Narrow strings are UTF-8. A handle stays valid until
// RegCloseKey even if its key is removed; reading through it then gives ERROR_KEY_DELETED.
// Any thread; the tree is guarded by one lock.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/com/HResults.h"

#include <string_view>

using LSTATUS = LONG;
using REGSAM = DWORD;
using PHKEY = HKEY*;

// Macros, as on Windows: usable in start-up code of any translation unit without depending on
// the order in which static objects are initialised.
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// Opens root\subKey (an empty or null subKey opens root itself again). The access may ask
// only for reading: write rights give ERROR_ACCESS_DENIED (5), since the program never changes
// the registry. ERROR_FILE_NOT_FOUND (2) for a missing key, ERROR_BAD_PATHNAME for a path with a
// leading or doubled '\', ERROR_INVALID_HANDLE for an unknown root, ERROR_INVALID_PARAMETER
// for a null result pointer. *result is null on failure.
LSTATUS RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result);
inline LSTATUS RegOpenKeyEx(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    return RegOpenKeyExA(root, subKey, options, access, result);
}
inline LSTATUS RegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    return RegOpenKeyExW(root, subKey, options, access, result);
}
// ERROR_SUCCESS for an open handle or a predefined root; ERROR_INVALID_HANDLE otherwise
// (including a second close).
LSTATUS RegCloseKey(HKEY key);

// Reads a value (null or empty name: the key's default value). With data null, only *type
// and *dataBytes are filled. ERROR_MORE_DATA (and the needed size in *dataBytes) when the
// buffer is too small; ERROR_FILE_NOT_FOUND (2) for a missing value. REG_SZ data is returned in
// the function's character set (UTF-8 for A, UTF-16 for W) with its terminating null.
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataBytes);
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataBytes);
inline LSTATUS RegQueryValueEx(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataBytes)
{
    return RegQueryValueExA(key, valueName, reserved, type, data, dataBytes);
}
inline LSTATUS RegQueryValueEx(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataBytes)
{
    return RegQueryValueExW(key, valueName, reserved, type, data, dataBytes);
}

// --- Installation side (not Windows API): for components at start-up, and tests. ---------
// Creates root\path and any missing parents; ERROR_SUCCESS also when it exists.
LSTATUS RegistryInstallKey(HKEY root, std::string_view path);
// Creates the key as above and sets a value (empty name: the default value). REG_SZ text is
// given as UTF-8 and read back in either character set.
LSTATUS RegistryInstallString(HKEY root, std::string_view path, std::string_view name, std::string_view text);
LSTATUS RegistryInstallDword(HKEY root, std::string_view path, std::string_view name, DWORD value);
// Removes root\path with all its subkeys and values; open handles to them become deleted
// keys. ERROR_FILE_NOT_FOUND (2) when it does not exist; a root itself cannot be removed
// (ERROR_ACCESS_DENIED, 5).
LSTATUS RegistryRemoveKey(HKEY root, std::string_view path);
