#include "cli/Cli.h"

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "output/OutputTargets.h"
#include "output/SiteMapWriter.h"
#include "persist/ProfileFiles.h"
#include "scan/ScanRun.h"
#include "support/Errors.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>

namespace tw {

namespace {

constexpr const char* kIndexFolderMissing =
    "The Index Page folder cannot be found, please enter a valid path.";

// An error of the command line itself: exit status 2 with the usage text.
class UsageError : public TError {
    using TError::TError;
};

// The options that build a profile, shared by every command that takes them.
struct ProfileOptions {
    CLI::Option* profile = nullptr;
    CLI::Option* index = nullptr;
    CLI::Option* output = nullptr;
    CLI::Option* format = nullptr;
    CLI::Option* fileTypes = nullptr;
    CLI::Option* ignoreFolder = nullptr;
    CLI::Option* ignoreFile = nullptr;
    CLI::Option* color = nullptr;
    // Flag pairs: the option that turns the setting on and the one that turns it off.
    std::map<CLI::Option*, std::pair<void (*)(TMapProfile&, bool), bool>> flags;

    void Add(CLI::App& app) {
        auto value = [&app](const char* name, const char* help) {
            return app.add_option(name)
                ->description(help)
                ->expected(1)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        };
        // Read before every other option, wherever it stands; given once at most.
        profile = app.add_option("--profile")
                      ->description("A profile file to start from, read as the wizard opens it")
                      ->type_name("FILE")
                      ->expected(1);
        index = value("--index", "Full or relative path of the site's index page")
                    ->type_name("PATH");
        output = value("--output", "The site map file to write")->type_name("PATH");
        format = value("--format", "Layout of the site map")
                     ->type_name("list|paragraph")
                     ->check(CLI::IsMember({"list", "paragraph"}));
        fileTypes = value("--file-types", "File types to include, e.g. \"*.htm;*.html;\"")
                        ->type_name("MASKS");
        ignoreFolder = value("--ignore-folder", "A folder to leave out (repeatable)")
                           ->type_name("DIR");
        ignoreFile =
            value("--ignore-file", "A file to leave out (repeatable)")->type_name("FILE");
        color = value("--color", "A page colour: KEY=#RRGGBB or KEY=none, KEY one of "
                                 "background, text, link, visited, active (repeatable)")
                    ->type_name("KEY=VALUE");
        Pair(app, "titles", "link texts from the pages' titles",
             [](TMapProfile& p, bool v) { p.SetUsePageTitles(v); });
        Pair(app, "styles", "style sheet classes for the items",
             [](TMapProfile& p, bool v) { p.SetClassAttribs(v); });
        Pair(app, "images", "images before the items",
             [](TMapProfile& p, bool v) { p.SetAddImages(v); });
        Pair(app, "folder-images", "images before folder items",
             [](TMapProfile& p, bool v) { p.SetNoFolderImages(!v); });
        Pair(app, "folder-links", "links on folder names",
             [](TMapProfile& p, bool v) { p.SetNoFolderLinks(!v); });
    }

    void Pair(CLI::App& app, const std::string& name, const std::string& what,
              void (*set)(TMapProfile&, bool)) {
        std::string onName = "--" + name, offName = "--no-" + name;
        std::string onHelp = "Use " + what, offHelp = "Do not use " + what;
        // The description goes through description(): add_flag(name, std::string&)
        // would bind the flag's result to that local string.
        auto* on = app.add_flag(onName)
                       ->description(onHelp)
                       ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        auto* off = app.add_flag(offName)
                        ->description(offHelp)
                        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        flags[on] = {set, true};
        flags[off] = {set, false};
    }

    static TColor ParseColor(const std::string& value) {
        if (SameTextIgnoringCase(value, "none"))
            return kColorNone;
        if (value.size() != 7 || value[0] != '#')
            throw UsageError("--color: expected #RRGGBB or none, got \"" + value + "\"");
        unsigned rgb = 0;
        for (size_t i = 1; i < 7; ++i) {
            char c = value[i];
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f')
                digit = static_cast<unsigned>(AsciiLower(c) - 'a' + 10);
            else
                throw UsageError("--color: expected #RRGGBB or none, got \"" + value + "\"");
            rgb = rgb * 16 + digit;
        }
        unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        return static_cast<TColor>(r | (g << 8) | (b << 16));
    }

    static void SetColor(TMapProfile& profile, const std::string& setting) {
        size_t eq = setting.find('=');
        if (eq == std::string::npos)
            throw UsageError("--color: expected KEY=VALUE, got \"" + setting + "\"");
        std::string key = AsciiLowerCase(setting.substr(0, eq));
        TColor color = ParseColor(setting.substr(eq + 1));
        if (key == "background")
            profile.SetclrBackground(color);
        else if (key == "text")
            profile.SetclrText(color);
        else if (key == "link")
            profile.SetclrLink(color);
        else if (key == "visited")
            profile.SetclrVisited(color);
        else if (key == "active")
            profile.SetclrActive(color);
        else
            throw UsageError("--color: unknown key \"" + key +
                             "\" (background, text, link, visited, active)");
    }

