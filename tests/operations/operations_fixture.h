#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/controller_link.h"
#include "operations/controller_operations.h"
#include "operations/session.h"
#include "recording_view.h"
#include "support/simulated_device.h"
#include "support/virtual_platform.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

namespace vr::test {

// Everything an operation runs against, in virtual time: the recording window, the platform
// that records into the same event list, the link, and a simulated controller (address 001,
// serial 12345678, line mode 5) that tests attach to a port. The session starts as after a
// scan that found that controller on COM3.
class OperationsTest : public ::testing::Test {
protected:
    OperationsTest() {
        view.beeper = &platform;
        session.ControllerFound = true;
        session.ControllerID = "001";
        session.ControllerSerial = "12345678";
        session.settings.ScanCommNo = 3;
        session.settings.ScanBaudRate = "19200,e,8,1";
        session.settings.ScanBaudRateNo = 5;
        virtualPlatform.setLocalTime(LocalTime{2005, 3, 12, 14, 30, 5});
    }

    // The bodies of the request frames written, in order.
    std::vector<std::string> sent() const {
        std::vector<std::string> bodies;
        for (const auto &event : view.eventsStartingWith("send "))
            bodies.push_back(event.substr(5));
        return bodies;
    }
    // The events from the first one starting with `prefix` on.
    std::vector<std::string> eventsFrom(const std::string &prefix) const {
        for (std::size_t i = 0; i < view.events.size(); ++i)
            if (view.events[i].rfind(prefix, 0) == 0)
                return {view.events.begin() + static_cast<std::ptrdiff_t>(i), view.events.end()};
        return {};
    }

    VirtualPlatform virtualPlatform;
    Session session;
    RecordingView view{&session};
    RecordingPlatform platform{virtualPlatform, view};
    RecordingStore store{view};
    ControllerLink link{platform};
    ControllerOperations controllerOperations{platform, link, session, view, &store};
    ViewOperations operations{controllerOperations, view};
    SimulatedDevice controller;
};

} // namespace vr::test
