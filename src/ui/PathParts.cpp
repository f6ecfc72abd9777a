#include "ui/PathParts.h"

namespace orvex::ui {

namespace {

#ifdef _WIN32
constexpr char kSeparators[] = "/\\";
#else
constexpr char kSeparators[] = "/";
#endif

} // namespace

std::string directoryOf(const std::string& path)
{
    const std::size_t last = path.find_last_of(kSeparators);
    return last == std::string::npos ? std::string{} : path.substr(0, last);
}

std::string fileNameOf(const std::string& path)
{
    const std::size_t last = path.find_last_of(kSeparators);
    return last == std::string::npos ? path : path.substr(last + 1);
}

} // namespace orvex::ui
