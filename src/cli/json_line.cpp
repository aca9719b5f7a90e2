#include "cli/json_line.h"

namespace vr::cli {

std::string JsonLine::Quoted(std::string_view bytes, bool utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"':
            out += "\\\"";
            continue;
        case '\\':
            out += "\\\\";
            continue;
        case '\n':
            out += "\\n";
            continue;
        case '\r':
            out += "\\r";
            continue;
        case '\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        if (byte < 0x20 || byte == 0x7F || (byte > 0x7F && !utf8)) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

JsonLine &JsonLine::field(std::string_view key, const std::string &json) {
    if (!body_.empty())
        body_ += ',';
    body_ += Quoted(key, true);
    body_ += ':';
    body_ += json;
    return *this;
}

JsonLine &JsonLine::boolean(std::string_view key, bool value) {
    return field(key, value ? "true" : "false");
}

JsonLine &JsonLine::number(std::string_view key, long long value) {
    return field(key, std::to_string(value));
}

JsonLine &JsonLine::null(std::string_view key) {
    return field(key, "null");
}

JsonLine &JsonLine::text(std::string_view key, const QString &value) {
    return field(key, Quoted(value.toUtf8().toStdString(), true));
}

JsonLine &JsonLine::bytes(std::string_view key, std::string_view value) {
    return field(key, Quoted(value, false));
}

JsonLine &JsonLine::textList(std::string_view key, const std::vector<std::string> &values) {
    std::string list = "[";
    for (const std::string &value : values) {
        if (list.size() > 1)
            list += ',';
        list += Quoted(value, true);
    }
    return field(key, list + "]");
}

JsonLine &JsonLine::byteList(std::string_view key, const std::vector<std::string> &values) {
    std::string list = "[";
    for (const std::string &value : values) {
        if (list.size() > 1)
            list += ',';
        list += Quoted(value, false);
    }
    return field(key, list + "]");
}

JsonLine &JsonLine::object(std::string_view key, const JsonLine &value) {
    return field(key, value.str());
}

} // namespace vr::cli
