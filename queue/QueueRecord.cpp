#include "queue/QueueRecord.h"

#include "queue/EntryKey.h"
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
    std::vector<std::string> shownTexts;
    std::vector<ScriptProgress> shownProgress;
    for (const ScriptRow& row : table) {
        if (row.entryText.empty()) break;
        shownTexts.push_back(row.entryText);
        shownProgress.push_back(row.progress);
    }
    std::vector<std::string> texts;
    for (const std::string& name : names) texts.push_back(EntryTextFromKeyName(name));
    const std::vector<int> same = SameEntries(shownTexts, texts);
    list.clear();
    table = ScriptTable{};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        list.append(texts[i]);
        ScriptRow row{texts[i], {}};
        if (i < table.size()) {
            if (same[i] >= 0) row.progress = shownProgress[same[i]];
            table[i] = row;
        }
        ShowRowProgress(list, static_cast<int>(i), texts[i], row.progress);
    }
}

}  // namespace vantrel