    // Applies the options through the profile's setters in command-line order.
    void Apply(const CLI::App& app, TMapProfile& profile) const {
        std::map<const CLI::Option*, size_t> taken;
        for (const CLI::Option* opt : app.parse_order()) {
            size_t k = taken[opt]++;
            auto it = flags.find(const_cast<CLI::Option*>(opt));
            if (it != flags.end()) {
                it->second.first(profile, it->second.second);
                continue;
            }
            const auto& results = opt->results();
            if (k >= results.size())
                continue;
            const std::string& v = results[k];
            if (opt == index) {
                std::string path = ExpandFileName(v);
                profile.SetIndexPage(path);
                if (profile.OutputFileName().empty())
                    profile.SetOutputFileName(ExtractFilePath(path) + "sitemap.html");
            } else if (opt == output) {
                profile.SetOutputFileName(ExpandFileName(v));
            } else if (opt == format) {
                profile.SetOutputFormat(v == "list" ? TMapOutputFormat::mfmtList
                                                    : TMapOutputFormat::mfmtParagraph);
            } else if (opt == fileTypes) {
                profile.SetFileTypes(v);
            } else if (opt == ignoreFolder) {
                profile.SetIgnoreFolders(profile.IgnoreFolders() +
                                         AddTrailingBackslash(ExpandFileName(v)) + "\r\n");
            } else if (opt == ignoreFile) {
                profile.SetIgnoreFiles(profile.IgnoreFiles() +
                                       AsciiLowerCase(ExpandFileName(v)) + "\r\n");
            } else if (opt == color) {
                SetColor(profile, v);
            }
        }
    }
};

// Progress of a command-line run: a line on a terminal, nothing otherwise.
class ProgressLine : public ScanListener, public WriterListener {
public:
    ProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}

    void FileAdded(int foundCount) override {
        found_ = foundCount;
        Tick("Scanning", false);
    }
    void FolderEntered(const std::string&, bool) override { Tick("Scanning", false); }
    void AfterNode(const SiteMapNode&, int index, int count) override {
        written_ = index + 1;
        total_ = count;
        Tick("Writing", false);
    }
    void Done() {
        if (enabled_ && shown_)
            err_ << "\r\033[K" << std::flush;
    }

private:
    void Tick(const char* what, bool force) {
        if (!enabled_)
            return;
        auto now = std::chrono::steady_clock::now();
        if (!force && now - last_ < std::chrono::milliseconds(100))
            return;
        last_ = now;
        shown_ = true;
        err_ << "\r\033[K" << what << ": ";
        if (total_ > 0)
            err_ << written_ << " of " << total_ << " items";
        else
            err_ << found_ << " files";
        err_ << std::flush;
    }

    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    int found_ = 0;
    int written_ = 0;
    int total_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

// Reads a profile file into the profile as the wizard's Open does: the file
// name first (which titles the profile), then the file, then what showing it
// in the wizard's controls does to the profile.
void OpenProfileFile(TMapProfile& profile, const std::string& fileName) {
    profile.SetFileName(fileName);
    LoadProfile(profile, fileName);
    // The index page field proposes an output file while none is set.
    if (!profile.IndexPage().empty() && profile.OutputFileName().empty())
        profile.SetOutputFileName(ExtractFilePath(profile.IndexPage()) + "sitemap.html");
    // The wizard offers only file output.
    if (profile.OutputType() == TMapOutputType::moutInsert)
        profile.SetOutputType(TMapOutputType::moutFile);
    if (profile.OutputType() == TMapOutputType::moutClipboard)
        profile.SetOutputType(TMapOutputType::moutFile);
    profile.SetModified(false);
}

// The start-up profile, then --profile, then the other options left to right.
TMapProfile BuildProfile(const CLI::App& app, const ProfileOptions& options) {
    TMapProfile profile = MakeStartupProfile();
    if (options.profile->count() > 0)
        OpenProfileFile(profile, ExpandFileName(options.profile->as<std::string>()));
    options.Apply(app, profile);
    return profile;
}

int Generate(const CLI::App& app, const ProfileOptions& options, bool quiet,
             const CliStreams& streams) {
    TMapProfile profile = BuildProfile(app, options);
    // The command line has no editor to hand a page to: the file is the target.
    if (profile.OutputType() != TMapOutputType::moutFile)
        profile.SetOutputType(TMapOutputType::moutFile);

    if (!FolderExists(ExtractFilePath(profile.IndexPage())))
        throw TError(kIndexFolderMissing);

    ProgressLine progress(streams.err, streams.errIsTerminal && !quiet);
    TSiteMapTree tree;
    ScanRun scan(tree, profile, SplitLineList(profile.IgnoreFolders()),
                 SplitLineList(profile.IgnoreFiles()), &progress);
    scan.Run();
    // Streamed to the file: the page of a very large site is never held whole.
    WriteSiteMapFile(tree, profile, &progress, ProgramFolder());
    progress.Done();

    if (!quiet) {
        int folders = 0;
        tree.ForEach([&folders](SiteMapNode& n, int) { folders += n.IsFolderNode() ? 1 : 0; });
        streams.err << scan.FoundCount() << " files, " << folders << " folders -> "
                    << profile.OutputFileName() << "\n";
    }
    return 0;
}

// Prints the profile a file gives a newly made profile, as one JSON object
// with the properties in stream order.
int ShowProfile(const std::string& fileName, const CliStreams& streams) {
    TMapProfile profile;
    LoadProfile(profile, fileName);
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const TPropInfo& info : ProfileStreamObject(profile).Properties) {
        switch (info.Kind) {
        case TPropKind::Boolean:
            json[info.Name] = info.GetOrdinal() != 0;
            break;
        case TPropKind::Enumeration:
            json[info.Name] = info.Identifiers.at(static_cast<size_t>(info.GetOrdinal()));
            break;
        case TPropKind::Colour:
            json[info.Name] = info.GetOrdinal();
            break;
        case TPropKind::String:
            json[info.Name] = info.GetString();
            break;
        }
    }
    // Strings that are not UTF-8 (file names can be any bytes) print with U+FFFD.
    streams.out << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                << "\n";
    return 0;
}

// Builds the profile as generate does and saves it as the wizard's Save As does.
int WriteProfileFile(const CLI::App& app, const ProfileOptions& options,
                     const std::string& fileName) {
    TMapProfile profile = BuildProfile(app, options);
    profile.SetFileName(ExpandFileName(fileName));
    WriteProfile(profile);
    return 0;
}

} // namespace

