#include "host/ProgressBar.h"

#include <algorithm>
#include <unistd.h>

namespace host
{
namespace
{
constexpr int barWidth = 40;
}

ProgressBar::ProgressBar(std::FILE* out, std::string title)
    : stream(out), label(std::move(title)), active(isatty(fileno(out)) != 0)
{
}

ProgressBar::~ProgressBar()
{
    finish();
}

void ProgressBar::update(double fraction)
{
    if (!active) return;
    const int percent = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 100.0);
    if (percent == shown) return;
    shown = percent;
    const int filled = percent * barWidth / 100;
    std::fprintf(stream, "\r%s [%s%s] %3d%%", label.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(barWidth - filled), '.').c_str(), percent);
    std::fflush(stream);
}

void ProgressBar::finish()
{
    if (!active) return;
    // Clear the line so the summary starts on a clean one.
    std::fprintf(stream, "\r%*s\r", static_cast<int>(label.size()) + barWidth + 8, "");
    std::fflush(stream);
    active = false;
}

} // namespace host
