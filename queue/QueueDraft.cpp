#include "queue/QueueDraft.h"

#include <utility>

#include "queue/EntryKey.h"
#include "queue/QueueEntry.h"
#include "queue/ScriptProgress.h"

namespace vantrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// Whether the text starts with a two-digit number and one more character,
/// the prefix that stays with a position when scripts change places.
bool HasEntryPrefix(const std::string& text) {
    return text.size() >= 3 && IsDigit(text[0]) && IsDigit(text[1]);
}

std::string Prefix(const std::string& text) { return text.substr(0, 3); }

template <typename Rows>
std::vector<std::string> Texts(const Rows& rows) {
    std::vector<std::string> texts;
    for (const auto& row : rows) texts.push_back(row.text);
    return texts;
}

/// Renumbers the key `name` by `delta` and returns the entry text of its new
/// name. A name without an entry number keeps its key and its text.
std::string RenumberKey(QueueRecord& record, const std::string& name, int delta) {
    const std::optional<std::string> renumbered = RenumberedEntryText(name, delta);
    if (!renumbered) return EntryTextFromKeyName(name);
    record.renumberEntryKey(name, *renumbered);
    return EntryTextFromKeyName(*renumbered);
}

}  // namespace

QueueDraft::QueueDraft(const ListBox& list, const ScriptTable& table) {
    rows_.reserve(list.count());
    for (int row = 0; row < list.count(); ++row) {
        const ScriptRow tableRow = row < kScriptTableRows ? table[row] : ScriptRow{};
        rows_.push_back({list.text(row), list.isSelected(row), tableRow.progress});
    }
}

void QueueDraft::appendEntry(QueueRecord& record, const std::string& path) {
    const std::string entryText = EntryText(count() + 1, path);
    record.createEntryKey(EntryKeyName(entryText));
    rows_.push_back({entryText, false, {}});
}

void QueueDraft::appendEntries(QueueRecord& record, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) appendEntry(record, path);
}

void QueueDraft::removeSelected(QueueRecord& record) {
    for (int row = count() - 1; row >= 0; --row)
        if (rows_[row].selected) removeRow(record, row);
}

void QueueDraft::removeRow(QueueRecord& record, int row) {
    // Deleted first: a lower neighbour with the same path is renumbered to this very name.
    record.deleteEntryKey(EntryKeyName(rows_[row].text));
    for (int below = row + 1; below < count(); ++below)
        rows_[below].text = RenumberKey(record, EntryKeyName(rows_[below].text), -1);
    rows_.erase(rows_.begin() + row);
}

bool QueueDraft::moveSelected(QueueRecord& record, MoveDirection direction) {
    const int n = count();
    const bool up = direction == MoveDirection::Up;
    for (int visit = 0; visit < n; ++visit) {
        const int row = up ? visit : n - 1 - visit;
        if (!rows_[row].selected) continue;
        const int neighbour = up ? row - 1 : row + 1;
        if (neighbour < 0 || neighbour >= n) return false;
        if (!exchangeScripts(record, std::min(row, neighbour), std::max(row, neighbour)))
            return false;
        rows_[row].selected = false;
        rows_[neighbour].selected = true;
    }
    return true;
}

bool QueueDraft::exchangeScripts(QueueRecord& record, int upper, int lower) {
    Row& top = rows_[upper];
    Row& bottom = rows_[lower];
    // A row without an entry number (from an imported list) has no number to
    // keep; the whole move is given up rather than inventing one.
    if (!HasEntryPrefix(top.text) || !HasEntryPrefix(bottom.text)) return false;
    const std::string newTop = Prefix(top.text) + ScriptPath(bottom.text);
    const std::string newBottom = Prefix(bottom.text) + ScriptPath(top.text);
    // Both old keys go before the new ones come: with equal paths the new names
    // are the old ones, and both must remain.
    record.deleteEntryKey(EntryKeyName(top.text));
    record.deleteEntryKey(EntryKeyName(bottom.text));
    record.createEntryKey(EntryKeyName(newTop));
    record.createEntryKey(EntryKeyName(newBottom));
    top.text = newTop;
    bottom.text = newBottom;
    std::swap(top.progress, bottom.progress);
    return true;
}

void QueueDraft::replaceAll(QueueRecord& record, const std::vector<std::string>& paths) {
    // Every key goes, also those no row shows, so the record holds the new queue alone.
    for (const std::string& name : record.names()) record.deleteEntryKey(name);
    const std::vector<Row> before = std::exchange(rows_, {});
    replaced_ = true;
    for (const std::string& path : paths) appendEntry(record, path);
    // A script this run started stays started wherever the new list puts it.
    const std::vector<int> same = SameEntries(Texts(before), Texts(rows_));
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (same[row] >= 0) rows_[row].progress = before[same[row]].progress;
}

void QueueDraft::showIn(ListBox& list, ScriptTable& table) const {
    if (replaced_) list.clear();
    while (list.count() > count()) list.removeAt(list.count() - 1);
    for (int row = 0; row < count(); ++row) {
        if (row == list.count())
            list.append(rows_[row].text);
        else if (list.text(row) != rows_[row].text)
            list.setText(row, rows_[row].text);
        if (list.isSelected(row) != rows_[row].selected) list.setSelected(row, rows_[row].selected);
        ShowRowProgress(list, row, rows_[row].text, rows_[row].progress);
    }
    table = ScriptTable{};
    for (int row = 0; row < count() && row < kScriptTableRows; ++row)
        table[row] = {rows_[row].text, rows_[row].progress};
}

}  // namespace vantrel
