// The program's settings in the current user's registry, laid out as the program always kept
// them there: the value of a settings path "/A/B/Name" is the default (unnamed) value of the
// key HKEY_CURRENT_USER\A\B\Name. The output folder so lies in
// HKEY_CURRENT_USER\Software\TarvMediaConverter\<title>\OutputFolder, read at start from there
// and from the older HKEY_CURRENT_USER\Software\<title>\OutputFolder.
#include <wx/config.h>
#include <wx/msw/regconf.h>

#include <windows.h>

#include "OutputFolder.h"

namespace tarv {

namespace {

class RegistrySettings : public wxRegConfig {
public:
    RegistrySettings() : wxRegConfig("TarvMediaConverter") {}

    bool HasEntry(const wxString& name) const override {
        wxString ignored;
        return DoReadString(name, &ignored);
    }

    // Every value is written as it is set.
    bool Flush(bool = false) override { return true; }

protected:
    bool DoReadString(const wxString& name, wxString* value) const override {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, KeyOf(name).wc_str(), 0, KEY_QUERY_VALUE, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        bool found = false;
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
            if (RegQueryValueExW(key, nullptr, nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS) {
                text.resize(wcsnlen(text.c_str(), text.size()));
                *value = wxString(text.c_str());
                found = true;
            }
        }
        RegCloseKey(key);
        return found;
    }

    bool DoWriteString(const wxString& name, const wxString& value) override {
        // Opened when it is there, made when it is not; a key that can be neither fails the write.
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, KeyOf(name).wc_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const std::wstring text(value.wc_str());
        const LONG result =
            RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

private:
    // The registry key a settings path stands for, under HKEY_CURRENT_USER.
    wxString KeyOf(const wxString& name) const {
        wxString path = name.StartsWith("/") ? name : GetPath() + "/" + name;
        path.Replace("/", "\\");
        while (path.StartsWith("\\")) {
            path.Remove(0, 1);
        }
        return path;
    }
};

}  // namespace

std::unique_ptr<wxConfigBase> OpenUserSettings() {
    return std::make_unique<RegistrySettings>();
}

}  // namespace tarv
