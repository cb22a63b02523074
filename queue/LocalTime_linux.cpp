#include "queue/LocalTime.h"

namespace vantrel {

LocalFields LocalFieldsOf(std::time_t time) {
    LocalFields local;
    localtime_r(&time, &local.fields);
    local.offsetSeconds = local.fields.tm_gmtoff;
    return local;
}

}  // namespace vantrel
