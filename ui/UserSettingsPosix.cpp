#include <wx/fileconf.h>

#include "OutputFolder.h"

namespace tarv {

std::unique_ptr<wxConfigBase> OpenUserSettings() {
    return OpenSettings(SettingsFilePath());
}

}  // namespace tarv
