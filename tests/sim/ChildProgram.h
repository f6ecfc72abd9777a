#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace orvex::sim::test {

// A program started with its standard output and error on pipes, for tests
// of a whole command-line program. Killed if still running at the end.
class ChildProgram {
public:
    ChildProgram(const std::string& path, const std::vector<std::string>& arguments);
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool started() const { return pid_ > 0; }
    // The next line of standard output without its newline; nothing on time-out or end.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    void sendSignal(int signal);
    // The exit status; nothing when the program did not exit by itself in time.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    // Everything written to standard error, once the program has ended.
    std::string standardError();

private:
    int pid_ = -1;
    int stdout_ = -1;
    int stderr_ = -1;
    std::string pendingOutput_;
};

} // namespace orvex::sim::test
