// Where the output folder comes from when the program starts and where it is kept when the
// window closes, in the per-user settings.
#pragma once

#include <wx/string.h>

#include <memory>
#include <optional>

class wxConfigBase;
class wxFileConfig;

namespace tarv {

// The settings group that closing writes, and the older one that earlier versions read.
wxString ClosingFolderKey();  // "Software/TarvMediaConverter/<title>"
wxString StartFolderKey();    // "Software/<title>"
inline constexpr char kOutputFolderValue[] = "OutputFolder";

// The folder under the user's documents folder that the program offers when nothing is
// remembered: documents, separator, title, separator.
wxString DefaultOutputFolder(const wxString& documentsFolder);

// The folder to start with: what closing wrote, else what the older key holds, else none.
// A key that is there with an empty value counts as no value.
std::optional<wxString> RememberedOutputFolder(const std::optional<wxString>& closingValue,
                                               const std::optional<wxString>& startValue);

// The folder value under a key of the settings; none when there is none.
std::optional<wxString> ReadOutputFolder(wxConfigBase& config, const wxString& key);

// The start-up folder as the settings and the documents folder give it.
struct StartFolder {
    wxString folder;
    bool isDefault = false;  // the documents default: the view makes sure it exists
};
StartFolder ChooseStartFolder(wxConfigBase& config, const wxString& documentsFolder);

// Writes the folder under the closing key and makes sure it reached the disk. False when the
// settings cannot be written; nothing is reported here.
bool SaveOutputFolder(wxConfigBase& config, const wxString& folder);

// The per-user settings file: TarvMediaConverter/TarvMediaConverter.conf in the XDG config
// folder ($XDG_CONFIG_HOME, else ~/.config).
wxString SettingsFilePath();
// The settings kept in that file. Only an explicit Flush saves them, and it makes the file's
// folder first when it is missing.
std::unique_ptr<wxFileConfig> OpenSettings(const wxString& filePath);

// The program's own settings: the settings file above on Linux (UserSettingsPosix.cpp); on
// Windows the current user's registry, each key path a key of its own under HKEY_CURRENT_USER
// and each value that key's default value (UserSettingsWin32.cpp).
std::unique_ptr<wxConfigBase> OpenUserSettings();

// The text of the output folder field made into a folder path: blanks around it dropped, a
// leading "~" taken as the home folder, a relative path taken from the home folder.
wxString NormalisedOutputFolder(const wxString& text, const wxString& homeFolder);

}  // namespace tarv
