#include "kova-sync/SyncCommand.h"

#include "Platform/Utf.h"
#include "kova-sync/EarlierLayout.h"
#include "kova-sync/ExitCodes.h"
#include "kova-sync/LogLine.h"
#include "kova-sync/MirrorLock.h"
#include "kova-sync/PassLog.h"
#include "kova-sync/PluginHost.h"
#include "kova-sync/RegisteredFilter.h"
#include "kova-sync/StartPointCheck.h"
#include "kova-sync/SyncPass.h"

#include <csignal>
#include <ctime>
#include <optional>
#include <regex>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

Host::LSShutdownInformer* interruptTarget = nullptr;

void OnInterrupt(int) {
    if (interruptTarget != nullptr) {
        interruptTarget->SetShutdownRequested(true);
    }
}

// The mirror's start point: one a journal holds, or, for an adopted earlier-layout mirror, the one its
// main folder was registered with.
std::optional<std::string> StoredStartPoint(Journal& journal) {
    if (std::optional<std::string> stored = journal.Setting("start_point")) {
        return stored;
    }
    const std::optional<JournalItem> main = journal.MainFolder();
    const std::wstring original = main ? main->map.String(L"KOVA.RepositoryOriginalLocation") : L"";
    if (original.empty()) {
        return std::nullopt;
    }
    journal.SetSetting("start_point", Platform::WideToUtf8(original));
    return Platform::WideToUtf8(original);
}

// Whether the journal's file is damaged (not one a disk that is full or read-only refuses).
bool IsDamaged(const SqliteError& error) {
    const std::string text = error.what();
    return text.find("not a database") != std::string::npos || text.find("malformed") != std::string::npos;
}

// A damaged journal: the way back is a journal made afresh.
void TellTheWayBack(const Mirror& mirror, Console& console, const SyncArguments& arguments,
                    const SqliteError& error, const std::string& done) {
    console.Error("kova-sync: the mirror's journal " + mirror.JournalFile().string() + " cannot be read (" +
                  error.what() + "); " + done +
                  ". To make it again from the server's listing, keeping every file of the mirror, run:\n"
                  "  kova-sync sync " +
                  arguments.startPoint + " --into " + mirror.root().string() + " --readopt");
}

int RunPass(ILSSyncFilter2* filter, Mirror& mirror, Journal& journal, Console& console,
            const SyncArguments& arguments) {
    Host::LSShutdownInformer* informer = Host::LSShutdownInformer::Create();
    interruptTarget = informer;
    std::signal(SIGINT, OnInterrupt);
    int status = kExitSynced;
    try {
        SyncPass pass(filter, informer, mirror, journal, console,
                      PassOptions{arguments.allowMassDelete, arguments.downloadOnly, arguments.readopt,
                                  arguments.sendUnmatched},
                      FileRules::FromSettings());
        const PassSummary summary = pass.Run(Platform::Utf8ToWide(arguments.startPoint));
        console.Line(SummaryLine(summary));
        status = summary.heldRemovals != 0 ? kExitNotRun
                 : summary.failed != 0 || summary.conflicts != 0 || summary.conflictCopies != 0
                     ? kExitItemsFailed
                     : kExitSynced;
    } catch (const HostCallError& error) {
        console.Error("kova-sync: the pass could not run: " + Describe(error));
        const bool startPointCall = error.call == "raw_SetSyncStartPointByString" ||
                                    (error.call == "raw_SetSyncStartPoint" && error.item.empty());
        if (error.call == "raw_SetSyncStartPointByString" && error.hr == E_INVALIDARG) {
            console.Error("kova-sync: the filter refused the start point " + arguments.startPoint +
                          "; see kova-sync help sync for its form.");
        } else if (startPointCall && error.hr != E_ABORT && error.causes.empty()) {
            // Without the filter's records the code's system message is all there is: name what may be
            // behind it.
            console.Error(
                "kova-sync: " + arguments.startPoint +
                " could not be listed: the server may be unreachable, may refuse the login, or may not "
                "hold that folder.");
        }
        status = kExitNotRun;
    } catch (const PassInterrupted&) {
        console.Error("Stopped: the pass was interrupted. What it synced is kept; the next pass goes on "
                      "from there.");
        status = kExitStopped;
    } catch (const SqliteError& error) {
        if (!IsDamaged(error)) {
            throw;
        }
        TellTheWayBack(mirror, console, arguments, error, "the pass stopped there");
        status = kExitNotRun;
    } catch (const std::regex_error& error) {
        console.Error(
            std::string("kova-sync: MeridioSync.ExcludeFileRegEx holds a pattern that is not valid: ") +
            error.what());
        status = kExitNotRun;
    }
    std::signal(SIGINT, SIG_DFL);
    interruptTarget = nullptr;
    informer->Release();
    return status;
}

bool HoldsOnlyTheHiddenFolder(const Mirror& mirror) {
    for (const fs::directory_entry& entry : fs::directory_iterator(mirror.root())) {
        if (entry.path().filename() != Mirror::kHiddenFolder) {
            return false;
        }
    }
    return true;
}

