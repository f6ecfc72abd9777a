#include "settings/ProgramDirectory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QCoreApplication>
#include <filesystem>
#include <system_error>
#endif

namespace orvex {

namespace {

std::string& storedDirectory()
{
    static std::string directory;
    return directory;
}

#ifdef _WIN32

std::string executableDirectory()
{
    return programDirectoryFromCommandLine(GetCommandLineA());
}

#else

std::string executableDirectory()
{
    if (QCoreApplication::instance() != nullptr)
        return QCoreApplication::applicationDirPath().toStdString();
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string{} : executable.parent_path().string();
}

#endif

} // namespace

void deriveProgramDirectory()
{
    storedDirectory() = executableDirectory();
}

const std::string& programDirectory()
{
    return storedDirectory();
}

void setProgramDirectoryForTesting(const std::string& directory)
{
    storedDirectory() = directory;
}

std::string programDirectoryFromCommandLine(std::string_view commandLine)
{
    if (commandLine.empty())
        return {};
    const std::string_view rest = commandLine.substr(1);
    const std::size_t lastBackslash = rest.rfind('\\');
    return lastBackslash == std::string_view::npos ? std::string{} : std::string(rest.substr(0, lastBackslash));
}

} // namespace orvex
