// Where the journal goes, by the XDG rules, and local times with their offsets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "queue/LocalTime.h"
#include "run/RunJournal.h"

namespace vantrel {
namespace {

using namespace std::chrono_literals;

/// Sets an environment variable for the test's length.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
        tzset();
    }
    ~ScopedEnv() {
        old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_);
        tzset();
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(JournalFolderTest, FollowsXdgStateHomeWhenAbsoluteElseHome) {
    ScopedEnv home("HOME", "/home/ann");
    {
        ScopedEnv state("XDG_STATE_HOME", "/var/state");
        EXPECT_EQ(DefaultJournalFolder(), "/var/state/vantrel");
    }
    {
        ScopedEnv state("XDG_STATE_HOME", "relative/state");
        EXPECT_EQ(DefaultJournalFolder(), "/home/ann/.local/state/vantrel");
    }
    ScopedEnv state("XDG_STATE_HOME", nullptr);
    EXPECT_EQ(DefaultJournalFolder(), "/home/ann/.local/state/vantrel");
}

TEST(LocalTimeTest, IsoTimesCarryTheLocalOffsetWithAColon) {
    const WallTime winterNoonUtc = std::chrono::sys_days{std::chrono::year{2026} / 12 / 6} + 12h;
    const WallTime summerNoonUtc = std::chrono::sys_days{std::chrono::year{2026} / 7 / 1} + 12h;
    {
        ScopedEnv tz("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(IsoLocalTime(winterNoonUtc), "2026-12-06T13:00:00+01:00");
        EXPECT_EQ(IsoLocalTime(summerNoonUtc), "2026-07-01T14:00:00+02:00");
        EXPECT_EQ(ReadableLocalTime(winterNoonUtc + 11h + 30min), "2026-12-07 00:30:00");
        EXPECT_EQ(LocalDate(winterNoonUtc + 11h + 30min), "2026-12-07");
    }
    ScopedEnv tz("TZ", "NST3:30");
    EXPECT_EQ(IsoLocalTime(winterNoonUtc + 999ms), "2026-12-06T08:30:00-03:30");
}

}  // namespace
}  // namespace vantrel
