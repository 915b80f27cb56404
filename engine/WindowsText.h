// Text at the edge of the Windows API: the program keeps UTF-8 everywhere inside and speaks
// UTF-16 only where it calls the system. Used by the Windows implementations of the seams.
#pragma once

#include <string>
#include <string_view>

namespace tarv {

// Invalid UTF-8 becomes U+FFFD rather than being dropped, so a name never silently changes
// into another existing name.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// The system's own words for an error code (GetLastError), without the trailing line break.
std::string SystemErrorText(unsigned long code);

}  // namespace tarv
