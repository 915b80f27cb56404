// The single top-level window: a fixed-size frame with a menu, a large flat toolbar with text
// under its pictures, a two-pane status bar, and the form view filling the rest. It keeps the
// output folder in the settings when it closes.
#pragma once

#include <wx/frame.h>

#include "ProgramContext.h"

namespace tarv {

class CTarvMediaConverterView;

class CMainFrame : public wxFrame {
public:
    // The frame, its bars and its view. Check IsOk(): false when the toolbar's pictures are
    // missing, and the window must not be used.
    explicit CMainFrame(const ProgramContext& context);

    bool IsOk() const { return m_ok; }
    CTarvMediaConverterView* GetView() const { return m_view; }

    // "   select N files" in the first status pane.
    void SetSelectedCount(int count);
    // The second status pane.
    void SetMessage(const wxString& text);

    // Makes the client area exactly the form's size and fixes the window's size there. The
    // bars' heights are only final once the window shows, so showing fits it again.
    void FitToForm();

    // The widths of the two panes for a status bar `width` pixels wide.
    static void PaneWidths(int width, int& first, int& second);

protected:
    // Commands and their enabling go to the view first, as to the active view of a document
    // window; what it does not handle goes on as usual.
    bool TryBefore(wxEvent& event) override;

private:
    bool CreateToolbar();
    void CreateMenu();
    void CreateAccelerators();
    void ResetStatusPanes();
    // Fits the frame to the form again when its client area is not the form's size.
    void KeepFormWhole();
    void SaveOutputFolder();

    void OnSize(wxSizeEvent& event);
    void OnIconize(wxIconizeEvent& event);
    void OnShow(wxShowEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnNextPane(wxCommandEvent& event);

    ProgramContext m_context;
    CTarvMediaConverterView* m_view = nullptr;
    bool m_ok = false;
    bool m_routing = false;  // a routed event is on its way through the view
    wxSize m_lastSize;       // the size the status panes were last laid out for
    bool m_refitPending = false;
    int m_refits = 0;  // fits in a row that did not give the form its size
};

}  // namespace tarv
