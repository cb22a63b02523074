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

}  // namespace
}  // namespace vantrel
