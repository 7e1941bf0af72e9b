#include "CommandLine.h"
#include "Printable.h"

#include "TrelvaneVersion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <new>

namespace cli {

namespace {

constexpr std::size_t kHelpColumn = 26; // where option descriptions start

std::string optionLabel(char shortName, const std::string& name, const std::string& valueName)
{
    std::string label = shortName != 0 ? std::string("  -") + shortName + ", " : std::string("      ");
    label += "--" + name;
    if (!valueName.empty())
        label += " " + valueName;
    return label;
}

constexpr std::size_t kHelpWidth = 79; // option descriptions wrap before this column

std::string helpLine(const std::string& label, const std::string& help)
{
    std::string line = label;
    if (line.size() + 2 > kHelpColumn)
        line += "\n" + std::string(kHelpColumn, ' ');
    else
        line.append(kHelpColumn - line.size(), ' ');
    // Wrapped at spaces and at the description's own line breaks; a word longer
    // than the room stays whole.
    std::size_t column = kHelpColumn;
    std::size_t at = 0;
    while (at < help.size()) {
        const std::size_t space = help.find(' ', at);
        const std::size_t newline = help.find('\n', at);
        std::size_t end = std::min(space, newline);
        if (end == std::string::npos)
            end = help.size();
        const std::string word = help.substr(at, end - at);
        if (column > kHelpColumn && column + 1 + word.size() > kHelpWidth) {
            line += "\n" + std::string(kHelpColumn, ' ');
            column = kHelpColumn;
        } else if (column > kHelpColumn) {
            line += ' ';
            ++column;
        }
        line += word;
        column += word.size();
        if (end < help.size() && help[end] == '\n') {
            line += "\n" + std::string(kHelpColumn, ' ');
            column = kHelpColumn;
        }
        at = end + 1;
    }
    return line + "\n";
}

void print(std::FILE* stream, const std::string& text)
{
    std::fputs(text.c_str(), stream);
}

} // namespace

const char* version()
{
    return TRELVANE_VERSION;
}

// Names and reasons come from outside (paths, arguments, system texts): what
// could move the cursor or clear the terminal is shown escaped.
void report(const std::string& tool, const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", tool.c_str(), printable(message).c_str());
}

void report(const std::string& tool, const std::string& what, const std::string& reason)
{
    std::fprintf(stderr, "%s: %s: %s\n", tool.c_str(), printable(what).c_str(), printable(reason).c_str());
}

CommandLine::CommandLine(std::string tool, std::string synopsis, std::string about, std::string epilog)
    : tool_(std::move(tool)), synopsis_(std::move(synopsis)), about_(std::move(about)), epilog_(std::move(epilog))
{
}

void CommandLine::flag(const std::string& name, char shortName, const std::string& help)
{
    declared_.push_back({name, shortName, {}, help, true});
}

void CommandLine::option(const std::string& name, char shortName, const std::string& valueName,
                         const std::string& help, bool repeatable)
{
    declared_.push_back({name, shortName, valueName, help, repeatable});
}

void CommandLine::positionals(const std::string& valueName, int min, int max)
{
    positionalName_ = valueName;
    minPositionals_ = min;
    maxPositionals_ = max;
}

const CommandLine::Declared* CommandLine::find(const std::string& name) const
{
    for (const Declared& declared : declared_) {
        if (declared.name == name)
            return &declared;
    }
    return nullptr;
}

const CommandLine::Declared* CommandLine::findShort(char c) const
{
    for (const Declared& declared : declared_) {
        if (declared.shortName == c)
            return &declared;
    }
    return nullptr;
}

bool CommandLine::fail(const std::string& message)
{
    report(tool_, message);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", tool_.c_str());
    exitCode_ = kExitUsage;
    return false;
}

bool CommandLine::parse(int argc, const char* const* argv, int first)
{
    given_.clear();
    positional_.clear();
    exitCode_ = kExitOk;
    bool optionsEnded = false;

    for (int i = first; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            positional_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            print(stdout, help());
            return false;
        }
        if (arg == "--version") {
            std::printf("%s %s\n", tool_.c_str(), version());
            return false;
        }

        const Declared* declared = nullptr;
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const std::size_t equals = arg.find('=');
            declared = find(arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2));
            if (equals != std::string::npos)
                inlineValue = arg.substr(equals + 1);
        } else if (arg.size() == 2) {
            declared = findShort(arg[1]);
        }
        if (declared == nullptr)
            return fail("unknown option " + arg);

        std::string value;
        if (declared->valueName.empty()) {
            if (inlineValue)
                return fail("--" + declared->name + " takes no value");
        } else if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return fail("--" + declared->name + " needs a value (" + declared->valueName + ")");
        }
        std::vector<std::string>& seen = given_[declared->name];
        if (!declared->repeatable && !seen.empty())
            return fail("--" + declared->name + " given twice");
        seen.push_back(value);
    }

    const int count = static_cast<int>(positional_.size());
    if (count < minPositionals_)
        return fail(positionalName_.empty() ? "missing argument" : "missing " + positionalName_);
    if (maxPositionals_ >= 0 && count > maxPositionals_)
        return fail("unexpected argument " + positional_[static_cast<std::size_t>(maxPositionals_)]);
    return true;
}

