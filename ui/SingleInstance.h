// One running copy per user: the first copy holds a lock and listens on a local socket; a
// later copy asks it to come to the front and ends without a window of its own.
#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class wxServerBase;
class wxSingleInstanceChecker;

namespace tarv {

// The lock's name, kept from the first release so that every version finds every other.
inline constexpr char kSingleInstanceMutex[] =
    "0x6684b41a, 0x81b2, 0x4973, { 0xb6, 0xce, 0x4b, 0xac, 0xce, 0xa0, 0xc5, 0x37";

// Where the lock and the socket live: $XDG_RUNTIME_DIR when set, else the settings folder.
wxString InstanceFolder();

// What a later copy sends the running one: come to the front, and add these files. File
// names may hold any byte but the zero, so they are separated by zeros.
std::string EncodeShowRequest(const std::vector<wxString>& files);
std::vector<wxString> DecodeShowRequest(const std::string& request);

class SingleInstance {
public:
    explicit SingleInstance(const wxString& folder);
    ~SingleInstance();

    // True when another copy holds the lock.
    bool AnotherIsRunning() const;

    // A later copy: asks the running one to show its window and add the files. False when it
    // cannot be reached (for example while it is still starting).
    bool AskRunningCopyToShow(const std::vector<wxString>& files = {}) const;

    // The first copy: listens for later copies; `onShow` runs on the window's thread with the
    // files a later copy was started with.
    using ShowHandler = std::function<void(const std::vector<wxString>& files)>;
    bool Listen(ShowHandler onShow);

private:
    wxString m_folder;
    std::unique_ptr<wxSingleInstanceChecker> m_checker;
    std::unique_ptr<wxServerBase> m_server;
};

}  // namespace tarv