int RunCli(const std::vector<std::string>& args, const CliStreams& streams) {
    CLI::App app("Builds an HTML site map of a website in a local folder.", "trailwright-cli");
    app.set_version_flag("--version", std::string("trailwright-cli ") + TW_VERSION);
    app.require_subcommand(1);
    app.fallthrough(false);

    CLI::App* generate =
        app.add_subcommand("generate", "Scan a site folder and write its site map page");
    ProfileOptions generateOptions;
    generateOptions.Add(*generate);
    bool quiet = false;
    generate->add_flag("--quiet", quiet, "No progress and no summary on standard error");

    CLI::App* profile = app.add_subcommand("profile", "Show or write a profile file");
    profile->require_subcommand(1);
    CLI::App* show =
        profile->add_subcommand("show", "Print the properties of a profile file as JSON");
    std::string showFile;
    show->add_option("FILE", showFile, "The profile file to read")->required();
    CLI::App* write = profile->add_subcommand(
        "write", "Write a profile file built from a profile file and the options of generate");
    std::string writeFile;
    write->add_option("FILE", writeFile, "The profile file to write")->required();
    ProfileOptions writeOptions;
    writeOptions.Add(*write);

    // The innermost command given, whose help goes with a usage error.
    auto command = [&]() -> CLI::App* {
        for (CLI::App* c : {show, write, profile, generate})
            if (c->parsed())
                return c;
        return &app;
    };

    std::vector<std::string> argv;
    for (size_t i = args.size(); i > 1; --i)
        argv.push_back(args[i - 1]); // CLI11 takes them in reverse order
    try {
        app.parse(argv);
    } catch (const CLI::CallForHelp&) {
        streams.out << command()->help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        streams.out << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion&) {
        streams.out << "trailwright-cli " << TW_VERSION << "\n";
        return 0;
    } catch (const CLI::ParseError& e) {
        streams.err << "trailwright-cli: " << e.what() << "\n" << command()->help();
        return 2;
    }

    try {
        if (generate->parsed())
            return Generate(*generate, generateOptions, quiet, streams);
        if (show->parsed())
            return ShowProfile(showFile, streams);
        if (write->parsed())
            return WriteProfileFile(*write, writeOptions, writeFile);
    } catch (const UsageError& e) {
        streams.err << "trailwright-cli: " << e.what() << "\n" << command()->help();
        return 2;
    } catch (const std::exception& e) {
        streams.err << "trailwright-cli: " << e.what() << "\n";
        return 1;
    }
    return 2;
}

} // namespace tw
