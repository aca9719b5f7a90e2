// The command line's arguments: what is refused with exit 2 and what each accepted form means.

#include <gtest/gtest.h>

#include "cli/arguments.h"

namespace vr::cli {
namespace {

QStringList Args(std::initializer_list<const char *> words) {
    QStringList list;
    for (const char *word : words)
        list << QString::fromUtf8(word);
    return list;
}

struct RefusedCase {
    const char *name;
    QStringList arguments;
    const char *says; // part of the one-line message
};

class RefusedArguments : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedArguments, AreAUsageErrorThatSaysWhatIsWrongAndAllowed) {
    const ParsedArguments parsed = ParseArguments(GetParam().arguments);
    EXPECT_EQ(parsed.kind, ParsedArguments::Kind::Usage);
    EXPECT_NE(parsed.error.find(GetParam().says), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << "one line";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefusedArguments,
    ::testing::Values(
        RefusedCase{"NoCommand", {}, "no command given; commands: scan, set-clock"},
        RefusedCase{"UnknownCommand", Args({"frobnicate"}), "unknown command 'frobnicate'"},
        RefusedCase{"UnknownOption", Args({"scan", "--bogus"}), "unknown option '--bogus'"},
        RefusedCase{"ShortOption", Args({"-p", "3", "scan"}), "unknown option '-p'"},
        RefusedCase{"PortZero", Args({"set-clock", "--port", "0"}),
                    "--port '0' is out of range: a port number 1-16"},
        RefusedCase{"Port17", Args({"set-clock", "--port=17"}), "a port number 1-16"},
        RefusedCase{"PortNotANumber", Args({"set-clock", "--port", "3x"}), "'3x'"},
        RefusedCase{"PortWithoutValue", Args({"set-clock", "--port"}), "--port needs a value"},
        RefusedCase{"ModeIndex12", Args({"set-clock", "--mode", "12"}), "a line mode 0-11"},
        RefusedCase{"ModeOddParity", Args({"set-clock", "--mode", "19200,o,8,1"}), "'19200,o,8,1'"},
        RefusedCase{"AlarmKind7", Args({"alarm-test", "7"}), "expected an alarm kind 0-6"},
        RefusedCase{"AlarmKindMissing", Args({"alarm-test"}), "alarm-test needs an argument"},
        RefusedCase{"CardNumberOfEleven", Args({"add-card", "12345678901"}),
                    "a card number of up to 10 characters"},
        RefusedCase{"IdZero", Args({"set-id", "0"}), "an ID 1-999"},
        RefusedCase{"Id1000", Args({"set-id", "1000"}), "an ID 1-999"},
        RefusedCase{"IdWithLetter", Args({"set-id", "5a"}), "'5a' is not allowed"},
        RefusedCase{"Width36", Args({"set-mode", "36"}), "24, 32 or 40"},
        RefusedCase{"CardType3", Args({"card-type", "3"}), "0-2 or em, vorna, security"},
        RefusedCase{"CommandTextOf31", Args({"command", "ABCDEFGHIJKLMNOPQRSTUVWXYZ12345"}),
                    "up to 30 characters"},
        RefusedCase{"ArgumentTooMany", Args({"set-clock", "now"}),
                    "set-clock takes no argument, not 'now'"},
        RefusedCase{"CyclesForAScan", Args({"scan", "--cycles", "3"}),
                    "apply to auto-test and dido-test only"},
        RefusedCase{"ZeroCycles", Args({"auto-test", "--cycles", "0"}), "1-1000000000"},
        RefusedCase{"ZeroSeconds", Args({"auto-test", "--seconds", "0"}), "more than 0"},
        RefusedCase{"SecondsNotANumber", Args({"dido-test", "--seconds", "1e3"}), "'1e3'"},
        RefusedCase{"OutputsForAutoTest", Args({"auto-test", "--outputs", "1"}),
                    "--outputs applies to dido-test only"},
        RefusedCase{"Output4", Args({"dido-test", "--outputs", "1,4"}), "outputs 1-3"},
        RefusedCase{"AllModesForSetClock", Args({"set-clock", "--all-modes"}),
                    "applies to scan only"},
        RefusedCase{"PortForPorts", Args({"ports", "--port", "3"}), "do not apply"},
        RefusedCase{"Language", Args({"scan", "--lang", "fr"}), "en, zh-CN or zh-TW"},
        RefusedCase{"FlagWithValue", Args({"--json=yes", "scan"}), "--json takes no value"},
        RefusedCase{"EmptyTrace", Args({"scan", "--trace="}), "--trace needs a value"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(Arguments, JsonIsKnownEvenWhenTheRestIsRefused) {
    EXPECT_TRUE(ParseArguments(Args({"--json", "set-id", "1000"})).json);
    EXPECT_FALSE(ParseArguments(Args({"set-id", "1000"})).json);
}

Invocation Accepted(std::initializer_list<const char *> words) {
    const ParsedArguments parsed = ParseArguments(Args(words));
    EXPECT_EQ(parsed.kind, ParsedArguments::Kind::Run) << parsed.error;
    return parsed.invocation;
}

TEST(Arguments, NamesAndNumbersOfTheArgumentsAreTheWindowsItems) {
    EXPECT_EQ(Accepted({"alarm-test", "FIRE"}).index, 3);
    EXPECT_EQ(Accepted({"alarm-test", "0"}).index, 0);
    EXPECT_EQ(Accepted({"set-baud", "115200,N,8,1"}).index, 10);
    EXPECT_EQ(Accepted({"set-baud", "11"}).index, 11);
    EXPECT_EQ(Accepted({"set-mode", "40"}).index, 2);
    EXPECT_EQ(Accepted({"card-type", "security"}).index, 2);
    EXPECT_EQ(Accepted({"set-id", "5"}).text, "005"); // as the ID panel shows it
    EXPECT_EQ(Accepted({"set-id", "042"}).text, "042");
}

TEST(Arguments, OptionsComeBeforeOrAfterTheCommand) {
    const Invocation run = Accepted({"--port=3", "set-clock", "--mode", "19200,e,8,1", "--json"});
    EXPECT_EQ(run.command, Command::SetClock);
    EXPECT_EQ(run.port, 3);
    EXPECT_EQ(run.lineMode, 5);
    EXPECT_TRUE(run.json);

    const Invocation dido = Accepted({"dido-test", "--outputs", "1,3", "--seconds", "2.5"});
    EXPECT_EQ(dido.outputs, (std::array<bool, 3>{true, false, true}));
    EXPECT_EQ(dido.limit.milliseconds, 2500u);
    EXPECT_EQ(dido.limit.cycles, 0);

    const Invocation autoTest = Accepted({"auto-test", "0012345678", "--cycles", "10"});
    EXPECT_TRUE(autoTest.hasText);
    EXPECT_EQ(autoTest.text, "0012345678");
    EXPECT_EQ(autoTest.limit.cycles, 10);
    EXPECT_FALSE(Accepted({"auto-test"}).hasText); // the stored card number

    EXPECT_EQ(Accepted({"--lang", "ZH-tw", "scan"}).language, 2);
    EXPECT_EQ(Accepted({"command", "--", "-AB"}).text, "-AB");
    EXPECT_EQ(Accepted({"add-card", ""}).text, ""); // sent as the window sends an empty field
}

TEST(Arguments, HelpAndVersionNeedNothingElse) {
    EXPECT_EQ(ParseArguments(Args({"set-clock", "--help"})).kind, ParsedArguments::Kind::Help);
    EXPECT_EQ(ParseArguments(Args({"--version"})).kind, ParsedArguments::Kind::Version);
}

} // namespace
} // namespace vr::cli
