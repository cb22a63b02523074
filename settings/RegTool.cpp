#include "settings/RegTool.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "settings/Utf8.h"

namespace vantrel {

namespace {

constexpr const char* kUsage =
    "usage: vantrel-reg query KEY | add KEY [/v NAME /d DATA] | delete KEY [/v NAME]"
    "  (KEY: HKCU\\Software\\...)";
constexpr const char* kRootName = "HKEY_CURRENT_USER";

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
    return std::ranges::equal(a, b, {}, upper, upper);
}

/// Every name of the path is there: no empty one before, between or after the "\\"s.
bool HasNoEmptyName(std::string_view keyPath) {
    return !keyPath.starts_with('\\') && !keyPath.ends_with('\\') &&
           keyPath.find("\\\\") == std::string_view::npos;
}

/// The key path below HKEY_CURRENT_USER, or nothing when KEY names another
/// root. The root is matched on KEY as it stands: an upper-cased form may be
/// shorter or longer than the text it came from.
std::optional<std::string> KeyPathBelowRoot(std::string_view key) {
    for (const std::string_view root : {"HKCU", kRootName}) {
        if (!EqualIgnoringAsciiCase(key.substr(0, root.size()), root)) continue;
        if (key.size() == root.size()) return std::string();
        if (key[root.size()] != '\\') continue;
        const std::string_view below = key.substr(root.size() + 1);
        if (!HasNoEmptyName(below)) return std::nullopt;
        return std::string(below);
    }
    return std::nullopt;
}

std::optional<std::string>* OptionSlot(RegCommand& command, std::string_view option) {
    if (EqualIgnoringAsciiCase(option, "/V")) return &command.valueName;
    if (EqualIgnoringAsciiCase(option, "/D")) return &command.data;
    return nullptr;
}

bool Fits(const RegCommand& command) {
    if (command.verb == "query") return !command.valueName && !command.data;
    if (command.verb == "add") return command.valueName.has_value() == command.data.has_value();
    // The root key holds the whole store and is never deleted.
    if (command.verb == "delete")
        return !command.data && (command.valueName || !command.keyPath.empty());
    return false;
}

std::optional<RegCommand> Parse(const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() % 2 != 0) return std::nullopt;
    const auto keyPath = KeyPathBelowRoot(args[1]);
    if (!keyPath) return std::nullopt;
    RegCommand command{args[0], *keyPath, {}, {}};
    for (std::size_t i = 2; i < args.size(); i += 2) {
        auto* slot = OptionSlot(command, args[i]);
        if (slot == nullptr || slot->has_value()) return std::nullopt;
        *slot = args[i + 1];
    }
    if (!Fits(command)) return std::nullopt;
    return command;
}

std::string FullName(const std::string& keyPath) {
    return keyPath.empty() ? kRootName : std::string(kRootName) + "\\" + keyPath;
}

int NotFound(std::ostream& err) {
    err << "ERROR: The system was unable to find the specified registry key or value.\n";
    return kRegNotFound;
}

int Query(Store& store, const RegCommand& command, std::ostream& out, std::ostream& err) {
    if (!store.keyExists(command.keyPath)) return NotFound(err);
    out << FullName(command.keyPath) << "\n";
    for (const NamedValue& value : store.stringValues(command.keyPath))
        out << "    " << value.name << "    REG_SZ    " << value.data << "\n";
    out << "\n";
    const std::string prefix = command.keyPath.empty() ? "" : command.keyPath + "\\";
    for (const std::string& name : store.subKeys(command.keyPath))
        out << FullName(prefix + name) << "\n";
    return kRegOk;
}

int Add(Store& store, const RegCommand& command) {
    if (command.valueName)
        store.setStringValue(command.keyPath, *command.valueName, *command.data);
    else
        store.createKey(command.keyPath);
    return kRegOk;
}

int Delete(Store& store, const RegCommand& command, std::ostream& err) {
    const bool existed = command.valueName ? store.deleteValue(command.keyPath, *command.valueName)
                                           : store.deleteKey(command.keyPath);
    return existed ? kRegOk : NotFound(err);
}

}  // namespace

std::optional<RegCommand> ParseRegCommand(const std::vector<std::string>& args, std::ostream& err) {
    // The store keeps UTF-8 text only, so that every name reads back as it was written.
    if (!std::ranges::all_of(args, utf8::IsValid)) {
        err << "ERROR: an argument is not valid UTF-8 text; names and data must be UTF-8\n";
        return std::nullopt;
    }
    std::optional<RegCommand> command = Parse(args);
    if (!command) err << kUsage << "\n";
    return command;
}

int RunRegCommand(const RegCommand& command, Store& store, std::ostream& out, std::ostream& err) {
    try {
        if (command.verb == "query") return Query(store, command, out, err);
        if (command.verb == "add") return Add(store, command);
        return Delete(store, command, err);
    } catch (const StoreError& error) {
        err << "ERROR: " << error.what() << "\n";
        return kRegStoreFailure;
    }
}

int RunRegTool(const std::vector<std::string>& args, Store& store, std::ostream& out,
               std::ostream& err) {
    const std::optional<RegCommand> command = ParseRegCommand(args, err);
    return command ? RunRegCommand(*command, store, out, err) : kRegUsage;
}

}  // namespace vantrel
