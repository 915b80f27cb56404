// A failed file's reason in the window's language. The reason is the sentence the engine makes
// from a tool's last line; the sentences the tools and the worker are known to end a file with
// are translated whole, with the parts that vary (a path, a number, the system's words) kept as
// they are. Anything else stays as the tool said it.
#pragma once

#include <wx/string.h>

#include <span>
#include <string>
#include <vector>

namespace tarv {

// Every known sentence, as English patterns in which "%s" stands for a varying part.
std::span<const char* const> FailurePatterns();

// The parts of `sentence` that the pattern's "%s" stand for, in order; false when the sentence
// does not have the pattern's form.
bool MatchPattern(const wxString& pattern, const wxString& sentence, std::vector<wxString>* parts);

// `format` with its "%s" (in order) and "%1$s", "%2$s"... (by number) replaced by the parts;
// "%%" gives "%".
wxString FillPattern(const wxString& format, const std::vector<wxString>& parts);

// The sentence in the window's language where it is a known one; else unchanged.
wxString TranslatedFailure(const std::string& sentence);

}  // namespace tarv
