#pragma once

#include "link/controller_link.h"
#include "operations/operator_view.h"
#include "operations/session.h"
#include "platform/platform.h"

namespace vr {

// Every operation that the window's buttons start. Each runs to its end on the calling
// (user-interface) thread and reports only through the view: status line, lamp and beep.
class ControllerOperations {
public:
    ControllerOperations(Platform &platform, ControllerLink &link, OperatorView &view,
                         Session &session);

    void scan();           // btnScanClick
    void setDateTime();    // btnSetDateClick
    void alarmTest();      // btnAlarmClick
    void addCard();        // btnSetCardClick
    void setBaudRate();    // btnBaudRateClick
    void setId();          // btnIDClick
    void setMode();        // btnModeClick
    void setCardType();    // btnCardTypeClick
    void factoryDefault(); // btnFactoryClick
    void testCommand();    // btnCommandClick
    void autoTest();       // btnProcessClick; a second press while it runs is the Cancel
    void didoTest();       // btnDIDOClick; likewise

private:
    Platform &platform_;
    ControllerLink &link_;
    OperatorView &view_;
    Session &session_;
};

} // namespace vr
