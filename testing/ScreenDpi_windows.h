#pragma once

#include <windows.h>

namespace vantrel::testing {

/// Sets the screen's dots per inch that programs started from now on find,
/// and puts the setting back when it goes.
class ScreenDpiSetting {
public:
    explicit ScreenDpiSetting(DWORD dpi) {
        DWORD size = sizeof before_;
        had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &before_,
                            &size) == ERROR_SUCCESS;
        set(dpi);
    }
    ~ScreenDpiSetting() {
        if (had_) set(before_);
        else RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
    ScreenDpiSetting(const ScreenDpiSetting&) = delete;
    ScreenDpiSetting& operator=(const ScreenDpiSetting&) = delete;

private:
    static constexpr wchar_t kKey[] = L"Control Panel\\Desktop", kValue[] = L"LogPixels";
    static void set(DWORD dpi) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof dpi);
    }

    DWORD before_ = 0;
    bool had_ = false;
};

}  // namespace vantrel::testing
