#include "platform/registry/Registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Windows system error numbers.
constexpr LSTATUS FileNotFound = 2;
constexpr LSTATUS AccessDenied = 5;

const char* const PlayerKey = "CLSID\\{22D6F312-B0F6-11D0-94AB-0080C74C7E95}";

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RegistryInstallString(HKEY_CLASSES_ROOT, PlayerKey, "", "Media player"), ERROR_SUCCESS); }
    void TearDown() override { RegistryRemoveKey(HKEY_CLASSES_ROOT, "CLSID"); }
};

TEST_F(Registry, OpensInstalledKeysWithoutRegardToCase)
{
    HKEY key = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0xDEAD));
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, PlayerKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_NE(key, nullptr);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "a handle closes once";

    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"clsid\\{22d6f312-b0f6-11d0-94ab-0080c74c7e95}", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    HKEY child = nullptr;
    EXPECT_EQ(RegOpenKeyEx(key, "", 0, KEY_QUERY_VALUE, &child), ERROR_SUCCESS) << "empty path reopens the key";
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
}

TEST_F(Registry, MissingWriteAndMalformedRequestsFail)
{
    struct Case {
        HKEY root;
        const char* path;
        REGSAM access;
        LSTATUS expected;
    } cases[] = {
        {HKEY_CLASSES_ROOT, "CLSID\\{00000000-0000-0000-0000-000000000000}", KEY_READ, FileNotFound},
        {HKEY_LOCAL_MACHINE, PlayerKey, KEY_READ, FileNotFound},
        {HKEY_CLASSES_ROOT, PlayerKey, KEY_WRITE, AccessDenied},
        {HKEY_CLASSES_ROOT, PlayerKey, KEY_ALL_ACCESS, AccessDenied},
        {HKEY_CLASSES_ROOT, "\\CLSID", KEY_READ, ERROR_BAD_PATHNAME},
        {HKEY_CLASSES_ROOT, "CLSID\\\\x", KEY_READ, ERROR_BAD_PATHNAME},
        {reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x1234)), "CLSID", KEY_READ, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        HKEY key = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0xDEAD));
        EXPECT_EQ(RegOpenKeyExA(c.root, c.path, 0, c.access, &key), c.expected) << c.path;
        EXPECT_EQ(key, nullptr) << c.path;
    }
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, RemovedKeysAreGoneAndTheirHandlesDeleted)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, PlayerKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegistryRemoveKey(HKEY_CLASSES_ROOT, "clsid"), ERROR_SUCCESS) << "removes the whole subtree";
    HKEY again = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, PlayerKey, 0, KEY_READ, &again), FileNotFound);
    DWORD bytes = 0;
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, nullptr, &bytes), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyExA(key, "", 0, KEY_READ, &again), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegistryRemoveKey(HKEY_CLASSES_ROOT, "CLSID"), FileNotFound);
    EXPECT_EQ(RegistryRemoveKey(HKEY_CLASSES_ROOT, ""), AccessDenied);

    // Installing again after removal works (another test run, another start-up).
    ASSERT_EQ(RegistryInstallKey(HKEY_CLASSES_ROOT, PlayerKey), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, PlayerKey, 0, KEY_READ, &again), ERROR_SUCCESS);
    RegCloseKey(again);
}

TEST_F(Registry, QueriesValuesInEitherCharacterSet)
{
    ASSERT_EQ(RegistryInstallDword(HKEY_CLASSES_ROOT, PlayerKey, "Version", 401), ERROR_SUCCESS);
    ASSERT_EQ(RegistryInstallString(HKEY_CLASSES_ROOT, std::string(PlayerKey) + "\\InprocServer32", "ThreadingModel",
                                    "Apartment \xC3\xA9"),
              ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, PlayerKey, 0, KEY_READ, &key), ERROR_SUCCESS);

    DWORD type = 0, value = 0, bytes = sizeof value;
    ASSERT_EQ(RegQueryValueExA(key, "VERSION", nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(value, 401u);
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, &type, nullptr, &bytes), FileNotFound);

    // Default value: size first, then a too-small buffer, then the text with its terminator.
    bytes = 0;
    ASSERT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(bytes, 13u);
    char small[4];
    bytes = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &bytes), ERROR_MORE_DATA);
    EXPECT_EQ(bytes, 13u);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{22D6F312-B0F6-11D0-94AB-0080C74C7E95}\\InprocServer32", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    char16_t wide[32];
    bytes = sizeof wide;
    ASSERT_EQ(RegQueryValueExW(key, u"threadingmodel", nullptr, &type, reinterpret_cast<BYTE*>(wide), &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(bytes, 12u * 2);
    EXPECT_EQ(std::u16string(wide), u"Apartment \u00E9");
    RegCloseKey(key);
}

} // namespace
