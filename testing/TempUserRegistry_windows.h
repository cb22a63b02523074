#pragma once

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace vantrel::testing {

/// A fresh key below HKEY_CURRENT_USER\Software that stands in for the whole of
/// HKEY_CURRENT_USER in this process while it lives, so no test ever touches the
/// user's real settings. It is deleted with everything under it afterwards.
class TempUserRegistry {
public:
    TempUserRegistry() : path_(UniquePath()) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot create the test key");
        key_.reset(key);
        if (RegOverridePredefKey(HKEY_CURRENT_USER, key) != ERROR_SUCCESS)
            throw std::runtime_error("cannot redirect HKEY_CURRENT_USER");
    }
    ~TempUserRegistry() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        key_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }
    TempUserRegistry(const TempUserRegistry&) = delete;
    TempUserRegistry& operator=(const TempUserRegistry&) = delete;

private:
    struct KeyCloser {
        void operator()(HKEY key) const { RegCloseKey(key); }
    };

    static std::wstring UniquePath() {
        static int created = 0;
        return L"Software\\Vantrel test " + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++created);
    }

    std::wstring path_;
    std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser> key_;
};

}  // namespace vantrel::testing
