#pragma once

#include <ctime>
#include <string>

#include "queue/ScriptTable.h"

namespace vantrel {

/// "2026-12-06T23:45:01+01:00": the local time to the second, with its offset from UTC.
std::string IsoLocalTime(WallTime time);
/// "2026-12-06 23:45:01": the local time as people read it.
std::string ReadableLocalTime(WallTime time);
/// "2026-12-06": the local date.
std::string LocalDate(WallTime time);
/// "12.3": seconds to a tenth, never below zero.
std::string SecondsText(WallTime::duration duration);

/// The local calendar fields of a moment and their offset from UTC; the
/// platform knows the time zone.
struct LocalFields {
    std::tm fields{};
    long offsetSeconds = 0;
};
LocalFields LocalFieldsOf(std::time_t time);

}  // namespace vantrel
