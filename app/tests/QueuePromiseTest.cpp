// The queue's promise, checked on the real store: the list, the store and the
// next start's load hold the same entries in the same order, numbered by
// position; each entry's run state moves with it; and a run starts every
// queued entry not yet run exactly once, in list order, never while N scripts
// already run, and never one the store no longer holds, whatever another
// program does to the store meanwhile.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <random>
#include <sstream>
#include <utility>

#include "app/MainWindowLogic.h"
#include "queue/QueueEntry.h"
#include "queue/ScriptProgress.h"
#include "testing/FakeMainView.h"
#include "testing/FaultyStore.h"
#include "testing/FileBytes.h"
#include "testing/ScriptedFileChooser.h"
#include "testing/TempConfigHome.h"

namespace vantrel::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Texts = std::vector<std::string>;

/// The wall-clock time a steady time of the test stands for.
WallTime WallAt(Clock::time_point steady) {
    return WallTime(std::chrono::duration_cast<WallTime::duration>(steady.time_since_epoch())) +
           std::chrono::hours(24 * 365 * 56);
}

/// Terminals that map their windows some time after the start, or never,
/// whose windows may go while their scripts run on (tabs of one window), and
/// whose scripts end some time later with exit status 0 or 3, which their
/// runners record; it knows which scripts really run, whatever their windows show.
class SimulatedDesktop : public WindowList, public Launcher {
public:
    struct Script {
        LaunchRequest request;
        Clock::time_point mapsAt{};
        Clock::time_point windowGoesAt = Clock::time_point::max();
        Clock::time_point endsAt{};
        int exitStatus = 0;
        bool recorded = false;
    };

    explicit SimulatedDesktop(const Clock::time_point& now) : now_(now) {}

    std::function<void(const std::string& path)> onStart;
    /// What becomes of each start.
    std::function<Script(const LaunchRequest&)> plan;
    bool failNextStart = false;

    bool running(std::size_t script) const { return now_ < scripts_.at(script).endsAt; }
    int runningScripts() const {
        int count = 0;
        for (std::size_t i = 0; i < scripts_.size(); ++i) count += running(i);
        return count;
    }
    std::size_t startedCount() const { return scripts_.size(); }

    std::vector<TopLevelWindow> topLevelWindows() override {
        std::vector<TopLevelWindow> shown;
        for (std::size_t i = 0; i < scripts_.size(); ++i)
            if (scripts_[i].mapsAt <= now_ && now_ < scripts_[i].windowGoesAt && running(i))
                shown.push_back({i + 1, false, scripts_[i].request.commandLine});
        shown.push_back({0xffff, false, "Vantrel"});
        return shown;
    }
    bool isMinimized(WindowHandle) override { return false; }
    void restore(WindowHandle) override {}
    void bringToFront(WindowHandle) override {}
    ProcessIdentity startScript(const LaunchRequest& request) override {
        if (std::exchange(failNextStart, false)) throw LaunchError("esscmd.exe was not found.");
        onStart(request.scriptPath);
        scripts_.push_back(plan(request));
        return {scripts_.size(), 7};
    }
    bool isRunning(const ProcessIdentity& process) override {
        Script& script = scripts_.at(process.id - 1);
        if (running(process.id - 1)) return true;
        // The runner records how the script ended just before its window goes.
        if (!std::exchange(script.recorded, true)) {
            std::filesystem::create_directories(script.request.outcomeFile.parent_path());
            WriteOutcomeFile(script.request.outcomeFile, {ScriptOutcome::Ending::Exited,
                                                          script.exitStatus, WallAt(script.endsAt), ""});
        }
        return false;
    }

private:
    const Clock::time_point& now_;
    std::vector<Script> scripts_;
};

ProgramParts PartsWith(ProgramParts parts, RunController::WallClock clock) {
    parts.wallClock = std::move(clock);
    return parts;
}

/// One run of the program on the user's store, through a store that fails
/// the calls the test picks, composed as the front ends compose it.
struct Program {
    std::unique_ptr<Store> file = OpenUserStore().store;
    FaultyStore store{*file};
    ProgramState state;
    FakeMainView view;
    ScriptedFileChooser chooser;
    MainWindowLogic logic;

