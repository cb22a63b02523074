#include "settings/SettingsKeys.h"

namespace vantrel {

namespace {

template <typename Result, typename Access>
Result OrDefault(Result fallback, Access&& access) {
    try {
        return access();
    } catch (const StoreError&) {
        return fallback;
    }
}

}  // namespace

std::vector<std::string> SettingsKeys::subkeyNames(std::string_view keyPath) {
    return OrDefault<std::vector<std::string>>({}, [&] { return store_.subKeys(keyPath); });
}

void SettingsKeys::createKey(std::string_view keyPath) {
    OrDefault(false, [&] { store_.createKey(keyPath); return true; });
}

void SettingsKeys::deleteKey(std::string_view keyPath) {
    OrDefault(false, [&] { return store_.deleteKey(keyPath); });
}

std::string SettingsKeys::stringValue(std::string_view keyPath, std::string_view valueName, std::string_view defaultText) {
    return OrDefault(std::string(defaultText), [&] {
        return store_.stringValue(keyPath, valueName).value_or(std::string(defaultText));
    });
}

void SettingsKeys::setStringValue(std::string_view keyPath, std::string_view valueName,
                                  std::string_view text) {
    OrDefault(false, [&] { store_.setStringValue(keyPath, valueName, text); return true; });
}

}  // namespace vantrel
