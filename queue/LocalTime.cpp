#include "queue/LocalTime.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel {

namespace {

std::string Formatted(WallTime time, const char* format) {
    const LocalFields local = LocalFieldsOf(std::chrono::system_clock::to_time_t(time));
    char text[32];
    std::strftime(text, sizeof text, format, &local.fields);
    return text;
}

}  // namespace

std::string IsoLocalTime(WallTime time) {
    const long offset = LocalFieldsOf(std::chrono::system_clock::to_time_t(time)).offsetSeconds;
    const int minutes = static_cast<int>(std::labs(offset) / 60 % (24 * 60));
    char zone[16];
    // strftime's %z lacks the colon, and on Windows gives the zone's name instead.
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return Formatted(time, "%Y-%m-%dT%H:%M:%S") + zone;
}

std::string ReadableLocalTime(WallTime time) { return Formatted(time, "%Y-%m-%d %H:%M:%S"); }

std::string LocalDate(WallTime time) { return Formatted(time, "%Y-%m-%d"); }

std::string SecondsText(WallTime::duration duration) {
    const auto tenths = std::chrono::round<std::chrono::duration<long long, std::deci>>(duration).count();
    const long long shown = tenths < 0 ? 0 : tenths;
    return std::to_string(shown / 10) + "." + std::to_string(shown % 10);
}

}  // namespace vantrel
