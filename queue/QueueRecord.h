#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "queue/ListBox.h"
#include "queue/ScriptTable.h"
#include "settings/SettingsKeys.h"

namespace vantrel {

/// The saved queue: one key per entry under the queue record key, named by
/// the entry key name; their ascending order is the queue order.
///
/// Changes go to the store itself and throw StoreError when it refuses them,
/// so that a command can roll back all it has done instead of keeping half of
/// it. An empty name stands for no key (a key name cannot be empty): creating
/// or deleting it does nothing.
class QueueRecord {
public:
    QueueRecord(SettingsKeys& settings, std::string keyPath)
        : settings_(settings), keyPath_(std::move(keyPath)) {}

    /// The entry key names in record order.
    std::vector<std::string> names();
    void createEntryKey(std::string_view keyName);
    /// Throws StoreError when there is no such key: the record is not the
    /// queue the command was given.
    void deleteEntryKey(std::string_view keyName);
    /// Creates the new key before it deletes the old one.
    void renumberEntryKey(std::string_view oldKeyName, std::string_view newKeyName);

    SettingsKeys& settings() { return settings_; }

private:
    std::string entryKeyPath(std::string_view keyName) const;

    SettingsKeys& settings_;
    std::string keyPath_;
};

/// Makes the list and the table show the record, in record order, so that the
/// queue shown is the queue kept. An entry already in the table keeps its
/// progress, found by its script path and how many entries of that path come
/// before it (its EntryKey), as a run knows it; entries past the table's last
/// row are listed but never run.
/// Throws StoreError when the record cannot be read, leaving both as they were.
void LoadQueue(QueueRecord& record, ListBox& list, ScriptTable& table);
/// The same for entry key names already read from the record.
void ShowQueue(const std::vector<std::string>& names, ListBox& list, ScriptTable& table);

}  // namespace vantrel
