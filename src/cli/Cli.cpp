#include "cli/Cli.h"

#include "cli/CheckCommand.h"
#include "cli/GenerateCommand.h"
#include "cli/ProfileCommand.h"
#include "cli/ProfileOptions.h"
#include "support/NXStrings.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>
#include <ostream>

namespace tw {

std::string PrintableLines(std::string_view text) {
    std::string out;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string_view::npos;
         start = end + 1, end = text.find('\n', start))
        out += PrintableText(text.substr(start, end - start)) + "\n";
    return out + PrintableText(text.substr(start));
}

void Warn(const CliStreams& streams, const std::string& text) {
    streams.err << "trailwright-cli: warning: " << PrintableText(text) << "\n";
}

namespace {

// An on/off option takes no value. CLI11 refuses one on every flag (see
// RunCli) except "true", which it takes for the flag alone: refuse that too.
// An argument that an option takes as its value is skipped.
void RejectFlagValues(const CLI::App& command, const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--"))
            continue;
        size_t eq = arg.find('=');
        const CLI::Option* option = command.get_option_no_throw(arg.substr(0, eq));
        if (option == nullptr)
            continue;
        if (eq == std::string::npos)
            i += static_cast<size_t>(std::max(option->get_items_expected_min(), 0));
        else if (option->get_items_expected_max() == 0)
            throw CLI::ArgumentMismatch::FlagOverride(arg.substr(2, eq - 2)); // as CLI11 says it
    }
}

// The command tree of the program with the values its options fill.
struct CommandLine {
    CommandLine();
    // The innermost command given, whose help goes with a usage error.
    CLI::App* Command();
    // The exit status when the run ends with the parse: help, the version or
    // a usage error.
    std::optional<int> Parse(const std::vector<std::string>& args, const CliStreams& streams);
    int Run(const CliStreams& streams);

    CLI::App app{"Builds an HTML site map of a website in a local folder.", "trailwright-cli"};
    CLI::App* generate = nullptr;
    ProfileOptions generateOptions;
    bool quiet = false;
    bool overwrite = false;
    CLI::App* check = nullptr;
    ProfileOptions checkOptions;
    CheckFlags checkFlags;
    CLI::App* profile = nullptr;
    CLI::App* show = nullptr;
    std::string showFile;
    CLI::App* write = nullptr;
    std::string writeFile;
    ProfileOptions writeOptions;
};

CommandLine::CommandLine() {
    // "--titles=false" would turn titles on: a flag takes no value. The
    // subcommands inherit this.
    app.option_defaults()->disable_flag_override();
    app.set_version_flag("--version", std::string("trailwright-cli ") + TW_VERSION);
    app.require_subcommand(1);
    app.fallthrough(false);

    generate = app.add_subcommand("generate", "Scan a site folder and write its site map page");
    generateOptions.Add(*generate);
    generate->add_flag("--quiet", quiet, "No progress and no summary on standard error");
    // A run's own choice, never a profile's: a profile handed on must not
    // carry the permission to replace pages of someone else's site.
    generate->add_flag("--overwrite", overwrite,
                       "Replace an existing page of the site that is not a site map of ours "
                       "(never the index page, robots.txt or another output of the run)");
    generateOptions.AddSitemaps(*generate);

    check = app.add_subcommand(
        "check", "Scan a site folder and report dead links, missing anchors, orphan pages, "
                 "title problems, folders without a default page, pages not fully checked, "
                 "unreadable folders and the pages' quality: alt texts, languages, "
                 "descriptions, headings, mixed content, depth, redirects and ids");
    checkOptions.Add(*check, false);
    AddCheckFlags(*check, checkFlags);

    profile = app.add_subcommand("profile", "Show or write a profile file");
    profile->require_subcommand(1);
    show = profile->add_subcommand("show", "Print the properties of a profile file as JSON");
    show->add_option("FILE", showFile, "The profile file to read")->required();
    write = profile->add_subcommand(
        "write", "Write a profile file built from a profile file and the options of generate");
    write->add_option("FILE", writeFile, "The profile file to write")->required();
    writeOptions.Add(*write);
    writeOptions.AddSitemaps(*write);
}

CLI::App* CommandLine::Command() {
    for (CLI::App* c : {show, write, profile, generate, check})
        if (c->parsed())
            return c;
    return &app;
}

std::optional<int> CommandLine::Parse(const std::vector<std::string>& args,
                                      const CliStreams& streams) {
    std::vector<std::string> argv;
    for (size_t i = args.size(); i > 1; --i)
        argv.push_back(args[i - 1]); // CLI11 takes them in reverse order
    try {
        app.parse(argv);
        RejectFlagValues(*Command(), args);
    } catch (const CLI::CallForHelp&) {
        streams.out << Command()->help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        streams.out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion&) {
        streams.out << "trailwright-cli " << TW_VERSION << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        streams.err << "trailwright-cli: " << PrintableLines(e.what()) << "\n" << Command()->help();
        return 2;
    }
    return std::nullopt;
}

int CommandLine::Run(const CliStreams& streams) {
    try {
        if (generate->parsed())
            return RunGenerate(*generate, generateOptions, quiet, overwrite, streams);
        if (show->parsed())
            return ShowProfile(showFile, streams);
        if (write->parsed())
            return WriteProfileFile(*write, writeOptions, writeFile);
        if (check->parsed()) {
            TMapProfile checked = BuildProfile(*check, checkOptions);
            CheckIndexPage(checked, streams);
            return RunCheck(std::move(checked), checkFlags, streams);
        }
    } catch (const UsageError& e) {
        streams.err << "trailwright-cli: " << PrintableLines(e.what()) << "\n" << Command()->help();
        return 2;
    } catch (const std::exception& e) {
        streams.err << "trailwright-cli: " << PrintableLines(e.what()) << "\n";
        return 1;
    }
    return 2;
}

} // namespace

int RunCli(const std::vector<std::string>& args, const CliStreams& streams) {
    CommandLine line;
    if (std::optional<int> status = line.Parse(args, streams))
        return *status;
    return line.Run(streams);
}

} // namespace tw