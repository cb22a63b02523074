#include <windows.h>

#include <algorithm>
#include <memory>
#include <type_traits>

#include "base/WideText_windows.h"
#include "settings/RegistryStore.h"
#include "settings/UpperCase.h"

namespace vantrel {

namespace {

const HKEY kRoot = HKEY_CURRENT_USER;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

[[noreturn]] void Fail(LSTATUS status, std::string_view action, std::string_view keyPath) {
    throw StoreError(std::string(action) + " " + std::string(keyPath) + ": " +
                     SystemErrorText(status));
}

std::wstring Wide(std::string_view text, std::string_view what) {
    std::optional<std::wstring> wide = WideFromUtf8(text);
    if (!wide) throw StoreError(std::string(what) + " is not valid UTF-8");
    return *wide;
}

// The empty path is the root itself. An empty name between levels is refused
// rather than left to the registry, which would read "A\\B" as "A\B".
std::wstring WideKeyPath(std::string_view keyPath) {
    if (keyPath.starts_with('\\') || keyPath.ends_with('\\') ||
        keyPath.find("\\\\") != std::string_view::npos)
        throw StoreError("invalid key path (empty key name): " + std::string(keyPath));
    return Wide(keyPath, "key path");
}

/// The key, or nothing when it does not exist.
KeyHandle OpenKey(std::string_view keyPath, REGSAM access) {
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(kRoot, WideKeyPath(keyPath).c_str(), 0, access, &key);
    if (status == ERROR_FILE_NOT_FOUND) return nullptr;
    if (status != ERROR_SUCCESS) Fail(status, "cannot open key", keyPath);
    return KeyHandle(key);
}

/// The key, created with its missing parents when needed.
KeyHandle CreateKeyHandle(std::string_view keyPath, REGSAM access) {
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyExW(kRoot, WideKeyPath(keyPath).c_str(), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) Fail(status, "cannot create key", keyPath);
    return KeyHandle(key);
}

struct KeyInfo {
    DWORD subKeyCount = 0;
    DWORD longestSubKeyName = 0;
    DWORD longestValueName = 0;
};

KeyInfo QueryKeyInfo(HKEY key, std::string_view keyPath) {
    KeyInfo info;
    const LSTATUS status =
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &info.subKeyCount, &info.longestSubKeyName,
                         nullptr, nullptr, &info.longestValueName, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) Fail(status, "cannot read key", keyPath);
    return info;
}

/// Every name the enumeration function gives, index by index. The buffer starts
/// at the key's longest name and grows when a longer one appears meanwhile, so
/// no name is ever dropped.
template <typename EnumerateName>
std::vector<std::wstring> EnumerateNames(EnumerateName enumerateName, DWORD longestName,
                                         std::string_view keyPath) {
    std::vector<std::wstring> names;
    std::wstring buffer(longestName + 1, L'\0');
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LSTATUS status = enumerateName(index, buffer.data(), &length);
        if (status == ERROR_NO_MORE_ITEMS) return names;
        if (status == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS) Fail(status, "cannot list key", keyPath);
        names.emplace_back(buffer.data(), length);
        ++index;
    }
}

/// The REG_SZ data up to its first zero (all of it when stored without one);
/// nothing for a missing value or one of another type.
std::optional<std::wstring> ReadString(HKEY key, const std::wstring& name,
                                       std::string_view keyPath) {
    for (DWORD size = 0;;) {
        // One spare character, so the data always ends in a zero.
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        DWORD type = REG_NONE;
        DWORD filled = size;
        const LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(data.data()), &filled);
        if (status == ERROR_MORE_DATA) {
            size = filled;
            continue;
        }
        if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (status != ERROR_SUCCESS) Fail(status, "cannot read value of", keyPath);
        if (type != REG_SZ) return std::nullopt;
        data.resize(data.find(L'\0'));
        return data;
    }
}

/// The items in ascending order of their upper-cased names, equal names keeping their order.
template <typename Item, typename NameOf>
std::vector<Item> SortedByUpperCase(std::vector<Item> items, NameOf nameOf) {
    std::vector<std::pair<std::string, Item>> keyed;
    keyed.reserve(items.size());
    for (Item& item : items) keyed.emplace_back(UpperCase(nameOf(item)), std::move(item));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < items.size(); ++i) items[i] = std::move(keyed[i].second);
    return items;
}

}  // namespace

