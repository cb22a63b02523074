#pragma once

#include <functional>

#include "testing/ForwardingStore.h"

namespace vantrel::testing {

/// A real store that fails the calls a test picks, as a store busy past its
/// timeout or with a failing disk does.
class FaultyStore : public ForwardingStore {
public:
    enum class Call { Read, Write };

    using ForwardingStore::ForwardingStore;

    /// Asked before every call; true makes it throw StoreError.
    std::function<bool(Call)> fails = [](Call) { return false; };

    std::vector<std::string> subKeys(std::string_view keyPath) override {
        check(Call::Read);
        return ForwardingStore::subKeys(keyPath);
    }
    bool keyExists(std::string_view keyPath) override {
        check(Call::Read);
        return ForwardingStore::keyExists(keyPath);
    }
    std::optional<std::string> stringValue(std::string_view keyPath,
                                           std::string_view valueName) override {
        check(Call::Read);
        return ForwardingStore::stringValue(keyPath, valueName);
    }
    void createKey(std::string_view keyPath) override {
        check(Call::Write);
        ForwardingStore::createKey(keyPath);
    }
    bool deleteKey(std::string_view keyPath) override {
        check(Call::Write);
        return ForwardingStore::deleteKey(keyPath);
    }
    void setStringValue(std::string_view keyPath, std::string_view valueName,
                        std::string_view data) override {
        check(Call::Write);
        ForwardingStore::setStringValue(keyPath, valueName, data);
    }

private:
    void check(Call call) {
        if (fails(call)) throw StoreError("disk I/O error");
    }
};

}  // namespace vantrel::testing
