#include "SingleInstance.h"

#include <wx/filename.h>
#include <wx/ipc.h>
#include <wx/log.h>
#include <wx/snglinst.h>
#include <wx/utils.h>

#include "OutputFolder.h"

namespace tarv {

namespace {

constexpr char kTopic[] = "TarvMediaConverter";
constexpr char kShowCommand[] = "show";

wxString SocketPath(const wxString& folder) {
    return folder + "/tarvmediaconverter.socket";
}

class ShowConnection : public wxConnection {
public:
    explicit ShowConnection(std::function<void()> onShow) : m_onShow(std::move(onShow)) {}
    bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat) override {
        const wxString command = wxString::FromUTF8(static_cast<const char*>(data), size);
        if (command.StartsWith(kShowCommand) && m_onShow) {
            m_onShow();
        }
        return true;
    }

private:
    std::function<void()> m_onShow;
};

class ShowServer : public wxServer {
public:
    explicit ShowServer(std::function<void()> onShow) : m_onShow(std::move(onShow)) {}
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        return topic == kTopic ? new ShowConnection(m_onShow) : nullptr;
    }

private:
    std::function<void()> m_onShow;
};

}  // namespace

wxString InstanceFolder() {
    wxString folder;
    if (wxGetEnv("XDG_RUNTIME_DIR", &folder) && wxIsAbsolutePath(folder) &&
        wxFileName::DirExists(folder)) {
        return folder;
    }
    return wxFileName(SettingsFilePath()).GetPath();
}

SingleInstance::SingleInstance(const wxString& folder)
    : m_folder(folder), m_checker(std::make_unique<wxSingleInstanceChecker>()) {
    wxLogNull quiet;
    wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    m_checker->Create(kSingleInstanceMutex, folder);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::AnotherIsRunning() const {
    return m_checker->IsAnotherRunning();
}

bool SingleInstance::AskRunningCopyToShow() const {
    wxLogNull quiet;
    wxClient client;
    std::unique_ptr<wxConnectionBase> connection(
        client.MakeConnection("localhost", SocketPath(m_folder), kTopic));
    if (!connection) {
        return false;
    }
    const bool sent = connection->Execute(kShowCommand);
    connection->Disconnect();
    return sent;
}

bool SingleInstance::Listen(std::function<void()> onShow) {
    wxLogNull quiet;
    auto server = std::make_unique<ShowServer>(std::move(onShow));
    // Holding the lock, this copy owns the socket's name: one left by a copy that crashed is
    // replaced.
    wxRemoveFile(SocketPath(m_folder));
    if (!server->Create(SocketPath(m_folder))) {
        return false;
    }
    m_server = std::move(server);
    return true;
}

}  // namespace tarv
