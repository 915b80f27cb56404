// The program's entry into the window system: one copy per user, the settings, the main
// window centred with its fixed caption.
#pragma once

#include <wx/app.h>

#include <memory>
#include <string>
#include <vector>

#include "TarvMediaConverterDoc.h"

class wxConfigBase;

namespace tarv {

class CMainFrame;
class SingleInstance;

class CTarvMediaConverterApp : public wxApp {
public:
    CTarvMediaConverterApp();
    ~CTarvMediaConverterApp() override;

    // The files named on the command line, as the bytes the program was given.
    static void SetFileArguments(std::vector<std::string> arguments);

    bool OnInit() override;
    // A second copy has done its part in OnInit and ends here, successfully.
    int OnRun() override;
    int OnExit() override;

private:
    // Brings the window to the front and adds the files a later start was given.
    void ShowMainWindow(const std::vector<wxString>& files);

    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<wxConfigBase> m_settings;
    CTarvMediaConverterDoc m_document;
    CMainFrame* m_frame = nullptr;
    bool m_handedOver = false;  // another copy runs and was asked to show itself
};

}  // namespace tarv
