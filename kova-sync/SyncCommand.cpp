#include "kova-sync/SyncCommand.h"

#include "Platform/Utf.h"
#include "kova-sync/EarlierLayout.h"
#include "kova-sync/ExitCodes.h"
#include "kova-sync/PluginHost.h"
#include "kova-sync/SyncPass.h"

#include <csignal>
#include <optional>
#include <regex>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

constexpr const wchar_t* kProgId = L"Vantrel.SyncFilterMeridio";

Host::LSShutdownInformer* interruptTarget = nullptr;

void OnInterrupt(int) {
    if (interruptTarget != nullptr) {
        interruptTarget->SetShutdownRequested(true);
    }
}

struct SyncArguments {
    std::string startPoint;
    fs::path into;
    bool allowMassDelete = false;
    bool downloadOnly = false;
};

std::optional<SyncArguments> Parse(const std::vector<std::string>& args) {
    SyncArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--into" && i + 1 < args.size()) {
            parsed.into = args[++i];
        } else if (args[i] == "--allow-mass-delete") {
            parsed.allowMassDelete = true;
        } else if (args[i] == "--download-only") {
            parsed.downloadOnly = true;
        } else if (parsed.startPoint.empty() && args[i].rfind("--", 0) != 0) {
            parsed.startPoint = args[i];
        } else {
            return std::nullopt;
        }
    }
    if (parsed.startPoint.empty() || parsed.into.empty()) {
        return std::nullopt;
    }
    return parsed;
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

int RunPass(ILSSyncFilter2* filter, Mirror& mirror, Journal& journal, Console& console,
            const SyncArguments& arguments) {
    Host::LSShutdownInformer* informer = Host::LSShutdownInformer::Create();
    interruptTarget = informer;
    std::signal(SIGINT, OnInterrupt);
    int status = kExitSynced;
    try {
        SyncPass pass(filter, informer, mirror, journal, console,
                      PassOptions{arguments.allowMassDelete, arguments.downloadOnly},
                      FileRules::FromSettings());
        const PassSummary summary = pass.Run(Platform::Utf8ToWide(arguments.startPoint));
        console.Line(SummaryLine(summary));
        status = summary.heldRemovals != 0 ? kExitNotRun
                 : summary.failed != 0 || summary.conflicts != 0 || summary.conflictCopies != 0
                     ? kExitItemsFailed
                     : kExitSynced;
    } catch (const HostCallError& error) {
        console.Error("kova-sync: the pass could not run: " + Describe(error));
        status = kExitNotRun;
    } catch (const PassInterrupted&) {
        console.Error("Stopped: the pass was interrupted. What it synced is kept; the next pass goes on "
                      "from there.");
        status = kExitStopped;
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

} // namespace

int Sync(const std::vector<std::string>& args) {
    const std::optional<SyncArguments> arguments = Parse(args);
    if (!arguments) {
        return Usage(false);
    }
    Console console;
    Mirror mirror(fs::absolute(arguments->into).lexically_normal());
    if (fs::exists(mirror.root()) && !fs::is_directory(mirror.root())) {
        console.Error("kova-sync: " + mirror.root().string() + " is not a directory.");
        return kExitNotRun;
    }
    const Mirror::Kind kind = mirror.Inspect();
    if (kind == Mirror::Kind::Foreign) {
        console.Error("kova-sync: " + mirror.root().string() +
                      " already holds files and is not a kova-sync mirror; nothing was changed. Give --into "
                      "a new or empty directory, or one kova-sync mirrored before.");
        return kExitNotRun;
    }

    CLSID clsid{};
    std::optional<PluginLibrary> library;
    ILSSyncFilter2Ptr filter;
    try {
        library.emplace(FindRegisteredServer(kProgId, clsid));
        filter.Attach(static_cast<ILSSyncFilter2*>(library->CreateObject(clsid, __uuidof(ILSSyncFilter2))));
    } catch (const HostCallError& error) {
        console.Error("kova-sync: the sync filter cannot be loaded (is it registered? kova-sync register): " +
                      Describe(error));
        return kExitNotRun;
    }

    mirror.Prepare();
    Journal journal(mirror.JournalFile());
    if (kind == Mirror::Kind::EarlierLayout && !journal.MainFolder()) {
        const Adopted adopted = AdoptEarlierLayout(mirror.root(), journal);
        console.Line("Adopted the mirror's earlier layout: " + std::to_string(adopted.folders) +
                     " folders, " + std::to_string(adopted.documents) +
                     " documents; its property files were removed.");
    }
    const std::optional<std::string> startPoint = StoredStartPoint(journal);
    if (startPoint && *startPoint != arguments->startPoint) {
        console.Error("kova-sync: " + mirror.root().string() + " mirrors " + *startPoint + ", not " +
                      arguments->startPoint + "; nothing was changed.");
        return kExitNotRun;
    }

    console.Line("Mirror: " + mirror.root().string());
    mirror.RemoveTemporaryFiles();
    const int status = RunPass(filter, mirror, journal, console, *arguments);
    mirror.RemoveTemporaryFiles();
    return status;
}

} // namespace KovaSync
