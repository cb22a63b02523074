#pragma once

#include <windows.h>

namespace vantrel::testing {

/// Sets the screen's dots per inch that programs started from now on find,
/// and puts the setting back when it goes.
class ScreenDpiSetting {
public:
    explicit ScreenDpiSetting(DWORD dpi) {
        RegCreateKeyW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", &desktop_);
        DWORD size = sizeof before_;
        had_ = RegQueryValueExW(desktop_, kValue, nullptr, nullptr,
                                reinterpret_cast<BYTE*>(&before_), &size) == ERROR_SUCCESS;
        set(dpi);
    }
    ~ScreenDpiSetting() {
        if (had_)
            set(before_);
        else
            RegDeleteValueW(desktop_, kValue);
        RegCloseKey(desktop_);
    }
    ScreenDpiSetting(const ScreenDpiSetting&) = delete;
    ScreenDpiSetting& operator=(const ScreenDpiSetting&) = delete;

private:
    static constexpr wchar_t kValue[] = L"LogPixels";
    void set(DWORD dpi) {
        RegSetValueExW(desktop_, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
    }

    HKEY desktop_ = nullptr;
    DWORD before_ = 0;
    bool had_ = false;
};

}  // namespace vantrel::testing
