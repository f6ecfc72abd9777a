#include "ChildProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

namespace orvex::sim::test {

namespace {

using Clock = std::chrono::steady_clock;

bool waitReadable(int fd, Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd poll{fd, POLLIN, 0};
    return left > 0 && ::poll(&poll, 1, static_cast<int>(left)) > 0;
}

} // namespace

ChildProgram::ChildProgram(const std::string& path, const std::vector<std::string>& arguments)
{
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) < 0 || ::pipe2(err, O_CLOEXEC) < 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

    std::vector<std::string> argvStrings{path};
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : argvStrings)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) == 0)
        pid_ = pid;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    stdout_ = out[0];
    stderr_ = err[0];
}

ChildProgram::~ChildProgram()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(stdout_);
    ::close(stderr_);
}

std::optional<std::string> ChildProgram::readLine(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto newline = pendingOutput_.find('\n');
        if (newline != std::string::npos) {
            auto line = pendingOutput_.substr(0, newline);
            pendingOutput_.erase(0, newline + 1);
            return line;
        }
        char chunk[256];
        const auto count = waitReadable(stdout_, deadline) ? ::read(stdout_, chunk, sizeof chunk) : 0;
        if (count <= 0)
            return std::nullopt;
        pendingOutput_.append(chunk, static_cast<std::size_t>(count));
    }
}

void ChildProgram::sendSignal(int signal)
{
    ::kill(pid_, signal);
}

std::optional<int> ChildProgram::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    pid_ = -1;
    if (!WIFEXITED(status))
        return std::nullopt;
    return WEXITSTATUS(status);
}

std::string ChildProgram::standardError()
{
    std::string text;
    char chunk[256];
    for (auto count = ::read(stderr_, chunk, sizeof chunk); count > 0; count = ::read(stderr_, chunk, sizeof chunk))
        text.append(chunk, static_cast<std::size_t>(count));
    return text;
}

} // namespace orvex::sim::test
