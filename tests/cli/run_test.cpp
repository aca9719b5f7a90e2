// A whole run of the command line in virtual time, on a scripted controller: the exit code, the
// JSON line and the message for each way a command ends.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <string>

#include "cli/command_line.h"
#include "cli/report.h"
#include "i18n/message_catalogue.h"
#include "link/frame_codec.h"
#include "support/scripted_device.h"
#include "support/virtual_platform.h"

namespace vr::cli {
namespace {

using test::ScriptedDevice;
using test::VirtualPlatform;

const std::string kProbe = ReplyFrame("0010012345678");

std::string WithWrongCrc(std::string frame) {
    frame[frame.find('\x04') + 1] ^= 1;
    return frame;
}

std::string ReadAll(std::FILE *file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    return text;
}

struct RunCase {
    const char *name;
    QStringList arguments;
    std::vector<std::string> replies; // in answer to the requests in turn; then silence
    int exitCode;
    std::string json;    // the whole line on standard output
    const char *message; // part of the line on standard error; "" for none
};

class RunFixture : public ::testing::Test {
protected:
    void SetUp() override {
        BuildMessageCatalogue();
        ASSERT_TRUE(storeFolder.isValid());
        platform.attach(1, device);
        ScanSettings stored;
        stored.ScanCommNo = 1;
        store.SaveScanSettings(stored);
    }
    void TearDown() override {
        std::fclose(out);
        std::fclose(err);
    }

    int run(const QStringList &arguments) {
        const ParsedArguments parsed = ParseArguments(arguments);
        const Console console{out, err, false};
        if (parsed.kind != ParsedArguments::Kind::Run)
            return ReportUsageError(parsed, console);
        return cli::Run(parsed.invocation, platform, store, console, &interruption);
    }

