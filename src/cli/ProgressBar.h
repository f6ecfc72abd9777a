#pragma once

#include <cstdio>

namespace orvex::cli {

// A one-line bar redrawn in place; silent unless its stream is a terminal,
// so that logs and pipes get no control characters.
class ProgressBar {
public:
    static constexpr int kWidth = 40;

    explicit ProgressBar(std::FILE* stream);

    void setRange(int lower, int upper);
    void setPosition(int position);
    // Removes the bar so that a line of text can take its place.
    void clear();

private:
    std::FILE* stream_;
    bool enabled_;
    bool visible_ = false;
    int lower_ = 0;
    int upper_ = 0;
    int shownPercent_ = -1;
};

} // namespace orvex::cli
