#include "kova-sync/CommandLine.h"

#include "kova-sync/ConfigCommand.h"
#include "kova-sync/ExitCodes.h"
#include "kova-sync/ItemCommands.h"
#include "kova-sync/LogLine.h"
#include "kova-sync/Messages.h"
#include "kova-sync/RegisterCommand.h"
#include "kova-sync/SearchCommand.h"
#include "kova-sync/SyncCommand.h"
#include "kova-sync/Usage.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>

namespace KovaSync {
namespace {

// The values every command may fill; each command reads its own.
struct Values {
    RegisterArguments registration;
    SettingArguments setting;
    SyncArguments sync;
    SearchArguments search;
    std::string file;
    std::vector<std::string> helpTopic;
};

// Usage lines name the whole command ("kova-sync config set"), not the last word only.
class CommandFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        for (const CLI::App* parent = app->get_parent(); parent != nullptr; parent = parent->get_parent()) {
            name = parent->get_name() + " " + name;
        }
        return CLI::Formatter::make_usage(app, name);
    }
};

// The command's own usage (App::help would give that of a command selected below it).
std::string HelpOf(const CLI::App& command) {
    return command.get_formatter()->make_help(&command, command.get_name(), CLI::AppFormatMode::Normal);
}

// Runs the command; a failure it throws is told on standard error and exits with 2.
int Guarded(const std::function<int()>& run) {
    try {
        return run();
    } catch (const HostCallError& error) {
        std::cerr << "kova-sync: " << Describe(error) << std::endl;
    } catch (const std::exception& error) {
        std::cerr << "kova-sync: " << error.what() << std::endl;
    }
    return kExitNotRun;
}

enum class Talks { Locally, ToServer };

CLI::App* Command(CLI::App& parent, const std::string& name, const std::string& description,
                  const std::string& example, const std::function<int()>& run, int& status,
                  Talks talks = Talks::Locally) {
    CLI::App* command = parent.add_subcommand(name, description);
    command->set_help_flag("-h,--help", "show this help");
    command->footer("Example:\n  " + example);
    command->callback([&status, run, talks] {
        status = Guarded(run);
        if (talks == Talks::ToServer) {
            PrintLogLine();
        }
    });
    return command;
}

void Operand(CLI::App* command, const std::string& name, std::string& value, const std::string& meaning) {
    command->add_option(name, value, meaning)->required()->type_name("");
}

