#include <gtest/gtest.h>

#include "settings/Module1.h"
#include "testing/TempConfigHome.h"

namespace vantrel {
namespace {

constexpr auto HKCU = RootKey::HKEY_CURRENT_USER;

class Module1Test : public ::testing::Test {
protected:
    testing::TempConfigHome home;
    std::unique_ptr<Store> store = OpenUserStore().store;
    Module1 registry{*store};
};

TEST_F(Module1Test, AbsentAndEmptyValuesBothGiveTheDefault) {
    EXPECT_EQ(registry.QueryStringValue(HKCU, "Software\\X", "Id", ""), "");
    EXPECT_EQ(registry.QueryStringValue(HKCU, "Software\\X", "Id", "dflt"), "dflt");
    registry.SetStringValue(HKCU, "Software\\X", "Id", "");
    EXPECT_EQ(registry.QueryStringValue(HKCU, "Software\\X", "Id", "dflt"), "");
    registry.SetStringValue(HKCU, "Software\\X", "Id", "3");
    EXPECT_EQ(registry.QueryStringValue(HKCU, "Software\\X", "Id", ""), "3");
}

TEST_F(Module1Test, FailuresAreSwallowedAndChangeNothing) {
    registry.CreateKey(HKCU, "Q\\01-a\\child");
    registry.DeleteKey(HKCU, "Q\\01-a");
    registry.DeleteKey(HKCU, "Q\\missing");
    registry.CreateKey(HKCU, "Q\\\\bad");
    EXPECT_EQ(registry.EnumSubKeys(HKCU, "Q"), std::vector<std::string>{"01-a"});
    EXPECT_TRUE(registry.EnumSubKeys(HKCU, "Q\\\\bad").empty());
}

}  // namespace
}  // namespace vantrel
