// What the registry store does beyond what every store does.
#include <gtest/gtest.h>
#include <windows.h>

#include "settings/Store.h"
#include "testing/TempUserStore.h"

namespace vantrel {
namespace {

TEST(RegistryStoreTest, ValuesAreUtf16ForOtherProgramsAndWhatTheRegistryCannotHoldIsRefused) {
    testing::TempUserStore temp;
    const std::unique_ptr<Store> store = OpenUserStore().store;
    store->setStringValue("S", "Id", "\xC3\xA9t\xC3\xA9");
    wchar_t data[8] = {};
    DWORD size = sizeof data;
    RegGetValueW(HKEY_CURRENT_USER, L"S", L"iD", RRF_RT_REG_SZ, nullptr, data, &size);
    EXPECT_STREQ(data, L"\u00e9t\u00e9");
    EXPECT_THROW(store->createKey("Q\\" + std::string(256, 'k')), StoreError);
    EXPECT_THROW(store->setStringValue("S", "Id", "\xFF"), StoreError);
    EXPECT_EQ(store->subKeys(""), std::vector<std::string>{"S"});
}

}  // namespace
}  // namespace vantrel
