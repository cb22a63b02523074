#include <gtest/gtest.h>
#include <windows.h>

#include "settings/Store.h"
#include "testing/TempUserRegistry_windows.h"

namespace vantrel {

void PrintTo(const NamedValue& value, std::ostream* out) {
    *out << ::testing::PrintToString(value.name) << " = " << ::testing::PrintToString(value.data);
}

namespace {

using Names = std::vector<std::string>;

class RegistryStoreTest : public ::testing::Test {
protected:
    testing::TempUserRegistry registry;
    std::unique_ptr<Store> store = OpenUserStore().store;

    /// Writes a value as another program would, with any type and any bytes.
    static void setRawValue(const wchar_t* keyPath, const wchar_t* name, DWORD type,
                            const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, keyPath, name, type, data, size),
                  ERROR_SUCCESS);
    }
};

TEST_F(RegistryStoreTest, IsTheCurrentUsersRegistry) {
    const OpenedStore opened = OpenUserStore();
    EXPECT_EQ(opened.location, "HKEY_CURRENT_USER");
    EXPECT_FALSE(opened.problem.has_value());
    opened.store->setStringValue("Software\\Probe", "Id", "4");
    wchar_t data[8] = {};
    DWORD size = sizeof data;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Probe", L"Id", RRF_RT_REG_SZ, nullptr,
                           data, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(data, L"4");
}

TEST_F(RegistryStoreTest, ListsSubkeysInAscendingOrderWithoutRegardToCase) {
    for (const char* name : {"02-b", "10-c", "01-a", "B-upper", "a-lower"})
        store->createKey(std::string("Q\\") + name);
    EXPECT_EQ(store->subKeys("Q"), (Names{"01-a", "02-b", "10-c", "a-lower", "B-upper"}));
}

TEST_F(RegistryStoreTest, KeyNamesAreOneKeyWhateverTheirCase) {
    store->createKey("Q\\Entry");
    store->createKey("q\\ENTRY");
    EXPECT_EQ(store->subKeys("Q"), (Names{"Entry"}));
    EXPECT_TRUE(store->deleteKey("Q\\entry"));
    EXPECT_TRUE(store->subKeys("Q").empty());
}

TEST_F(RegistryStoreTest, NonAsciiNamesAndDataAreKept) {
    const std::string ete = "\xC3\xA9t\xC3\xA9";           // été
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";  // 日本
    const std::string smile = "\xF0\x9F\x98\x80 smile";    // beyond the 16-bit range
    store->createKey("Q\\" + nihon);
    store->createKey("Q\\" + ete);
    store->createKey("Q\\\xC3\x89T\xC3\x89");  // ÉTÉ, the same name
    store->createKey("Q\\" + smile);
    EXPECT_EQ(store->subKeys("Q"), (Names{ete, nihon, smile}));
    store->setStringValue("Q\\" + ete, nihon, smile);
    EXPECT_EQ(store->stringValues("Q\\\xC3\x89T\xC3\x89"),
              (std::vector<NamedValue>{{nihon, smile}}));
}

TEST_F(RegistryStoreTest, MissingKeysReadAsAbsentAndAreNotCreatedByReading) {
    EXPECT_TRUE(store->subKeys("No\\Such").empty());
    EXPECT_FALSE(store->stringValue("No\\Such", "Id").has_value());
    EXPECT_TRUE(store->stringValues("No\\Such").empty());
    EXPECT_FALSE(store->deleteKey("No\\Such"));
    EXPECT_FALSE(store->deleteValue("No\\Such", "Id"));
    EXPECT_FALSE(store->keyExists("No\\Such"));
    EXPECT_FALSE(store->keyExists("No"));
}

TEST_F(RegistryStoreTest, CreateKeyMakesParentsAndKeepsWhatExists) {
    store->setStringValue("A", "Id", "4");
    store->createKey("A\\B");
    store->createKey("A\\x\\y\\z");
    store->createKey("A");
    EXPECT_EQ(store->stringValue("A", "Id"), "4");
    EXPECT_EQ(store->subKeys("A"), (Names{"B", "x"}));
    EXPECT_EQ(store->subKeys("A\\x\\y"), (Names{"z"}));
}