std::vector<std::string> RegistryStore::subKeys(std::string_view keyPath) {
    const KeyHandle key = OpenKey(keyPath, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (!key) return {};
    const auto enumerateKey = [&](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumKeyExW(key.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    };
    std::vector<std::string> names;
    for (const std::wstring& name :
         EnumerateNames(enumerateKey, QueryKeyInfo(key.get(), keyPath).longestSubKeyName, keyPath))
        names.push_back(Utf8FromWide(name));
    return SortedByUpperCase(std::move(names), [](const std::string& name) { return name; });
}

bool RegistryStore::keyExists(std::string_view keyPath) {
    return OpenKey(keyPath, KEY_QUERY_VALUE) != nullptr;
}

void RegistryStore::createKey(std::string_view keyPath) {
    CreateKeyHandle(keyPath, KEY_QUERY_VALUE);
}

bool RegistryStore::deleteKey(std::string_view keyPath) {
    if (keyPath.empty()) throw StoreError("the root key cannot be deleted");
    {
        const KeyHandle key = OpenKey(keyPath, KEY_QUERY_VALUE);
        if (!key) return false;
        if (QueryKeyInfo(key.get(), keyPath).subKeyCount > 0)
            throw StoreError("key has subkeys: " + std::string(keyPath));
    }
    const LSTATUS status = RegDeleteKeyW(kRoot, WideKeyPath(keyPath).c_str());
    if (status == ERROR_FILE_NOT_FOUND) return false;
    if (status != ERROR_SUCCESS) Fail(status, "cannot delete key", keyPath);
    return true;
}

std::optional<std::string> RegistryStore::stringValue(std::string_view keyPath,
                                                      std::string_view valueName) {
    const KeyHandle key = OpenKey(keyPath, KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    const std::optional<std::wstring> data =
        ReadString(key.get(), Wide(valueName, "value name"), keyPath);
    if (!data) return std::nullopt;
    return Utf8FromWide(*data);
}

std::vector<NamedValue> RegistryStore::stringValues(std::string_view keyPath) {
    const KeyHandle key = OpenKey(keyPath, KEY_QUERY_VALUE);
    if (!key) return {};
    const auto enumerateValue = [&](DWORD index, wchar_t* name, DWORD* length) {
        return RegEnumValueW(key.get(), index, name, length, nullptr, nullptr, nullptr, nullptr);
    };
    std::vector<NamedValue> values;
    for (const std::wstring& name : EnumerateNames(
             enumerateValue, QueryKeyInfo(key.get(), keyPath).longestValueName, keyPath)) {
        if (const std::optional<std::wstring> data = ReadString(key.get(), name, keyPath))
            values.push_back({Utf8FromWide(name), Utf8FromWide(*data)});
    }
    return SortedByUpperCase(std::move(values), [](const NamedValue& value) { return value.name; });
}

void RegistryStore::setStringValue(std::string_view keyPath, std::string_view valueName,
                                   std::string_view data) {
    const std::wstring name = Wide(valueName, "value name");
    const std::wstring text = Wide(data, "value data");
    const KeyHandle key = CreateKeyHandle(keyPath, KEY_SET_VALUE);
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    const LSTATUS status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    if (status != ERROR_SUCCESS) Fail(status, "cannot write value of", keyPath);
}

bool RegistryStore::deleteValue(std::string_view keyPath, std::string_view valueName) {
    const KeyHandle key = OpenKey(keyPath, KEY_SET_VALUE);
    if (!key) return false;
    const LSTATUS status = RegDeleteValueW(key.get(), Wide(valueName, "value name").c_str());
    if (status == ERROR_FILE_NOT_FOUND) return false;
    if (status != ERROR_SUCCESS) Fail(status, "cannot delete value of", keyPath);
    return true;
}

// The registry groups changes only through the Kernel Transaction Manager,
// which Microsoft advises against and Wine, where this is tested, does not
// implement; so every change is applied at once and these do nothing.
void RegistryStore::beginTransaction() {}
void RegistryStore::commitTransaction() {}
void RegistryStore::rollbackTransaction() {}

}  // namespace vantrel
