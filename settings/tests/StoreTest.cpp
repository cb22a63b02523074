// What every store keeps to, over the platform's backend in a fresh user store
// (an SQLite file, the registry); each backend also has tests of its own.
#include <gtest/gtest.h>

#include "settings/Store.h"
#include "testing/TempUserStore.h"

namespace vantrel {
namespace {

using Names = std::vector<std::string>;
const std::string kEte = "\xC3\xA9t\xC3\xA9";  // été

class StoreTest : public ::testing::Test {
protected:
    testing::TempUserStore temp;
    std::unique_ptr<Store> store = OpenUserStore().store;
    /// The store as the next start finds it.
    void reopen() {
        store.reset();
        store = OpenUserStore().store;
    }
};

// The longest key name the registry takes must not cut the listing short;
// 01-A and ÉTÉ are the keys 01-a and été.
TEST_F(StoreTest, ListsSubkeysInAscendingOrderWithoutRegardToCase) {
    const std::string longest(255, 'k');
    for (const std::string& name : Names{"02-b", "10-c", kEte, "01-a", "B-upper", longest, "zz",
                                         "a-lower", "01-A", "\xC3\x89T\xC3\x89"})
        store->createKey("Q\\" + name);
    reopen();
    EXPECT_EQ(store->subKeys("Q"),
              (Names{"01-a", "02-b", "10-c", "a-lower", "B-upper", longest, "zz", kEte}));
}

TEST_F(StoreTest, MissingKeysReadAsAbsentParentsAreCreatedAndOnlyLeavesDeleted) {
    EXPECT_TRUE(store->subKeys("A").empty());
    EXPECT_FALSE(store->stringValue("A\\x", "Id").has_value());
    EXPECT_TRUE(store->stringValues("A").empty());
    EXPECT_FALSE(store->deleteKey("A\\x"));
    EXPECT_FALSE(store->deleteValue("A", "Id"));
    EXPECT_THROW(store->createKey("A\\\\x"), StoreError);
    EXPECT_FALSE(store->keyExists("A"));
    store->createKey("A\\x\\y\\z");
    store->createKey("A");
    EXPECT_EQ(store->subKeys("A\\x\\y"), (Names{"z"}));
    EXPECT_THROW(store->deleteKey("A\\x"), StoreError);
    EXPECT_TRUE(store->deleteKey("A\\X\\Y\\Z"));
    EXPECT_FALSE(store->keyExists("A\\x\\y\\z"));
    EXPECT_TRUE(store->keyExists("A\\x\\y"));
}

TEST_F(StoreTest, AValueIsOneWhateverTheCaseOfItsNameAndKeepsEveryCharacter) {
    const std::string text = "tab\tline\r\n" + kEte + "\xF0\x9F\x98\x80" + std::string(5000, 'x');
    store->setStringValue("S", "Id", "3");
    store->setStringValue("S", "ID", text);
    store->setStringValue("S", "Other", "");
    reopen();
    EXPECT_EQ(store->stringValue("S", "id"), text);
    EXPECT_EQ(store->stringValues("S"), (std::vector<NamedValue>{{"Id", text}, {"Other", ""}}));
    EXPECT_TRUE(store->deleteValue("S", "iD"));
    EXPECT_EQ(store->stringValues("S"), (std::vector<NamedValue>{{"Other", ""}}));
}

}  // namespace
}  // namespace vantrel
