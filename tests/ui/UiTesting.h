// Shared by the window tests: message boxes answered and recorded instead of shown, and a
// way to let the window work until something has happened.
#pragma once

#include <wx/modalhook.h>
#include <wx/string.h>

#include <functional>
#include <vector>

namespace tarv::testing {

// While it lives, every message box is recorded and answered with OK without showing, and
// every other modal dialog is answered by a handler, which cancels it unless a test says else.
class MessageRecorder : public wxModalDialogHook {
public:
    MessageRecorder() { Register(); }
    ~MessageRecorder() override { Unregister(); }

    const std::vector<wxString>& Messages() const { return m_messages; }
    void Clear() { m_messages.clear(); }
    // Gets each other dialog before it would show; what it returns is the dialog's result.
    std::function<int(wxDialog*)> onDialog = [](wxDialog*) { return int(wxID_CANCEL); };

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

private:
    std::vector<wxString> m_messages;
};

// Lets the event loop run until `done` holds or `milliseconds` have passed; the result of
// `done` at the end.
bool WaitUntil(const std::function<bool()>& done, int milliseconds = 20000);

}  // namespace tarv::testing
