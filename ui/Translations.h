// The window's texts in the desktop's language: our catalogue and wxWidgets' own, read from the
// program folder or the installed package, chosen as the headless command chooses.
#pragma once

#include <wx/string.h>

#include <string>

#include "MessageLanguage.h"

namespace tarv {

// Installs the translations of the first language in `environment` that a catalogue of ours
// exists for, before any window is made; returns the language chosen, "" for English (then
// every text stays as written).
wxString UseDesktopLanguage(
    const std::string& programFolder,
    const LanguageEnvironment& environment = LanguageEnvironment::Current());

// A text the engine made, in the window's language where the catalogue has it.
wxString TranslatedText(std::string_view english);

}  // namespace tarv
