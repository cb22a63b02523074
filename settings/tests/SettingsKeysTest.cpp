#include <gtest/gtest.h>

#include "settings/SettingsKeys.h"
#include "testing/TempUserStore.h"

namespace vantrel {
namespace {

class SettingsKeysTest : public ::testing::Test {
protected:
    testing::TempUserStore userStore;
    std::unique_ptr<Store> store = OpenUserStore().store;
    SettingsKeys settings{*store};
};

TEST_F(SettingsKeysTest, AnAbsentValueGivesTheDefaultAndAStoredOneItselfEvenWhenEmpty) {
    EXPECT_EQ(settings.stringValue("Software\\X", "Id", "dflt"), "dflt");
    settings.setStringValue("Software\\X", "Id", "");
    EXPECT_EQ(settings.stringValue("Software\\X", "Id", "dflt"), "");
    settings.setStringValue("Software\\X", "Id", "3");
    EXPECT_EQ(settings.stringValue("Software\\X", "Id", ""), "3");
    EXPECT_TRUE(settings.subkeyNames("Software\\Missing").empty());
}

TEST_F(SettingsKeysTest, FailuresOfTheStoreReachTheCallerAndChangeNothing) {
    settings.createKey("Q\\01-a\\child");
    EXPECT_THROW(settings.deleteKey("Q\\01-a"), StoreError);  // it still has a subkey
    EXPECT_FALSE(settings.deleteKey("Q\\missing"));
    EXPECT_THROW(settings.createKey("Q\\\\bad"), StoreError);
    EXPECT_THROW(settings.subkeyNames("Q\\\\bad"), StoreError);
    EXPECT_THROW(settings.stringValue("Q\\\\bad", "Id", "dflt"), StoreError);
    EXPECT_EQ(settings.subkeyNames("Q"), std::vector<std::string>{"01-a"});
    EXPECT_EQ(settings.subkeyNames("Q\\01-a"), std::vector<std::string>{"child"});
}

}  // namespace
}  // namespace vantrel
