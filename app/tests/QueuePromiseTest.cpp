// The queue's promise, checked on the real store: the list, the store and the
// next start's load hold the same entries in the same order, numbered by
// position; each entry's run state moves with it; and a run starts every
// queued entry not yet run exactly once, in list order, never while N scripts
// already run.

#include <gtest/gtest.h>

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

    Texts started;  // script paths, in start order
    std::function<void(const std::string& path)> onStart;
    /// What becomes of each start: by default its window shows at once and it ends after a second.
    std::function<Script(const LaunchRequest&)> plan = [this](const LaunchRequest& request) {
        Script script;
        script.request = request;
        script.mapsAt = now_;
        script.endsAt = now_ + 1s;
        return script;
    };
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
        if (onStart) onStart(request.scriptPath);
        started.push_back(request.scriptPath);
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
            RunController::WallClock clock, bool resume = true)
        : logic(PartsWith(ProgramParts(state, store, desktop, desktop, std::nullopt, stateFolder),
                          std::move(clock)),
                view, chooser) {
        view.confirmAnswer = resume;
        logic.load();
        view.confirmAnswer = true;
    }
    bool askedToResume() const {
        return std::any_of(view.boxes.begin(), view.boxes.end(), [](const std::string& box) {
            return box.find("was interrupted") != std::string::npos;
        });
    }

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

/// Drives random sequences of what a user does against the program and a
/// reference model, and compares the two after every step. Now and then the
/// store fails a call of a command, which must then change nothing.
class QueuePromise {
public:
    explicit QueuePromise(unsigned randomStart) : randomStart_(randomStart), random_(randomStart) {
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
        const int action = pick(0, 16);
        // A run may finish inside a box of a drop or an import, which then add
        // entries the finished run does not start.
        const bool addsEntries = action == 1 || action == 5 || action == 6;
        finishedBefore_ = program_->phase() == RunPhase::Finished || addsEntries;
        // A start-up that cannot read shows no queue until the next edit; that is not this test's.
        if (action != 7 && action != 8) armStoreFault();
        const std::size_t noticesBefore = program_->view.notices.size();
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
            default: tickForAWhile(); break;
        }
        if (disarmStoreFault() && action <= 6) {
            // The command failed whole (the model was left as it was), and the user was told.
            const std::vector<std::string>& notices = program_->view.notices;
            check(std::any_of(notices.begin() + static_cast<std::ptrdiff_t>(noticesBefore),
                              notices.end(),
                              [](const std::string& text) {
                                  return text.find("disk I/O error") != std::string::npos;
                              }),
                  "a failed store call was not told");
        }
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
    /// Whether the command just given went through: a store call that failed fails it whole.
    bool commandWentThrough() const { return !storeFaultFired_; }

    std::string randomPath() {
        static const Texts pool{"/s/a.txt",          "/s/b c.txt",  "/s/\xC3\xA9t\xC3\xA9.txt",
                                "relative/x.txt",    "7-x",         "/s/<b>bold</b>.txt",
                                "/s/q'uote\".txt",   "/s/a.txt",    "/calc/long " + std::string(300, 'y')};
        return pool[pick(0, static_cast<int>(pool.size()) - 1)];
    }
    Texts randomPaths(int most) {
        Texts paths(pick(1, most));
        for (std::string& path : paths) path = randomPath();
        // Now and then a path the queue cannot store, which refuses the whole command.
        if (chance(5)) paths[pick(0, static_cast<int>(paths.size()) - 1)] = "/s/back\\slash";
        return paths;
    }
    std::vector<bool> randomSelection() {
        std::vector<bool> rows(program_->view.list.count());
        const int percent = pick(0, 100);
        for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = chance(percent);
        return rows;
    }

    bool running() const { return program_->phase() == RunPhase::Running; }

    /// Entries added or dropped, unless refused; checked once the program has
    /// had the command, since ticks inside its boxes still run the old queue.
    void append(const Texts& paths) {
        if (!commandWentThrough()) return;
        const bool refused =
            std::any_of(paths.begin(), paths.end(),
                        [](const std::string& p) { return p.find('\\') != std::string::npos; }) ||
            model_.size() + paths.size() > static_cast<std::size_t>(kMaxEntries);
        if (!refused)
            for (const std::string& path : paths) model_.push_back({path});
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
        if (!ok || !commandWentThrough()) return;
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
        const int n = static_cast<int>(model_.size());
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
        if (commandWentThrough()) model_ = moved;
    }

