// One running copy per user on Windows, as the program always did it there: a named mutex tells
// a later copy that one runs, the later copy finds the running window by its caption, brings it
// forward, and hands its files over in a WM_COPYDATA message.
#include <wx/app.h>
#include <wx/ipc.h>
#include <wx/snglinst.h>
#include <wx/toplevel.h>

#include <windows.h>

// The headers of the shell and common controls need its definitions first.
#include <commctrl.h>

#include "Resources.h"
#include "SingleInstance.h"

namespace tarv {

namespace {

// Tells our hand-over from any other program's WM_COPYDATA.
constexpr ULONG_PTR kShowRequestId = 0x74617276;  // "tarv"
constexpr UINT_PTR kSubclassId = 1;
// Marks the window that listens, so a message box with the same caption is not taken for it.
constexpr wchar_t kListenerProperty[] = L"TarvMediaConverter.ShowRequests";

SingleInstance::ShowHandler g_onShow;

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                              DWORD_PTR) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data && data->dwData == kShowRequestId && g_onShow) {
            const std::string request(static_cast<const char*>(data->lpData), data->cbData);
            g_onShow(DecodeShowRequest(request));
            return TRUE;
        }
    } else if (message == WM_NCDESTROY) {
        RemovePropW(window, kListenerProperty);
        RemoveWindowSubclass(window, ListenerProc, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

struct WindowSearch {
    std::wstring caption;
    HWND found = nullptr;
    HWND listener = nullptr;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    wchar_t text[256];
    const int length = GetWindowTextW(window, text, 256);
    if (std::wstring_view(text, length) != search->caption) {
        return TRUE;
    }
    if (!search->found) {
        search->found = window;
    }
    if (GetPropW(window, kListenerProperty)) {
        search->listener = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::string EncodeShowRequest(const std::vector<wxString>& files) {
    std::string request = "show";
    for (const wxString& file : files) {
        request += '\0';
        request += file.utf8_string();
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
            files.push_back(wxString::FromUTF8(name));
        }
        start = end;
    }
    return files;
}

wxString InstanceFolder() {
    return wxString();  // a kernel object needs no folder
}

SingleInstance::SingleInstance(const wxString&)
    : m_checker(std::make_unique<wxSingleInstanceChecker>()) {
    // The mutex by exactly this name, made not owned; the system lets it go with the process.
    m_checker->Create(kSingleInstanceMutex);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::AnotherIsRunning() const {
    return m_checker->IsAnotherRunning();
}

bool SingleInstance::AskRunningCopyToShow(const std::vector<wxString>& files) const {
    WindowSearch search;
    search.caption = wxString(kAppTitle).wc_str();
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    HWND window = search.listener ? search.listener : search.found;
    if (!window) {
        return false;  // still starting: it has no window with its caption yet
    }
    ShowWindow(window, SW_MINIMIZE);
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    if (files.empty() || !search.listener) {
        return true;
    }
    const std::string request = EncodeShowRequest(files);
    COPYDATASTRUCT data{kShowRequestId, static_cast<DWORD>(request.size()),
                        const_cast<char*>(request.data())};
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, 10000, &answer) != 0 &&
           answer == TRUE;
}

bool SingleInstance::Listen(ShowHandler onShow) {
    wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr;
    if (!top) {
        return false;
    }
    HWND window = static_cast<HWND>(top->GetHandle());
    g_onShow = std::move(onShow);
    SetPropW(window, kListenerProperty, reinterpret_cast<HANDLE>(1));
    return SetWindowSubclass(window, ListenerProc, kSubclassId, 0) != 0;
}

}  // namespace tarv
