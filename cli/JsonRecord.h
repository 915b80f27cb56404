// One line of the headless command's machine-readable progress: a flat JSON object, built
// field by field in the order given.
#pragma once

#include <string>
#include <string_view>

namespace tarv {

class JsonRecord {
public:
    JsonRecord& Text(std::string_view key, std::string_view value);
    JsonRecord& Integer(std::string_view key, long long value);
    // A length or size: one below zero (unknown) or not finite is written as null.
    JsonRecord& Number(std::string_view key, double value);
    JsonRecord& Null(std::string_view key);

    // The object on one line, without a line end.
    std::string Line() const { return "{" + m_fields + "}"; }

private:
    JsonRecord& Field(std::string_view key, std::string_view json);
    std::string m_fields;
};

// The text as a JSON string: quoted, with control characters escaped. File names are bytes,
// JSON text is Unicode: a byte that is not part of valid UTF-8 becomes U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace tarv
