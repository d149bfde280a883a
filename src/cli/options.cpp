#include "cli/options.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "cli/quoted_name.h"

namespace {

// A whole number from 0 to `largest` (at most 999), digits only.
bool parseSmallCount(const std::string& text, int32_t largest, int32_t& value)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int parsed = std::atoi(text.c_str());
    if (parsed > largest)
        return false;
    value = parsed;
    return true;
}

bool parseByte(const std::string& text, int32_t& value)
{
    return parseSmallCount(text, 255, value);
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

// One of a few words, each standing for a value.
template <typename T>
bool parseWord(const std::string& text, std::initializer_list<std::pair<const char*, T>> words, T& value)
{
    for (const auto& [word, meaning] : words)
        if (text == word) {
            value = meaning;
            return true;
        }
    return false;
}

// A profile by name, or by the number that scripts pass.
bool parseSlope(const std::string& text, SlopeProfile& profile)
{
    if (parseWord(text, {{"flat", SlopeProfile::flat}, {"round", SlopeProfile::round},
                         {"round2", SlopeProfile::round2}}, profile))
        return true;
    int32_t number = 0;
    if (!parseByte(text, number))
        return false;
    profile = slopeProfileOfNumber(number);
    return true;
}

// One option: its names, the placeholder of its value (null for a switch),
// its lines of the usage text and how it changes the options. Parser and
// usage text both read this table, so an option is written down once.
struct OptionEntry {
    const char* name;
    const char* shortName;  // null when there is none
    const char* valueName;  // null: a switch that takes no value
    const char* help;       // lines separated by '\n'
    bool (*apply)(const std::string& value, CliOptions& options);
};

const OptionEntry optionTable[] = {
    {"--invert", nullptr, nullptr, "treat a dark shape on a white background as the shape",
     [](const std::string&, CliOptions& o) {
         o.settings.invertInput = true;
         return true;
     }},
    {"--slope", nullptr, "TYPE",
     "flat, round or round2 (default), or a number 0..255\n"
     "(1 flat, 2 round, 3 round2; other numbers render like round)",
     [](const std::string& v, CliOptions& o) { return parseSlope(v, o.settings.profile); }},
    {"--max-blur-radius", nullptr, "N", "largest kernel radius of the flat slope, 0..255 (default 3)",
     [](const std::string& v, CliOptions& o) { return parseByte(v, o.settings.maxFlatRadius); }},
    {"--depth-flat", nullptr, "F", "depth of the flat slope (default 10)",
     [](const std::string& v, CliOptions& o) { return parseFloat(v, o.settings.depthFlat); }},
    {"--depth-round", nullptr, "F", "depth of the round slope (default 7)",
     [](const std::string& v, CliOptions& o) { return parseFloat(v, o.settings.depthRound); }},
    {"--depth-round2", nullptr, "F", "depth of the round2 slope (default 20)",
     [](const std::string& v, CliOptions& o) { return parseFloat(v, o.settings.depthRound2); }},
    {"--probe", nullptr, "PROBE.png", "reflect this spherical probe image instead of\nwriting a normal map",
     [](const std::string& v, CliOptions& o) {
         o.probePath = v;
         return !v.empty();
     }},
    {"--specularity", nullptr, "S",
     "0 diffuse .. 1 specular (default 1); below 1 the\nreflection is blurred by random sampling",
     [](const std::string& v, CliOptions& o) { return parseDouble(v, o.settings.specularity); }},
    {"--seed", nullptr, "N",
     "start of the random stream of each file's blurred\nreflection (default 0)",
     [](const std::string& v, CliOptions& o) { return parseSeed(v, o.seed); }},
    {"--mask", nullptr, "CHANNEL",
     "red (default): the shape is the first channel;\n"
     "alpha: the shape is the alpha channel, the colour\n"
     "channels play no part and the output keeps the\ninput's alpha",
     [](const std::string& v, CliOptions& o) {
         return parseWord(v, {{"red", MaskChannel::red}, {"alpha", MaskChannel::alpha}}, o.mask);
     }},
    {"--tile", nullptr, nullptr,
     "the image is one tile of an endless tiling: the\n"
     "bevel carries on across each edge from the\n"
     "opposite one and every pixel gets a normal, so\n"
     "that the tiles join without a seam",
     [](const std::string&, CliOptions& o) {
         o.settings.tile = true;
         return true;
     }},
    {"--flip-y", nullptr, nullptr,
     "green of the normal map points up the image (y up);\n"
     "without it green points down the rows (y down)",
     [](const std::string&, CliOptions& o) {
         o.settings.flipY = true;
         return true;
     }},
    {"--encoding", nullptr, "ENCODING",
     "normal maps: gimp (default), the filter's own bytes\n"
     "as GIMP writes them; or unit, the unit normal as\n"
     "engines read it: (c + 1) / 2 of each component in\n"
     "red, green and blue, and a flat normal outside",
     [](const std::string& v, CliOptions& o) {
         return parseWord(v, {{"gimp", NormalEncoding::filter}, {"unit", NormalEncoding::unit}},
                          o.settings.encoding);
     }},
    {"--bits", nullptr, "N", "bits per sample of a unit normal map: 8 (default)\nor 16",
     [](const std::string& v, CliOptions& o) { return parseWord(v, {{"8", 8}, {"16", 16}}, o.bits); }},
    {"--height-map", nullptr, "FILE",
     "also write the surface that the normals come from\n"
     "as a 16-bit grey PNG, 0 outside the shape",
     [](const std::string& v, CliOptions& o) {
         o.heightMapPath = v;
         return !v.empty();
     }},
    {"--height-dir", nullptr, "DIR", "a batch's height maps, each under its input's name",
     [](const std::string& v, CliOptions& o) {
         o.heightDir = v;
         return !v.empty();
     }},
    {"--height-scale", nullptr, "H",
     "the height in pixels that 65535 stands for (default:\n"
     "each image's largest height); higher is clipped",
     [](const std::string& v, CliOptions& o) {
         return parseDouble(v, o.heightScale) && std::isfinite(o.heightScale) && o.heightScale > 0.0;
     }},
    {"--out-dir", nullptr, "DIR",
     "render every INPUT.png into DIR under its own file\nname (a batch)",
     [](const std::string& v, CliOptions& o) {
         o.outDir = v;
         return !v.empty();
     }},
    {"--threads", nullptr, "N", "worker threads, 1..256; 0 one per core (default)",
     [](const std::string& v, CliOptions& o) { return parseSmallCount(v, 256, o.threads); }},
    {"--compression", nullptr, "MODE",
     "fast (default), or small: the smallest files,\n"
     "several times slower to write",
     [](const std::string& v, CliOptions& o) {
         return parseWord(v, {{"fast", PngCompression::fast}, {"small", PngCompression::small}}, o.compression);
     }},
    {"--version", nullptr, nullptr, "show the name and version",
     [](const std::string&, CliOptions& o) {
         o.showVersion = true;
         return true;
     }},
    {"--help", "-h", nullptr, "show this help",
     [](const std::string&, CliOptions& o) {
         o.showHelp = true;
         return true;
     }},
};

// Options that cannot go together, told before anything is read.
const char* conflictingOptions(const CliOptions& options)
{
    const bool probe = !options.probePath.empty();
    const bool heights = !options.heightMapPath.empty() || !options.heightDir.empty();
    if (options.settings.flipY && probe)
        return "--flip-y applies to normal maps; a reflection of --probe has no y convention";
    if (options.settings.encoding == NormalEncoding::unit && probe)
        return "--encoding applies to normal maps; a reflection of --probe is a colour, not a normal";
    if (options.bits == 16 && options.settings.encoding != NormalEncoding::unit)
        return "--bits 16 needs --encoding unit: the filter's own encoding is 8 bits";
    if (heights && probe)
        return "a height map goes with a normal map, not with a reflection of --probe";
    if (options.heightScale > 0.0 && !heights)
        return "--height-scale needs --height-map or --height-dir";
    if (!options.heightMapPath.empty() && !options.outDir.empty())
        return "--height-map names one file; a batch (--out-dir) takes --height-dir";
    if (!options.heightDir.empty() && options.outDir.empty())
        return "--height-dir is for batches (--out-dir); the two-file form takes --height-map";
    return nullptr;
}

const OptionEntry* findOption(const std::string& name)
{
    for (const OptionEntry& option : optionTable)
        if (name == option.name || (option.shortName && name == option.shortName))
            return &option;
    return nullptr;
}

} // namespace

