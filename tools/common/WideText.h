// UTF-8 inside the tools, UTF-16 where they call Windows.
#pragma once

#include <string>
#include <string_view>

namespace tarv::tools {

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// The system's words for an error code (GetLastError), without the trailing line break.
std::string SystemReason(unsigned long code);

}  // namespace tarv::tools
