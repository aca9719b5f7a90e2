#include "support/simulated_device.h"

#include <gtest/gtest.h>

#include "link/controller_link.h"
#include "link/frame_codec.h"
#include "support/virtual_platform.h"

namespace vr::test {
namespace {

constexpr int kPort = 3;

// The controller on a virtual port, driven through the real link in virtual time.
class SimulatedDeviceTest : public ::testing::Test {
protected:
    SimulatedDeviceTest() { platform.attach(kPort, device); }

    bool probeIn(std::string_view mode, std::string_view body = "000AS") {
        if (!link.CommOpen(kPort, std::string(mode)))
            return false;
        const bool ok = link.SendCommand(body);
        link.CommClose();
        return ok;
    }

    VirtualPlatform platform{1'000'000};
    SimulatedDevice device;
    ControllerLink link{platform};
};

TEST_F(SimulatedDeviceTest, AnswersInExactlyItsOwnLineMode) {
    for (std::size_t i = 0; i < kLineModes.size(); ++i) {
        const bool answered = probeIn(kLineModes[i]);
        EXPECT_EQ(answered, i == kDefaultLineModeIndex) << kLineModes[i];
        if (answered) {
            EXPECT_EQ(link.ReplyLength(), 20);
            EXPECT_EQ(link.LastReply(), ReplyFrame("001OK12345678"));
        }
    }
    EXPECT_EQ(device.opens(), 12);
    EXPECT_EQ(device.model().heard().size(), 1u);
}

TEST_F(SimulatedDeviceTest, ProbeExchangeLastsThePausesTheTurnaroundAndTheWireTime) {
    ASSERT_TRUE(link.CommOpen(kPort, "19200,e,8,1"));
    const std::uint64_t start = platform.nowMicros();
    ASSERT_TRUE(link.SendCommand("000AS"));
    // The CR goes out after 11 ms of write pauses (its own 1 ms pause overlaps the 2 ms
    // turnaround), then 20 bytes of 11 bits at 19200 (11.46 ms); the last one is read within the
    // 1 ms read during which it is due.
    const std::uint64_t took = platform.nowMicros() - start;
    EXPECT_GE(took, 11'000u + 2'000u + 11'459u);
    EXPECT_LE(took, 11'000u + 2'000u + 11'459u + 1'000u);
    link.CommClose();
}

TEST_F(SimulatedDeviceTest, AfterSetBaudRateOnlyTheNewModeIsAnswered) {
    ASSERT_TRUE(link.CommOpen(kPort, "19200,e,8,1"));
    ASSERT_TRUE(link.SendCommand("001AE7")); // the reply still comes in the old mode
    EXPECT_FALSE(link.SendCommand("001AS"));
    link.CommClose();
    EXPECT_FALSE(probeIn("19200,e,8,1"));
    EXPECT_TRUE(probeIn("38400,e,8,1"));
}

TEST_F(SimulatedDeviceTest, BytesOnTheirWayAreLostWhenThePortCloses) {
    device.model().addFault(*sim::Fault::parse("late=400"));
    ASSERT_TRUE(link.CommOpen(kPort, "19200,e,8,1"));
    EXPECT_FALSE(link.SendCommand("001AV")); // times out; the reply is still to come
    link.CommClose();
    device.model().clearFaults();
    platform.advanceMicros(200'000); // the late reply would be due now
    ASSERT_TRUE(link.CommOpen(kPort, "19200,e,8,1"));
    ASSERT_TRUE(link.SendCommand("001AS"));
    EXPECT_EQ(link.LastReply(), ReplyFrame("001OK12345678")); // not the stale version reply
    link.CommClose();
}

TEST_F(SimulatedDeviceTest, AHungUpLineFailsTheExchangeAndThePortIsGone) {
    device.model().addFault(*sim::Fault::parse("hangup"));
    ASSERT_TRUE(link.CommOpen(kPort, "19200,e,8,1"));
    EXPECT_FALSE(link.SendCommand("001AS"));
    EXPECT_TRUE(device.hungUp());
    link.CommClose();
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(link.CommOpen(kPort, "19200,e,8,1"));
}

TEST_F(SimulatedDeviceTest, RefusesASecondOpenerWhileHeld) {
    ASSERT_TRUE(device.open("19200,e,8,1"));
    EXPECT_FALSE(device.open("19200,e,8,1"));
    device.close();
    device.refuseOpen = true;
    EXPECT_FALSE(device.open("19200,e,8,1"));
}

} // namespace
} // namespace vr::test