    /// A list file as people write them: numbered or not, misnumbered, with
    /// empty and repeated lines, LF or CR LF.
    void importGeneratedList() {
        Texts paths = randomPaths(chance(5) ? 110 : 8);
        if (chance(10)) paths.clear();
        const std::string lineEnd = chance(50) ? "\r\n" : "\n";
        std::string bytes;
        for (const std::string& path : paths) {
            if (chance(15)) bytes += lineEnd;
            bytes += chance(50) ? EntryText(pick(0, 99), path) : path;
            bytes += lineEnd;
        }
        if (!bytes.empty() && chance(30)) bytes.resize(bytes.size() - lineEnd.size());
        log("import " + std::to_string(paths.size()) + " scripts");
        importFile(bytes, paths);
    }

    void importFile(const std::string& bytes, const Texts& paths) {
        const std::string file = (home_.path() / "list.txt").string();
        WriteBytes(file, bytes);
        program_->chooser.listFileToOpen = file;
        const bool refused =
            paths.size() > static_cast<std::size_t>(kMaxEntries) ||
            std::any_of(paths.begin(), paths.end(),
                        [](const std::string& p) { return p.find('\\') != std::string::npos; });
        program_->logic.onCommand(Command::ImportList);
        if (!refused && commandWentThrough()) {
            model_.clear();
            for (const std::string& path : paths) model_.push_back({path});
        }
    }

    void exportAndImportAgain() {
        log("export and import again");
        const std::string file = (home_.path() / "exported.txt").string();
        program_->chooser.listFileToSave = file;
        program_->logic.onCommand(Command::ExportList);
        std::string expected;
        Texts paths;
        for (std::size_t row = 0; row < model_.size(); ++row) {
            expected += EntryText(static_cast<int>(row) + 1, model_[row].path) + "\r\n";
            paths.push_back(model_[row].path);
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
        for (int tick = 0; tick < ticks; ++tick) {
            now_ += pick(30, 600) * 1ms;
            if (program_->view.launchTimerOn) program_->logic.onLaunchTick();
            if (program_->view.monitorTimerOn && chance(10)) program_->logic.onMonitorTick();
            failNextStartNowAndThen();
        }
    }

    void failNextStartNowAndThen() {
        desktop_.failNextStart = chance(1);
        if (desktop_.failNextStart) log("next start fails");
    }

    /// Any box stays open for a while, and either timer's ticks fall due meanwhile.
    void userReadsTheBox() {
        now_ += pick(0, 3000) * 1ms;
        if (chance(20)) program_->logic.onLaunchTick();
        if (chance(10)) program_->logic.onMonitorTick();
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
        next->run = true;
        next->script = desktop_.startedCount();
    }

    void compare() {
        Texts expected;
        for (std::size_t row = 0; row < model_.size(); ++row)
            expected.push_back(EntryText(static_cast<int>(row) + 1, model_[row].path));
        check(program_->view.list.texts() == expected, "the list");
        check(program_->file->subKeys(kQueueRecordKeyPath) == expected, "the store");
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
};

struct QueuePromiseTest : ::testing::Test {
    TempConfigHome home;
    Clock::time_point now{};
    SimulatedDesktop desktop{now};

    std::unique_ptr<Program> startProgram() {
        return std::make_unique<Program>(desktop, home.path() / "state", [this] { return WallAt(now); });
    }
    /// Starts the run and ticks, 30 ms apart, until it finishes.
    void runUntilFinished(Program& program) {
        program.logic.onCommand(Command::StartStop);
        for (int tick = 0; tick < 1000 && program.phase() == RunPhase::Running; ++tick) {
            now += 30ms;
            program.logic.onLaunchTick();
        }
    }
};

TEST_F(QueuePromiseTest, AFailedReadInsideACommandChangesNothingAndNoScriptRunsTwice) {
    auto program = startProgram();
    program->logic.onFilesDropped({"/s/a", "/s/b"});
    program->logic.onCommand(Command::ShowRunMessages);
    program->logic.onCommand(Command::StartStop);
    program->logic.onLaunchTick();
    program->logic.onCommand(Command::StartStop);
    ASSERT_EQ(desktop.started, Texts{"/s/a"});
    program->store.fails = [](FaultyStore::Call call) { return call == FaultyStore::Call::Read; };
    program->select({false, true}, 1);
    program->logic.onCommand(Command::MoveSelectedUp);
    EXPECT_EQ(program->view.list.texts(), (Texts{"01-/s/a", "02-/s/b"}));
    EXPECT_NE(program->view.notices.back().find("disk I/O error"), std::string::npos);
    program->store.fails = [](FaultyStore::Call) { return false; };
    program->logic.onCommand(Command::MoveSelectedUp);
    now += 10s;
    runUntilFinished(*program);
    EXPECT_EQ(desktop.started, (Texts{"/s/a", "/s/b"}));
}

TEST_F(QueuePromiseTest, RandomEditsRestartsRunsAndStoreFailuresKeepEveryEntryAndStartEachOnce) {
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