    /// `resume` answers the question whether to resume an interrupted run.
    Program(SimulatedDesktop& desktop, const std::filesystem::path& stateFolder,
            RunController::WallClock clock, bool resume)
        : logic(PartsWith(ProgramParts(state, store, desktop, desktop, std::nullopt, stateFolder),
                          std::move(clock)),
                view, chooser) {
        view.confirmAnswer = resume;
        logic.load();
        view.confirmAnswer = true;
    }
    bool askedToResume() const { return view.boxesWith("was interrupted") > 0; }

    void select(const std::vector<bool>& rows, int current) {
        for (int row = 0; row < view.list.count(); ++row) view.list.setSelected(row, rows[row]);
        view.list.setCurrentIndex(current);
    }
    RunPhase phase() const { return logic.run().phase(); }
};

/// The promise was found broken; it has been reported with the steps that led there.
struct PromiseBroken {};

/// The queue as the user means it: scripts in order, and whether each has
/// run in this run (or been skipped), by which of the desktop's scripts.
struct ModelEntry {
    ModelEntry(std::string scriptPath, bool hasRun = false) : path(std::move(scriptPath)), run(hasRun) {}
    std::string path;
    bool run;
    std::optional<std::size_t> script;
};

/// The queue of these paths, where an entry that was there before, known by
/// its path and how many of that path come before it, is the same entry.
std::vector<ModelEntry> SameEntriesFor(const std::vector<ModelEntry>& before, const Texts& paths) {
    std::map<std::pair<std::string, int>, ModelEntry> known;
    std::map<std::string, int> seen;
    for (const ModelEntry& entry : before) known.emplace(std::pair{entry.path, seen[entry.path]++}, entry);
    seen.clear();
    std::vector<ModelEntry> after;
    for (const std::string& path : paths) {
        const auto found = known.find({path, seen[path]++});
        after.push_back(found != known.end() ? found->second : ModelEntry{path});
    }
    return after;
}

/// Drives random sequences of what a user does against the program and a
/// reference model, and compares the two after every step. Now and then the
/// store fails a call of a command, which must then change nothing.
class QueuePromise {
public:
    explicit QueuePromise(unsigned randomStart) : randomStart_(randomStart), random_(randomStart) {
        makeScriptFiles();
        desktop_.onStart = [this](const std::string& path) { onScriptStarted(path); };
        desktop_.plan = [this](const LaunchRequest& request) {
            SimulatedDesktop::Script script;
            script.request = request;
            script.mapsAt = chance(5) ? Clock::time_point::max() : now_ + pick(0, 1999) * 1ms;
            script.endsAt = now_ + pick(0, 9000) * 1ms;
            script.windowGoesAt = chance(5) ? now_ + pick(0, 3000) * 1ms : Clock::time_point::max();
            script.exitStatus = chance(15) ? 3 : 0;
            return script;
        };
        restart();
    }

    void step() {
        const int action = pick(0, 17);
        // A run may finish inside a box of an add, a drop or an import, which then add
        // entries the finished run does not start; so may another program.
        const bool addsEntries = action <= 1 || action == 5 || action == 6 || action == 13;
        finishedBefore_ = program_->phase() == RunPhase::Finished || addsEntries;
        // A start-up that cannot read shows no queue until the next edit; that is not this test's.
        if (action != 7 && action != 8) armStoreFault();
        noticesBefore_ = program_->view.notices.size();
        changedElsewhereBefore_ = changedElsewhere_;
        switch (action) {
            case 0: add(); break;
            case 1: drop(); break;
            case 2: remove(); break;
            case 3: move(MoveDirection::Up); break;
            case 4: move(MoveDirection::Down); break;
            case 5: importGeneratedList(); break;
            case 6: exportAndImportAgain(); break;
            case 7: restartAfterAWhile(); break;
            case 8: clickStartStop(); break;
            case 9: changeConcurrency(); break;
            case 10: switchRunMessages(); break;
            case 11: runAgain(); break;
            case 12: skip(); break;
            case 13: changeElsewhere(); break;
            default: tickForAWhile(); break;
        }
        if (disarmStoreFault() && action <= 6)
            // The command failed whole (the model was left as it was), and the user was told.
            check(toldInThisStep("disk I/O error"), "a failed store call was not told");
        compare();
    }

