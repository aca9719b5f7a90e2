#pragma once

#include <QString>

#include "i18n/message_catalogue.h"
#include "link/controller_link.h"
#include "operations/operator_view.h"
#include "operations/session.h"
#include "platform/platform.h"

namespace vr {

// What every operation works with: the OS, the serial link, the window and the run's state.
struct OperationContext {
    Platform &platform;
    ControllerLink &link;
    OperatorView &view;
    Session &session;

    // Message n of the catalogue in the language current at this moment.
    QString message(Msg text) const { return MessageText(text, session.settings.LanguageNo); }
};

// The outcome signals shared by every operation.
inline constexpr int kHighBeepHz = 1000; // success
inline constexpr int kLowBeepHz = 300;   // failure, and no controller found yet
inline constexpr int kBeepMs = 300;

} // namespace vr
