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

TEST_F(SettingsKeysTest, AbsentAndEmptyValuesBothGiveTheDefault) {
    EXPECT_EQ(settings.stringValue("Software\\X", "Id", ""), "");
    EXPECT_EQ(settings.stringValue("Software\\X", "Id", "dflt"), "dflt");
    settings.setStringValue("Software\\X", "Id", "");
    EXPECT_EQ(settings.stringValue("Software\\X", "Id", "dflt"), "");
    settings.setStringValue("Software\\X", "Id", "3");
    EXPECT_EQ(settings.stringValue("Software\\X", "Id", ""), "3");
}

TEST_F(SettingsKeysTest, FailuresAreSwallowedAndChangeNothing) {
    settings.createKey("Q\\01-a\\child");
    settings.deleteKey("Q\\01-a");
    settings.deleteKey("Q\\missing");
    settings.createKey("Q\\\\bad");
    EXPECT_EQ(settings.subkeyNames("Q"), std::vector<std::string>{"01-a"});
    EXPECT_TRUE(settings.subkeyNames("Q\\\\bad").empty());
}

}  // namespace
}  // namespace vantrel
