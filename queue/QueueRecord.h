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
    void deleteEntryKey(std::string_view keyName);
    /// Creates the new key before it deletes the old one.
    void renumberEntryKey(std::string_view oldKeyName, std::string_view newKeyName);

    SettingsKeys& settings() { return settings_; }

private:
    std::string entryKeyPath(std::string_view keyName) const;

    SettingsKeys& settings_;
    std::string keyPath_;
};

/// The list holds at most this many loaded entries: one per table row and one more.
constexpr int kMaxLoadedEntries = kScriptTableRows + 1;

/// Fills the list and column 0 of the table from the record, in record order.
/// The 101st entry gets a list item but no row; later entries are not loaded.
void LoadQueue(QueueRecord& record, ListBox& list, ScriptTable& table);

}  // namespace vantrel
