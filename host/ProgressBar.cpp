#include "host/ProgressBar.h"

#include <algorithm>
#include <unistd.h>

namespace host
{
namespace
{
constexpr int barWidth = 40;
}

ProgressBar::ProgressBar(std::FILE* stream, std::string label)
    : stream_(stream), label_(std::move(label)), active_(isatty(fileno(stream)) != 0)
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update(double fraction)
{
    if (!active_) return;
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == shown_) return;
    shown_ = percent;
    const int filled = percent * barWidth / 100;
    std::fprintf(stream_, "\r%s [%s%s] %3d%%", label_.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(barWidth - filled), '.').c_str(), percent);
    std::fflush(stream_);
}

void ProgressBar::finish()
{
    if (!active_) return;
    // Clear the line so the summary starts on a clean one.
    std::fprintf(stream_, "\r%*s\r", static_cast<int>(label_.size()) + barWidth + 8, "");
    std::fflush(stream_);
    active_ = false;
}

} // namespace host
