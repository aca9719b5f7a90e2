#include <gtest/gtest.h>

#include <memory>

#include <QFileInfo>

#include "link/controller_link.h"
#include "link/frame_codec.h"
#include "link/line_modes.h"
#include "platform/port_names.h"
#include "platform/qt_platform.h"
#include "sim/simulator_process.h"

namespace vr {
namespace {

constexpr int kCom = 4;

std::unique_ptr<sim::SimulatorProcess> startSimulator(const QStringList &extra = {}) {
    auto simulator = std::make_unique<sim::SimulatorProcess>(
        VR_SIM_PROGRAM, QStringList{"--com", QString::number(kCom)} + extra);
    EXPECT_TRUE(simulator->start()) << simulator->error().toStdString();
    EXPECT_EQ(simulator->readyLine(), QString("COM%1 -> %2").arg(kCom).arg(simulator->slavePath()));
    return simulator;
}

// The simulator in its default line mode "19200,e,8,1"; the program opens the port in each of
// the twelve modes. A pty shows the speed but not the parity, so both 19200 modes are answered.
class ProbeOverPtyTest : public ::testing::TestWithParam<int> {};

TEST_P(ProbeOverPtyTest, IsAnsweredOnlyAtTheSimulatorsSpeed) {
    const auto simulator = startSimulator();
    QtPlatform platform;
    ControllerLink link(platform);
    const std::string mode(kLineModes[static_cast<std::size_t>(GetParam())]);
    ASSERT_TRUE(link.CommOpen(kCom, mode));
    const bool answered = link.SendCommand("000AS");
    link.CommClose();
    if (ParseLineMode(mode)->baudRate == 19200) {
        EXPECT_TRUE(answered);
        EXPECT_EQ(link.ReplyLength(), 20);
        EXPECT_EQ(link.LastReply(), ReplyFrame("001OK12345678"));
    } else {
        EXPECT_FALSE(answered);
        EXPECT_EQ(link.ReplyLength(), 0);
        EXPECT_EQ(link.LastReply(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(LineModes, ProbeOverPtyTest, ::testing::Range(0, 12),
                         [](const ::testing::TestParamInfo<int> &param) {
                             std::string name(kLineModes[static_cast<std::size_t>(param.param)]);
                             std::erase(name, ',');
                             return "Mode" + name;
                         });

TEST(LinkOverPty, FollowsTheControllerThroughABaudRateChange) {
    const auto simulator = startSimulator({"--mode", "2", "--address", "007"});
    QtPlatform platform;
    ControllerLink link(platform);
    ASSERT_TRUE(link.CommOpen(kCom, "9600,n,8,1"));
    ASSERT_TRUE(link.SendCommand("007AEA")); // to "115200,n,8,1", after this reply
    EXPECT_FALSE(link.SendCommand("007AS"));
    link.CommClose();
    ASSERT_TRUE(link.CommOpen(kCom, "115200,n,8,1"));
    EXPECT_TRUE(link.SendCommand("007AS"));
    EXPECT_EQ(link.LastReply(), ReplyFrame("007OK12345678"));
    link.CommClose();
}

// The pseudo-terminal's number goes back to the system with the line, and the next terminal
// opened on the machine may get it: the port link must no longer lead there.
TEST(LinkOverPty, AHungUpLineEndsTheExchangeAndThePortIsGone) {
    const auto simulator = startSimulator({"--fault", "hangup=1"});
    QtPlatform platform;
    ControllerLink link(platform);
    ASSERT_TRUE(link.CommOpen(kCom, "19200,e,8,1"));
    ASSERT_TRUE(link.SendCommand("001AS"));
    EXPECT_FALSE(link.SendCommand("001AS")); // the line hangs up as this request arrives
    link.CommClose();
    EXPECT_EQ(SerialDeviceName(kCom), "");
    EXPECT_FALSE(link.CommOpen(kCom, "19200,e,8,1"));
    const QString portLink = QString::fromStdString(PortMapEntry(kCom));
    EXPECT_TRUE(QFileInfo(portLink).isSymLink());
    EXPECT_NE(QFileInfo(portLink).symLinkTarget(), simulator->slavePath());
    simulator->stop();
    EXPECT_FALSE(QFileInfo(portLink).isSymLink());
}

} // namespace
} // namespace vr
