#include "OutputFolder.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

#include "Resources.h"

namespace tarv {

wxString ClosingFolderKey() {
    return wxString("/Software/TarvMediaConverter/") + kAppTitle;
}

wxString StartFolderKey() {
    return wxString("/Software/") + kAppTitle;
}

wxString DefaultOutputFolder(const wxString& documentsFolder) {
    wxString folder = documentsFolder;
    if (!folder.EndsWith(wxFILE_SEP_PATH)) {
        folder += wxFILE_SEP_PATH;
    }
    return folder + kAppTitle + wxFILE_SEP_PATH;
}

std::optional<wxString> RememberedOutputFolder(const std::optional<wxString>& closingValue,
                                               const std::optional<wxString>& startValue) {
    if (closingValue && !closingValue->empty()) {
        return closingValue;
    }
    if (startValue && !startValue->empty()) {
        return startValue;
    }
    return std::nullopt;
}

std::optional<wxString> ReadOutputFolder(wxConfigBase& config, const wxString& key) {
    wxString value;
    if (!config.Read(key + "/" + kOutputFolderValue, &value)) {
        return std::nullopt;
    }
    return value;
}

StartFolder ChooseStartFolder(wxConfigBase& config, const wxString& documentsFolder) {
    const auto remembered = RememberedOutputFolder(ReadOutputFolder(config, ClosingFolderKey()),
                                                   ReadOutputFolder(config, StartFolderKey()));
    if (remembered) {
        return {*remembered, false};
    }
    return {DefaultOutputFolder(documentsFolder), true};
}

bool SaveOutputFolder(wxConfigBase& config, const wxString& folder) {
    // The settings library would show its own error box; the caller says it in our words.
    wxLogNull quiet;
    if (!config.Write(ClosingFolderKey() + "/" + kOutputFolderValue, folder)) {
        return false;
    }
    return config.Flush();
}

namespace {

// The settings file, whose folder is made again whenever it is saved: a first run has none
// yet, and someone may remove it while the program runs.
class SettingsFile : public wxFileConfig {
public:
    explicit SettingsFile(const wxString& filePath)
        : wxFileConfig(wxString(), wxString(), filePath, wxString(), wxCONFIG_USE_LOCAL_FILE),
          m_folder(wxFileName(filePath).GetPath()) {
        // Saved only when asked, where a failure can be told in the program's words; never
        // again on the way out with the library's own error box.
        DisableAutoSave();
    }

    bool Flush(bool currentOnly = false) override {
        wxLogNull quiet;
        wxFileName::Mkdir(m_folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        return wxFileConfig::Flush(currentOnly);
    }

private:
    wxString m_folder;
};

}  // namespace

std::unique_ptr<wxFileConfig> OpenSettings(const wxString& filePath) {
    wxLogNull quiet;
    return std::make_unique<SettingsFile>(filePath);
}

wxString SettingsFilePath() {
    wxString base;
    if (!wxGetEnv("XDG_CONFIG_HOME", &base) || !wxIsAbsolutePath(base)) {
        base = wxFileName::GetHomeDir() + "/.config";
    }
    return base + "/TarvMediaConverter/TarvMediaConverter.conf";
}

wxString NormalisedOutputFolder(const wxString& text, const wxString& homeFolder) {
    wxString folder = text;
    folder.Trim(true).Trim(false);
    if (folder.empty()) {
        return folder;
    }
    if (folder == "~") {
        folder = homeFolder;
    } else if (folder.StartsWith(wxString("~") + wxFILE_SEP_PATH)) {
        folder = homeFolder + folder.Mid(1);
    }
    if (!wxIsAbsolutePath(folder)) {
        folder = homeFolder + (homeFolder.EndsWith(wxFILE_SEP_PATH) ? "" : "/") + folder;
    }
    return folder;
}

}  // namespace tarv
