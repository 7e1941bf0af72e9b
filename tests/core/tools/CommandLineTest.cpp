// The shared command line of the tools: which argument lists are accepted,
// what they yield, and the exit status and message of each refusal.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

struct Parsed {
    bool goOn = false;
    int exitCode = -1;
    std::string out;
    std::string err;
    cli::CommandLine line{"tool", "[options] FILE", "Does things."};
};

// The options of a typical tool, parsed from `args` (without the program name).
void parse(Parsed& p, std::vector<std::string> args)
{
    p.line.flag("json", 0, "machine-readable output");
    p.line.option("output", 'o', "OUT", "write to OUT");
    p.line.option("traces", 0, "LIST", "traces", true);
    p.line.positionals("FILE", 1, 2);
    args.insert(args.begin(), "tool");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    p.goOn = p.line.parse(static_cast<int>(argv.size()), argv.data());
    p.out = testing::internal::GetCapturedStdout();
    p.err = testing::internal::GetCapturedStderr();
    p.exitCode = p.line.exitCode();
}

TEST(CommandLine, AcceptsOptionsInEveryFormAndKeepsPositionalsInOrder)
{
    Parsed p;
    parse(p, {"a.tvr", "--output=x.csv", "--json", "--traces", "v", "--traces=i", "--", "-b.tvr"});
    ASSERT_TRUE(p.goOn) << p.err;
    EXPECT_EQ(p.line.value("output"), "x.csv");
    EXPECT_TRUE(p.line.isSet("json"));
    EXPECT_EQ(p.line.values("traces"), (std::vector<std::string>{"v", "i"}));
    EXPECT_EQ(p.line.arguments(), (std::vector<std::string>{"a.tvr", "-b.tvr"}));

    Parsed s;
    parse(s, {"-o", "y.csv", "-"});
    ASSERT_TRUE(s.goOn) << s.err;
    EXPECT_EQ(s.line.value("output"), "y.csv");
    EXPECT_FALSE(s.line.isSet("json"));
    EXPECT_EQ(s.line.value("missing", "fallback"), "fallback");
    EXPECT_EQ(s.line.arguments(), (std::vector<std::string>{"-"}));
}

TEST(CommandLine, HelpAndVersionEndWithStatusZeroOnStandardOutput)
{
    Parsed help;
    help.line.flag("wrapped", 0, "first line\nsecond line");
    parse(help, {"--help", "--no-such-option"});
    EXPECT_FALSE(help.goOn);
    EXPECT_EQ(help.exitCode, cli::kExitOk);
    EXPECT_EQ(help.out.rfind("Usage: tool [options] FILE\nDoes things.\n", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("  -o, --output OUT"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("      --version"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("      --wrapped           first line\n                          second line\n"),
              std::string::npos) << help.out;
    EXPECT_TRUE(help.err.empty());

    Parsed version;
    parse(version, {"--version"});
    EXPECT_FALSE(version.goOn);
    EXPECT_EQ(version.exitCode, cli::kExitOk);
    EXPECT_EQ(version.out, std::string("tool ") + cli::version() + "\n");
}

TEST(CommandLine, RefusesBadCommandLinesWithStatusTwoAndTheReason)
{
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"a", "--bogus"}, "tool: unknown option --bogus\n"},
        {{"a", "-x"}, "tool: unknown option -x\n"},
        {{"a", "--output"}, "tool: --output needs a value (OUT)\n"},
        {{"a", "--json=yes"}, "tool: --json takes no value\n"},
        {{"a", "-o", "x", "--output", "y"}, "tool: --output given twice\n"},
        {{}, "tool: missing FILE\n"},
        {{"a", "b", "c"}, "tool: unexpected argument c\n"},
    };
    for (const auto& c : cases) {
        Parsed p;
        parse(p, c.args);
        EXPECT_FALSE(p.goOn) << c.message;
        EXPECT_EQ(p.exitCode, cli::kExitUsage) << c.message;
        EXPECT_EQ(p.err, c.message + "Try 'tool --help' for more information.\n");
        EXPECT_TRUE(p.out.empty());
    }
}

