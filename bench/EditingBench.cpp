// How much one transaction per queue command saves over committing every
// store change on its own, on a real store file in a temporary folder.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "testing/ForwardingStore.h"
#include "queue/QueueEditor.h"
#include "queue/QueueEntry.h"
#include "testing/FileBytes.h"
#include "testing/MemoryListBox.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempConfigHome.h"

namespace vantrel {
namespace {

constexpr int kEntries = kMaxEntries;

/// Lets every change reach the file by itself, as without the command's transaction.
class KeyByKeyStore : public ForwardingStore {
public:
    using ForwardingStore::ForwardingStore;
    void beginTransaction() override {}
    void commitTransaction() override {}
    void rollbackTransaction() override {}
};

/// Says OK to every question.
class AgreeingDialogs : public Notice, public Prompt {
public:
    void showNotice(const std::string&) override {}
    void showInformation(const std::string&) override {}
    bool confirm(const std::string&) override { return true; }
};

enum class Writes { OneTransaction, KeyByKey };

std::string ScriptPathOf(int entry) { return "/scripts/calc-" + std::to_string(entry) + ".txt"; }

/// The queue editor as the window uses it, over a fresh store file.
class EditingSetup {
public:
    explicit EditingSetup(Writes writes)
        : keyByKey_(*file_),
          settings_(writes == Writes::KeyByKey ? static_cast<Store&>(keyByKey_) : *file_) {}

    /// A saved and loaded queue of kEntries entries, with the given row selected.
    void startWithFullQueue(int selectedRow) {
        SettingsKeys direct(*file_);
        QueueRecord record(direct, kQueueRecordKeyPath);
        StoreTransaction transaction(*file_);
        for (const std::string& name : record.names()) record.deleteEntryKey(name);
        for (int entry = 1; entry <= kEntries; ++entry)
            record.createEntryKey(EntryKeyName(EntryText(entry, ScriptPathOf(entry))));
        transaction.commit();
        list.clear();
        state_.scriptTable = ScriptTable{};
        LoadQueue(record_, list, state_.scriptTable);
        list.setSelected(selectedRow, true);
        list.setCurrentIndex(selectedRow);
    }

    /// A list file of kEntries lines, for Import to open.
    void offerListFile() {
        std::string lines;
        for (int entry = 1; entry <= kEntries; ++entry)
            lines += EntryText(entry, ScriptPathOf(entry)) + "\r\n";
        const auto file = home_.path() / "queue.txt";
        testing::WriteBytes(file, lines);
        chooser_.listFileToOpen = file.string();
    }

    testing::MemoryListBox list;
    QueueEditor& editor() { return editor_; }

private:
    testing::TempConfigHome home_;
    std::unique_ptr<Store> file_ = OpenUserStore().store;
    KeyByKeyStore keyByKey_;
    SettingsKeys settings_;
    QueueRecord record_{settings_, kQueueRecordKeyPath};
    ProgramState state_;
    AgreeingDialogs dialogs_;
    testing::ScriptedFileChooser chooser_;
    QueueEditor editor_{state_, record_, list, dialogs_, dialogs_, chooser_};
};

void RemoveTop(benchmark::State& state, Writes writes) {
    EditingSetup setup(writes);
    for (auto _ : state) {
        state.PauseTiming();
        setup.startWithFullQueue(0);
        state.ResumeTiming();
        setup.editor().removeSelected();
    }
    if (setup.list.count() != kEntries - 1 || setup.list.text(0) != EntryText(1, ScriptPathOf(2)))
        state.SkipWithError("the top entry was not removed");
}

void MoveBottomToTop(benchmark::State& state, Writes writes) {
    EditingSetup setup(writes);
    for (auto _ : state) {
        state.PauseTiming();
        setup.startWithFullQueue(kEntries - 1);
        state.ResumeTiming();
        for (int move = 1; move < kEntries; ++move) setup.editor().moveSelectedUp();
    }
    if (setup.list.text(0) != EntryText(1, ScriptPathOf(kEntries)))
        state.SkipWithError("the bottom entry did not reach the top");
}

void ImportList(benchmark::State& state, Writes writes) {
    EditingSetup setup(writes);
    setup.startWithFullQueue(0);
    setup.offerListFile();
    for (auto _ : state) setup.editor().importList();
    if (setup.list.count() != kEntries) state.SkipWithError("the list was not imported");
}

void Register(const char* command, void (*run)(benchmark::State&, Writes)) {
    for (const auto& [suffix, writes] : {std::pair{"/one_transaction", Writes::OneTransaction},
                                         std::pair{"/key_by_key", Writes::KeyByKey}})
        benchmark::RegisterBenchmark((std::string(command) + suffix).c_str(), run, writes)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
}

/// Shows the usual table and keeps each benchmark's wall-clock time per iteration.
class TimeKeepingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> milliseconds;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                milliseconds[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
};

void PrintRatios(const std::map<std::string, double>& milliseconds) {
    const struct {
        const char* name;
        const char* what;
        int commands;
    } benchmarks[] = {
        {"RemoveTop", "remove the top entry of 99", 1},
        {"MoveBottomToTop", "move the bottom entry to the top", kEntries - 1},
        {"ImportList", "import a list file of 99 lines", 1},
    };
    double smallest = 0;
    for (const auto& benchmark : benchmarks) {
        const auto one = milliseconds.find(std::string(benchmark.name) + "/one_transaction");
        const auto each = milliseconds.find(std::string(benchmark.name) + "/key_by_key");
        if (one == milliseconds.end() || each == milliseconds.end()) continue;
        const double ratio = each->second / one->second;
        const std::string perMove =
            benchmark.commands == 1
                ? ""
                : " per move (" + std::to_string(benchmark.commands) + " moves timed together)";
        std::printf("%s: one transaction %.2f ms, key by key %.2f ms%s, ratio %.1f\n",
                    benchmark.what, one->second / benchmark.commands,
                    each->second / benchmark.commands, perMove.c_str(), ratio);
        smallest = smallest == 0 ? ratio : std::min(smallest, ratio);
    }
    std::printf("smallest ratio: %.1f\n", smallest);
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    using namespace vantrel;
    Register("RemoveTop", RemoveTop);
    Register("MoveBottomToTop", MoveBottomToTop);
    Register("ImportList", ImportList);
    benchmark::Initialize(&argc, argv);
    TimeKeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter.milliseconds);
    benchmark::Shutdown();
    return 0;
}
