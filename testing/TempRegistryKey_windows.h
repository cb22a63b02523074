#pragma once

#include <windows.h>

#include <string>

namespace vantrel::testing {

/// A fresh registry key that stands in for HKEY_CURRENT_USER in this process
/// while it lives, so no test ever touches the user's settings.
class TempRegistryKey {
public:
    TempRegistryKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());  // left over by a run that crashed
        RegCreateKeyW(HKEY_CURRENT_USER, path_.c_str(), &key_);
        RegOverridePredefKey(HKEY_CURRENT_USER, key_);
    }
    ~TempRegistryKey() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    TempRegistryKey(const TempRegistryKey&) = delete;
    TempRegistryKey& operator=(const TempRegistryKey&) = delete;

private:
    const std::wstring path_ = L"Software\\Vantrel test " + std::to_wstring(GetCurrentProcessId());
    HKEY key_ = nullptr;
};

}  // namespace vantrel::testing
