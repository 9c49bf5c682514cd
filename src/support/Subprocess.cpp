#include "support/Subprocess.h"

#include "support/Errors.h"
#include "support/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tw {

namespace {

struct Pipe {
    UniqueFd Read, Write;
};

// Both ends close on exec, so no other child inherits them; the child gets
// its copy through dup2, which clears the flag.
Pipe MakePipe(const std::string& program) {
    int fds[2] = {-1, -1};
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw TError("Cannot run " + program + ": " + std::strerror(errno));
    return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (const std::string& text : texts)
        pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::vector<std::string> CurrentEnvironment() {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry)
        env.emplace_back(*entry);
    return env;
}

SubprocessResult RunSubprocess(const std::vector<std::string>& args,
                               const std::vector<std::string>& env,
                               const std::function<void(std::string_view)>& sink) {
    if (args.empty())
        throw TError("Cannot run a program without a name");
    const std::string& program = args.front();
    Pipe out = MakePipe(program), err = MakePipe(program);
    std::vector<char*> argv = Pointers(args), envp = Pointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.Write.Get(), 1);
    posix_spawn_file_actions_adddup2(&actions, err.Write.Get(), 2);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    // Our copies of the write ends go, so the reads below see the child's end.
    out.Write.Reset();
    err.Write.Reset();
    if (spawned != 0)
        throw TError("Cannot run " + program + ": " + std::strerror(spawned));

    SubprocessResult result;
    pollfd fds[2] = {{out.Read.Get(), POLLIN, 0}, {err.Read.Get(), POLLIN, 0}};
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
                fd.fd = -1; // the owning descriptor closes it
                --open;
            } else if (&fd == &fds[0]) {
                sink(std::string_view(buffer, static_cast<size_t>(n)));
            } else {
                result.Err.append(buffer, static_cast<size_t>(n));
            }
        }
    }
    out.Read.Reset();
    err.Read.Reset();
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    while (!result.Err.empty() && (result.Err.back() == '\n' || result.Err.back() == ' '))
        result.Err.pop_back();
    return result;
}

} // namespace tw
