#pragma once

#include "support/ScratchDir.h"

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

namespace orvex::test {

// Puts a Polish locale in force for the C library, as the application object
// does under LANG=pl_PL.UTF-8. It is built with localedef (Debian package
// "locales") into a scratch folder, so the machine needs no Polish locale
// installed. The old locale and LOCPATH come back at the end.
class PolishLocale {
public:
#ifdef _WIN32
    // Windows has its Polish locale built in.
    explicit PolishLocale(const ScratchDir&) : savedLocale_(std::setlocale(LC_ALL, nullptr))
    {
        active_ = std::setlocale(LC_ALL, "Polish_Poland.1250") != nullptr;
    }

    ~PolishLocale()
    {
        std::setlocale(LC_ALL, savedLocale_.c_str());
    }
#else
    explicit PolishLocale(const ScratchDir& scratch) : savedLocale_(std::setlocale(LC_ALL, nullptr))
    {
        const std::string command = "localedef -i pl_PL -f UTF-8 " + scratch.pathOf("pl_PL.UTF-8") + " 2>/dev/null";
        // Exit status 1 means warnings only; whether the locale works shows below.
        [[maybe_unused]] const int status = std::system(command.c_str());
        if (const char* locpath = std::getenv("LOCPATH"))
            savedLocpath_ = locpath;
        setenv("LOCPATH", scratch.directory().c_str(), 1);
        active_ = std::setlocale(LC_ALL, "pl_PL.UTF-8") != nullptr;
    }

    ~PolishLocale()
    {
        std::setlocale(LC_ALL, savedLocale_.c_str());
        if (savedLocpath_)
            setenv("LOCPATH", savedLocpath_->c_str(), 1);
        else
            unsetenv("LOCPATH");
    }
#endif

    PolishLocale(const PolishLocale&) = delete;
    PolishLocale& operator=(const PolishLocale&) = delete;

    // False when no Polish locale could be made (localedef missing).
    bool active() const
    {
        return active_;
    }

private:
    std::string savedLocale_;
    std::optional<std::string> savedLocpath_;
    bool active_ = false;
};

} // namespace orvex::test
