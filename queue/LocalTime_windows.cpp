#include <time.h>

#include "queue/LocalTime.h"

namespace vantrel {

LocalFields LocalFieldsOf(std::time_t time) {
    LocalFields local;
    localtime_s(&local.fields, &time);
    // The local fields read as if they were UTC lie ahead of the moment by the offset.
    std::tm asUtc = local.fields;
    local.offsetSeconds = static_cast<long>(_mkgmtime(&asUtc) - time);
    return local;
}

}  // namespace vantrel
