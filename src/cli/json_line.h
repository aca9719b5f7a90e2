#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <QString>

namespace vr::cli {

// One JSON object, written on one line: fields in the order they are added.
class JsonLine {
public:
    JsonLine &boolean(std::string_view key, bool value);
    JsonLine &number(std::string_view key, long long value);
    JsonLine &null(std::string_view key);
    // Text of the program (messages in any language): written as UTF-8.
    JsonLine &text(std::string_view key, const QString &value);
    JsonLine &text(std::string_view key, std::string_view value) {
        return text(key, QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
    }
    JsonLine &text(std::string_view key, const char *value) {
        return text(key, std::string_view(value));
    }
    JsonLine &text(std::string_view key, const std::string &value) {
        return text(key, std::string_view(value));
    }
    // Bytes from the wire, one character each: control bytes and bytes above 0x7E escaped as
    // \u00XX, so that the string holds every byte exactly and stays valid JSON.
    JsonLine &bytes(std::string_view key, std::string_view value);
    JsonLine &bytesOrNull(std::string_view key, std::string_view value) {
        return value.empty() ? null(key) : bytes(key, value);
    }
    // An array of texts, as text() writes each.
    JsonLine &textList(std::string_view key, const std::vector<std::string> &values);
    // An array of byte strings, as bytes() writes each.
    JsonLine &byteList(std::string_view key, const std::vector<std::string> &values);
    // A nested object, written whole.
    JsonLine &object(std::string_view key, const JsonLine &value);

    // "{...}" without a line end.
    std::string str() const { return "{" + body_ + "}"; }

    static std::string Quoted(std::string_view bytes, bool utf8);

private:
    JsonLine &field(std::string_view key, const std::string &json);

    std::string body_;
};

} // namespace vr::cli
