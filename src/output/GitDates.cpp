#include "output/GitDates.h"

#include "support/Errors.h"
#include "support/Subprocess.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace tw {

// The times come from the git program the user has, in one log over the
// whole site rather than a process per file, and without a git library: the
// program needs no new library, and git reads its repositories in every
// format and configuration its user relies on. A site may bring its own
// .git, though, whose configuration names programs for git to run (an
// fsmonitor, hooks, filters, diff drivers, a pager): each git run here gets
// every such setting overridden through GIT_CONFIG_COUNT, which wins over
// every configuration file, so that it runs none of them.

namespace {

constexpr std::int64_t kNotCommitted = INT64_MIN;

// The settings by which git's log and status could run a program, each
// turned off; Drivers adds those of the filter and diff drivers named in
// the configuration, which attributes of the site's files may select.
std::vector<std::pair<std::string, std::string>>
DisabledPrograms(const std::vector<std::string>& drivers) {
    std::vector<std::pair<std::string, std::string>> settings = {
        {"core.fsmonitor", "false"},    {"core.hooksPath", "/dev/null"},
        {"diff.external", ""},          {"core.pager", "cat"},
        {"pager.log", "false"},         {"pager.status", "false"},
        {"log.showSignature", "false"}, {"core.sshCommand", ""},
        {"core.askPass", ""},           {"credential.helper", ""},
        {"core.editor", "true"},        {"status.submoduleSummary", "false"},
    };
    for (const std::string& name : drivers)
        for (const char* key : {"clean", "smudge", "process"})
            settings.emplace_back("filter." + name + "." + key, "");
    for (const std::string& name : drivers) {
        settings.emplace_back("filter." + name + ".required", "false");
        settings.emplace_back("diff." + name + ".textconv", "");
        settings.emplace_back("diff." + name + ".command", "");
    }
    return settings;
}

// The environment of a git run: this process's, with Settings added to the
// configuration given by GIT_CONFIG_COUNT (after any the user gave there).
std::vector<std::string>
GitEnvironment(const std::vector<std::pair<std::string, std::string>>& settings) {
    std::vector<std::string> env;
    size_t base = 0;
    for (const std::string& entry : CurrentEnvironment()) {
        std::string_view text = entry;
        if (text.starts_with("GIT_CONFIG_COUNT=")) {
            text.remove_prefix(17);
            std::from_chars(text.data(), text.data() + text.size(), base);
        } else if (!text.starts_with("GIT_TERMINAL_PROMPT=") &&
                   !text.starts_with("GIT_OPTIONAL_LOCKS=")) {
            env.emplace_back(text);
        }
    }
    for (size_t i = 0; i < settings.size(); ++i) {
        const std::string n = std::to_string(base + i);
        env.push_back("GIT_CONFIG_KEY_" + n + "=" + settings[i].first);
        env.push_back("GIT_CONFIG_VALUE_" + n + "=" + settings[i].second);
    }
    env.push_back("GIT_CONFIG_COUNT=" + std::to_string(base + settings.size()));
    env.emplace_back("GIT_TERMINAL_PROMPT=0");
    env.emplace_back("GIT_OPTIONAL_LOCKS=0");
    return env;
}

// Runs git with Args in Env, its standard output handed to Sink as it comes.
SubprocessResult RunGit(const std::vector<std::string>& env, const std::vector<std::string>& args,
                        const std::function<void(std::string_view)>& sink) {
    std::vector<std::string> argv = {"git", "--no-pager"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunSubprocess(argv, env, sink);
}

// Splits a stream of NUL-terminated fields, whatever the chunks it comes in.
class FieldSplitter {
public:
    explicit FieldSplitter(std::function<void(std::string_view)> field)
        : field_(std::move(field)) {}
    void operator()(std::string_view chunk) {
        while (!chunk.empty()) {
            size_t nul = chunk.find('\0');
            if (nul == std::string_view::npos) {
                pending_ += chunk;
                return;
            }
            if (pending_.empty()) {
                field_(chunk.substr(0, nul));
            } else {
                pending_ += chunk.substr(0, nul);
                field_(pending_);
                pending_.clear();
            }
            chunk.remove_prefix(nul + 1);
        }
    }

private:
    std::function<void(std::string_view)> field_;
    std::string pending_;
};

// What git says of the folder before reading the history.
struct WorkTree {
    std::string Prefix; // the folder below the top of the work tree, "/" ended
    bool Shallow = false;
    bool HasHead = false;
};

// Where the site lies in the work tree, whether the clone is shallow and
// whether HEAD has a commit yet, in one call.
WorkTree ProbeWorkTree(const std::string& siteFolder) {
    std::string facts;
    SubprocessResult probe =
        RunGit(GitEnvironment(DisabledPrograms({})),
               {"-C", siteFolder, "rev-parse", "--is-inside-work-tree", "--is-shallow-repository",
                "--show-prefix", "--verify", "-q", "HEAD"},
               [&](std::string_view text) { facts += text; });
    if ((probe.Status != 0 && probe.Status != 1) || !facts.starts_with("true\n"))
        throw TError(siteFolder +
                     " is not in a git work tree: the lastmod times from git need one" +
                     (probe.Err.empty() ? "" : " (" + probe.Err + ")"));
    WorkTree tree;
    facts.erase(0, 5);
    tree.Shallow = facts.starts_with("true\n");
    facts.erase(0, facts.find('\n') + 1);
    tree.HasHead = probe.Status == 0;
    if (tree.HasHead) // the commit's name ends the output
        facts.erase(facts.rfind('\n', facts.size() - 2) + 1);
    tree.Prefix = facts.substr(0, facts.empty() ? 0 : facts.size() - 1);
    return tree;
}

} // namespace

void CheckGitWorkTree(const std::string& siteFolder) {
    ProbeWorkTree(siteFolder);
}

GitFileTimes ReadGitFileTimes(const std::string& siteFolder) {
    GitFileTimes times;
    WorkTree tree = ProbeWorkTree(siteFolder);
    times.Shallow = tree.Shallow;
    if (!tree.HasHead)
        return times;
    const std::string& prefix = tree.Prefix;

    // The names of the filter and diff drivers that the repository's own
    // configuration (with the files it includes) sets, from keys such as
    // "filter.NAME.clean"; the user's own drivers (git-lfs, say) stay.
    // Fields come as scope, then key, line feed and value.
    std::vector<std::string> drivers;
    bool repositoryScope = false, scopeNext = true;
    FieldSplitter configFields([&](std::string_view field) {
        if (scopeNext) {
            repositoryScope = field == "local" || field == "worktree";
        } else if (repositoryScope) {
            std::string_view key = field.substr(0, field.find('\n'));
            size_t first = key.find('.'), last = key.rfind('.');
            if (first != last)
                drivers.emplace_back(key.substr(first + 1, last - first - 1));
        }
        scopeNext = !scopeNext;
    });
    SubprocessResult config = RunGit(
        GitEnvironment(DisabledPrograms({})),
        {"-C", siteFolder, "config", "-z", "--show-scope", "--get-regexp", "^(filter|diff)\\."},
        std::ref(configFields));
    if (config.Status != 0 && config.Status != 1) // 1: none
        throw TError("git config failed in " + siteFolder + ": " + config.Err);
    std::sort(drivers.begin(), drivers.end());
    drivers.erase(std::unique(drivers.begin(), drivers.end()), drivers.end());
    const std::vector<std::string> env = GitEnvironment(DisabledPrograms(drivers));

    // Newest first, so the first entry of a file is its last change; a
    // deletion there means HEAD does not hold the file.
    std::unordered_map<std::string, std::int64_t>& committed = times.Committed;
    enum class Next { Time, Status, Path } next = Next::Time;
    std::int64_t time = 0;
    bool deleted = false;
    FieldSplitter logFields([&](std::string_view field) {
        if (field.empty()) {
            next = Next::Time; // a commit starts with an empty field
            return;
        }
        switch (next) {
        case Next::Time:
            std::from_chars(field.data(), field.data() + field.size(), time);
            next = Next::Status;
            break;
        case Next::Status:
            if (field.front() == '\n')
                field.remove_prefix(1);
            if (!field.empty()) {
                deleted = field.front() == 'D';
                next = Next::Path;
            }
            break;
        case Next::Path:
            committed.try_emplace(std::string(field), deleted ? kNotCommitted : time);
            next = Next::Status;
            break;
        }
    });
    std::vector<std::string> args = {"-C",
                                     siteFolder,
                                     "-c",
                                     "log.showSignature=false",
                                     "log",
                                     "-z",
                                     "--no-color",
                                     "--format=%x00%ct",
                                     "--name-status",
                                     "--no-renames",
                                     "--no-ext-diff",
                                     "--no-textconv",
                                     "HEAD"};
    // Limiting the history to a folder costs time: only a site below the
    // top of the work tree pays it.
    if (!prefix.empty())
        args.insert(args.end(), {"--relative", "--", "."});
    SubprocessResult log = RunGit(env, args, std::ref(logFields));
    if (log.Status != 0)
        throw TError("git log failed in " + siteFolder + ": " + log.Err);

    // Files changed since their last commit take their own times. Status
    // names them from the top of the work tree.
    FieldSplitter statusFields([&](std::string_view field) {
        if (field.size() > 3 && field.substr(3).starts_with(prefix))
            committed.erase(std::string(field.substr(3 + prefix.size())));
    });
    SubprocessResult status =
        RunGit(env,
               {"--no-optional-locks", "-C", siteFolder, "status", "--porcelain", "-z",
                "--no-renames", "--untracked-files=no", "--ignore-submodules=all", "--", "."},
               std::ref(statusFields));
    if (status.Status != 0)
        throw TError("git status failed in " + siteFolder + ": " + status.Err);

    std::erase_if(committed, [](const auto& entry) { return entry.second == kNotCommitted; });
    return times;
}

} // namespace tw
