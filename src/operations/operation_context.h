#pragma once

#include <atomic>

#include <QString>

#include "i18n/message_catalogue.h"
#include "link/controller_link.h"
#include "operations/operation_feedback.h"
#include "operations/session.h"
#include "platform/platform.h"
#include "settings/settings_store.h"

namespace vr {

// What every operation works with: the OS, the serial link, the run's state, the store the scan
// saves to (none: nothing is saved), the front end's feedback, and an interruption flag that a
// front end may set at any moment (the command line's signal handler).
struct OperationContext {
    Platform &platform;
    ControllerLink &link;
    Session &session;
    const SettingsStore *store;
    OperationFeedback &feedback;
    const std::atomic<bool> *interruption = nullptr;

    // Message `text` of the catalogue in the language current at this moment.
    QString message(Msg text) const { return MessageText(text, session.settings.LanguageNo); }

    // True once the front end asked the operation to stop after the exchange in flight.
    bool interrupted() const { return interruption != nullptr && interruption->load(); }
};

// The outcome signals shared by every operation.
inline constexpr int kHighBeepHz = 1000; // success
inline constexpr int kLowBeepHz = 300;   // failure, and no controller found yet
inline constexpr int kBeepMs = 300;

} // namespace vr
