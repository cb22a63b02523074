#include <gtest/gtest.h>
#include <windows.h>

#include "settings/Store.h"

namespace vantrel {
namespace {

using Names = std::vector<std::string>;
const std::string kEte = "\xC3\xA9t\xC3\xA9";  // été

// A fresh key stands in for HKEY_CURRENT_USER, so no test touches the user's settings.
class RegistryStoreTest : public ::testing::Test {
protected:
    const std::wstring path = L"Software\\Vantrel test " + std::to_wstring(GetCurrentProcessId());
    HKEY key = nullptr;
    std::unique_ptr<Store> store;

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());  // left over by a run that crashed
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &key), ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, key), ERROR_SUCCESS);
        store = OpenUserStore().store;
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    }
};

// The longest key name must not cut the listing short.
TEST_F(RegistryStoreTest, ListsSubkeysInAscendingOrderWithoutRegardToCase) {
    const std::string longest(255, 'k');
    for (const std::string& name : Names{"10-c", kEte, "zz", longest, "B-up", "01-a", "a-low"})
        store->createKey("Q\\" + name);
    EXPECT_EQ(store->subKeys("Q"), (Names{"01-a", "10-c", "a-low", "B-up", longest, "zz", kEte}));
}

TEST_F(RegistryStoreTest, MissingKeysReadAsAbsentParentsAreCreatedAndOnlyLeavesDeleted) {
    EXPECT_FALSE(store->stringValue("A\\B", "Id").has_value());
    EXPECT_TRUE(store->subKeys("A").empty());
    EXPECT_FALSE(store->keyExists("A"));
    store->createKey("A\\B");
    EXPECT_THROW(store->deleteKey("A"), StoreError);
    EXPECT_TRUE(store->deleteKey("A\\B"));
    EXPECT_TRUE(store->deleteKey("A"));
    EXPECT_FALSE(store->keyExists("A"));
}

// Other programs read the same value: in the user's registry, as UTF-16.
TEST_F(RegistryStoreTest, OverwritesAValueWhateverTheCaseOfItsName) {
    store->setStringValue("S", "Id", "3");
    store->setStringValue("S", "ID", kEte);
    EXPECT_EQ(store->stringValue("S", "id"), kEte);
    EXPECT_EQ(store->stringValues("S").size(), 1u);
    wchar_t data[8] = {};
    DWORD size = sizeof data;
    RegGetValueW(HKEY_CURRENT_USER, L"S", L"Id", RRF_RT_REG_SZ, nullptr, data, &size);
    EXPECT_STREQ(data, L"\u00e9t\u00e9");
}

}  // namespace
}  // namespace vantrel
