#include "queue/EntryKey.h"

#include <map>

#include "queue/QueueEntry.h"

namespace vantrel {

std::vector<EntryKey> EntryKeys(const std::vector<std::string>& entryTexts) {
    std::map<std::string, int> seen;
    std::vector<EntryKey> keys;
    for (const std::string& text : entryTexts) {
        const std::string path = ScriptPath(text);
        keys.push_back({path, seen[path]++});
    }
    return keys;
}

std::vector<int> SameEntries(const std::vector<std::string>& before,
                             const std::vector<std::string>& after) {
    std::map<std::pair<std::string, int>, int> indexOf;
    const std::vector<EntryKey> keysBefore = EntryKeys(before);
    for (std::size_t i = 0; i < keysBefore.size(); ++i)
        indexOf[{keysBefore[i].scriptPath, keysBefore[i].occurrence}] = static_cast<int>(i);
    std::vector<int> same;
    for (const EntryKey& key : EntryKeys(after)) {
        const auto found = indexOf.find({key.scriptPath, key.occurrence});
        same.push_back(found == indexOf.end() ? -1 : found->second);
    }
    return same;
}

}  // namespace vantrel
