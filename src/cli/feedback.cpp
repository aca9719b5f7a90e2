#include "cli/feedback.h"

#include "cli/arguments.h"

namespace vr::cli {

void ProgressLine::show(const QString &text) {
    if (!enabled_)
        return;
    const QByteArray bytes = text.toLocal8Bit();
    const int width = static_cast<int>(text.size());
    std::string line = "\r" + bytes.toStdString();
    if (width < shown_)
        line.append(static_cast<std::size_t>(shown_ - width), ' ');
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    shown_ = width;
}

void ProgressLine::clear() {
    if (!enabled_ || shown_ == 0)
        return;
    std::string line = "\r";
    line.append(static_cast<std::size_t>(shown_), ' ');
    line += '\r';
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    shown_ = 0;
}

void CommandLineFeedback::status(const QString &text) {
    lastStatus_ = text;
    // While a looping test polls, the status line shows the trailing records.
    if (polling_ && records_ != nullptr) {
        progress_.clear();
        std::fprintf(records_, "%s\n", text.toLocal8Bit().constData());
        std::fflush(records_);
        showPoll();
    }
}

void CommandLineFeedback::probing(int port, int lineModeIndex, int probe, int probes) {
    progress_.show(QStringLiteral("COM%1  %2  probe %3 of %4")
                       .arg(port)
                       .arg(QString::fromStdString(LineModeName(lineModeIndex)))
                       .arg(probe)
                       .arg(probes));
}

void CommandLineFeedback::controller(ControllerField field, const QString &text) {
    if (field != ControllerField::Clock)
        return;
    clock_ = text;
    showPoll();
}

void CommandLineFeedback::inputLamp(int lamp, bool on) {
    if (lamp < 1 || lamp > 6)
        return;
    lamps_[static_cast<std::size_t>(lamp - 1)] = on ? '1' : '0';
    polling_ = true;
    showPoll();
}

void CommandLineFeedback::showPoll() {
    if (!polling_)
        return;
    QString inputs;
    const char *const names[] = {"1", "2", "3", "4", "7", "8"};
    for (std::size_t i = 0; i < lamps_.size(); ++i)
        inputs += QStringLiteral(" %1:%2").arg(QLatin1String(names[i])).arg(QChar(lamps_[i]));
    progress_.show(QStringLiteral("clock %1  inputs%2").arg(clock_, inputs));
}

} // namespace vr::cli
