#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "link/controller_link.h"
#include "link/frame_codec.h"
#include "link/line_modes.h"
#include "platform/port_names.h"
#include "platform/qt_platform.h"
#include "platform/tone.h"

#include "held_sound_device.h"

namespace vr {
namespace {

// ---- Port naming -----------------------------------------------------------------------------

struct OrderCase {
    const char *name;
    std::vector<TtyEntry> ttys;
    std::vector<std::string> devices;
};

class SerialDeviceOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(SerialDeviceOrder, AdaptersByNumberThenBuiltInPortsThatExist) {
    EXPECT_EQ(OrderSerialDevices(GetParam().ttys), GetParam().devices);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, SerialDeviceOrder,
    ::testing::Values(
        OrderCase{"AdaptersFirst",
                  {{"ttyS0", true}, {"ttyUSB10"}, {"ttyACM0"}, {"ttyUSB2"}, {"ttyS1", false}},
                  {"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyS0"}},
        OrderCase{"OnlyBuiltInPortsWithAUart",
                  {{"ttyAMA0", true}, {"ttyS3", true}, {"ttyS0", false}, {"ttyS1", true}},
                  {"/dev/ttyS1", "/dev/ttyS3", "/dev/ttyAMA0"}},
        OrderCase{"NoSerialPorts",
                  {{"console"}, {"tty0"}, {"tty12"}, {"ptmx"}, {"ttyprintk"}, {"ttyS5", false}},
                  {}},
        OrderCase{"NamesThatOnlyLookAlike",
                  {{"ttyUSB"}, {"ttySAC0"}, {"ttyACM1x"}, {"ttyACM1"}},
                  {"/dev/ttyACM1"}}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(WindowsPortName, DevicePrefixFromTen) {
    EXPECT_EQ(WindowsPortName(1), "COM1");
    EXPECT_EQ(WindowsPortName(9), "COM9");
    EXPECT_EQ(WindowsPortName(10), "\\\\.\\COM10");
    EXPECT_EQ(WindowsPortName(256), "\\\\.\\COM256");
}

// ---- Serial ports over a pseudo-terminal -----------------------------------------------------

// Counts the reads of every port it opens.
class CountingPlatform : public QtPlatform {
public:
    std::unique_ptr<SerialPort> openSerial(int portNumber, const std::optional<LineSettings> &line,
                                           PortOpenFailure &failure) override {
        auto port = QtPlatform::openSerial(portNumber, line, failure);
        return port ? std::make_unique<Counted>(std::move(port), reads) : nullptr;
    }
    std::size_t reads = 0;

private:
    struct Counted : SerialPort {
        Counted(std::unique_ptr<SerialPort> inner, std::size_t &count)
            : inner_(std::move(inner)), count_(count) {}
        bool readByte(std::uint8_t &byte) override {
            ++count_;
            return inner_->readByte(byte);
        }
        void write(const std::uint8_t *data, std::size_t count) override {
            inner_->write(data, count);
        }
        std::unique_ptr<SerialPort> inner_;
        std::size_t &count_;
    };
};

class PtyPort : public ::testing::Test {
protected:
    static constexpr int kPort = 7;

    void SetUp() override {
        char name[256] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        ::close(slave); // the program opens it by name; the master keeps the pty alive
        slavePath = name;
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(PortMapFolder())));
        mapPort(kPort, slavePath);
    }
    void TearDown() override {
        hangUp();
        QDir(QString::fromStdString(PortMapFolder())).removeRecursively();
    }

