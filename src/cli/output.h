#pragma once

#include <cstdio>
#include <string>

#include <QString>

namespace vr::cli {

// One line of text on `stream`; a QString in the local 8-bit encoding (UTF-8 on Linux).
inline void PrintLine(std::FILE *stream, const std::string &text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
}

inline void PrintLine(std::FILE *stream, const QString &text) {
    PrintLine(stream, text.toLocal8Bit().toStdString());
}

} // namespace vr::cli
