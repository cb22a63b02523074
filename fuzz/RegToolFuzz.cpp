// vantrel-reg's argument parsing on any arguments (the input split at NUL
// bytes), run on an empty store in memory: every run ends with one of the
// four exit statuses, and a usage error changes nothing.

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "settings/RegTool.h"
#include "settings/SqliteStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    const auto store = vantrel::SqliteStore::inMemory();
    std::ostringstream out, err;
    const int status = vantrel::RunRegTool(args, *store, out, err);
    if (status < vantrel::kRegOk || status > vantrel::kRegStoreFailure) std::abort();
    if (status == vantrel::kRegUsage && !store->subKeys("").empty()) std::abort();
    return 0;
}
