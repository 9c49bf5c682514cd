#include "output/GitDates.h"

#include "support/Errors.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

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

struct GitOutcome {
    int Status = -1;
    std::string Err;
};

void ClosePair(int fds[2]) {
    for (int i = 0; i < 2; ++i)
        if (fds[i] >= 0)
            close(fds[i]);
}

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
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string_view text = *entry;
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

// Runs git with Args in Env, without a shell, handing its standard output to
// Sink as it comes; its standard error is kept for the message of a failure.
GitOutcome RunGit(const std::vector<std::string>& env, const std::vector<std::string>& args,
                  const std::function<void(std::string_view)>& sink) {
    std::vector<char*> argv;
    static char program[] = "git";
    static char noPager[] = "--no-pager";
    argv.push_back(program);
    argv.push_back(noPager);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : env)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    int out[2] = {-1, -1}, err[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        int e = errno;
        ClosePair(out);
        ClosePair(err);
        throw TError(std::string("Cannot run git: ") + std::strerror(e));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, "git", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(out[0]);
        close(err[0]);
        throw TError(std::string("Cannot run git: ") + std::strerror(spawned));
    }

    GitOutcome outcome;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    char buffer[65536];
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (pollfd& fd : fds) {
            if (fd.fd < 0 || fd.revents == 0)
                continue;
            ssize_t n = read(fd.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                close(fd.fd);
                fd.fd = -1;
                --open;
            } else if (&fd == &fds[0]) {
                sink(std::string_view(buffer, static_cast<size_t>(n)));
            } else {
                outcome.Err.append(buffer, static_cast<size_t>(n));
            }
        }
    }
    for (pollfd& fd : fds)
        if (fd.fd >= 0)
            close(fd.fd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    while (!outcome.Err.empty() && (outcome.Err.back() == '\n' || outcome.Err.back() == ' '))
        outcome.Err.pop_back();
    return outcome;
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
    GitOutcome probe =
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
    GitOutcome config = RunGit(GitEnvironment(DisabledPrograms({})),
                               {"-C", siteFolder, "config", "-z", "--show-scope",
                                "--get-regexp", "^(filter|diff)\\."},
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
    GitOutcome log = RunGit(env, args, std::ref(logFields));
    if (log.Status != 0)
        throw TError("git log failed in " + siteFolder + ": " + log.Err);

    // Files changed since their last commit take their own times. Status
    // names them from the top of the work tree.
    FieldSplitter statusFields([&](std::string_view field) {
        if (field.size() > 3 && field.substr(3).starts_with(prefix))
            committed.erase(std::string(field.substr(3 + prefix.size())));
    });
    GitOutcome status =
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
