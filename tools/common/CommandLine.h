#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// One way for every command-line tool to read its options, answer --help and
// --version, and report problems: "tool: WHAT: reason" on standard error and
// the exit statuses below. Standard C++ only, so a headless tool needs no Qt
// to parse its command line.
namespace cli {

constexpr int kExitOk = 0;      // the work was done
constexpr int kExitFailure = 1; // the work could not be done: a file, a port, a database
constexpr int kExitUsage = 2;   // the command line is wrong

// The project version, from the build ("1.0").
const char* version();

// "tool: message" on standard error.
void report(const std::string& tool, const std::string& message);
// "tool: what: reason" on standard error; `what` is a file, a port or a device.
void report(const std::string& tool, const std::string& what, const std::string& reason);

class CommandLine {
public:
    // `tool` is the name printed before errors and in --version ("trelvane-log" or
    // "trelvane-log csv"); `synopsis` follows "Usage: tool"; `about` is the
    // paragraph under it; `epilog` ends --help (exit statuses, examples).
    CommandLine(std::string tool, std::string synopsis, std::string about, std::string epilog = {});

    // An option without a value: --name (and -s when `shortName` is not 0).
    void flag(const std::string& name, char shortName, const std::string& help);
    // An option with a value: --name VALUE, --name=VALUE (and -s VALUE).
    // `repeatable` keeps every occurrence; otherwise a second one is an error.
    void option(const std::string& name, char shortName, const std::string& valueName,
                const std::string& help, bool repeatable = false);
    // Positional arguments, in the order declared. `max` < 0: no upper bound.
    void positionals(const std::string& valueName, int min, int max);

    // Parses argv[first..argc). Returns true when the tool should go on; false when
    // it should end with exitCode(): after --help or --version (0, text on
    // standard output) or after a usage error (2, "tool: problem" and a hint on
    // standard error).
    bool parse(int argc, const char* const* argv, int first = 1);
    int exitCode() const { return exitCode_; }

    bool isSet(const std::string& name) const;
    // The last value given for the option, or `fallback`.
    std::string value(const std::string& name, const std::string& fallback = {}) const;
    std::vector<std::string> values(const std::string& name) const;
    const std::vector<std::string>& arguments() const { return positional_; }

    // Typed values. On a bad value they print "tool: --name: ..." and return nothing,
    // and the caller ends with kExitUsage. A `max` of the type's largest value
    // means no upper bound.
    std::optional<std::int64_t> integer(const std::string& name, std::int64_t min, std::int64_t max,
                                        std::int64_t fallback) const;
    std::optional<double> number(const std::string& name, double min, double max, double fallback) const;

    // Reports a usage problem found after parsing (two options that exclude each other)
    // and returns kExitUsage.
    int usageError(const std::string& message) const;

    std::string help() const;
    const std::string& tool() const { return tool_; }

private:
    struct Declared {
        std::string name;
        char shortName = 0;
        std::string valueName; // empty: a flag
        std::string help;
        bool repeatable = false;
    };
    const Declared* find(const std::string& name) const;
    const Declared* findShort(char c) const;
    bool fail(const std::string& message);

    std::string tool_;
    std::string synopsis_;
    std::string about_;
    std::string epilog_;
    std::vector<Declared> declared_;
    std::string positionalName_;
    int minPositionals_ = 0;
    int maxPositionals_ = 0;

    std::map<std::string, std::vector<std::string>> given_;
    std::vector<std::string> positional_;
    int exitCode_ = kExitOk;
};

// A tool made of commands ("trelvane-log info FILE"): the first argument picks
// the command, which parses the rest with a CommandLine of its own named
// "tool command".
class Commands {
public:
    using Handler = std::function<int(int argc, const char* const* argv)>;

    Commands(std::string tool, std::string about, std::string epilog = {});
    void add(const std::string& name, const std::string& synopsis, const std::string& summary, Handler handler);

    // Runs the chosen command and returns its exit status; answers --help,
    // --version and a missing or unknown command itself.
    int run(int argc, const char* const* argv) const;
    std::string help() const;

private:
    struct Command {
        std::string name;
        std::string synopsis;
        std::string summary;
        Handler handler;
    };
    std::string tool_;
    std::string about_;
    std::string epilog_;
    std::vector<Command> commands_;
};

} // namespace cli
