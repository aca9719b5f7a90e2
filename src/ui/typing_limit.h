#pragma once

#include <QLineEdit>
#include <QValidator>

namespace vr::ui {

// Limits what the operator can type into an edit box to `maxChars` characters without cutting
// text that the program puts there: a longer text set by the program is shown whole and can be
// shortened, but no keystroke or paste makes a text longer than the limit any longer.
// (QLineEdit::setMaxLength would also cut the program's own text.)
class TypingLimit : public QValidator {
    Q_OBJECT
public:
    TypingLimit(QLineEdit *edit, int maxChars);

    State validate(QString &input, int &position) const override;
    int maxChars() const { return maxChars_; }

private:
    int maxChars_;
    qsizetype currentLength_;
};

} // namespace vr::ui