    /// Starts the run if needed and lets it go on until it finishes.
    void runToTheEnd() {
        log("run to the end");
        desktop_.failNextStart = false;
        finishedBefore_ = false;
        if (program_->phase() == RunPhase::Finished) restartAfterAWhile();
        if (program_->phase() != RunPhase::Running) clickStartStop();
        for (int tick = 0; tick < 20000 && program_->phase() == RunPhase::Running; ++tick) {
            now_ += 30ms;
            program_->logic.onLaunchTick();
        }
        compare();
        for (const ModelEntry& entry : model_) check(entry.run, "never started: " + entry.path);
    }

    /// What was done so far, for a report.
    std::string trail() const {
        std::ostringstream text;
        text << "random start " << randomStart_ << ", after " << steps_.size() << " steps:";
        for (const std::string& step : steps_) text << "\n  " << step;
        return text.str();
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    /// Now and then one store call of the next step fails, as a store busy
    /// past its timeout does.
    void armStoreFault() {
        storeFaultArmed_ = chance(4);
        storeFaultFired_ = false;
        program_->store.fails = [this](FaultyStore::Call) {
            if (!storeFaultArmed_ || chance(50)) return false;
            storeFaultArmed_ = false;
            storeFaultFired_ = true;
            log("  the store fails a call");
            return true;
        };
    }
    bool disarmStoreFault() {
        storeFaultArmed_ = false;
        return std::exchange(storeFaultFired_, false);
    }
    /// Whether the edit just given went through: a store call that failed
    /// fails it whole, and a list behind the store refuses it.
    bool editWentThrough() const {
        return !storeFaultFired_ && !changedElsewhereBefore_ && !toldInThisStep(kQueueChangedText);
    }
    bool toldInThisStep(std::string_view words) const {
        const std::vector<std::string>& notices = program_->view.notices;
        return std::any_of(notices.begin() + static_cast<std::ptrdiff_t>(noticesBefore_),
                           notices.end(), [&](const std::string& text) {
                               return text.find(words) != std::string::npos;
                           });
    }

    /// Script files below the home, as a list file in the home names them.
    static const Texts& ScriptNames() {
        static const Texts names{"s/a.txt",          "s/b c.txt",      "s/\xC3\xA9t\xC3\xA9.txt",
                                 "relative/x.txt",   "7-x",            "s/<b>bold</b>.txt",
                                 "s/q'uote\".txt",   "s/a.txt",        "calc/long " + std::string(200, 'y') + "/" + std::string(100, 'z')};
        return names;
    }
    std::string pathOf(const std::string& name) const { return (home_.path() / name).string(); }
    void makeScriptFiles() {
        for (const std::string& name : ScriptNames()) {
            std::filesystem::create_directories(std::filesystem::path(pathOf(name)).parent_path());
            WriteBytes(pathOf(name), "LOGIN\n");
        }
        ::mkfifo(pathOf("fifo").c_str(), 0600);
    }
    std::string randomName() { return ScriptNames()[pick(0, static_cast<int>(ScriptNames().size()) - 1)]; }
    /// Paths as Add and drops give them; now and then one that is no file.
    Texts randomPaths(int most) {
        static const Texts notFiles{"s", "fifo", "missing.txt"};
        Texts paths(pick(1, most));
        for (std::string& path : paths)
            path = chance(8) ? (chance(25) ? "/dev/null" : pathOf(notFiles[pick(0, 2)]))
                             : pathOf(randomName());
        // Now and then a path the queue cannot store, which refuses the whole command.
        if (chance(5)) paths[pick(0, static_cast<int>(paths.size()) - 1)] = "/s/back\\slash";
        return paths;
    }
    static bool IsFile(const std::string& path) { return std::filesystem::is_regular_file(path); }
    std::vector<bool> randomSelection() {
        std::vector<bool> rows(program_->view.list.count());
        const int percent = pick(0, 100);
        for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = chance(percent);
        return rows;
    }

    bool running() const { return program_->phase() == RunPhase::Running; }

    /// Entries added or dropped, the files among the paths unless refused;
    /// checked once the program has had the command, since ticks inside its
    /// boxes still run the old queue.
    void append(const Texts& paths) {
        Texts files;
        std::copy_if(paths.begin(), paths.end(), std::back_inserter(files), IsFile);
        const bool refused =
            std::any_of(paths.begin(), paths.end(),
                        [](const std::string& p) { return p.find('\\') != std::string::npos; });
        if (!refused && files.size() < paths.size())
            check(toldInThisStep("Only files can be queued"), "what is no file was not told");
        if (refused || !editWentThrough() ||
            model_.size() + files.size() > static_cast<std::size_t>(kMaxEntries))
            return;
        for (const std::string& path : files) model_.push_back({path});
    }

    void add() {
        program_->chooser.scriptFiles = randomPaths(chance(5) ? 120 : 4);
        log("add " + std::to_string(program_->chooser.scriptFiles.size()));
        const bool wasRunning = running();
        program_->logic.onCommand(Command::AddScripts);
        // Add is disabled while a run goes on, its key included.
        if (!wasRunning) append(program_->chooser.scriptFiles);
    }

    void drop() {
        const Texts paths = randomPaths(4);
        log("drop " + std::to_string(paths.size()));
        program_->logic.onFilesDropped(paths);
        append(paths);
    }

    void remove() {
        const std::vector<bool> selected = randomSelection();
        const int current = pick(-1, program_->view.list.count() - 1);
        const bool ok = chance(80);
        log("remove " + Describe(selected) + " current " + std::to_string(current) +
            (ok ? " OK" : " Cancel"));
        program_->select(selected, current);
        program_->view.confirmAnswer = ok;
        program_->view.boxes.clear();
        const bool wasRunning = running();
        program_->logic.onCommand(Command::RemoveSelected);
        if (wasRunning) {
            check(program_->view.boxes.empty(), "remove asked while a run goes on");
            return;
        }
        // A list behind the store: the edit is refused at once, whatever it asked.
        if (changedElsewhereBefore_) return;
        const int count = static_cast<int>(std::count(selected.begin(), selected.end(), true));
        const std::string ask = "Are you sure you want to remove ";
        if (count == 0) {
            check(program_->view.boxes.at(0) == kNothingToRemoveText, "remove with nothing selected");
            return;
        }
        const auto first = std::find(selected.begin(), selected.end(), true) - selected.begin();
        const std::string question =
            count >= 2 ? ask + "all " + std::to_string(count) + " items?"
                       : ask + EntryText(static_cast<int>(first) + 1, model_[first].path) + "?";
        check(program_->view.boxes.at(0) == question, "remove question: " + question);
        if (!ok || !editWentThrough()) return;
        std::vector<ModelEntry> kept;
        for (std::size_t row = 0; row < model_.size(); ++row)
            if (!selected[row]) kept.push_back(model_[row]);
        model_ = kept;
    }

    void move(MoveDirection direction) {
        std::vector<bool> selected = randomSelection();
        log((direction == MoveDirection::Up ? "up " : "down ") + Describe(selected));
        program_->select(selected, -1);
        const bool up = direction == MoveDirection::Up;
        const int n = changedElsewhereBefore_ ? 0 : static_cast<int>(model_.size());
        std::vector<ModelEntry> moved = model_;
        for (int visit = 0; visit < n; ++visit) {
            const int row = up ? visit : n - 1 - visit;
            if (!selected[row]) continue;
            const int neighbour = up ? row - 1 : row + 1;
            if (neighbour < 0 || neighbour >= n) {
                moved = model_;  // a selected entry at the edge: nothing moves
                break;
            }
            std::swap(moved[row], moved[neighbour]);
            std::vector<bool>::swap(selected[row], selected[neighbour]);
        }
        program_->logic.onCommand(up ? Command::MoveSelectedUp : Command::MoveSelectedDown);
        if (editWentThrough()) model_ = moved;
    }

    /// A list file as people write them: numbered or not, misnumbered, with
    /// empty and repeated lines, paths full or from the list's folder, LF or CR LF.
    void importGeneratedList() {
        Texts names(pick(1, chance(5) ? 110 : 8));
        for (std::string& name : names) name = randomName();
        if (chance(10)) names.clear();
        const std::string lineEnd = chance(50) ? "\r\n" : "\n";
        std::string bytes;
        Texts paths;
        for (const std::string& name : names) {
            paths.push_back(pathOf(name));
            const std::string listed = chance(50) ? paths.back() : chance(50) ? name : "./" + name;
            if (chance(15)) bytes += lineEnd;
            bytes += chance(50) ? EntryText(pick(0, 99), listed) : listed;
            bytes += lineEnd;
        }
        if (chance(5)) {
            bytes += "/s/back\\slash" + lineEnd;
            paths.push_back("/s/back\\slash");
        }
        if (!bytes.empty() && chance(30)) bytes.resize(bytes.size() - lineEnd.size());
        log("import " + std::to_string(paths.size()) + " scripts");
        importFile(bytes, paths);
    }

    /// During a run the import asks first; an entry it keeps keeps its run state.
    void importFile(const std::string& bytes, const Texts& paths) {
        const std::string file = pathOf("list.txt");
        WriteBytes(file, bytes);
        program_->chooser.listFileToOpen = file;
        const bool refused =
            paths.size() > static_cast<std::size_t>(kMaxEntries) ||
            std::any_of(paths.begin(), paths.end(),
                        [](const std::string& p) { return p.find('\\') != std::string::npos; });
        const bool asks = !refused && program_->logic.run().goesOn();
        const bool ok = !asks || chance(80);
        log(asks ? (ok ? "  asked: OK" : "  asked: Cancel") : "  not asked");
        program_->view.confirmAnswer = ok;
        const std::size_t boxesBefore = program_->view.boxes.size();
        program_->logic.onCommand(Command::ImportList);
        program_->view.confirmAnswer = true;
        const auto asked = std::count_if(
            program_->view.boxes.begin() + static_cast<std::ptrdiff_t>(boxesBefore),
            program_->view.boxes.end(),
            [](const std::string& box) { return box.starts_with("A run is going on. Replace"); });
        check(asked == (asks ? 1 : 0), "the question before an import");
        if (!refused && ok && editWentThrough()) model_ = SameEntriesFor(model_, paths);
    }

    void exportAndImportAgain() {
        log("export and import again");
        const std::string file = pathOf("exported.txt");
        program_->chooser.listFileToSave = file;
        program_->logic.onCommand(Command::ExportList);
        // What the list shows, also when another program has changed the store since.
        std::string expected;
        Texts paths;
        for (const std::string& text : program_->view.list.texts()) {
            expected += text + "\r\n";
            paths.push_back(ScriptPath(text));
        }
        check(ReadBytes(file) == expected, "exported file");
        importFile(ReadBytes(file), paths);
    }

    /// Vantrel is killed (or closed) and started again; an interrupted run is
    /// resumed or given up at random.
    void restart() {
        const bool resume = chance(50);
        program_.reset();
        program_ = std::make_unique<Program>(desktop_, home_.path() / "state",
                                             [this] { return WallAt(now_); }, resume);
        program_->view.onBox = [this](const std::string&) { userReadsTheBox(); };
        check(program_->logic.runMessagesShown() == messagesShown_, "run messages after a restart");
        program_->view.concurrency = program_->logic.run().concurrency();
        const bool resumed = program_->askedToResume() && resume;
        changedElsewhere_ = false;
        log(program_->askedToResume() ? (resume ? "  resumed" : "  given up") : "  nothing to resume");
        if (!resumed)
            for (ModelEntry& entry : model_) entry.run = false;
    }

    void restartAfterAWhile() {
        log("restart");
        now_ += pick(0, 5000) * 1ms;
        restart();
    }

    /// Run Again makes the selected entries unrun, but not those whose scripts still run.
    void runAgain() {
        // They act on the rows shown, which the model follows only once they show the store.
        if (changedElsewhere_) return tickForAWhile();
        const std::vector<bool> selected = randomSelection();
        log("run again " + Describe(selected));
        program_->select(selected, -1);
        for (std::size_t row = 0; row < model_.size() && row < selected.size(); ++row) {
            ModelEntry& entry = model_[row];
            if (!selected[row] || !entry.run) continue;
            if (entry.script && desktop_.running(*entry.script)) continue;
            if (!entry.script && program_->state.scriptTable[row].progress.state != RowProgress::Skipped)
                continue;  // started by an earlier program run, which the model does not follow
            entry = {entry.path};
        }
        program_->logic.onCommand(Command::RunAgain);
    }

    void skip() {
        if (changedElsewhere_) return tickForAWhile();
        const std::vector<bool> selected = randomSelection();
        log("skip " + Describe(selected));
        program_->select(selected, -1);
        for (std::size_t row = 0; row < model_.size(); ++row)
            if (selected[row] && !model_[row].run) model_[row] = {model_[row].path, true};
        program_->logic.onCommand(Command::Skip);
    }

    void clickStartStop() {
        log("click " + program_->view.caption);
        if (program_->phase() == RunPhase::Finished) return restartAfterAWhile();
        program_->logic.onCommand(Command::StartStop);
    }

    void switchRunMessages() {
        log("switch the run messages");
        program_->logic.onCommand(Command::ShowRunMessages);
        // A choice the store refuses applies until Vantrel is closed.
        const std::optional<std::string> stored =
            program_->file->stringValue(kSettingsKeyPath, "ShowRunMessages");
        messagesShown_ = stored.value_or("1") != "0";
    }

    void changeConcurrency() {
        program_->view.concurrency = pick(1, 8);
        log("N " + std::to_string(program_->view.concurrency));
        program_->logic.onConcurrencyChosen(program_->view.concurrency);
    }

    void tickForAWhile() {
        const int ticks = pick(1, 20);
        log("ticks " + std::to_string(ticks));
        const bool wasTicking = std::exchange(ticking_, true);
        for (int tick = 0; tick < ticks; ++tick) {
            now_ += pick(30, 600) * 1ms;
            if (program_->view.launchTimerOn) program_->logic.onLaunchTick();
            if (program_->view.monitorTimerOn && chance(10)) program_->logic.onMonitorTick();
            failNextStartNowAndThen();
        }
        ticking_ = wasTicking;
    }

    /// Another program changes the store, as another window of Vantrel does:
    /// it removes an entry and renumbers those below, or adds one at the end.
    void changeElsewhere() {
        const std::unique_ptr<Store> other = OpenUserStore().store;
        SettingsKeys settings(*other);
        QueueRecord record(settings, kQueueRecordKeyPath);
        const Texts names = record.names();
        Texts paths;
        for (const std::string& name : names) paths.push_back(ScriptPath(name));
        StoreTransaction transaction(*other);
        if (!paths.empty() && (chance(50) || paths.size() >= static_cast<std::size_t>(kMaxEntries))) {
            const int row = pick(0, static_cast<int>(paths.size()) - 1);
            log("another program removes row " + std::to_string(row));
            record.deleteEntryKey(names[row]);
            for (int below = row + 1; below < static_cast<int>(names.size()); ++below)
                record.renumberEntryKey(names[below], EntryText(below, paths[below]));
            paths.erase(paths.begin() + row);
        } else {
            paths.push_back(pathOf(randomName()));
            log("another program adds " + paths.back());
            record.createEntryKey(EntryText(static_cast<int>(paths.size()), paths.back()));
        }
        transaction.commit();
        model_ = SameEntriesFor(model_, paths);
        changedElsewhere_ = true;
        finishedBefore_ = true;
    }

    void failNextStartNowAndThen() {
        desktop_.failNextStart = chance(1);
        if (desktop_.failNextStart) log("next start fails");
    }

    /// Any box stays open for a while, and either timer's ticks fall due
    /// meanwhile; while the run's boxes are open, another program may change
    /// the store. The store fails none of their calls, which belong to no command.
    void userReadsTheBox() {
        now_ += pick(0, 3000) * 1ms;
        if (ticking_ && chance(5)) changeElsewhere();
        // A list behind the store refuses the command of this step, unless a
        // tick shows the store first; the model takes it as refused.
        if (changedElsewhere_ && !ticking_) return;
        const bool armed = std::exchange(storeFaultArmed_, false);
        if (chance(20)) program_->logic.onLaunchTick();
        if (chance(10)) program_->logic.onMonitorTick();
        storeFaultArmed_ = armed;
    }

    void onScriptStarted(const std::string& path) {
        const int n = program_->view.concurrency;
        check(desktop_.runningScripts() < n, "started " + path + " while " +
                                                 std::to_string(desktop_.runningScripts()) +
                                                 " scripts ran, N = " + std::to_string(n));
        const auto next = std::find_if(model_.begin(), model_.end(),
                                       [](const ModelEntry& entry) { return !entry.run; });
        if (!check(next != model_.end(), "started " + path + " with every entry run")) return;
        check(next->path == path, "started " + path + ", expected " + next->path);
        const Texts kept = program_->file->subKeys(kQueueRecordKeyPath);
        check(std::any_of(kept.begin(), kept.end(),
                          [&](const std::string& entry) { return ScriptPath(entry) == path; }),
              "started " + path + ", which the store no longer holds");
        next->run = true;
        next->script = desktop_.startedCount();
    }

    void compare() {
        Texts expected;
        for (std::size_t row = 0; row < model_.size(); ++row)
            expected.push_back(EntryText(static_cast<int>(row) + 1, model_[row].path));
        check(program_->file->subKeys(kQueueRecordKeyPath) == expected, "the store");
        // The list shows the store again before the next launch or edit.
        if (changedElsewhere_ && program_->view.list.texts() != expected) return;
        changedElsewhere_ = false;
        check(program_->view.list.texts() == expected, "the list");
        for (std::size_t row = 0; row < kScriptTableRows; ++row) {
            const ScriptRow& shown = program_->state.scriptTable[row];
            const bool inQueue = row < model_.size();
            check(shown.entryText == (inQueue ? expected[row] : std::string()) &&
                      shown.executed() == (inQueue && model_[row].run),
                  "table row " + std::to_string(row) + ": " + shown.entryText +
                      (shown.executed() ? " (run, " : " (not run, ") +
                      RowTooltip(shown.entryText, shown.progress) + ")");
        }
        compareProgressMarks();
        if (program_->phase() == RunPhase::Finished && !finishedBefore_)
            check(std::all_of(model_.begin(), model_.end(), [](auto& e) { return e.run; }),
                  "finished with an entry not run");
    }

    /// Every row shows the progress its table row holds and a tooltip naming its path.
    void compareProgressMarks() {
        const MemoryListBox& list = program_->view.list;
        for (int row = 0; row < list.count(); ++row) {
            const RowProgress wanted = row < kScriptTableRows
                                           ? program_->state.scriptTable[row].progress.state
                                           : RowProgress::Waiting;
            check(list.progress(row) == wanted, "progress mark of row " + std::to_string(row));
            check((wanted != RowProgress::Waiting) == model_[row].run,
                  "a waiting mark on row " + std::to_string(row) + " exactly when it has not run");
            check(list.tooltip(row).starts_with(model_[row].path),
                  "tooltip of row " + std::to_string(row));
        }
    }

    static std::string Describe(const std::vector<bool>& rows) {
        std::string text;
        for (const bool selected : rows) text += selected ? '*' : '.';
        return text;
    }

    void log(const std::string& step) { steps_.push_back(step); }

    bool check(bool holds, const std::string& what) {
        if (holds) return true;
        ADD_FAILURE() << what << " (" << trail() << ")";
        throw PromiseBroken{};
    }

    unsigned randomStart_;
    std::mt19937 random_;
    TempConfigHome home_;
    Clock::time_point now_{};
    SimulatedDesktop desktop_{now_};
    std::unique_ptr<Program> program_;
    std::vector<ModelEntry> model_;
    Texts steps_;
    bool finishedBefore_ = false;
    bool messagesShown_ = true;
    bool storeFaultArmed_ = false;
    bool storeFaultFired_ = false;
    std::size_t noticesBefore_ = 0;
    /// Another program changed the store since the list last showed it.
    bool changedElsewhere_ = false;
    bool changedElsewhereBefore_ = false;
    bool ticking_ = false;
};

TEST(QueuePromiseTest, RandomEditsRestartsRunsAndStoreFailuresKeepEveryEntryAndStartEachOnce) {
    for (const unsigned randomStart : {1u, 2u, 3u, 4u, 5u}) {
        QueuePromise promise(randomStart);
        int steps = 0;
        try {
            for (; steps < 800; ++steps) promise.step();
            promise.runToTheEnd();
        } catch (const PromiseBroken&) {
            // Reported where it was found.
        } catch (const std::exception& error) {
            ADD_FAILURE() << "unexpected exception: " << error.what() << " (" << promise.trail()
                          << ")";
        }
        EXPECT_EQ(steps, 800) << "random start " << randomStart << " ended early";
    }
}

}  // namespace
}  // namespace vantrel::testing
