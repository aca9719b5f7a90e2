#include "ui/typing_limit.h"

namespace vr::ui {

TypingLimit::TypingLimit(QLineEdit *edit, int maxChars)
    : QValidator(edit), maxChars_(maxChars), currentLength_(edit->text().size()) {
    connect(edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { currentLength_ = text.size(); });
    edit->setValidator(this);
}

QValidator::State TypingLimit::validate(QString &input, int &) const {
    return input.size() <= maxChars_ || input.size() <= currentLength_ ? Acceptable : Invalid;
}

void SetProgramText(QLineEdit *edit, const QString &text) {
    // The box judges a text against the validator before it reports the change; the new
    // length must pass already then, or the box would treat its own text as invalid and stop
    // undoing the keystrokes that go past the limit.
    if (auto *limit = qobject_cast<TypingLimit *>(const_cast<QValidator *>(edit->validator())))
        limit->currentLength_ = std::max(limit->currentLength_, text.size());
    edit->setText(text);
}

} // namespace vr::ui
