#include "operations/operation_frame.h"

namespace vr {

namespace {

enum class Outcome { NotFound, Failure, Success };

} // namespace

void ShowOutcome(OperationContext &context, bool success, const QString &text) {
    context.view.setLamp(success ? LampColour::Yellow : LampColour::Red);
    context.view.setStatusText(text);
    context.platform.beep(success ? kHighBeepHz : kLowBeepHz, kBeepMs);
}

void OperationFrame(OperationContext &context, const FrameParameters &parameters) {
    OperatorView &view = context.view;
    view.setBusyCursor(true);
    view.lockWindow(true);
    switch (parameters.afterLock) {
    case AfterLock::HandlePending:
        context.platform.pumpEvents();
        break;
    case AfterLock::EmptyReplyField:
        view.setReplyText(QByteArray());
        break;
    case AfterLock::Nothing:
        break;
    }

    Outcome outcome = Outcome::NotFound;
    if (context.session.ControllerFound) {
        QString title = context.message(parameters.title);
        if (parameters.titleValue)
            title += " = " + parameters.titleValue();
        view.setStatusText(title);

        const ScanSettings &settings = context.session.settings;
        if (parameters.ready && !parameters.ready()) {
            outcome = Outcome::Failure;
        } else if (!context.link.CommOpen(settings.ScanCommNo,
                                          settings.ScanBaudRate.toStdString())) {
            // Also where a looping test holds the port: the link refuses a second open and
            // leaves the test's port as it is, so it must not be closed here either.
            outcome = Outcome::Failure;
        } else {
            const bool succeeded = parameters.body && parameters.body();
            context.link.CommClose();
            outcome = succeeded ? Outcome::Success : Outcome::Failure;
        }
    }

    switch (outcome) {
    case Outcome::Success:
        ShowOutcome(context, true, context.message(parameters.okMessage));
        break;
    case Outcome::Failure:
        ShowOutcome(context, false, context.message(parameters.errorMessage));
        break;
    case Outcome::NotFound:
        ShowOutcome(context, false, context.message(Msg::StartScan));
        break;
    }

    view.lockWindow(false);
    view.setBusyCursor(false);
}

} // namespace vr
