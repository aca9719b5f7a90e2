// The Windows serial port through the Win32 comm calls. The line settings, error reasons and port
// names are checked everywhere; the tests marked "Peer" need simulated controllers on COM ports
// (under Wine: vr880tx-sim on a pseudo-terminal linked as $WINEPREFIX/dosdevices/comN) and run
// only when VR_TEST_SIM_PORTS names those ports, for example "3,10". Each simulator answers in
// line mode "19200,e,8,1" at address "001".
#include <windows.h>

#include <QByteArray>
#include <QList>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "link/controller_link.h"
#include "link/line_modes.h"
#include "platform/port_names.h"
#include "platform/qt_platform.h"
#include "platform/tone.h"
#include "platform/win32_serial_port.h"

namespace vr {
namespace {

// ---- Line settings ---------------------------------------------------------------------------

// A DCB as another program may leave it: every kind of flow control and byte filter on.
DCB EverythingOn() {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    dcb.BaudRate = 1200;
    dcb.ByteSize = 7;
    dcb.Parity = ODDPARITY;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fOutxDsrFlow = TRUE;
    dcb.fDsrSensitivity = TRUE;
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.fErrorChar = TRUE;
    dcb.fNull = TRUE;
    dcb.fAbortOnError = TRUE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

struct LineCase {
    const char *mode;
    DWORD baudRate;
    BYTE parity;
};

class Win32LineSettings : public ::testing::TestWithParam<LineCase> {};

TEST_P(Win32LineSettings, SetSpeedParityDataAndStopBitsWithNoFlowControl) {
    const std::optional<LineSettings> line = ParseLineMode(GetParam().mode);
    ASSERT_TRUE(line);
    DCB dcb = EverythingOn();
    ApplyLineSettings(dcb, *line);
    EXPECT_EQ(dcb.BaudRate, GetParam().baudRate);
    EXPECT_EQ(dcb.Parity, GetParam().parity);
    EXPECT_EQ(dcb.fParity, GetParam().parity == EVENPARITY ? 1u : 0u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutxDsrFlow, 0u);
    EXPECT_EQ(dcb.fDsrSensitivity, 0u);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);
    // Zero bytes are reply bytes, a byte with a parity error is still a byte, and a line error
    // (a scan trying a wrong speed) must not stop the reads that follow.
    EXPECT_EQ(dcb.fNull, 0u);
    EXPECT_EQ(dcb.fErrorChar, 0u);
    EXPECT_EQ(dcb.fAbortOnError, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    LineModes, Win32LineSettings,
    ::testing::Values(
        LineCase{"4800,n,8,1", 4800, NOPARITY}, LineCase{"4800,e,8,1", 4800, EVENPARITY},
        LineCase{"9600,n,8,1", 9600, NOPARITY}, LineCase{"9600,e,8,1", 9600, EVENPARITY},
        LineCase{"19200,n,8,1", 19200, NOPARITY}, LineCase{"19200,e,8,1", 19200, EVENPARITY},
        LineCase{"38400,n,8,1", 38400, NOPARITY}, LineCase{"38400,e,8,1", 38400, EVENPARITY},
        LineCase{"57600,n,8,1", 57600, NOPARITY}, LineCase{"57600,e,8,1", 57600, EVENPARITY},
        LineCase{"115200,n,8,1", 115200, NOPARITY}, LineCase{"115200,e,8,1", 115200, EVENPARITY}),
    [](const auto &row) {
        std::string name = row.param.mode;
        for (char &c : name)
            if (c == ',')
                c = '_';
        return name;
    });

// ---- Names and reasons -------------------------------------------------------------------------

TEST(Win32PortNames, ComNameAndDevicePrefixFromTen) {
    EXPECT_EQ(SerialDeviceName(0), "");
    EXPECT_EQ(SerialDeviceName(-1), "");
    EXPECT_EQ(SerialDeviceName(1), "COM1");
    EXPECT_EQ(SerialDeviceName(9), "COM9");
    EXPECT_EQ(SerialDeviceName(10), "\\\\.\\COM10");
    EXPECT_EQ(SerialDeviceName(16), "\\\\.\\COM16");
}

TEST(Win32PortProblems, CreateFileErrorsBecomeReasons) {
    EXPECT_EQ(PortProblemOf(ERROR_FILE_NOT_FOUND), PortProblem::Absent);
    EXPECT_EQ(PortProblemOf(ERROR_PATH_NOT_FOUND), PortProblem::Absent);
    EXPECT_EQ(PortProblemOf(ERROR_ACCESS_DENIED), PortProblem::Busy);
    EXPECT_EQ(PortProblemOf(ERROR_SHARING_VIOLATION), PortProblem::Busy);
    EXPECT_EQ(PortProblemOf(ERROR_GEN_FAILURE), PortProblem::Other);
    EXPECT_EQ(PortProblemOf(ERROR_INVALID_NAME), PortProblem::Other);

    const std::string text = SystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(SystemErrorText(0xDEADu), "Windows error 57005");
}

// The operations' pauses count on a tone taking its length, sound device or not.
TEST(Win32Tone, TakesItsLength) {
    for (const int frequencyHz : {1000, 300, 20}) {
        const auto start = std::chrono::steady_clock::now();
        PlayTone(frequencyHz, 150);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150))
            << frequencyHz << " Hz";
    }
}

class PortOpen : public ::testing::Test {
protected:
    std::unique_ptr<SerialPort> open(int port, std::string_view mode) {
        return platform.openSerial(port, ParseLineMode(mode), failure);
    }
    QtPlatform platform;
    PortOpenFailure failure;
};

// Ports 7 and 200 have nothing behind them on the test machine.
TEST_F(PortOpen, PortWithNothingBehindItIsAbsentWithTheSystemsWords) {
    EXPECT_EQ(open(7, "19200,e,8,1"), nullptr);
    EXPECT_EQ(failure.problem, PortProblem::Absent);
    EXPECT_EQ(failure.device, "COM7");
    EXPECT_FALSE(failure.detail.empty());

    EXPECT_EQ(open(200, "19200,e,8,1"), nullptr);
    EXPECT_EQ(failure.problem, PortProblem::Absent);
    EXPECT_EQ(failure.device, "\\\\.\\COM200");

    EXPECT_EQ(open(0, "19200,e,8,1"), nullptr);
    EXPECT_EQ(failure.problem, PortProblem::Absent);
    EXPECT_EQ(failure.device, "");
}

// ---- With simulated controllers ----------------------------------------------------------------

std::vector<int> SimulatorPorts() {
    std::vector<int> ports;
    const QByteArray list = qgetenv("VR_TEST_SIM_PORTS");
    for (const QByteArray &number : list.split(','))
        if (number.toInt() > 0)
            ports.push_back(number.toInt());
    return ports;
}

class Peer : public PortOpen {
protected:
    void SetUp() override {
        ports = SimulatorPorts();
        if (ports.empty())
            GTEST_SKIP() << "no simulated controller: VR_TEST_SIM_PORTS is not set";
    }
    std::vector<int> ports;
};

TEST_F(Peer, StatusProbeIsAnsweredOnEveryPortBelowAndFromTen) {
    for (int port : ports) {
        ControllerLink link(platform);
        ASSERT_TRUE(link.CommOpen(port, "19200,e,8,1"))
            << "COM" << port << ": " << link.LastOpenFailure().detail;
        EXPECT_TRUE(link.SendCommand("000AS")) << "COM" << port;
        EXPECT_EQ(link.ReplyLength(), 20);
        EXPECT_EQ(link.LastReply().substr(1, 3), "001");
        link.CommClose();
    }
}

// The simulator hears only its own speed: a port left at another speed gets no reply, so the
// line settings did reach the device.
TEST_F(Peer, WrongSpeedGetsNoReply) {
    ControllerLink link(platform);
    ASSERT_TRUE(link.CommOpen(ports.front(), "9600,e,8,1"));
    EXPECT_FALSE(link.SendCommand("000AS"));
    EXPECT_EQ(link.ReplyLength(), 0);
    link.CommClose();
    ASSERT_TRUE(link.CommOpen(ports.front(), "19200,e,8,1"));
    EXPECT_TRUE(link.SendCommand("000AS"));
}

TEST_F(Peer, OpenPortHasTheLinkTimeoutsAndLineSettings) {
    const auto port = Win32SerialPort::open(SerialDeviceName(ports.front()),
                                            ParseLineMode("57600,e,8,1"), failure);
    ASSERT_NE(port, nullptr);
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(::GetCommTimeouts(port->handle(), &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 1u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.WriteTotalTimeoutConstant, 0u);
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    ASSERT_TRUE(::GetCommState(port->handle(), &dcb));
    EXPECT_EQ(dcb.BaudRate, 57600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u);
    EXPECT_EQ(dcb.fOutX, 0u);
    EXPECT_EQ(dcb.fInX, 0u);
}

bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Not shared: a second opener, in this program or another, is refused while the port is open.
TEST_F(Peer, OpenPortIsBusyForASecondOpener) {
    if (UnderWine())
        GTEST_SKIP() << "Wine opens a serial device a second time; Windows' driver refuses it";
    auto held = open(ports.front(), "19200,e,8,1");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(open(ports.front(), "19200,e,8,1"), nullptr);
    EXPECT_EQ(failure.problem, PortProblem::Busy);
    EXPECT_EQ(failure.device, SerialDeviceName(ports.front()));
    held.reset();
    EXPECT_NE(open(ports.front(), "19200,e,8,1"), nullptr);
}

// A read on a quiet line comes back empty after its time-out instead of waiting for a byte.
TEST_F(Peer, QuietReadReturnsEmpty) {
    auto port = open(ports.front(), "19200,e,8,1");
    ASSERT_NE(port, nullptr);
    std::uint8_t byte = 0;
    for (int read = 0; read < 20; ++read)
        EXPECT_FALSE(port->readByte(byte));
}

// Run after the window's Set Date Time (VR_TEST_SIM_CLOCK_SET=1): the controller's clock is now
// the PC's, give or take the minute the check may take.
TEST_F(Peer, ControllerClockWasSetFromThePc) {
    if (qgetenv("VR_TEST_SIM_CLOCK_SET") != "1")
        GTEST_SKIP() << "only after Set Date Time (VR_TEST_SIM_CLOCK_SET=1)";
    ControllerLink link(platform);
    ASSERT_TRUE(link.CommOpen(ports.front(), "19200,e,8,1"));
    ASSERT_TRUE(link.SendCommand("001AB"));
    const std::string reply = link.LastReply();
    ASSERT_GE(reply.size(), 20u);
    std::tm shown{};
    shown.tm_year = std::stoi(reply.substr(6, 4)) - 1900;
    shown.tm_mon = std::stoi(reply.substr(10, 2)) - 1;
    shown.tm_mday = std::stoi(reply.substr(12, 2));
    shown.tm_hour = std::stoi(reply.substr(14, 2));
    shown.tm_min = std::stoi(reply.substr(16, 2));
    shown.tm_sec = std::stoi(reply.substr(18, 2));
    shown.tm_isdst = -1;
    const double apart = std::difftime(std::mktime(&shown), std::time(nullptr));
    EXPECT_LT(std::abs(apart), 60.0) << reply;
}

} // namespace
} // namespace vr
