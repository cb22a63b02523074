#include "settings/SettingsKeys.h"

namespace vantrel {

std::vector<std::string> SettingsKeys::subkeyNames(std::string_view keyPath) {
    return store_.subKeys(keyPath);
}

void SettingsKeys::createKey(std::string_view keyPath) { store_.createKey(keyPath); }

bool SettingsKeys::deleteKey(std::string_view keyPath) { return store_.deleteKey(keyPath); }

std::string SettingsKeys::stringValue(std::string_view keyPath, std::string_view valueName,
                                      std::string_view defaultText) {
    return store_.stringValue(keyPath, valueName).value_or(std::string(defaultText));
}

void SettingsKeys::setStringValue(std::string_view keyPath, std::string_view valueName,
                                  std::string_view text) {
    store_.setStringValue(keyPath, valueName, text);
}

}  // namespace vantrel