void Build(CLI::App& app, Values& values, int& status) {
    app.description("kova-sync plays the sync engine's part for the Meridio sync filter: it registers the\n"
                    "filter, keeps its settings, and mirrors a Meridio folder into a local directory.");
    app.set_help_flag("-h,--help", "show this help");
    app.footer(
        std::string("Run kova-sync help COMMAND (or kova-sync COMMAND --help) for a command's usage.\n\n") +
        kStartPointHelp + "\n" + kExitCodesHelp);
    app.require_subcommand(0, 1);
    auto formatter = std::make_shared<CommandFormatter>();
    formatter->column_width(30);
    app.formatter(formatter);

    CLI::App* help = Command(
        app, "help", "show the usage of kova-sync or of one command", "kova-sync help sync",
        [&] {
            CLI::App* topic = &app;
            for (const std::string& word : values.helpTopic) {
                const std::vector<CLI::App*> named = topic->get_subcommands(
                    [&word](CLI::App* command) { return command->get_name() == word; });
                if (named.empty()) {
                    std::cerr << "kova-sync help: '" << word << "' is not a kova-sync command.\n";
                    return kExitNotRun;
                }
                topic = named.front();
            }
            std::cout << HelpOf(*topic);
            return kExitSynced;
        },
        status);
    help->add_option("COMMAND", values.helpTopic, "the command")->type_name("");

    for (const bool install : {true, false}) {
        CLI::App* command = Command(
            app, install ? "register" : "unregister",
            install ? "register the sync filter (by default the one installed beside kova-sync)"
                    : "remove the sync filter's registration",
            install ? "kova-sync register --user" : "kova-sync unregister --user",
            [&values, install] { return Register(values.registration, install); }, status);
        command->add_option("PLUGIN", values.registration.plugin, "the filter's library file")->type_name("");
        command->add_flag("--user", values.registration.perUser,
                          "for the current user only (no root needed)");
    }

    CLI::App* config = app.add_subcommand("config", "show and change the filter's settings");
    config->set_help_flag("-h,--help", "show this help");
    config->require_subcommand(1);
    config->footer("Settings are kept for the current user in the registry store: the folder\n"
                   "$KOVA_REGISTRY_DIR, else ~/.config/kova-registry (readable by the user only).\n"
                   "kova-sync config list shows every known setting with its type and default.");
    CLI::App* set = Command(
        *config, "set", "set a setting for the current user", "kova-sync config set MeridioSync.DeleteType 2",
        [&] { return ConfigSet(values.setting); }, status);
    Operand(set, "NAME", values.setting.name, "the setting");
    Operand(set, "VALUE", values.setting.value, "its value (a DWORD in decimal or as 0x hex)");
    set->add_flag("--dword", values.setting.dword, "store an unknown setting as a DWORD (else a string)");
    set->add_flag("--force", values.setting.force, "store a setting that kova-sync does not know");
    CLI::App* get = Command(
        *config, "get", "show a setting, its type and where it comes from",
        "kova-sync config get MeridioSync.UserName", [&] { return ConfigGet(values.setting.name); }, status);
    Operand(get, "NAME", values.setting.name, "the setting");
    CLI::App* unset = Command(
        *config, "unset", "remove the current user's setting",
        "kova-sync config unset MeridioSync.UserPassword", [&] { return ConfigUnset(values.setting.name); },
        status);
    Operand(unset, "NAME", values.setting.name, "the setting");
    Command(
        *config, "list", "show every setting that is set, and the known ones with their defaults",
        "kova-sync config list", [] { return ConfigList(); }, status);

    CLI::App* sync = Command(
        app, "sync", "mirror a repository folder into a local directory",
        "kova-sync sync Meridio://meridio.example.com/container/12 --into ~/meridio-mirror",
        [&] { return Sync(values.sync); }, status, Talks::ToServer);
    Operand(sync, "START-POINT", values.sync.startPoint, "the folder to mirror (below)");
    sync->add_option("--into", values.sync.into,
                     "the mirror: a new or empty directory, or one kova-sync mirrored before")
        ->required()
        ->type_name("DIR");
    sync->add_flag("--allow-mass-delete", values.sync.allowMassDelete,
                   "carry out a pass that removes more than half of the mirror's documents");
    CLI::Option* downloadOnly =
        sync->add_flag("--download-only", values.sync.downloadOnly, "take the server's changes only");
    CLI::Option* readopt =
        sync->add_flag("--readopt", values.sync.readopt,
                       "make the journal afresh (the old one is put aside): each file is paired with the\n"
                       "document of its content; other files are kept as conflict copies")
            ->excludes(downloadOnly);
    sync->add_flag("--send-unmatched", values.sync.sendUnmatched,
                   "with --readopt: send the files no document holds as new documents")
        ->needs(readopt);
    sync->footer(sync->get_footer() + "\n\n" + kStartPointHelp +
                 "\nA pass that would remove more than half of the mirror's documents removes none;\n"
                 "--allow-mass-delete lets it.\n\n" +
                 kExitCodesHelp);

    CLI::App* search = Command(
        app, "search", "find containers, folders and classes by title on a server",
        "kova-sync search meridio.example.com Contracts", [&] { return Search(values.search); }, status,
        Talks::ToServer);
    Operand(search, "SERVER", values.search.server, "the server's name (HOST or HOST:PORT)");
    Operand(search, "TEXT", values.search.text, "a part of the title");
    search->add_option("--max", values.search.maximumHits, "at most this many results (default 100)")
        ->type_name("N")
        ->check(CLI::Range(1, 100000));
    search->footer(search->get_footer() +
                   "\n\nEach line: title, location (the start point to sync), path, kind.");

    const struct {
        const char* name;
        const char* description;
        ItemCommand command;
    } itemCommands[] = {
        {"checkout", "check a mirrored document out on the server (lock it)", ItemCommand::Checkout},
        {"cancel-checkout", "cancel the checkout (remove the lock)", ItemCommand::CancelCheckout},
        {"status", "whether a mirrored document is checked out and changed on the server",
         ItemCommand::Status},
        {"link", "the link text a mail carries in place of the document", ItemCommand::Link},
    };
    for (const auto& item : itemCommands) {
        CLI::App* command = Command(
            app, item.name, item.description,
            std::string("kova-sync ") + item.name + " ~/meridio-mirror/Report.docx",
            [&values, which = item.command] { return RunItemCommand(which, values.file); }, status,
            Talks::ToServer);
        Operand(command, "FILE", values.file, "a document's file in a mirror");
    }
}

// The command words the arguments name, as far as they are commands ("config set").
std::string CommandPath(const CLI::App& app) {
    std::string path = "kova-sync";
    const CLI::App* current = &app;
    while (!current->get_subcommands().empty()) {
        current = current->get_subcommands().front();
        path += " " + current->get_name();
    }
    return path;
}

} // namespace

int RunCommandLine(int argc, char** argv) {
    CLI::App app("", "kova-sync");
    Values values;
    int status = kExitSynced;
    Build(app, values, status);
    if (argc < 2) {
        std::cerr << HelpOf(app);
        return kExitNotRun;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        const CLI::App* asked = &app;
        while (!asked->get_subcommands().empty()) {
            asked = asked->get_subcommands().front();
        }
        std::cout << HelpOf(*asked);
        return kExitSynced;
    } catch (const CLI::ParseError& error) {
        const std::string path = CommandPath(app);
        const std::string first = argv[1];
        if (path == "kova-sync" && !first.empty() && first[0] != '-' &&
            dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
            std::cerr << "kova-sync: '" << first << "' is not a kova-sync command.\n";
        } else {
            std::cerr << path << ": " << error.what() << "\n";
        }
        std::cerr << "Run '" << (path == "kova-sync" ? "kova-sync --help" : "kova-sync help" + path.substr(9))
                  << "' for the usage.\n";
        return kExitNotRun;
    }
    if (app.get_subcommands().empty()) {
        std::cerr << HelpOf(app);
        return kExitNotRun;
    }
    return status;
}

} // namespace KovaSync
