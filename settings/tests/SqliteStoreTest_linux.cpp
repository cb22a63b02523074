// The SQLite store's own: its file made, shared, damaged, full or read-only.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <thread>

#include "settings/Store.h"
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

class SqliteStoreTest : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    void reopen() {
        store.reset();
        store = OpenUserStore().store;
    }
};

// Entry names as long as Linux paths, and bytes that are not UTF-8.
TEST_F(SqliteStoreTest, KeepsEveryByteAndAnyLength) {
    const std::string name = std::string(4100, 'n') + "\xFF", data("nul\0\xFF", 5);
    store->createKey("Q\\" + name);
    store->setStringValue("Q", "v", data);
    reopen();
    EXPECT_EQ(store->subKeys("Q"), Names{name});
    EXPECT_EQ(store->stringValue("Q", "V"), data);
}

TEST_F(SqliteStoreTest, TransactionsCommitAllOrNothing) {
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

TEST_F(SqliteStoreTest, ASingleWriteWaitsWhileAnotherProgramWrites) {
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

TEST_F(SqliteStoreTest, AnEmptyFileBecomesAStore) {
    store.reset();
    std::ofstream(home.storeFile()).close();
    OpenedStore opened = OpenUserStore();
    EXPECT_FALSE(opened.problem) << *opened.problem;
    opened.store->createKey("Q\\01-a");
    reopen();
    EXPECT_EQ(store->subKeys("Q"), Names{"01-a"});
}

class DamagedStoreTest : public SqliteStoreTest {
protected:
    std::string contents() { return testing::ReadBytes(home.storeFile()); }
    void write(const std::string& bytes) {
        store.reset();
        testing::WriteBytes(home.storeFile(), bytes);
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

TEST_F(DamagedStoreTest, AnotherProgramsDatabaseIsNeitherTakenOverNorTouched) {
    const char* databases[] = {
        "CREATE TABLE notes (text); INSERT INTO notes VALUES ('mine')",
        // Tables of the same name, and a journal mode of its own.
        "PRAGMA journal_mode=DELETE; CREATE TABLE keys (id, name); INSERT INTO keys VALUES (1, "
        "'x')",
        "PRAGMA journal_mode=WAL; PRAGMA application_id=7; CREATE TABLE string_values (v)"};
    for (const char* sql : databases) {
        store.reset();
        std::filesystem::remove(home.storeFile());
        RunSql(home.storeFile(), sql);
        expectReportedAndLeftAlone("another program's database, not a Vantrel store");
        EXPECT_EQ(FolderListing(home.storeFile().parent_path()), Names{"registry.sqlite3"}) << sql;
    }
}

TEST_F(DamagedStoreTest, ACorruptedDatabaseOrAFileThatIsNoneAtAll) {
    for (int i = 0; i < 2000; ++i) store->createKey("Q\\entry-" + std::to_string(i));
    store.reset();
    std::string bytes = contents();
    for (std::size_t i = 4096; i < bytes.size(); i += 64) bytes[i] = '\x5A';
    write(bytes);
    expectReportedAndLeftAlone("");
    write("this is not a database, just some text the user saved here\n");
    expectReportedAndLeftAlone("not a database");
}

TEST_F(DamagedStoreTest, AStoreLockedByAnotherProgram) {
    store.reset();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(home.storeFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE", nullptr, nullptr,
                           nullptr),
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

TEST_F(SmallDiskTest, AStoreOnAFullOrReadOnlyDiskIsReadAsItStandsAndNothingIsMadeBesideIt) {
    const Names entries{"01-/s/a", "02-/s/b", "03-/s/c"};
    for (const std::string& entry : entries) OpenUserStore().store->createKey("Q\\" + entry);
    const std::string before = testing::ReadBytes(home.storeFile());
    const auto expectReadOnly = [&](const std::string& problem, const Names& files) {
        OpenedStore opened = OpenUserStore();
        EXPECT_TRUE(opened.readOnly);
        EXPECT_EQ(opened.problem.value_or("none"), problem);
        EXPECT_EQ(opened.store->subKeys("Q"), entries);
        EXPECT_THROW(opened.store->createKey("Q\\04-/s/d"), StoreError);
        EXPECT_EQ(FolderListing(home.storeFile().parent_path()), files);
        opened.store.reset();
        EXPECT_TRUE(testing::ReadBytes(home.storeFile()) == before) << "the file was changed";
    };
    disk.fill();
    expectReadOnly("the disk is full", {"filler", "registry.sqlite3"});
    std::filesystem::remove(home.storeFile().parent_path() / "filler");
    ASSERT_TRUE(disk.makeReadOnly());
    expectReadOnly("it cannot be written (Read-only file system)", {"registry.sqlite3"});
}

TEST_F(SmallDiskTest, AWriteToAFullDiskSaysSoAndTheStoreStaysSound) {
    std::unique_ptr<Store> store = OpenUserStore().store;
    store->createKey("Q\\01-a");
    disk.fill();
    std::string reason = "no failure";
    try {
        StoreTransaction transaction(*store);
        for (int i = 0; i < 10000; ++i)
            store->createKey("Q\\" + std::to_string(i) + std::string(200, 'x'));
        transaction.commit();
    } catch (const StoreError& error) {
        reason = error.what();
    }
    EXPECT_EQ(reason, "the disk is full");
    store.reset();
    std::filesystem::remove(home.storeFile().parent_path() / "filler");
    EXPECT_EQ(OpenUserStore().store->subKeys("Q"), Names{"01-a"});
}

}  // namespace
}  // namespace vantrel
