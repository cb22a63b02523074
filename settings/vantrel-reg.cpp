#include <iostream>
#include <string>
#include <vector>

#include "settings/RegTool.h"
#include "settings/Store.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // A usage error is told before the store is opened, so it creates nothing.
    const std::optional<vantrel::RegCommand> command = vantrel::ParseRegCommand(args, std::cerr);
    if (!command) return vantrel::kRegUsage;
    // Looking at, or deleting from, a store that is not there must not create it.
    vantrel::OpenedStore opened =
        command->verb == "add" ? vantrel::OpenUserStore() : vantrel::OpenUserStoreToRead();
    if (opened.problem && !opened.readOnly) {
        std::cerr << "ERROR: the settings store " << opened.location
                  << " cannot be used: " << *opened.problem << "\n";
        return vantrel::kRegStoreFailure;
    }
    if (opened.readOnly) {
        std::cerr << "WARNING: the settings store " << opened.location
                  << " is read only: " << *opened.problem << "; changes will not be kept\n";
    }
    return vantrel::RunRegCommand(*command, *opened.store, std::cout, std::cerr);
}