TEST(CommandLine, TypedValuesAreCheckedAgainstTheirRange)
{
    const struct {
        std::string text;
        bool integerOk;
        bool numberOk;
    } cases[] = {
        {"7", true, true}, {"3", true, true}, {"15", true, true}, {"2", false, false},
        {"16", false, false}, {"7.5", false, true}, {"7x", false, false}, {"", false, false},
        {"nan", false, false}, {"inf", false, false}, {"-4", false, false},
    };
    for (const auto& c : cases) {
        Parsed p;
        parse(p, {"a", "--output", c.text});
        ASSERT_TRUE(p.goOn);
        testing::internal::CaptureStderr();
        const auto integer = p.line.integer("output", 3, 15, 0);
        const auto number = p.line.number("output", 3.0, 15.0, 0.0);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(integer.has_value(), c.integerOk) << c.text;
        EXPECT_EQ(number.has_value(), c.numberOk) << c.text;
        if (!c.integerOk) {
            EXPECT_NE(err.find("tool: --output: needs a whole number from 3 to 15, not '" + c.text + "'"),
                      std::string::npos) << err;
        }
    }
    Parsed open;
    parse(open, {"a", "--output", "0"});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(open.line.integer("output", 1, std::numeric_limits<std::int64_t>::max(), 0));
    EXPECT_FALSE(open.line.number("output", 0.5, std::numeric_limits<double>::max(), 0.0));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tool: --output: needs a whole number of at least 1, not '0'\n"
              "tool: --output: needs a number of at least 0.5, not '0'\n");

    Parsed unset;
    parse(unset, {"a"});
    EXPECT_EQ(unset.line.integer("output", 3, 15, 9), 9);
}

TEST(CommandLine, CommandsPickTheHandlerAndAnswerForThemselves)
{
    cli::Commands commands("tool", "About the tool.");
    std::vector<std::string> seen;
    commands.add("info", "FILE", "what a file holds", [&](int argc, const char* const* argv) {
        for (int i = 0; i < argc; ++i)
            seen.push_back(argv[i]);
        return 5;
    });
    auto run = [&](std::vector<const char*> argv, std::string* out, std::string* err) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = commands.run(static_cast<int>(argv.size()), argv.data());
        *out = testing::internal::GetCapturedStdout();
        *err = testing::internal::GetCapturedStderr();
        return status;
    };
    std::string out, err;
    EXPECT_EQ(run({"tool", "info", "a.tvr"}, &out, &err), 5);
    EXPECT_EQ(seen, (std::vector<std::string>{"tool", "info", "a.tvr"}));

    EXPECT_EQ(run({"tool", "--help"}, &out, &err), cli::kExitOk);
    EXPECT_NE(out.find("  info FILE"), std::string::npos) << out;
    EXPECT_EQ(run({"tool", "--version"}, &out, &err), cli::kExitOk);
    EXPECT_EQ(out, std::string("tool ") + cli::version() + "\n");
    EXPECT_EQ(run({"tool"}, &out, &err), cli::kExitUsage);
    EXPECT_EQ(err.rfind("tool: missing command\n", 0), 0u);
    EXPECT_EQ(run({"tool", "bogus"}, &out, &err), cli::kExitUsage);
    EXPECT_EQ(err.rfind("tool: unknown command bogus\n", 0), 0u);
}

TEST(CommandLine, LongOptionDescriptionsWrapUnderTheirColumn)
{
    cli::CommandLine line{"tool", "", ""};
    const std::string words = "one two three four five six seven eight nine ten eleven twelve thirteen "
                              "fourteen fifteen sixteen seventeen eighteen nineteen twenty";
    line.option("device", 'd', "PATH", words);
    const std::string help = line.help();
    const std::size_t at = help.find("  -d, --device PATH");
    ASSERT_NE(at, std::string::npos) << help;
    std::string joined;
    std::size_t lines = 0;
    for (std::size_t start = at; start < help.size() && lines < 10; ++lines) {
        const std::size_t end = help.find('\n', start);
        const std::string text = help.substr(start, end - start);
        if (lines > 0 && text.rfind(std::string(26, ' '), 0) != 0)
            break; // the next option
        EXPECT_LE(text.size(), 79u) << text;
        joined += (lines > 0 ? " " : "") + text.substr(26);
        start = end + 1;
    }
    EXPECT_GT(lines, 1u);
    EXPECT_EQ(joined, words);
}

} // namespace
