#pragma once

#include <QByteArray>
#include <QString>

namespace vr::ui {

// The reply bytes as the reply field shows them: printable ASCII as it is, every control byte
// (0x00 to 0x1F and DEL) as its ASCII name in angle brackets ("<ETX>", "<EOT>", "<CR>"), bytes
// from 0x80 up as their Latin-1 characters. Names rather than the Unicode control pictures,
// because few fonts carry those and they would show as boxes.
QString VisibleReplyText(const QByteArray &reply);

} // namespace vr::ui
