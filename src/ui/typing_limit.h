#pragma once

#include <QLineEdit>
#include <QValidator>

namespace vr::ui {

// Limits what the operator can type into an edit box to `maxChars` characters without cutting
// text that the program puts there with SetProgramText: a longer text is shown whole and can be
// shortened, but no keystroke or paste makes a text longer than the limit any longer.
// (QLineEdit::setMaxLength would also cut the program's own text.)
class TypingLimit : public QValidator {
    Q_OBJECT
public:
    TypingLimit(QLineEdit *edit, int maxChars);

    State validate(QString &input, int &position) const override;

private:
    friend void SetProgramText(QLineEdit *edit, const QString &text);

    int maxChars_;
    qsizetype currentLength_; // the box's text length; what is not longer passes
};

// Sets the text of an edit box as the program's own, beyond its typing limit if need be.
void SetProgramText(QLineEdit *edit, const QString &text);

} // namespace vr::ui
