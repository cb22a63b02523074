#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "settings/SqliteStore.h"
#include "settings/Store.h"
#include "settings/UserStoreLocation.h"
#include "testing/TempConfigHome.h"

namespace vantrel {
namespace {

using Names = std::vector<std::string>;

class StoreTest : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    std::unique_ptr<Store> reopen() {
        store.reset();
        return OpenUserStore().store;
    }
    std::unique_ptr<Store> store = OpenUserStore().store;
};

TEST_F(StoreTest, LivesInTheConfigHome) {
    EXPECT_EQ(UserStorePath(), home.storeFile());
    EXPECT_TRUE(std::filesystem::exists(home.storeFile()));
}

TEST_F(StoreTest, ListsSubkeysInAscendingOrderWithoutRegardToCase) {
    for (const char* name : {"02-b", "10-c", "01-a", "B-upper", "a-lower"})
        store->createKey(std::string("Q\\") + name);
    EXPECT_EQ(store->subKeys("Q"), (Names{"01-a", "02-b", "10-c", "a-lower", "B-upper"}));
}

TEST_F(StoreTest, KeyNamesAreOneKeyWhateverTheirCase) {
    store->createKey("Q\\Entry");
    store->createKey("q\\ENTRY");
    EXPECT_EQ(store->subKeys("Q"), (Names{"Entry"}));
    EXPECT_TRUE(store->deleteKey("Q\\entry"));
    EXPECT_TRUE(store->subKeys("Q").empty());
}

TEST_F(StoreTest, NonAsciiNamesFoldTheirCase) {
    store->createKey("Q\\\xC3\xA9t\xC3\xA9");      // été
    store->createKey("Q\\\xC3\x89T\xC3\x89");      // ÉTÉ
    store->createKey("Q\\\xE6\x97\xA5\xE6\x9C\xAC");  // 日本
    EXPECT_EQ(store->subKeys("Q"), (Names{"\xC3\xA9t\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC"}));
}

TEST_F(StoreTest, MissingKeysReadAsAbsentAndAreNotCreatedByReading) {
    EXPECT_TRUE(store->subKeys("No\\Such").empty());
    EXPECT_FALSE(store->stringValue("No\\Such", "Id").has_value());
    EXPECT_FALSE(store->keyExists("No\\Such"));
    EXPECT_FALSE(store->keyExists("No"));
    EXPECT_FALSE(store->deleteKey("No\\Such"));
}

TEST_F(StoreTest, CreateKeyMakesParentsAndKeepsWhatExists) {
    store->setStringValue("A", "Id", "4");
    store->createKey("A\\B");
    store->createKey("A\\x\\y\\z");
    store->createKey("A");
    EXPECT_EQ(store->stringValue("A", "Id"), "4");
    EXPECT_EQ(store->subKeys("A"), (Names{"B", "x"}));
    EXPECT_EQ(store->subKeys("A\\x\\y"), (Names{"z"}));
}

TEST_F(StoreTest, DeletesOnlyKeysWithoutSubkeys) {
    store->createKey("A\\B");
    EXPECT_THROW(store->deleteKey("A"), StoreError);
    EXPECT_TRUE(store->deleteKey("A\\B"));
    EXPECT_TRUE(store->deleteKey("A"));
    EXPECT_FALSE(store->keyExists("A"));
}

TEST_F(StoreTest, StringValuesAreWrittenCreatingTheKeyAndOverwritten) {
    store->setStringValue("S\\K", "Id", "3");
    EXPECT_EQ(store->stringValue("S\\K", "id"), "3");
    store->setStringValue("S\\K", "ID", "");
    EXPECT_EQ(store->stringValue("S\\K", "Id"), "");
    EXPECT_EQ(store->stringValues("S\\K"), (std::vector<NamedValue>{{"Id", ""}}));
    EXPECT_TRUE(store->deleteValue("S\\K", "Id"));
    EXPECT_FALSE(store->stringValue("S\\K", "Id").has_value());
}

TEST_F(StoreTest, KeepsEveryCharacterAndAnyLength) {
    const std::string longName(1000, 'n');
    const std::string text = std::string("tab\tnul") + '\0' + "after \xF0\x9F\x98\x80 end";
    store->createKey("Q\\" + longName);
    store->createKey("Q\\zz");
    store->setStringValue("Q", "v", text);
    store = reopen();
    EXPECT_EQ(store->subKeys("Q"), (Names{longName, "zz"}));
    EXPECT_EQ(store->stringValue("Q", "v"), text);
}

TEST_F(StoreTest, RejectsPathsWithEmptyKeyNames) {
    EXPECT_THROW(store->createKey("A\\\\B"), StoreError);
    EXPECT_THROW(store->createKey("A\\"), StoreError);
    EXPECT_FALSE(store->keyExists("A"));
}

TEST_F(StoreTest, TransactionsCommitAllOrNothing) {
    {
        StoreTransaction transaction(*store);
        store->createKey("Q\\01-a");
        store->createKey("Q\\02-b");
    }
    EXPECT_FALSE(store->keyExists("Q"));
    {
        StoreTransaction transaction(*store);
        store->createKey("Q\\01-a");
        store->createKey("Q\\02-b");
        transaction.commit();
    }
    store = reopen();
    EXPECT_EQ(store->subKeys("Q"), (Names{"01-a", "02-b"}));
}

TEST_F(StoreTest, ThousandsOfSubkeysComeBackInOrder) {
    StoreTransaction transaction(*store);
    for (int i = 4999; i >= 0; --i) store->createKey("Q\\k" + std::to_string(100000 + i));
    transaction.commit();
    const Names names = store->subKeys("Q");
    ASSERT_EQ(names.size(), 5000u);
    EXPECT_EQ(names.front(), "k100000");
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

class DamagedStoreTest : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    void write(const std::string& bytes) {
        std::filesystem::create_directories(home.storeFile().parent_path());
        std::ofstream(home.storeFile(), std::ios::binary) << bytes;
    }
    std::string contents() {
        std::ifstream in(home.storeFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(DamagedStoreTest, AFileThatIsNotADatabaseIsReportedAndLeftAlone) {
    const std::string junk = "this is not a database, just some text the user saved here\n";
    write(junk);
    OpenedStore opened = OpenUserStore();
    ASSERT_TRUE(opened.problem.has_value());
    EXPECT_NE(opened.problem->find("not a database"), std::string::npos) << *opened.problem;
    EXPECT_EQ(opened.location, home.storeFile().string());
    opened.store->createKey("Software\\Works");
    EXPECT_TRUE(opened.store->keyExists("Software\\Works"));
    opened.store.reset();
    EXPECT_EQ(contents(), junk);
}

TEST_F(DamagedStoreTest, ACorruptedDatabaseIsReportedAndLeftAlone) {
    {
        auto store = OpenUserStore().store;
        StoreTransaction transaction(*store);
        for (int i = 0; i < 2000; ++i) store->createKey("Q\\entry-" + std::to_string(i));
        transaction.commit();
    }
    std::string bytes = contents();
    ASSERT_GT(bytes.size(), 8192u);
    for (std::size_t i = 4096; i < bytes.size(); i += 64) bytes[i] = '\x5A';
    write(bytes);
    const OpenedStore opened = OpenUserStore();
    ASSERT_TRUE(opened.problem.has_value());
    EXPECT_EQ(contents(), bytes);
}

TEST_F(DamagedStoreTest, AFolderThatCannotBeCreatedIsReported) {
    std::ofstream(home.path() / "vantrel") << "a file where the folder should be";
    const OpenedStore opened = OpenUserStore();
    EXPECT_TRUE(opened.problem.has_value());
    EXPECT_TRUE(opened.store->subKeys("").empty());
}

TEST_F(DamagedStoreTest, AStoreLockedByAnotherProgramIsReported) {
    OpenUserStore();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(home.storeFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
              SQLITE_OK);
    const OpenedStore opened = OpenUserStore();
    sqlite3_close(other);
    ASSERT_TRUE(opened.problem.has_value());
    EXPECT_NE(opened.problem->find("locked"), std::string::npos) << *opened.problem;
}

}  // namespace
}  // namespace vantrel