TEST_F(RegistryStoreTest, DeletesOnlyKeysWithoutSubkeys) {
    store->setStringValue("A\\B", "Id", "1");
    EXPECT_THROW(store->deleteKey("A"), StoreError);
    EXPECT_TRUE(store->keyExists("A\\B"));
    EXPECT_TRUE(store->deleteKey("A\\B"));
    EXPECT_TRUE(store->deleteKey("A"));
    EXPECT_FALSE(store->keyExists("A"));
}

TEST_F(RegistryStoreTest, StringValuesAreWrittenOverwrittenAndListedByName) {
    store->setStringValue("S\\K", "Id", "3");
    EXPECT_EQ(store->stringValue("S\\K", "id"), "3");
    store->setStringValue("S\\K", "ID", "");
    EXPECT_EQ(store->stringValue("S\\K", "Id"), "");
    store->setStringValue("S\\K", "b", "2");
    store->setStringValue("S\\K", "A", "1");
    EXPECT_EQ(store->stringValues("S\\K"),
              (std::vector<NamedValue>{{"A", "1"}, {"b", "2"}, {"Id", ""}}));
    EXPECT_TRUE(store->deleteValue("S\\K", "id"));
    EXPECT_FALSE(store->deleteValue("S\\K", "id"));
    EXPECT_FALSE(store->stringValue("S\\K", "Id").has_value());
}

TEST_F(RegistryStoreTest, ValuesOfOtherTypesReadAsAbsentAndAreOverwritten) {
    const DWORD number = 3;
    setRawValue(L"T", L"Number", REG_DWORD, &number, sizeof number);
    setRawValue(L"T", L"Expand", REG_EXPAND_SZ, L"%PATH%", sizeof L"%PATH%");
    setRawValue(L"T", L"Text", REG_SZ, L"kept", sizeof L"kept");
    EXPECT_FALSE(store->stringValue("T", "Number").has_value());
    EXPECT_FALSE(store->stringValue("T", "Expand").has_value());
    EXPECT_EQ(store->stringValues("T"), (std::vector<NamedValue>{{"Text", "kept"}}));
    store->setStringValue("T", "Number", "4");
    EXPECT_EQ(store->stringValue("T", "Number"), "4");
}

TEST_F(RegistryStoreTest, StringDataEndsAtItsFirstZeroAndNeedsNoTerminator) {
    setRawValue(L"T", L"Bare", REG_SZ, L"no end", 6 * sizeof(wchar_t));
    setRawValue(L"T", L"Inner", REG_SZ, L"first\0second", sizeof L"first\0second");
    EXPECT_EQ(store->stringValue("T", "Bare"), "no end");
    EXPECT_EQ(store->stringValue("T", "Inner"), "first");
    const std::string longData(100000, 'd');
    store->setStringValue("T", "Long", longData);
    EXPECT_EQ(store->stringValue("T", "Long"), longData);
}

TEST_F(RegistryStoreTest, LongNamesAreKeptAndListedWithTheNamesAfterThem) {
    const std::string longestKeyName(255, 'k');
    const std::string longValueName(300, 'v');
    store->createKey("Q\\aa");
    store->createKey("Q\\" + longestKeyName);
    store->createKey("Q\\zz");
    store->setStringValue("Q", longValueName, "x");
    store->setStringValue("Q", "zz", "y");
    EXPECT_EQ(store->subKeys("Q"), (Names{"aa", longestKeyName, "zz"}));
    EXPECT_EQ(store->stringValues("Q"),
              (std::vector<NamedValue>{{longValueName, "x"}, {"zz", "y"}}));
}

TEST_F(RegistryStoreTest, RefusesWhatTheRegistryCannotHoldAsItIs) {
    EXPECT_THROW(store->createKey("Q\\" + std::string(300, 'k')), StoreError);
    EXPECT_THROW(store->createKey("A\\\\B"), StoreError);
    EXPECT_THROW(store->createKey("A\\"), StoreError);
    EXPECT_THROW(store->setStringValue("A", "Id", "\xFF not UTF-8"), StoreError);
    EXPECT_FALSE(store->keyExists("A"));
    EXPECT_TRUE(store->subKeys("Q").empty());
}

}  // namespace
}  // namespace vantrel
