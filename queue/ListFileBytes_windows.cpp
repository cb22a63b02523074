#include <filesystem>
#include <fstream>
#include <system_error>

#include "queue/ListFile.h"
#include "queue/ListFileBytes.h"

namespace vantrel {

// 32767 UTF-16 units, each at most three bytes of UTF-8.
std::size_t LongestPathBytes() { return 32767 * 3; }

std::string ReadListFileBytes(const std::string& path, std::size_t limit) {
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    if (error) throw ListFileError(error.message());
    if (!std::filesystem::is_regular_file(status)) throw ListFileError("it is not a regular file");
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ListFileError("the file cannot be opened");
    std::string content(limit, '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    if (in.bad()) throw ListFileError("the file cannot be read");
    const auto got = static_cast<std::size_t>(in.gcount());
    content.resize(got);
    return content;
}

}  // namespace vantrel
