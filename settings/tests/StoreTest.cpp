#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <thread>

#include "settings/Store.h"
#include "settings/UserStoreLocation.h"
#include "testing/FileBytes.h"
#include "testing/PrivateTmpfs.h"
#include "testing/TempConfigHome.h"

namespace vantrel {
namespace {

using Names = std::vector<std::string>;

Names FolderListing(const std::filesystem::path& folder) {
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void RunSql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class StoreTest : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    void reopen() {
        store.reset();
        store = OpenUserStore().store;
    }
};

TEST_F(StoreTest, ListsSubkeysInAscendingOrderWithoutRegardToCase) {
    for (const char* name : {"02-b", "10-c", "01-a", "B-upper", "a-lower", "\xC3\xA9t\xC3\xA9", "01-A"})
        store->createKey(std::string("Q\\") + name);
    store->createKey("Q\\\xC3\x89T\xC3\x89");  // ÉTÉ is the same key as été
    EXPECT_EQ(UserStorePath(), home.storeFile());
    reopen();
    EXPECT_EQ(store->subKeys("Q"), (Names{"01-a", "02-b", "10-c", "a-lower", "B-upper", "\xC3\xA9t\xC3\xA9"}));
}

TEST_F(StoreTest, MissingKeysReadAsAbsentAndAreNotCreatedByReading) {
    EXPECT_TRUE(store->subKeys("No\\Such").empty());
    EXPECT_FALSE(store->stringValue("No\\Such", "Id").has_value());
    EXPECT_FALSE(store->deleteKey("No\\Such"));
    EXPECT_FALSE(store->keyExists("No"));
    EXPECT_THROW(store->createKey("A\\\\B"), StoreError);
    EXPECT_FALSE(store->keyExists("A"));
}

TEST_F(StoreTest, KeysAreCreatedWithParentsKeptAndDeletedOnlyWithoutSubkeys) {
    store->setStringValue("A", "Id", "4");
    store->createKey("A\\x\\y\\z");
    store->createKey("A");
    EXPECT_EQ(store->stringValue("A", "id"), "4");
    EXPECT_EQ(store->subKeys("A\\x\\y"), (Names{"z"}));
    EXPECT_THROW(store->deleteKey("A\\x"), StoreError);
    EXPECT_TRUE(store->deleteKey("A\\X\\Y\\Z"));
    EXPECT_FALSE(store->keyExists("A\\x\\y\\z"));
}

TEST_F(StoreTest, KeepsEveryCharacterAndAnyLength) {
    const std::string longName(1000, 'n');
    const std::string text = std::string("tab\tnul") + '\0' + "after \xF0\x9F\x98\x80 end";
    store->createKey("Q\\" + longName);
    store->createKey("Q\\zz");
    store->setStringValue("Q", "v", "old");
    store->setStringValue("Q", "V", text);
    reopen();
    EXPECT_EQ(store->subKeys("Q"), (Names{longName, "zz"}));
    EXPECT_EQ(store->stringValues("Q"), (std::vector<NamedValue>{{"v", text}}));
}

TEST_F(StoreTest, TransactionsCommitAllOrNothing) {
    {
        StoreTransaction transaction(*store);
        store->createKey("Q\\01-a");
    }
    EXPECT_FALSE(store->keyExists("Q"));
    {
        StoreTransaction transaction(*store);
        for (int i = 4999; i >= 0; --i) store->createKey("Q\\k" + std::to_string(100000 + i));
        transaction.commit();
    }
    reopen();
    const Names names = store->subKeys("Q");
    ASSERT_EQ(names.size(), 5000u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

TEST_F(StoreTest, ASingleWriteWaitsWhileAnotherProgramWrites) {
    store->createKey("Software\\X");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(home.storeFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread otherWriter([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    EXPECT_NO_THROW(store->setStringValue("Software\\X", "Id", "3"));
    EXPECT_NO_THROW(store->deleteValue("Software\\X", "Id"));
    otherWriter.join();
    sqlite3_close(other);
    EXPECT_TRUE(store->keyExists("Software\\X"));
}

TEST_F(StoreTest, AnEmptyFileBecomesAStore) {
    store.reset();
    std::ofstream(home.storeFile()).close();
    OpenedStore opened = OpenUserStore();
    EXPECT_FALSE(opened.problem) << *opened.problem;
    opened.store->createKey("Q\\01-a");
    reopen();
    EXPECT_EQ(store->subKeys("Q"), Names{"01-a"});
}

class DamagedStoreTest : public StoreTest {
protected:
    std::string contents() {
        std::ifstream in(home.storeFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void write(const std::string& bytes) {
        store.reset();
        std::ofstream(home.storeFile(), std::ios::binary) << bytes;
    }
    /// The store is reported, replaced by an empty one in memory, and left as it was.
    void expectReportedAndLeftAlone(const std::string& reason) {
        const std::string before = contents();
        OpenedStore opened = OpenUserStore();
        ASSERT_TRUE(opened.problem.has_value());
        EXPECT_NE(opened.problem->find(reason), std::string::npos) << *opened.problem;
        EXPECT_EQ(opened.location, home.storeFile().string());
        opened.store->createKey("Software\\Works");
        EXPECT_TRUE(opened.store->keyExists("Software\\Works"));
        opened.store.reset();
        EXPECT_TRUE(contents() == before) << "the file was changed";
    }
};

TEST_F(DamagedStoreTest, AFileThatIsNotADatabase) {
    write("this is not a database, just some text the user saved here\n");
    expectReportedAndLeftAlone("not a database");
}

TEST_F(DamagedStoreTest, AnotherProgramsDatabaseIsNeitherTakenOverNorTouched) {
    const char* databases[] = {
        "CREATE TABLE notes (text); INSERT INTO notes VALUES ('mine')",
        // Tables of the same name, and a journal mode of its own.
        "PRAGMA journal_mode=DELETE; CREATE TABLE keys (id, name); INSERT INTO keys VALUES (1, 'x')",
        "PRAGMA journal_mode=WAL; PRAGMA application_id=7; CREATE TABLE string_values (v)"};
    for (const char* sql : databases) {
        store.reset();
        std::filesystem::remove(home.storeFile());
        RunSql(home.storeFile(), sql);
        expectReportedAndLeftAlone("another program's database, not a Vantrel store");
        EXPECT_EQ(FolderListing(home.storeFile().parent_path()), Names{"registry.sqlite3"}) << sql;
    }
}

TEST_F(DamagedStoreTest, ACorruptedDatabase) {
    for (int i = 0; i < 2000; ++i) store->createKey("Q\\entry-" + std::to_string(i));
    store.reset();
    std::string bytes = contents();
    for (std::size_t i = 4096; i < bytes.size(); i += 64) bytes[i] = '\x5A';
    write(bytes);
    expectReportedAndLeftAlone("");
}

TEST_F(DamagedStoreTest, AStoreLockedByAnotherProgram) {
    store.reset();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(home.storeFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
              SQLITE_OK);
    expectReportedAndLeftAlone("locked");
    sqlite3_close(other);
}

/// The store's folder on a small disk of its own.
class SmallDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!disk.mounted()) GTEST_SKIP() << "this process may not mount a file system";
    }
    testing::TempConfigHome home;
    testing::PrivateTmpfs disk{home.storeFile().parent_path(), 512 * 1024};
};

TEST_F(SmallDiskTest, AFullDiskWithoutAStoreGetsNoFileAndSaysSo) {
    disk.fill();
    OpenedStore opened = OpenUserStore();
    ASSERT_TRUE(opened.problem.has_value());
    EXPECT_NE(opened.problem->find("the disk is full"), std::string::npos) << *opened.problem;
    EXPECT_EQ(FolderListing(home.storeFile().parent_path()), Names{"filler"});
}

TEST_F(SmallDiskTest, AWriteToAFullDiskSaysSoAndTheStoreStaysSound) {
    std::unique_ptr<Store> store = OpenUserStore().store;
    store->createKey("Q\\01-a");
    disk.fill();
    std::string reason = "no failure";
    try {
        StoreTransaction transaction(*store);
        for (int i = 0; i < 10000; ++i) store->createKey("Q\\" + std::to_string(i) + std::string(200, 'x'));
        transaction.commit();
    } catch (const StoreError& error) {
        reason = error.what();
    }
    EXPECT_EQ(reason, "the disk is full");
    store.reset();
    std::filesystem::remove(home.storeFile().parent_path() / "filler");
    EXPECT_EQ(OpenUserStore().store->subKeys("Q"), Names{"01-a"});
}

TEST_F(SmallDiskTest, AReadOnlyStoreIsReadAndSaysChangesAreNotKept) {
    OpenUserStore().store->createKey("Q\\01-a");
    const std::string before = testing::ReadBytes(home.storeFile());
    ASSERT_TRUE(disk.makeReadOnly());
    OpenedStore opened = OpenUserStore();
    EXPECT_TRUE(opened.readOnly);
    ASSERT_TRUE(opened.problem.has_value());
    EXPECT_EQ(*opened.problem, "it cannot be written (Read-only file system)");
    EXPECT_EQ(opened.store->subKeys("Q"), Names{"01-a"});
    EXPECT_THROW(opened.store->createKey("Q\\02-b"), StoreError);
    EXPECT_TRUE(testing::ReadBytes(home.storeFile()) == before) << "the file was changed";
}

}  // namespace
}  // namespace vantrel
