#include "cli/options.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cli/quoted_name.h"

const char* const cliUsage =
    "Usage: ormolo2 [options] INPUT.png OUTPUT.png\n"
    "Bevels the white shape of INPUT.png and writes its normal map, or the\n"
    "reflection of a probe image, to OUTPUT.png.\n"
    "\n"
    "Options (before the file names):\n"
    "  --invert                  treat a dark shape on a white background as the shape\n"
    "  --slope TYPE              flat, round or round2 (default), or a number 0..255\n"
    "                            (1 flat, 2 round, 3 round2; other numbers render like round)\n"
    "  --max-blur-radius N       largest kernel radius of the flat slope, 0..255 (default 3)\n"
    "  --depth-flat F            depth of the flat slope (default 10)\n"
    "  --depth-round F           depth of the round slope (default 7)\n"
    "  --depth-round2 F          depth of the round2 slope (default 20)\n"
    "  --probe PROBE.png         reflect this spherical probe image instead of\n"
    "                            writing a normal map\n"
    "  --specularity S           0 diffuse .. 1 specular (default 1); below 1 the\n"
    "                            reflection is blurred by random sampling\n"
    "  --seed N                  start of the random stream, for reproducible blur\n"
    "                            (default 0)\n"
    "  -h, --help                show this help\n";

namespace {

bool parseByte(const std::string& text, int32_t& value)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int parsed = std::atoi(text.c_str());
    if (parsed > 255)
        return false;
    value = parsed;
    return true;
}

// A real number as a double. Overflow is refused; underflow to a tiny or
// zero value is not.
bool parseDouble(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && !(errno == ERANGE && std::isinf(value));
}

// Like a GIMP float argument: read as a double, then rounded to the nearest
// single-precision value. Finite values that would round to infinity are
// refused.
bool parseFloat(const std::string& text, float& value)
{
    double parsed = 0.0;
    if (!parseDouble(text, parsed))
        return false;
    if (!std::isfinite(parsed)) {
        value = static_cast<float>(parsed);
        return true;
    }
    // Halfway between FLT_MAX and 2^128: from there on, rounding gives infinity.
    const double roundsToInfinity = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
    if (std::fabs(parsed) >= roundsToInfinity)
        return false;
    if (std::fabs(parsed) > FLT_MAX)
        value = parsed > 0.0 ? FLT_MAX : -FLT_MAX;  // what rounding to nearest gives
    else
        value = static_cast<float>(parsed);
    return true;
}

bool parseSeed(const std::string& text, uint64_t& value)
{
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const unsigned long long parsed = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE)
        return false;
    value = parsed;
    return true;
}

bool parseSlope(const std::string& text, int32_t& value)
{
    if (text == "flat")
        value = SLOPE_FLAT;
    else if (text == "round")
        value = SLOPE_ROUND;
    else if (text == "round2")
        value = SLOPE_ROUND2;
    else
        return parseByte(text, value);
    return true;
}

// Applies one option that takes a value; false when the value is invalid.
bool applyValue(const std::string& name, const std::string& value, CliOptions& options,
                std::string& error)
{
    OrmoloVals& vals = options.vals;
    bool ok = false;
    if (name == "--probe") {
        options.probePath = value;
        ok = !value.empty();
    } else if (name == "--specularity") {
        ok = parseDouble(value, vals.specularity);
    } else if (name == "--seed") {
        ok = options.seedGiven = parseSeed(value, options.seed);
    } else if (name == "--slope")
        ok = parseSlope(value, vals.slopeType);
    else if (name == "--max-blur-radius")
        ok = parseByte(value, vals.maxNormalMapBlurRadius);
    else if (name == "--depth-flat")
        ok = parseFloat(value, vals.slopeDepthFlat);
    else if (name == "--depth-round")
        ok = parseFloat(value, vals.slopeDepthRound);
    else if (name == "--depth-round2")
        ok = parseFloat(value, vals.slopeDepthRound2);
    if (!ok)
        error = "invalid value " + quotedName(value) + " for " + name;
    return ok;
}

bool takesValue(const std::string& name)
{
    return name == "--slope" || name == "--max-blur-radius" || name == "--depth-flat" ||
           name == "--depth-round" || name == "--depth-round2" || name == "--probe" ||
           name == "--specularity" || name == "--seed";
}

} // namespace

bool parseOptions(int argc, const char* const* argv, CliOptions& options, std::string& error)
{
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            optionsEnded = true;
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.showHelp = true;
            return true;
        }
        if (arg == "--invert") {
            options.vals.invertInput = 1;
            continue;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (!takesValue(name)) {
            error = "unknown option " + quotedName(arg);
            return false;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = "missing value for " + name;
            return false;
        }
        if (!applyValue(name, value, options, error))
            return false;
    }
    if (files.size() != 2) {
        error = "expected INPUT.png and OUTPUT.png after the options (see --help)";
        return false;
    }
    options.inputPath = files[0];
    options.outputPath = files[1];
    return true;
}
