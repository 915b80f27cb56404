#include "JsonRecord.h"

#include <cmath>
#include <cstdio>

namespace tarv {

namespace {

// The length of the valid UTF-8 sequence at the start of the text; 0 when there is none.
size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0 || text.size() < length) {
        return 0;
    }
    unsigned code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past Unicode are no valid UTF-8.
    const unsigned minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (code < minimum || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        return 0;
    }
    return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    while (!text.empty()) {
        const size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            json += "\\ufffd";
            text.remove_prefix(1);
            continue;
        }
        const char c = text[0];
        if (length > 1) {
            json.append(text.substr(0, length));
        } else if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            json += escaped;
        } else {
            json += c;
        }
        text.remove_prefix(length);
    }
    return json + "\"";
}

JsonRecord& JsonRecord::Field(std::string_view key, std::string_view json) {
    if (!m_fields.empty()) {
        m_fields += ',';
    }
    m_fields += JsonString(key);
    m_fields += ':';
    m_fields += json;
    return *this;
}

JsonRecord& JsonRecord::Text(std::string_view key, std::string_view value) {
    return Field(key, JsonString(value));
}

JsonRecord& JsonRecord::Integer(std::string_view key, long long value) {
    return Field(key, std::to_string(value));
}

JsonRecord& JsonRecord::Number(std::string_view key, double value) {
    if (!std::isfinite(value) || value < 0) {
        return Null(key);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return Field(key, text);
}

JsonRecord& JsonRecord::Null(std::string_view key) {
    return Field(key, "null");
}

}  // namespace tarv
