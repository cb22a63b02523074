#include <gtest/gtest.h>

#include <sstream>

#include "settings/RegTool.h"
#include "testing/TempUserStore.h"

namespace vantrel {
namespace {

class RegToolTest : public ::testing::Test {
protected:
    testing::TempUserStore userStore;
    std::unique_ptr<Store> store = OpenUserStore().store;
    std::string out, err;

    int run(std::vector<std::string> args) {
        std::ostringstream o, e;
        const int status = RunRegTool(args, *store, o, e);
        out = o.str();
        err = e.str();
        return status;
    }
};

TEST_F(RegToolTest, QueryPrintsValuesThenSubkeysInStoreOrder) {
    EXPECT_EQ(run({"add", "HKCU\\Software\\Dravell\\Kestrim", "/v", "Id", "/d", "4"}), kRegOk);
    EXPECT_EQ(run({"add", "HKCU\\Software\\Dravell\\Kestrim\\EssCmdList\\02-/b/y.txt"}), kRegOk);
    EXPECT_EQ(run({"add", "HKEY_CURRENT_USER\\Software\\Dravell\\Kestrim\\EssCmdList\\01-/a/x.txt"}), kRegOk);
    EXPECT_EQ(run({"query", "hkcu\\Software\\Dravell\\Kestrim"}), kRegOk);
    EXPECT_EQ(out,
              "HKEY_CURRENT_USER\\Software\\Dravell\\Kestrim\n"
              "    Id    REG_SZ    4\n"
              "\n"
              "HKEY_CURRENT_USER\\Software\\Dravell\\Kestrim\\EssCmdList\n");
    EXPECT_EQ(run({"query", "HKCU\\Software\\Dravell\\Kestrim\\EssCmdList"}), kRegOk);
    EXPECT_EQ(out,
              "HKEY_CURRENT_USER\\Software\\Dravell\\Kestrim\\EssCmdList\n\n"
              "HKEY_CURRENT_USER\\Software\\Dravell\\Kestrim\\EssCmdList\\01-/a/x.txt\n"
              "HKEY_CURRENT_USER\\Software\\Dravell\\Kestrim\\EssCmdList\\02-/b/y.txt\n");
}

TEST_F(RegToolTest, MissingKeysAndValuesExitWithOneAndCreateNothing) {
    EXPECT_EQ(run({"query", "HKCU\\Software\\Nothing"}), kRegNotFound);
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(store->keyExists("Software"));
    EXPECT_EQ(run({"delete", "HKCU\\Software\\Nothing"}), kRegNotFound);
    run({"add", "HKCU\\Software\\K"});
    EXPECT_EQ(run({"delete", "HKCU\\Software\\K", "/v", "Id"}), kRegNotFound);
}

TEST_F(RegToolTest, DeletesValuesAndLeafKeys) {
    run({"add", "HKCU\\Software\\K\\Leaf", "/v", "Id", "/d", "2"});
    EXPECT_EQ(run({"delete", "HKCU\\Software\\K\\Leaf", "/v", "Id"}), kRegOk);
    EXPECT_FALSE(store->stringValue("Software\\K\\Leaf", "Id"));
    EXPECT_EQ(run({"delete", "HKCU\\Software\\K"}), kRegStoreFailure);
    EXPECT_NE(err.find("subkeys"), std::string::npos);
    EXPECT_EQ(run({"delete", "HKCU\\Software\\K\\Leaf"}), kRegOk);
    EXPECT_FALSE(store->keyExists("Software\\K\\Leaf"));
}

TEST_F(RegToolTest, UsageErrorsExitWithTwoAndOneLine) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"query"}, {"list", "HKCU\\S"}, {"query", "HKLM\\Software"},
             {"add", "HKCU\\S", "/v", "Id"}, {"add", "HKCU\\S", "/d", "x"},
             {"add", "HKCU\\S", "/v", "a", "/v", "b"}, {"delete", "HKCU\\S", "/x", "y"},
             {"query", "HKCU\\S", "/v"},
             // Empty key names, the root key deleted, another root spelled with a
             // letter whose upper case is shorter, and text that is not UTF-8.
             {"query", "HKCU\\a\\\\b"}, {"delete", "HKCU"}, {"add", "HKCU\\\\"},
             {"add", "HKCU\\S\\"}, {"query", "HKEY_CURRENT_U\xC5\xBF" "ER\\Software"},
             {"add", "HKCU\\S\\caf\xE9"}, {"add", "HKCU\\S", "/v", "\xE9t\xE9", "/d", "x"},
             {"add", "HKCU\\S", "/v", "n", "/d", "\xFF"}}) {
        EXPECT_EQ(run(args), kRegUsage);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    EXPECT_FALSE(store->keyExists("S"));
    EXPECT_TRUE(store->subKeys("").empty());
    EXPECT_EQ(run({"add", "hkey_current_user\\S\\\xC5\xBF", "/V", "n", "/D", "\xC3\xA9"}), kRegOk);
    EXPECT_EQ(store->stringValue("S\\\xC5\xBF", "n"), "\xC3\xA9");
}

}  // namespace
}  // namespace vantrel
