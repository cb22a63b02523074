// The list-file reader on any bytes: it reads them or refuses them with a
// ListFileError, and what it reads are lines of UTF-8 without line ends that
// no longer than a path may be.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "queue/ListFile.h"
#include "queue/ListFileBytes.h"
#include "settings/Utf8.h"

namespace {

/// A file of the fuzzer's own for the reader to read, gone when the fuzzer ends.
class ScratchFile {
public:
    ScratchFile() {
        path_ = (std::filesystem::temp_directory_path() / "vantrel-fuzz-XXXXXX").string();
        ::close(::mkstemp(path_.data()));
    }
    ~ScratchFile() { std::filesystem::remove(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const ScratchFile scratch;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::ofstream(scratch.path(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    try {
        for (const std::string& line : vantrel::ReadListFile(scratch.path())) {
            if (line.find_first_of("\r\n") != std::string::npos) std::abort();
            if (!vantrel::utf8::IsValid(line)) std::abort();
            if (line.size() > vantrel::LongestPathBytes()) std::abort();
        }
    } catch (const vantrel::ListFileError&) {
    }
    return 0;
}
