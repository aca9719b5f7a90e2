#include "operations/operation_frame.h"

namespace vr {

void ShowOutcome(OperationContext &context, bool success, const QString &text) {
    context.feedback.lamp(success ? LampColour::Yellow : LampColour::Red);
    context.feedback.status(text);
    context.feedback.beep(success ? kHighBeepHz : kLowBeepHz, kBeepMs);
}

Outcome OperationFrame(OperationContext &context, const FrameParameters &parameters) {
    OperationFeedback &feedback = context.feedback;
    const ScanSettings &settings = context.session.settings;
    Outcome outcome;
    outcome.port = settings.ScanCommNo;
    outcome.lineMode = settings.ScanBaudRate.toStdString();

    feedback.busyCursor(true);
    feedback.lockInput(true);
    switch (parameters.afterLock) {
    case AfterLock::HandlePending:
        context.platform.pumpEvents();
        break;
    case AfterLock::EmptyReplyField:
        feedback.reply(QByteArray());
        break;
    case AfterLock::Nothing:
        break;
    }

    if (!context.session.ControllerFound) {
        outcome.kind = OutcomeKind::NotFound;
    } else {
        QString title = context.message(parameters.title);
        if (parameters.hasTitleValue)
            title += " = " + parameters.titleValue;
        feedback.status(title);

        if (!parameters.inputAccepted) {
            outcome.kind = OutcomeKind::InputRefused;
        } else if (!context.link.CommOpen(settings.ScanCommNo,
                                          settings.ScanBaudRate.toStdString())) {
            // Also where a looping test holds the port: the link refuses a second open and
            // leaves the test's port as it is, so it must not be closed here either.
            outcome.kind = OutcomeKind::PortNotOpened;
            outcome.portFailure = context.link.LastOpenFailure();
        } else {
            outcome.kind = parameters.body ? parameters.body() : OutcomeKind::ExchangeFailed;
            context.link.CommClose();
        }
    }

    switch (outcome.kind) {
    case OutcomeKind::Ok:
        ShowOutcome(context, true, context.message(parameters.okMessage));
        break;
    case OutcomeKind::NotFound:
        ShowOutcome(context, false, context.message(Msg::StartScan));
        break;
    default:
        ShowOutcome(context, false, context.message(parameters.errorMessage));
        break;
    }

    feedback.lockInput(false);
    feedback.busyCursor(false);
    return outcome;
}

} // namespace vr