// What a first pass that could not run leaves is taken away again: the hidden folder, and the
// directory itself when the pass made it; never anything else.
void RemoveWhatAFailedFirstPassMade(const Mirror& mirror, bool madeRoot) {
    fs::remove_all(mirror.root() / Mirror::kHiddenFolder);
    std::error_code notEmpty;
    if (madeRoot) {
        fs::remove(mirror.root(), notEmpty);
    }
}

// The journal, or none when it cannot be read: the user is told the way back.
std::optional<Journal> OpenJournal(const Mirror& mirror, Console& console, const SyncArguments& arguments) {
    try {
        return std::optional<Journal>(std::in_place, mirror.JournalFile());
    } catch (const SqliteError& error) {
        if (!IsDamaged(error)) {
            throw;
        }
        TellTheWayBack(mirror, console, arguments, error, "nothing was changed");
        return std::nullopt;
    }
}

// Puts the journal and its write-ahead files aside under a dated name, for a journal made afresh.
void PutJournalAside(const Mirror& mirror, Console& console) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        fs::path file = mirror.JournalFile();
        file += suffix;
        if (fs::exists(file)) {
            fs::path aside = mirror.JournalFile();
            aside += std::string(".put-aside-") + stamp + suffix;
            fs::rename(file, aside);
            if (*suffix == '\0') {
                console.Line("The earlier journal was put aside as " + aside.string() + ".");
            }
        }
    }
}

int RunInMirror(ILSSyncFilter2* filter, Mirror& mirror, Mirror::Kind kind, Console& console,
                const SyncArguments& arguments, bool& firstPass) {
    if (arguments.readopt) {
        PutJournalAside(mirror, console);
    }
    std::optional<Journal> opened = OpenJournal(mirror, console, arguments);
    if (!opened) {
        return kExitNotRun;
    }
    Journal& journal = *opened;
    if (kind == Mirror::Kind::EarlierLayout && !journal.MainFolder() && !arguments.readopt) {
        const Adopted adopted = AdoptEarlierLayout(mirror.root(), journal);
        console.Line("Adopted the mirror's earlier layout: " + std::to_string(adopted.folders) +
                     " folders, " + std::to_string(adopted.documents) +
                     " documents; its property files were removed.");
    }
    const std::optional<std::string> startPoint = StoredStartPoint(journal);
    if (startPoint && *startPoint != arguments.startPoint) {
        console.Error("kova-sync: " + mirror.root().string() + " mirrors " + *startPoint + ", not " +
                      arguments.startPoint +
                      "; nothing was changed. A mirror belongs to one start point: give --into another "
                      "directory for this one.");
        return kExitNotRun;
    }
    firstPass = !journal.MainFolder();

    console.Line("Mirror: " + mirror.root().string());
    console.Line("Connecting to " + arguments.startPoint);
    mirror.RemoveTemporaryFiles();
    const int status = RunPass(filter, mirror, journal, console, arguments);
    mirror.RemoveTemporaryFiles();
    return status;
}

} // namespace

int Sync(const SyncArguments& arguments) {
    Console console;
    if (const std::string problem = StartPointProblem(arguments.startPoint); !problem.empty()) {
        console.Error("kova-sync: the start point " + arguments.startPoint + " is not valid: " + problem +
                      "; see kova-sync help sync for its form.");
        return kExitNotRun;
    }
    Mirror mirror(fs::absolute(arguments.into).lexically_normal());
    if (fs::exists(mirror.root()) && !fs::is_directory(mirror.root())) {
        console.Error("kova-sync: " + mirror.root().string() + " is not a directory.");
        return kExitNotRun;
    }
    // A pass already running on the mirror is found before anything is looked at or changed.
    std::optional<MirrorLock> lock;
    if (fs::is_directory(mirror.root() / Mirror::kHiddenFolder)) {
        lock.emplace(mirror.root());
    }
    const Mirror::Kind kind = mirror.Inspect();
    if (kind == Mirror::Kind::Foreign && !arguments.readopt && lock) {
        console.Error("kova-sync: the mirror's journal " + mirror.JournalFile().string() +
                      " is missing; nothing was changed. To make it again from the server's listing, keeping "
                      "every file of the mirror, run:\n  kova-sync sync " +
                      arguments.startPoint + " --into " + mirror.root().string() + " --readopt");
        return kExitNotRun;
    }
    if (kind == Mirror::Kind::Foreign && !arguments.readopt) {
        console.Error("kova-sync: " + mirror.root().string() +
                      " already holds files and is not a kova-sync mirror; nothing was changed. Give --into "
                      "a new or empty directory, or one kova-sync mirrored before.");
        return kExitNotRun;
    }
    const PassLog log("kova-sync sync " + arguments.startPoint + " --into " + mirror.root().string());
    NotePassLog(log.file());
    const RegisteredFilter filter;

    const bool madeRoot = !fs::exists(mirror.root());
    mirror.Prepare();
    if (!lock) {
        lock.emplace(mirror.root());
    }
    bool firstPass = false;
    const int status = RunInMirror(filter.get(), mirror, kind, console, arguments, firstPass);
    if (firstPass && !arguments.readopt && status == kExitNotRun && HoldsOnlyTheHiddenFolder(mirror)) {
        RemoveWhatAFailedFirstPassMade(mirror, madeRoot);
    }
    return status;
}

} // namespace KovaSync
