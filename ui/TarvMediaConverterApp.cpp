#include "TarvMediaConverterApp.h"

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <iostream>

#include "ConversionList.h"
#include "MainFrame.h"
#include "OutputFolder.h"
#include "Resources.h"
#include "SingleInstance.h"
#include "TarvMediaConverterView.h"
#include "TerminationWatch.h"
#include "ToolSet.h"
#include "Translations.h"

namespace tarv {

namespace {

std::vector<std::string>& FileArguments() {
    static std::vector<std::string> arguments;
    return arguments;
}

}  // namespace

void CTarvMediaConverterApp::SetFileArguments(std::vector<std::string> arguments) {
    FileArguments() = std::move(arguments);
}

CTarvMediaConverterApp::CTarvMediaConverterApp() = default;
CTarvMediaConverterApp::~CTarvMediaConverterApp() = default;

bool CTarvMediaConverterApp::OnInit() {
    SetAppName("TarvMediaConverter");
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    // Before any window: every text is read in the desktop's language when it is made.
    UseDesktopLanguage(ProgramFolder());
    SetAppDisplayName(wxGetTranslation(kAppTitle));

    // Files named on the command line (what the desktop's "Open With" does) join the list.
    std::vector<wxString> files;
    for (const std::string& argument : FileArguments()) {
        wxFileName file(PathFromBytes(argument));
        file.MakeAbsolute();
        files.push_back(file.GetFullPath());
    }

    m_instance = std::make_unique<SingleInstance>(InstanceFolder());
    if (m_instance->AnotherIsRunning()) {
        // The running copy comes to the front and takes the files; this one leaves without a
        // window.
        m_instance->AskRunningCopyToShow(files);
        m_handedOver = true;
        return true;
    }

    m_settings = OpenUserSettings();
    if (!m_document.OnNewDocument()) {
        return false;
    }
    ProgramContext context;
    context.programFolder = ProgramFolder();
    context.settings = m_settings.get();
    m_frame = new CMainFrame(context);
    if (!m_frame->IsOk()) {
        std::cerr << "TarvMediaConverter: the toolbar's pictures are missing from this build\n";
        m_frame->Destroy();
        return false;
    }
    m_frame->Centre();
    m_frame->Show();
    m_frame->Update();
    m_frame->SetTitle(wxGetTranslation(kAppTitle));
    SetTopWindow(m_frame);

    if (!files.empty()) {
        m_frame->GetView()->AddFiles(files);
    }
    m_instance->Listen([this](const std::vector<wxString>& later) {
        CallAfter([this, later] { ShowMainWindow(later); });
    });
    WatchTerminationSignals();
    return true;
}

int CTarvMediaConverterApp::OnRun() {
    if (m_handedOver) {
        return 0;
    }
    return wxApp::OnRun();
}

void CTarvMediaConverterApp::ShowMainWindow(const std::vector<wxString>& files) {
    auto* frame = dynamic_cast<CMainFrame*>(GetTopWindow());
    if (!frame) {
        return;
    }
    if (!files.empty() && frame->GetView()) {
        frame->GetView()->AddFiles(files);
    }
    frame->Show();
    if (frame->IsIconized()) {
        frame->Iconize(false);
    }
    frame->Raise();
}

int CTarvMediaConverterApp::OnExit() {
    m_instance.reset();
    m_settings.reset();
    return wxApp::OnExit();
}

}  // namespace tarv
