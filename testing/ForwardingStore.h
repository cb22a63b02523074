#pragma once

#include "settings/Store.h"

namespace vantrel {

/// A store that hands every call to a real one, so that a test or a benchmark can change
/// how some of them behave.
class ForwardingStore : public Store {
public:
    explicit ForwardingStore(Store& inner) : inner_(inner) {}

    std::vector<std::string> subKeys(std::string_view keyPath) override {
        return inner_.subKeys(keyPath);
    }
    bool keyExists(std::string_view keyPath) override { return inner_.keyExists(keyPath); }
    void createKey(std::string_view keyPath) override { inner_.createKey(keyPath); }
    bool deleteKey(std::string_view keyPath) override { return inner_.deleteKey(keyPath); }
    std::optional<std::string> stringValue(std::string_view keyPath,
                                           std::string_view valueName) override {
        return inner_.stringValue(keyPath, valueName);
    }
    std::vector<NamedValue> stringValues(std::string_view keyPath) override {
        return inner_.stringValues(keyPath);
    }
    void setStringValue(std::string_view keyPath, std::string_view valueName,
                        std::string_view data) override {
        inner_.setStringValue(keyPath, valueName, data);
    }
    bool deleteValue(std::string_view keyPath, std::string_view valueName) override {
        return inner_.deleteValue(keyPath, valueName);
    }
    void beginTransaction() override { inner_.beginTransaction(); }
    void commitTransaction() override { inner_.commitTransaction(); }
    void rollbackTransaction() override { inner_.rollbackTransaction(); }

private:
    Store& inner_;
};

}  // namespace vantrel
