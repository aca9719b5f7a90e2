#include "ui/typing_limit.h"

namespace vr::ui {

TypingLimit::TypingLimit(QLineEdit *edit, int maxChars)
    : QValidator(edit), maxChars_(maxChars), currentLength_(edit->text().size()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { currentLength_ = text.size(); });
    edit->setValidator(this);
}

QValidator::State TypingLimit::validate(QString &input, int &) const {
    return input.size() <= maxChars_ || input.size() < currentLength_ ? Acceptable : Invalid;
}

} // namespace vr::ui
