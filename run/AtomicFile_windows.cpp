#include <windows.h>

#include <algorithm>
#include <atomic>

#include "base/WideText_windows.h"
#include "run/AtomicFile.h"
#include "run/OwnedHandle_windows.h"

namespace vantrel {

FileWriteError::FileWriteError(const std::filesystem::path& file, std::string reason)
    : std::runtime_error(Utf8FromWide(file.wstring()) + " cannot be written: " + reason),
      reason_(std::move(reason)) {}

namespace {

[[noreturn]] void Fail(const std::filesystem::path& file) {
    throw FileWriteError(file, SystemErrorText(GetLastError()));
}

void WriteAll(HANDLE handle, std::string_view bytes, const std::filesystem::path& file) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) Fail(file);
        bytes.remove_prefix(written);
    }
}

}  // namespace

void ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    // Threads writing the same file at once each use a temporary file of their own.
    static std::atomic<unsigned> writesStarted;
    const std::filesystem::path temporary =
        file.wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
        std::to_wstring(++writesStarted) + L".tmp";
    try {
        {
            HANDLE created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
            if (created == INVALID_HANDLE_VALUE) Fail(file);
            const OwnedHandle handle(created);
            WriteAll(handle.get(), bytes, file);
            if (!FlushFileBuffers(handle.get())) Fail(file);
        }
        if (!MoveFileExW(temporary.c_str(), file.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail(file);
    } catch (const FileWriteError&) {
        DeleteFileW(temporary.c_str());
        throw;
    }
}

}  // namespace vantrel
