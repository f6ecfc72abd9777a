#include "cli/ProgressBar.h"

#include <algorithm>
#include <string>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace orvex::cli {

ProgressBar::ProgressBar(std::FILE* stream) : stream_(stream), enabled_(isatty(fileno(stream)) != 0) {}

void ProgressBar::setRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
    shownPercent_ = -1;
}

void ProgressBar::setPosition(int position)
{
    if (!enabled_ || upper_ <= lower_)
        return;
    const double fraction = std::clamp(static_cast<double>(position - lower_) / (upper_ - lower_), 0.0, 1.0);
    // A read moves 2048 times; a slow terminal need not be redrawn for each.
    const int percent = static_cast<int>(fraction * 100);
    if (percent == shownPercent_ && visible_)
        return;
    shownPercent_ = percent;
    const int filled = static_cast<int>(fraction * kWidth);
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#')
                            + std::string(static_cast<std::size_t>(kWidth - filled), '.');
    std::fprintf(stream_, "\r[%s] %3d%% %d/%d", bar.c_str(), percent, position, upper_);
    std::fflush(stream_);
    visible_ = true;
}

void ProgressBar::clear()
{
    if (!visible_)
        return;
    std::fprintf(stream_, "\r\033[K");
    std::fflush(stream_);
    visible_ = false;
}

} // namespace orvex::cli
