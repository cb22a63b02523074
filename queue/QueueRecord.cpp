#include "queue/QueueRecord.h"

#include <map>

#include "queue/QueueEntry.h"
#include "queue/ScriptProgress.h"

namespace vantrel {

std::vector<std::string> QueueRecord::names() { return settings_.subkeyNames(keyPath_); }

std::string QueueRecord::entryKeyPath(std::string_view keyName) const {
    return keyPath_ + "\\" + std::string(keyName);
}

void QueueRecord::createEntryKey(std::string_view keyName) {
    if (!keyName.empty()) settings_.store().createKey(entryKeyPath(keyName));
}

void QueueRecord::deleteEntryKey(std::string_view keyName) {
    // An empty name would address the queue record key itself.
    if (!keyName.empty() && !settings_.store().deleteKey(entryKeyPath(keyName)))
        throw StoreError("the entry " + std::string(keyName) + " is no longer in it");
}

void QueueRecord::renumberEntryKey(std::string_view oldKeyName, std::string_view newKeyName) {
    createEntryKey(newKeyName);
    deleteEntryKey(oldKeyName);
}

void LoadQueue(QueueRecord& record, ListBox& list, ScriptTable& table) {
    ShowQueue(record.names(), list, table);
}

void ShowQueue(const std::vector<std::string>& names, ListBox& list, ScriptTable& table) {
    std::map<std::string, ScriptProgress> kept;
    for (const ScriptRow& row : table)
        if (!row.entryText.empty()) kept[row.entryText] = row.progress;
    list.clear();
    table = ScriptTable{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string entryText = EntryTextFromKeyName(names[i]);
        list.append(entryText);
        ScriptRow row{entryText, {}};
        if (i < table.size()) {
            row.progress = kept[entryText];
            table[i] = row;
        }
        ShowRowProgress(list, static_cast<int>(i), entryText, row.progress);
    }
}

}  // namespace vantrel
