#include "host/ParameterLookup.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace host
{
namespace
{

// Fine enough that every display step of a 0..1 parameter with up to a few
// hundred steps is seen several times; the edges are then found by bisection.
constexpr int probeSteps = 2000;
constexpr int bisections = 30;
constexpr const char* normalisedPrefix = "norm:";

struct Run
{
    std::string text;
    int first; // grid points, 0..probeSteps
    int last;
};

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool sameText(const std::string& a, const std::string& b)
{
    return lowered(trimmed(a)) == lowered(trimmed(b));
}

// A leading decimal number and what follows it ("3.00"; "-oo" is not one,
// nor are strtod's other forms: "0x10" would read as 16, "inf" as infinity).
bool splitNumber(const std::string& text, double& number, std::string& rest)
{
    const std::string clean = trimmed(text);
    const char* begin = clean.c_str();
    char* end = nullptr;
    number = std::strtod(begin, &end);
    if (end == begin || !std::isfinite(number)) return false;
    if (std::any_of(begin, static_cast<const char*>(end), [](char c) { return c == 'x' || c == 'X'; }))
        return false;
    rest = trimmed(end);
    return true;
}

double gridValue(int point)
{
    return static_cast<double>(point) / probeSteps;
}

class Prober
{
  public:
    Prober(PluginInstance& instance, int parameterIndex)
        : plugin(instance), index(parameterIndex), saved(instance.parameter(parameterIndex))
    {
    }
    ~Prober() { plugin.setParameter(index, saved); }

    std::string displayAt(double value)
    {
        plugin.setParameter(index, static_cast<float>(value));
        return plugin.parameterDisplay(index);
    }

    std::vector<Run> runs()
    {
        std::vector<Run> result;
        for (int point = 0; point <= probeSteps; ++point)
        {
            std::string text = displayAt(gridValue(point));
            if (!result.empty() && result.back().text == text)
                result.back().last = point;
            else
                result.push_back({std::move(text), point, point});
        }
        return result;
    }

    // The value in the middle of the stretch that shows the run's text; the
    // ends of the range themselves for the first and last steps, so that
    // "Off", "0" or the maximum give exactly 0 or 1.
    float centre(const Run& run)
    {
        if (run.first == 0) return 0.0f;
        if (run.last == probeSteps) return 1.0f;
        const double low = edge(gridValue(run.first - 1), gridValue(run.first), run.text, false);
        const double high = edge(gridValue(run.last), gridValue(run.last + 1), run.text, true);
        const auto value = static_cast<float>((low + high) / 2.0);
        if (displayAt(value) == run.text) return value;
        return static_cast<float>(gridValue((run.first + run.last) / 2));
    }

    // Between two neighbouring grid points whose displays lie on either side
    // of `target`, the value whose display comes nearest to it: the exact
    // value for a continuous parameter, a step edge for a stepped one.
    double approach(double low, double high, double target)
    {
        double number = 0.0;
        std::string rest;
        const bool rising = splitNumber(displayAt(low), number, rest) && number <= target;
        for (int i = 0; i < bisections; ++i)
        {
            const double middle = (low + high) / 2.0;
            if (!splitNumber(displayAt(middle), number, rest)) break;
            if ((number <= target) == rising)
                low = middle;
            else
                high = middle;
        }
        return nearer(low, high, target);
    }

  private:
    double nearer(double a, double b, double target)
    {
        double numberA = 0.0;
        double numberB = 0.0;
        std::string rest;
        if (!splitNumber(displayAt(a), numberA, rest)) return b;
        if (!splitNumber(displayAt(b), numberB, rest)) return a;
        return std::fabs(numberA - target) <= std::fabs(numberB - target) ? a : b;
    }

    // Bisects between a point that shows `text` and one that does not.
    double edge(double low, double high, const std::string& text, bool lowShowsText)
    {
        for (int i = 0; i < bisections; ++i)
        {
            const double middle = (low + high) / 2.0;
            if ((displayAt(middle) == text) == lowShowsText)
                low = middle;
            else
                high = middle;
        }
        return lowShowsText ? low : high;
    }

    PluginInstance& plugin;
    int index;
    float saved;
};

const Run* findByText(const std::vector<Run>& runs, const std::string& text)
{
    for (const Run& run : runs)
        if (sameText(run.text, text)) return &run;
    return nullptr;
}

struct NumericMatch
{
    const Run* run = nullptr;
    bool exact = false;
    double lowest = 0.0;
    double highest = 0.0;
    bool anyNumeric = false;
};

NumericMatch findByNumber(const std::vector<Run>& runs, double target, const std::string& unit,
                          const std::string& label)
{
    NumericMatch match;
    double bestDistance = 0.0;
    for (const Run& run : runs)
    {
        double number = 0.0;
        std::string rest;
        if (!splitNumber(run.text, number, rest)) continue;
        if (!unit.empty() && !sameText(unit, rest) && !sameText(unit, label)) continue;
        match.lowest = match.anyNumeric ? std::min(match.lowest, number) : number;
        match.highest = match.anyNumeric ? std::max(match.highest, number) : number;
        match.anyNumeric = true;
        const double distance = std::fabs(number - target);
        if (match.run == nullptr || distance < bestDistance)
        {
            match.run = &run;
            bestDistance = distance;
        }
    }
    match.exact = match.run != nullptr && bestDistance <= 1e-9 * std::max(1.0, std::fabs(target));
    return match;
}

// Digits after the point in a number as the user wrote it.
int decimalsOf(const std::string& text)
{
    const auto point = text.find('.');
    if (point == std::string::npos) return 0;
    int digits = 0;
    for (std::size_t i = point + 1; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        ++digits;
    return digits;
}

// "-20" asks for -20.000001 when that is what a continuous display shows.
bool sameAtPrecision(double shown, double target, int decimals)
{
    return std::fabs(shown - target) < 0.5 * std::pow(10.0, -decimals);
}

// Consecutive numeric runs whose numbers enclose the target, or null.
const Run* bracketStart(const std::vector<Run>& runs, double target)
{
    for (std::size_t i = 0; i + 1 < runs.size(); ++i)
    {
        double a = 0.0;
        double b = 0.0;
        std::string rest;
        if (!splitNumber(runs[i].text, a, rest) || !splitNumber(runs[i + 1].text, b, rest)) continue;
        if ((a < target && target < b) || (b < target && target < a)) return &runs[i];
    }
    return nullptr;
}

std::string describeChoices(const std::vector<Run>& runs)
{
    std::vector<std::string> distinct;
    for (const Run& run : runs)
        if (std::find(distinct.begin(), distinct.end(), run.text) == distinct.end())
            distinct.push_back(run.text);
    if (distinct.size() > 12) return "from \"" + runs.front().text + "\" to \"" + runs.back().text + "\"";
    std::string text;
    for (const auto& choice : distinct)
        text += (text.empty() ? "" : ", ") + choice;
    return text;
}

Status parseNormalised(const std::string& text, float& value)
{
    const std::string number = text.substr(std::string(normalisedPrefix).size());
    double parsed = 0.0;
    std::string rest;
    if (!splitNumber(number, parsed, rest) || !rest.empty() || !(parsed >= 0.0 && parsed <= 1.0))
        return Status::failure("normalised value \"" + number + "\" must be a number from 0 to 1");
    value = static_cast<float>(parsed);
    return {};
}

} // namespace

Status ParameterLookup::findIndex(const std::string& name, int& index) const
{
    const std::string wanted = trimmed(name);
    const std::string digits = wanted.starts_with("#") ? wanted.substr(1) : wanted;
    if (!digits.empty() &&
        std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
    {
        index = std::atoi(digits.c_str());
        if (index >= plugin.parameterCount())
            return Status::failure("parameter index " + digits + " is out of range (the plug-in has " +
                                   std::to_string(plugin.parameterCount()) + " parameters)");
        return {};
    }
    std::string known;
    for (int i = 0; i < plugin.parameterCount(); ++i)
    {
        const std::string reported = plugin.parameterName(i);
        if (!wanted.empty() && sameText(reported, wanted))
        {
            index = i;
            return {};
        }
        if (!reported.empty()) known += (known.empty() ? "" : ", ") + reported;
    }
    return Status::failure("unknown parameter \"" + wanted + "\"; the plug-in has: " + known);
}

Status ParameterLookup::findValue(int index, const std::string& text, Assignment& assignment) const
{
    assignment.index = index;
    assignment.note.clear();
    const std::string wanted = trimmed(text);
    if (wanted.starts_with(normalisedPrefix)) return parseNormalised(wanted, assignment.value);

    const std::string name = plugin.parameterName(index);
    Prober prober(plugin, index);
    const std::vector<Run> runs = prober.runs();
    if (const Run* run = findByText(runs, wanted))
    {
        assignment.value = prober.centre(*run);
        return {};
    }
    double target = 0.0;
    std::string unit;
    if (!splitNumber(wanted, target, unit))
        return Status::failure(name + " has no setting \"" + wanted + "\"; it shows " +
                               describeChoices(runs));
    const NumericMatch match = findByNumber(runs, target, unit, plugin.parameterLabel(index));
    if (!match.anyNumeric)
        return Status::failure(name + " has no setting \"" + wanted + "\"; it shows " +
                               describeChoices(runs));
    if (target < match.lowest - 1e-9 || target > match.highest + 1e-9)
        return Status::failure(name + " value " + wanted + " is out of range; it goes " +
                               describeChoices(runs));
    assignment.value = prober.centre(*match.run);
    std::string shown = match.run->text;
    if (!match.exact)
        if (const Run* before = bracketStart(runs, target))
        {
            // Between two grid points: a finer step or a continuous value may
            // come closer than the grid did.
            const Run& after = *(before + 1);
            const double value = prober.approach(gridValue(before->last), gridValue(after.first), target);
            shown = prober.displayAt(value);
            if (shown == before->text || shown == after.text)
                assignment.value = prober.centre(shown == before->text ? *before : after);
            else
                assignment.value = static_cast<float>(value);
        }
    double shownNumber = 0.0;
    std::string rest;
    const bool close =
        splitNumber(shown, shownNumber, rest) && sameAtPrecision(shownNumber, target, decimalsOf(wanted));
    if (!match.exact && !close) assignment.note = name + " " + wanted + " lies between steps; using " + shown;
    return {};
}

Status ParameterLookup::parse(const std::string& assignmentText, Assignment& assignment) const
{
    const auto equals = assignmentText.find('=');
    if (equals == std::string::npos)
        return Status::failure("\"" + assignmentText + "\" is not of the form Name=value");
    int index = -1;
    Status status = findIndex(assignmentText.substr(0, equals), index);
    if (!status.ok()) return status;
    return findValue(index, assignmentText.substr(equals + 1), assignment);
}

} // namespace host
