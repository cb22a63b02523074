// What the registry store does beyond what every store does.
#include <gtest/gtest.h>
#include <windows.h>

#include "settings/Store.h"
#include "testing/TempUserStore.h"

namespace vantrel {
namespace {

const std::string kEte = "\xC3\xA9t\xC3\xA9";  // été

// Other programs read the same values: in the user's registry, as UTF-16. A
// text with no UTF-16 form is refused whole, not stored altered.
TEST(RegistryStoreTest, ValuesAreUtf16ForOtherProgramsAndTextThatIsNotUtf8IsRefused) {
    testing::TempUserStore temp;
    const std::unique_ptr<Store> store = OpenUserStore().store;
    store->setStringValue("S", "Id", kEte);
    wchar_t data[8] = {};
    DWORD size = sizeof data;
    RegGetValueW(HKEY_CURRENT_USER, L"S", L"iD", RRF_RT_REG_SZ, nullptr, data, &size);
    EXPECT_STREQ(data, L"\u00e9t\u00e9");
    EXPECT_THROW(store->createKey("Q\\a\xFF"), StoreError);
    EXPECT_THROW(store->setStringValue("S", "Id", "\xFF"), StoreError);
    EXPECT_EQ(store->subKeys(""), std::vector<std::string>{"S"});
    EXPECT_EQ(store->stringValue("S", "Id"), kEte);
}

}  // namespace
}  // namespace vantrel