    static void mapPort(int port, const std::string &target) {
        const QString link = QDir(QString::fromStdString(PortMapFolder()))
                                 .filePath(QStringLiteral("COM%1").arg(port));
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(QString::fromStdString(target), link));
    }
    void peerWrites(const std::string &bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the peer has received within 200 ms.
    std::string peerReads(std::size_t count) const {
        std::string got;
        char buffer[256];
        pollfd wanted{master, POLLIN, 0};
        while (got.size() < count && ::poll(&wanted, 1, 200) > 0) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
    void hangUp() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    std::unique_ptr<SerialPort> open(int port, std::string_view mode) {
        return platform.openSerial(port, ParseLineMode(mode), failure);
    }

    int master = -1;
    int slave = -1;
    std::string slavePath;
    CountingPlatform platform;
    PortOpenFailure failure;
};

TEST_F(PtyPort, OpensByPortMapLinkInItsLineModeAndCarriesBytes) {
    EXPECT_EQ(SerialDeviceName(kPort), slavePath);
    auto port = open(kPort, "115200,e,8,1");
    ASSERT_NE(port, nullptr); // the pty refuses even parity, and that is no error

    termios seen{};
    ASSERT_EQ(::tcgetattr(master, &seen), 0);
    EXPECT_EQ(::cfgetospeed(&seen), speed_t{B115200});
    EXPECT_EQ(seen.c_cflag & (CRTSCTS | CSTOPB), 0u);
    EXPECT_EQ(seen.c_iflag & (IXON | IXOFF), 0u);

    const std::string sent("\x03"
                           "\x00\x0d\xff"
                           "ab",
                           6);
    peerWrites(sent);
    std::string received;
    for (int reads = 0; reads < 200 && received.size() < sent.size(); ++reads) {
        std::uint8_t byte = 0;
        if (port->readByte(byte))
            received += static_cast<char>(byte);
    }
    EXPECT_EQ(received, sent); // raw bytes: no CR translation, no lost zero byte

    const std::string request = RequestFrame("000AS");
    port->write(reinterpret_cast<const std::uint8_t *>(request.data()), request.size());
    EXPECT_EQ(peerReads(request.size()), request);
}

TEST_F(PtyPort, MissingOrDanglingOrHeldPortDoesNotOpen) {
    mapPort(kPort + 1, "/nonexistent/vr880tx-port");
    EXPECT_EQ(SerialDeviceName(kPort + 1), "");
    EXPECT_EQ(open(kPort + 1, "19200,e,8,1"), nullptr);
    EXPECT_EQ(failure.problem, PortProblem::Absent);
    EXPECT_EQ(open(0, "19200,e,8,1"), nullptr);
    EXPECT_EQ(failure.problem, PortProblem::Absent);
    EXPECT_EQ(open(999, "19200,e,8,1"), nullptr);
    EXPECT_EQ(failure.problem, PortProblem::Absent);

    auto held = open(kPort, "19200,e,8,1");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(open(kPort, "19200,e,8,1"), nullptr);
    EXPECT_EQ(failure.device, slavePath);
    EXPECT_EQ(failure.problem, PortProblem::Busy); // not "permission", which Qt says for both
    held.reset();
    EXPECT_NE(open(kPort, "19200,e,8,1"), nullptr);
}

TEST_F(PtyPort, ReplyWaitingOnTheLineIsTakenByTheExchange) {
    ControllerLink link(platform);
    ASSERT_TRUE(link.CommOpen(kPort, "19200,e,8,1"));
    const std::string reply = ReplyFrame("0010012345678");
    peerWrites(reply);
    EXPECT_TRUE(link.SendCommand("000AS"));
    EXPECT_EQ(link.ReplyLength(), 20);
    EXPECT_EQ(link.LastReply(), reply);
    EXPECT_EQ(peerReads(12), RequestFrame("000AS"));
    link.CommClose();
}

// Silent or hung up, the wait lasts its 300 ms in reads of about 1 ms each, not in a spin.
class PtyWait : public PtyPort, public ::testing::WithParamInterface<bool> {};

TEST_P(PtyWait, EndsPastTheLimitWithBoundedReads) {
    const bool hungUp = GetParam();
    ControllerLink link(platform);
    ASSERT_TRUE(link.CommOpen(kPort, "19200,e,8,1"));
    if (hungUp)
        hangUp();
    const std::uint32_t start = platform.milliseconds();
    EXPECT_FALSE(link.SendCommand("000AS"));
    EXPECT_GT(platform.milliseconds() - start, ControllerLink::kReplyLimitMs);
    EXPECT_EQ(link.ReplyLength(), 0);
    EXPECT_GE(platform.reads, 20u);
    EXPECT_LE(platform.reads, 320u);
    link.CommClose();
    EXPECT_FALSE(link.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Peers, PtyWait, ::testing::Values(false, true),
                         [](const auto &row) { return row.param ? "HungUp" : "Silent"; });

// ---- Beep ------------------------------------------------------------------------------------

// The sound device "default" as an ALSA configuration makes it; nullptr: this machine's own.
struct SoundDeviceCase {
    const char *name;
    const char *configuration;
    int heldDeviceOpens; // how often the tone must ask the held device to open
};

void PrintTo(const SoundDeviceCase &c, std::ostream *out) {
    *out << c.name;
}

// The held device's count of opens; the module is the one the ALSA library loads.
int *HeldDeviceOpens() {
    static void *module = dlopen(VR_HELD_SOUND_DEVICE, RTLD_NOW);
    return module != nullptr ? static_cast<int *>(dlsym(module, kSoundDeviceOpensSymbol)) : nullptr;
}

class Tone : public ::testing::TestWithParam<SoundDeviceCase> {};

TEST_P(Tone, LastsItsLengthAndReturnsWhateverTheSoundDevice) {
    QTemporaryDir folder;
    if (const char *configuration = GetParam().configuration) {
        const QString path = folder.filePath(QStringLiteral("asound.conf"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(configuration).replace("HELD_SOUND_DEVICE", VR_HELD_SOUND_DEVICE));
        file.close();
        qputenv("ALSA_CONFIG_PATH", QFile::encodeName(path));
    }
    int *opens = HeldDeviceOpens();
    ASSERT_NE(opens, nullptr);
    const int opensBefore = *opens;
    QElapsedTimer timer;
    timer.start();
    PlayTone(1000, 300);
    const qint64 elapsed = timer.elapsed();
    qunsetenv("ALSA_CONFIG_PATH");
    EXPECT_EQ(*opens - opensBefore, GetParam().heldDeviceOpens);
    EXPECT_GE(elapsed, 300);
    // Returned without waiting for a held device to be let go.
    EXPECT_LT(elapsed, kSoundDeviceHeldMs);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, Tone,
    ::testing::Values(
        SoundDeviceCase{"ThisMachine", nullptr, 0},
        // Plays into nothing: the tone's samples all go out, and no faster than their length.
        SoundDeviceCase{"Discarding", "pcm.!default { type null }", 0},
        SoundDeviceCase{"Absent", "pcm.!default { type hw card 31 }", 0},
        SoundDeviceCase{"HeldByAnotherProgram",
                        "pcm_type.vrheld { lib \"HELD_SOUND_DEVICE\" }\n"
                        "pcm.!default { type vrheld }",
                        1}),
    [](const ::testing::TestParamInfo<SoundDeviceCase> &param) {
        return std::string(param.param.name);
    });

} // namespace
} // namespace vr

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // A port map folder of this process's own, so parallel tests never share links.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