bool CommandLine::isSet(const std::string& name) const
{
    const auto it = given_.find(name);
    return it != given_.end() && !it->second.empty();
}

std::string CommandLine::value(const std::string& name, const std::string& fallback) const
{
    const auto it = given_.find(name);
    return it != given_.end() && !it->second.empty() ? it->second.back() : fallback;
}

std::vector<std::string> CommandLine::values(const std::string& name) const
{
    const auto it = given_.find(name);
    return it != given_.end() ? it->second : std::vector<std::string>{};
}

std::optional<std::int64_t> CommandLine::integer(const std::string& name, std::int64_t min, std::int64_t max,
                                                 std::int64_t fallback) const
{
    if (!isSet(name))
        return fallback;
    const std::string text = value(name);
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < min || v > max) {
        const std::string range = max == std::numeric_limits<std::int64_t>::max()
            ? "of at least " + std::to_string(min)
            : "from " + std::to_string(min) + " to " + std::to_string(max);
        report(tool_, "--" + name, "needs a whole number " + range + ", not '" + text + "'");
        return std::nullopt;
    }
    return v;
}

std::optional<double> CommandLine::number(const std::string& name, double min, double max, double fallback) const
{
    if (!isSet(name))
        return fallback;
    const std::string text = value(name);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v) || v < min || v > max) {
        char range[96];
        if (max >= std::numeric_limits<double>::max())
            std::snprintf(range, sizeof range, "needs a number of at least %g", min);
        else
            std::snprintf(range, sizeof range, "needs a number from %g to %g", min, max);
        report(tool_, "--" + name, std::string(range) + ", not '" + text + "'");
        return std::nullopt;
    }
    return v;
}

int CommandLine::usageError(const std::string& message) const
{
    report(tool_, message);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", tool_.c_str());
    return kExitUsage;
}

std::string CommandLine::help() const
{
    std::string text = "Usage: " + tool_ + (synopsis_.empty() ? "" : " " + synopsis_) + "\n";
    if (!about_.empty())
        text += about_ + (about_.back() == '\n' ? "" : "\n");
    text += "\nOptions:\n";
    for (const Declared& declared : declared_)
        text += helpLine(optionLabel(declared.shortName, declared.name, declared.valueName), declared.help);
    text += helpLine(optionLabel('h', "help", {}), "show this help and exit");
    text += helpLine(optionLabel(0, "version", {}), "show the version and exit");
    if (!epilog_.empty())
        text += "\n" + epilog_ + (epilog_.back() == '\n' ? "" : "\n");
    return text;
}

Commands::Commands(std::string tool, std::string about, std::string epilog)
    : tool_(std::move(tool)), about_(std::move(about)), epilog_(std::move(epilog))
{
}

void Commands::add(const std::string& name, const std::string& synopsis, const std::string& summary,
                   Handler handler)
{
    commands_.push_back({name, synopsis, summary, std::move(handler)});
}

std::string Commands::help() const
{
    std::string text = "Usage: " + tool_ + " COMMAND [options] ...\n";
    if (!about_.empty())
        text += about_ + (about_.back() == '\n' ? "" : "\n");
    text += "\nCommands:\n";
    for (const Command& command : commands_)
        text += helpLine("  " + command.name + (command.synopsis.empty() ? "" : " " + command.synopsis),
                         command.summary);
    text += "\nOptions:\n";
    text += helpLine(optionLabel('h', "help", {}), "show this help and exit (COMMAND --help: its options)");
    text += helpLine(optionLabel(0, "version", {}), "show the version and exit");
    if (!epilog_.empty())
        text += "\n" + epilog_ + (epilog_.back() == '\n' ? "" : "\n");
    return text;
}

int Commands::run(int argc, const char* const* argv) const
{
    if (argc < 2) {
        report(tool_, "missing command");
        std::fprintf(stderr, "Try '%s --help' for more information.\n", tool_.c_str());
        return kExitUsage;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "help") {
        print(stdout, help());
        return kExitOk;
    }
    if (first == "--version") {
        std::printf("%s %s\n", tool_.c_str(), version());
        return kExitOk;
    }
    for (const Command& command : commands_) {
        if (command.name != first)
            continue;
        // Whatever a command did not foresee ends it with a message and a
        // failure status, never with an abort and a core dump.
        try {
            return command.handler(argc, argv);
        } catch (const std::bad_alloc&) {
            report(tool_ + " " + first, "out of memory");
        } catch (const std::exception& e) {
            report(tool_ + " " + first, e.what());
        }
        return kExitFailure;
    }
    report(tool_, "unknown command " + first);
    std::fprintf(stderr, "Try '%s --help' for more information.\n", tool_.c_str());
    return kExitUsage;
}

} // namespace cli
