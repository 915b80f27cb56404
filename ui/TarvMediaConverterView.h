// The main form: the conversion list, the output folder, the nine option lists and the
// preview pane. It routes the list, batch and help commands of the menu and toolbar, and
// shows each batch's progress in the list.
#pragma once

#include <wx/panel.h>

#include <array>
#include <memory>
#include <vector>

#include "OptionCatalogue.h"
#include "ProgramContext.h"

class wxChoice;
class wxTextCtrl;
class wxListEvent;
class wxUpdateUIEvent;

namespace tarv {

class BatchDisplay;
class CImageButton;
class CMainFrame;
class ConversionList;
class CSkinSlider;
class CXListCheckboxEvent;
class CXListCtrl;
class PreviewArea;
class PreviewPlayer;
struct BatchState;

class CTarvMediaConverterView : public wxPanel {
public:
    CTarvMediaConverterView(wxWindow* parent, const ProgramContext& context);
    ~CTarvMediaConverterView() override;

    // The form's first showing: list columns, preview controls, option lists and their start
    // selections, the output folder.
    void OnInitialUpdate();

    // The form's size in pixels, from its dialog units and font.
    wxSize FormSize() const;

    // Adds files as the Add command does with what its dialog returns (and as dropping files
    // on the list does). Returns how many rows were added.
    int AddFiles(const std::vector<wxString>& paths);
    // The Convert command: starts a batch of the checked rows. False when refused (a batch
    // runs, durations are still being read, or the output folder cannot be used).
    bool StartBatch();
    // The Stop command: asks the running batch to stop.
    void StopBatch();
    bool IsBusy() const;
    // Ends the view's background work for good: a running batch is stopped and its tool
    // ended, probing ends. Closing the window calls it before the window goes.
    void Shutdown();

    wxString GetOutputFolder() const;
    void SetOutputFolder(const wxString& folder);

    CXListCtrl& List() const { return *m_list; }
    ConversionList& Rows() const { return *m_rows; }
    PreviewPlayer& Preview() const { return *m_preview; }
    PreviewArea& PreviewPane() const { return *m_previewArea; }
    CSkinSlider& PreviewSlider() const { return *m_slider; }
    wxChoice& Choice(OptionList list) const { return *m_choices[static_cast<int>(list)]; }
    // The second status pane's text as it should read now.
    wxString MessagePaneText() const;
    // Opens the details of a row (what its last conversion did).
    void ShowRowDetails(int row);

    // The nine lists' positions, in capture order.
    ConvertOptions CaptureOptions() const;
    const BatchState& Batch() const;

protected:
    // After Shutdown every command is dropped here, before any handler sees it.
    bool TryBefore(wxEvent& event) override;

private:
    void CreateControls();
    void FillOptionLists();
    void ApplyFormatPreset();
    void SelectOptions(const ConvertOptions& options);
    void SetDefaultOutputFolder();
    CMainFrame* Frame() const;
    void UpdateSelectedCount();
    void UpdateMessagePane();
    void OpenLink(const wxString& target);
    // The output folder of the field, made ready for a batch; empty when it cannot be used
    // (the user has been told why).
    wxString PrepareOutputFolder();

    void OnAddFiles(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    void OnClear(wxCommandEvent& event);
    void OnConvert(wxCommandEvent& event);
    void OnStop(wxCommandEvent& event);
    void OnHelp(wxCommandEvent& event);
    void OnHomePage(wxCommandEvent& event);
    void OnBrowse(wxCommandEvent& event);
    void OnExplore(wxCommandEvent& event);
    void OnFormatChanged(wxCommandEvent& event);
    void OnCheckboxClicked(CXListCheckboxEvent& event);
    void OnColumnClick(wxListEvent& event);
    void OnListKey(wxKeyEvent& event);
    void OnUpdateConvert(wxUpdateUIEvent& event);
    void OnUpdateStop(wxUpdateUIEvent& event);
    void OnUpdateListChange(wxUpdateUIEvent& event);
    void OnUpdateOptionList(wxUpdateUIEvent& event);
    // Takes the rows whose tick went out of the running batch, where it has not reached them.
    void WithdrawUntickedRows();
    void OnListContextMenu(wxContextMenuEvent& event);
    void OnListDoubleClick(wxMouseEvent& event);
    void OnPreviewPlay(wxCommandEvent& event);
    void OnPreviewPause(wxCommandEvent& event);
    void OnPreviewStop(wxCommandEvent& event);
    void OnSliderMoving(wxCommandEvent& event);

    ProgramContext m_context;
    CXListCtrl* m_list = nullptr;
    wxTextCtrl* m_outputFolder = nullptr;
    std::array<wxChoice*, kOptionListCount> m_choices{};
    PreviewArea* m_previewArea = nullptr;
    CImageButton* m_play = nullptr;
    CImageButton* m_pause = nullptr;
    CImageButton* m_stop = nullptr;
    CSkinSlider* m_slider = nullptr;

    std::unique_ptr<ConversionList> m_rows;
    std::unique_ptr<PreviewPlayer> m_preview;
    std::unique_ptr<BatchDisplay> m_batch;
    bool m_shutDown = false;
};

}  // namespace tarv
