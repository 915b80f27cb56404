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

using ShowHandler = SingleInstance::ShowHandler;

wxString SocketPath(const wxString& folder) {
    return folder + "/tarvmediaconverter.socket";
}

class ShowConnection : public wxConnection {
public:
    explicit ShowConnection(ShowHandler onShow) : m_onShow(std::move(onShow)) {}
    bool OnExecute(const wxString&, const void* data, size_t size, wxIPCFormat) override {
        const std::string request(static_cast<const char*>(data), size);
        if (request.rfind(kShowCommand, 0) == 0 && m_onShow) {
            m_onShow(DecodeShowRequest(request));
        }
        return true;
    }

private:
    ShowHandler m_onShow;
};

class ShowServer : public wxServer {
public:
    explicit ShowServer(ShowHandler onShow) : m_onShow(std::move(onShow)) {}
    wxConnectionBase* OnAcceptConnection(const wxString& topic) override {
        return topic == kTopic ? new ShowConnection(m_onShow) : nullptr;
    }

private:
    ShowHandler m_onShow;
};

}  // namespace

std::string EncodeShowRequest(const std::vector<wxString>& files) {
    std::string request = kShowCommand;
    for (const wxString& file : files) {
        request += '\0';
        request += std::string(file.fn_str());
    }
    return request;
}

std::vector<wxString> DecodeShowRequest(const std::string& request) {
    std::vector<wxString> files;
    size_t start = request.find('\0');
    while (start != std::string::npos) {
        const size_t end = request.find('\0', start + 1);
        const std::string name = request.substr(
            start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
        if (!name.empty()) {
            files.emplace_back(name.c_str(), wxConvFile);
        }
        start = end;
    }
    return files;
}

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

bool SingleInstance::AskRunningCopyToShow(const std::vector<wxString>& files) const {
    wxLogNull quiet;
    wxClient client;
    std::unique_ptr<wxConnectionBase> connection(
        client.MakeConnection("localhost", SocketPath(m_folder), kTopic));
    if (!connection) {
        return false;
    }
    const std::string request = EncodeShowRequest(files);
    const bool sent = connection->Execute(request.data(), request.size(), wxIPC_PRIVATE);
    connection->Disconnect();
    return sent;
}

bool SingleInstance::Listen(ShowHandler onShow) {
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
