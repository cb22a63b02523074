#include "app/win32/SelfCheck.h"

#include <windows.h>

#include "about/ProductInfo.h"
#include "app/win32/NativeHandles.h"
#include "app/win32/Resources.h"
#include "app/win32/VersionInfo.h"
#include "queue/ProgramState.h"
#include "settings/Store.h"

namespace vantrel::win32 {

namespace {

std::string VersionText(const FileVersion& version) {
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.build) + "." + std::to_string(version.revision);
}

bool IconLoads() {
    return LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VANTREL_ICON), IMAGE_ICON, 0, 0,
                      LR_SHARED | LR_DEFAULTSIZE) != nullptr;
}

bool LogoLoads() {
    const OwnedBitmap logo(static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(VANTREL_LOGO), IMAGE_BITMAP, 0, 0, 0)));
    return logo != nullptr;
}

}  // namespace

std::vector<std::string> SelfCheckProblems() {
    std::vector<std::string> problems;
    const FileVersion built{product::kVersionMajor, product::kVersionMinor, product::kVersionBuild,
                            product::kVersionRevision};
    const std::optional<VersionInfo> version = ReadOwnVersionInfo();
    if (!version)
        problems.push_back("the program file carries no version information");
    else if (version->productName != product::kName ||
             VersionText(version->fileVersion) != VersionText(built))
        problems.push_back("the version information names " + version->productName + " " +
                           VersionText(version->fileVersion) + ", not " + product::kName + " " +
                           VersionText(built));
    if (!IconLoads()) problems.push_back("the icon does not load");
    if (!LogoLoads()) problems.push_back("the logo does not load");
    try {
        OpenUserStore().store->keyExists(kSettingsKeyPath);
    } catch (const StoreError& error) {
        problems.push_back(std::string("the settings cannot be read: ") + error.what());
    }
    return problems;
}

}  // namespace vantrel::win32