std::string cliUsage()
{
    std::string usage =
        "Usage: ormolo2 [options] INPUT.png OUTPUT.png\n"
        "       ormolo2 [options] --out-dir DIR INPUT.png...\n"
        "Bevels the white shape of INPUT.png and writes its normal map, or the\n"
        "reflection of a probe image, to OUTPUT.png. In the two-file form '-'\n"
        "is standard input as INPUT.png and standard output as OUTPUT.png.\n"
        "\n"
        "Options (before the file names):\n";
    constexpr size_t helpColumn = 28;
    for (const OptionEntry& option : optionTable) {
        std::string names = "  ";
        if (option.shortName)
            names += std::string(option.shortName) + ", ";
        names += option.name;
        if (option.valueName)
            names += std::string(" ") + option.valueName;
        names.resize(std::max(names.size() + 1, helpColumn), ' ');
        usage += names;
        for (const char* line = option.help; *line;) {
            const char* end = std::strchr(line, '\n');
            const size_t length = end ? static_cast<size_t>(end - line) : std::strlen(line);
            usage.append(line, length).append("\n");
            line += length + (end ? 1 : 0);
            if (*line)
                usage.append(helpColumn, ' ');
        }
    }
    return usage;
}

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
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionEntry* option = findOption(name);
        if (!option) {
            error = "unknown option " + quotedName(arg);
            return false;
        }
        std::string value;
        if (!option->valueName) {
            if (equals != std::string::npos) {
                error = name + " takes no value";
                return false;
            }
        } else if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = "missing value for " + name;
            return false;
        }
        if (!option->apply(value, options)) {
            error = "invalid value " + quotedName(value) + " for " + name;
            return false;
        }
        if (options.showHelp || options.showVersion)
            return true;
    }
    if (const char* conflict = conflictingOptions(options)) {
        error = conflict;
        return false;
    }
    // "-" is a standard stream, which only the two-file form reads or writes.
    if (options.probePath == "-") {
        error = "--probe takes a file; standard input ('-') is for INPUT.png of the two-file form";
        return false;
    }
    if (!options.outDir.empty()) {
        if (files.empty()) {
            error = "expected INPUT.png... after the options (see --help)";
            return false;
        }
        if (std::find(files.begin(), files.end(), "-") != files.end()) {
            error = "a batch renders files; standard input ('-') is for INPUT.png of the two-file form";
            return false;
        }
        options.inputPaths = files;
        return true;
    }
    if (files.size() != 2) {
        error = "expected INPUT.png and OUTPUT.png after the options (see --help)";
        return false;
    }
    options.inputPaths = {files[0]};
    options.outputPath = files[1];
    return true;
}
