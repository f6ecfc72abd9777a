#include "support/ChildProcess.h"

#include <sys/wait.h>
#include <unistd.h>

namespace orvex::test {

namespace {

constexpr uid_t kNobody = 65534;

bool dropPrivileges()
{
    return geteuid() != 0 || (setgid(kNobody) == 0 && setuid(kNobody) == 0);
}

[[noreturn]] void runChild(int output, const std::function<std::string()>& work, bool asUnprivileged)
{
    const std::string text = (!asUnprivileged || dropPrivileges()) ? work() : "could not drop privileges";
    const bool written = write(output, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    _exit(written ? 0 : 1);
}

std::string readToEnd(int input)
{
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(input, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

} // namespace

std::string runInChild(const std::function<std::string()>& work, bool asUnprivileged)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        runChild(pipeEnds[1], work, asUnprivileged);
    }
    close(pipeEnds[1]);
    const std::string text = child > 0 ? readToEnd(pipeEnds[0]) : "no fork";
    close(pipeEnds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return text;
}

} // namespace orvex::test
