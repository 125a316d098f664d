#include "host/SvgPlot.h"

#include "host/TemporaryFiles.h"

#include "fileio/ReplaceFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace host
{
namespace
{

constexpr int width = 1000;
constexpr int left = 60;
constexpr int right = 20;
constexpr int plotWidth = width - left - right;
constexpr int levelTop = 40;
constexpr int levelHeight = 260;
constexpr int reductionTop = levelTop + levelHeight + 40;
constexpr int reductionHeight = 160;
constexpr int height = reductionTop + reductionHeight + 40;
constexpr double levelFloorDb = -60.0;
constexpr double levelCeilingDb = 6.0;

struct Panel
{
    int top;
    int height;
    double topValue;    // value drawn at the top edge
    double bottomValue; // value drawn at the bottom edge

    double y(double value) const
    {
        const double clamped =
            std::clamp(value, std::min(topValue, bottomValue), std::max(topValue, bottomValue));
        return top + (topValue - clamped) / (topValue - bottomValue) * height;
    }
};

std::string escapeXml(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// One point per pixel column at most: the loudest level (or the deepest
// reduction) of the windows that fall into the column, so peaks survive.
std::vector<double> reduceToColumns(const std::vector<double>& values, int columns)
{
    if (values.size() <= static_cast<std::size_t>(columns)) return values;
    std::vector<double> reduced(static_cast<std::size_t>(columns), std::nan(""));
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        auto& slot = reduced[i * static_cast<std::size_t>(columns) / values.size()];
        if (!std::isnan(values[i]) && (std::isnan(slot) || values[i] > slot)) slot = values[i];
    }
    return reduced;
}

// A polyline that breaks where values are missing (NaN).
void drawSeries(std::ostringstream& svg, const std::vector<double>& values, const Panel& panel,
                const char* colour)
{
    const auto columns = reduceToColumns(values, plotWidth);
    const double step = columns.size() > 1 ? static_cast<double>(plotWidth) / (columns.size() - 1) : 0.0;
    std::string points;
    auto flush = [&]
    {
        if (!points.empty())
            svg << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"1.2\" points=\""
                << points << "\"/>\n";
        points.clear();
    };
    char point[48];
    for (std::size_t i = 0; i < columns.size(); ++i)
    {
        if (std::isnan(columns[i]))
        {
            flush();
            continue;
        }
        std::snprintf(point, sizeof point, "%.1f,%.1f ", left + i * step, panel.y(columns[i]));
        points += point;
    }
    flush();
}

void drawGrid(std::ostringstream& svg, const Panel& panel, double from, double to, double spacing,
              const char* unit)
{
    for (double value = from; value <= to + 1e-9; value += spacing)
    {
        const double y = panel.y(value);
        svg << "<line x1=\"" << left << "\" x2=\"" << left + plotWidth << "\" y1=\"" << y << "\" y2=\"" << y
            << "\" stroke=\"#ddd\"/>\n";
        svg << "<text x=\"" << left - 6 << "\" y=\"" << y + 4 << "\" text-anchor=\"end\">" << value << unit
            << "</text>\n";
    }
}

void drawTimeAxis(std::ostringstream& svg, double seconds)
{
    const double spacing = seconds <= 12 ? 1.0 : seconds <= 60 ? 5.0 : seconds <= 600 ? 60.0 : 300.0;
    for (double t = 0; t <= seconds + 1e-9; t += spacing)
    {
        const double x = left + (seconds > 0 ? t / seconds * plotWidth : 0.0);
        svg << "<line x1=\"" << x << "\" x2=\"" << x << "\" y1=\"" << levelTop << "\" y2=\""
            << reductionTop + reductionHeight << "\" stroke=\"#eee\"/>\n";
        svg << "<text x=\"" << x << "\" y=\"" << reductionTop + reductionHeight + 16
            << "\" text-anchor=\"middle\">" << t << " s</text>\n";
    }
}

double deepestReduction(const LevelTrace& trace)
{
    double deepest = 0.0;
    for (double r : trace.reductionDb)
        if (!std::isnan(r)) deepest = std::max(deepest, r);
    return deepest;
}

} // namespace

std::string SvgPlot::render(const LevelTrace& trace, const std::string& title)
{
    const Panel levels{levelTop, levelHeight, levelCeilingDb, levelFloorDb};
    const double reductionScale = std::max(6.0, std::ceil(deepestReduction(trace) / 3.0) * 3.0);
    const Panel reduction{reductionTop, reductionHeight, 0.0, reductionScale};
    const double seconds = trace.size() * trace.windowSeconds;

    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" font-family=\"sans-serif\" font-size=\"11\">\n";
    svg << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg << "<text x=\"" << left << "\" y=\"22\" font-size=\"14\">" << escapeXml(title) << "</text>\n";
    drawTimeAxis(svg, seconds);
    drawGrid(svg, levels, levelFloorDb, levelCeilingDb - 6.0, 12.0, " dB");
    drawGrid(svg, reduction, 0.0, reductionScale, reductionScale / 3.0, " dB");
    svg << "<text x=\"" << left + plotWidth << "\" y=\"" << levelTop - 6
        << "\" text-anchor=\"end\"><tspan fill=\"#999\">input</tspan> / <tspan "
           "fill=\"#1f5fbf\">output</tspan>"
           " level, dBFS ("
        << trace.windowSeconds * 1000 << " ms RMS)</text>\n";
    svg << "<text x=\"" << left + plotWidth << "\" y=\"" << reductionTop - 6
        << "\" text-anchor=\"end\" fill=\"#c03020\">gain reduction, dB (output against input, make-up "
        << (trace.makeupKnown ? "removed" : "gain not known: included") << ")</text>\n";
    drawSeries(svg, trace.inputDb, levels, "#999");
    drawSeries(svg, trace.outputDb, levels, "#1f5fbf");
    drawSeries(svg, trace.reductionDb, reduction, "#c03020");
    svg << "</svg>\n";
    return svg.str();
}

namespace
{

// The temporary is created exclusively, so a link planted beside the target is never followed.
Status writeThrough(const std::string& path, const std::string& svg, int& watchSlot)
{
    fileio::Replacement file(path);
    if (file.error() == 0) watchSlot = TemporaryFiles::watch(file.temporaryPath());
    int error = file.write({reinterpret_cast<const std::uint8_t*>(svg.data()), svg.size()});
    if (error == 0) error = file.commit();
    if (error != 0) return Status::failure("cannot write " + path + ": " + std::strerror(error));
    return {};
}

} // namespace

Status SvgPlot::write(const std::string& path, const LevelTrace& trace, const std::string& title)
{
    int slot = -1;
    const Status status = writeThrough(path, render(trace, title), slot);
    TemporaryFiles::forget(slot);
    return status;
}

} // namespace host
