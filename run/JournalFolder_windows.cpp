#include <objbase.h>
#include <shlobj.h>

#include <memory>

#include "run/RunJournal.h"

namespace vantrel {

namespace {

struct TaskMemoryFree {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

}  // namespace

std::filesystem::path DefaultJournalFolder() {
    wchar_t* found = nullptr;
    const HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &found);
    const std::unique_ptr<wchar_t, TaskMemoryFree> owned(found);
    // Without the folder (a profile being set up), the journal sits by the working folder.
    if (FAILED(result)) return std::filesystem::path("Vantrel");
    return std::filesystem::path(owned.get()) / "Vantrel";
}

}  // namespace vantrel