    VirtualPlatform platform;
    ScriptedDevice device;
    QTemporaryDir storeFolder;
    SettingsStore store{storeFolder.path()};
    std::atomic<bool> interruption{false};
    // Files in a folder of the test's own: tmpfile() writes to the drive's root on Windows.
    QTemporaryDir streams;
    std::FILE *out = std::fopen(QFile::encodeName(streams.filePath("out")).constData(), "w+b");
    std::FILE *err = std::fopen(QFile::encodeName(streams.filePath("err")).constData(), "w+b");
};

class RunInVirtualTime : public RunFixture, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunInVirtualTime, EndsWithItsExitCodeJsonAndMessage) {
    const RunCase &row = GetParam();
    for (const std::string &reply : row.replies)
        device.answerNext(reply);
    EXPECT_EQ(run(row.arguments), row.exitCode);
    EXPECT_EQ(ReadAll(out), row.json + "\n");
    const std::string errors = ReadAll(err);
    if (*row.message == '\0')
        EXPECT_EQ(errors.find("vr880tx:"), std::string::npos) << errors;
    else
        EXPECT_NE(errors.find(row.message), std::string::npos) << errors;
    EXPECT_EQ(platform.openPorts(), 0u);
    if (row.exitCode == kExitUsage) {
        EXPECT_TRUE(device.requests().empty());
    }
}

const char *const kFound = R"("port":1,"mode":"19200,e,8,1","address":"001","serial":"12345678")";

// The free command's reply: ETX, address 001, status "00", `data`, EOT, CRC digits, CR.
const std::string kOddData("\"\\\x7f\xe9", 4);
const std::string kOddReply = ReplyFrame("00100" + kOddData);
// The same as JSON writes it: control bytes and bytes above 0x7E as \u00XX.
const std::string kOddReplyJson =
    R"(\u000300100\"\\\u007f\u00e9\u0004)" + kOddReply.substr(kOddReply.size() - 5, 4) + R"(\r)";

INSTANTIATE_TEST_SUITE_P(
    Outcomes, RunInVirtualTime,
    ::testing::Values(
        RunCase{
            "Success",
            {"set-clock", "--json"},
            {kProbe, kProbe, ReplyFrame("00100")},
            0,
            R"({"ok":true,"operation":"set-clock","port":1,"mode":"19200,e,8,1","address":"001","serial":"12345678"})",
            ""},
        RunCase{
            "WrongCrcIsABadReply",
            {"set-clock", "--json"},
            {kProbe, kProbe, WithWrongCrc(ReplyFrame("00100"))},
            1,
            R"j({"ok":false,"operation":"set-clock","port":1,"mode":"19200,e,8,1","address":"001","serial":"12345678","error":"bad-reply","message":"Set Date Time Error: bad reply (last exchange: wrong CRC)"})j",
            "vr880tx: Set Date Time Error: bad reply (last exchange: wrong CRC)"},
        RunCase{
            "ProbeOfTheWrongLengthIsABadReply",
            {"set-clock", "--json"},
            {kProbe, ReplyFrame("00100123456789")},
            1,
            R"j({"ok":false,"operation":"set-clock","port":1,"mode":"19200,e,8,1","address":"001","serial":"12345678","error":"bad-reply","message":"Set Date Time Error: bad reply (a probe reply of the wrong length)"})j",
            "wrong length"},
        RunCase{
            "SilenceIsNoReply",
            {"alarm-test", "fire", "--json"},
            {kProbe},
            1,
            R"j({"ok":false,"operation":"alarm-test","port":1,"mode":"19200,e,8,1","address":"001","serial":"12345678","error":"no-reply","message":"Alarm Test Error: no reply (last exchange: quiet after 301 ms)"})j",
            "Alarm Test Error: no reply"},
        RunCase{
            "NobodyAnswersTheProbes",
            {"add-card", "1234", "--json"},
            {},
            4,
            R"j({"ok":false,"operation":"add-card","port":1,"mode":"19200,e,8,1","address":null,"serial":null,"error":"not-found","message":"no controller answered on COM1 in 19200,e,8,1 (3 probes to address 000)"})j",
            "no controller answered on COM1"},
        RunCase{"ReplyOfTheFreeCommandWithEveryByteEscaped",
                {"command", "AB", "--json", "--quiet"},
                {kProbe, kProbe, kOddReply},
                0,
                std::string(R"({"ok":true,"operation":"command",)") + kFound + R"(,"reply":")" +
                    kOddReplyJson + R"("})",
                ""},
        RunCase{
            "CardNumberOutsideTheCodePageIsRefusedBeforeAnythingIsSent",
            {"add-card", "卡", "--lang", "en", "--json"},
            {kProbe},
            2,
            R"j({"ok":false,"operation":"add-card","error":"usage","message":"add-card: the card number '卡' cannot be written in the code page of English (Latin-1); choose the language with --lang"})j",
            "cannot be written in the code page of English"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(RunFixture, ASingleCommandWithoutAKnownPortIsRefused) {
    store.SaveScanSettings(ScanSettings{}); // port 0: no scan stored one
    EXPECT_EQ(run({"set-clock"}), kExitUsage);
    EXPECT_NE(ReadAll(err).find("no port known"), std::string::npos);
    EXPECT_TRUE(device.requests().empty());
}

TEST_F(RunFixture, ATraceFileThatCannotBeWrittenIsRefused) {
    EXPECT_EQ(run({"set-clock", "--trace", storeFolder.path() + "/no/such/folder/trace"}),
              kExitUsage);
    EXPECT_NE(ReadAll(err).find("--trace: cannot write"), std::string::npos);
    EXPECT_TRUE(device.requests().empty());
}

TEST_F(RunFixture, InterruptionEndsAfterTheExchangeInFlight) {
    device.answerNext(kProbe);
    platform.onPump = [this] { interruption = true; };
    EXPECT_EQ(run({"set-clock", "--json"}), kExitInterrupted);
    EXPECT_NE(ReadAll(out).find(R"("error":"interrupted")"), std::string::npos);
    EXPECT_EQ(device.requests().size(), 1u); // the find's first probe, no more
}

} // namespace
} // namespace vr::cli
