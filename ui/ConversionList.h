// The list of input files on the form: one row per file with its size, playing time and
// conversion status, and a check box that decides whether it takes part in the next batch.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarv {

class BackgroundProber;
class CXListCtrl;

// Where a row stands with the batches: none yet, waiting in the running batch, converting,
// or how its last conversion ended.
enum class RowStatus { None, Waiting, Running, Done, Aborted, Failed };

// One row of the list: the one record of its file, whatever a batch does with it.
struct JobEntry {
    uint64_t id = 0;      // stays with the file while rows above it come and go
    wxString sourcePath;  // as the user chose it
    uint64_t size = 0;    // bytes
    int duration = 0;     // whole seconds; -1 when unknown, 0 when the identify tool did not start
    double length = 0;    // the playing time as read, to the fraction of a second
    bool probing = true;  // the duration is still being read
    RowStatus status = RowStatus::None;
    int shownPercent = 0;  // the bar's value while it converts
    // The 3GPP file: the name claimed while it converts, the converted file once done.
    wxString outputFile;
    // How its last batch fitted it to the size limit: the bitrates chosen for it.
    wxString sizePlan;
    // Why its last conversion failed, in the program's words, and what the tool said.
    wxString failure;
    wxString toolOutput;
    // What its last conversion noticed on the way, such as damage in the source it skipped.
    wxString note;
};

// The columns of the list.
enum ListColumn { kColumnFile = 0, kColumnSize = 1, kColumnDuration = 2, kColumnStatus = 3 };

// The file dialog's filter: the input types by name, each pattern also in upper case, since
// the desktop's file dialog matches patterns case-sensitively.
wxString MediaFileFilter();

// A path as the file system and the engine take it: the bytes of its file name.
std::string FileNameBytes(const wxString& path);
// A path from the bytes of its file name; bytes that are not UTF-8 survive the round trip.
wxString PathFromBytes(const std::string& bytes);
// A path as a person reads it: bytes that are not UTF-8 show as replacement characters.
wxString DisplayPath(const wxString& path);

// "%0.2f" of the size in MB (1048576 bytes).
wxString SizeText(uint64_t bytes);

// Paths worth adding, in the given order: existing files (not folders) whose path is not
// already in the list, nor earlier in the same call, ignoring letter case.
std::vector<wxString> NewSourcePaths(const std::vector<wxString>& chosen,
                                     const std::vector<wxString>& existing);

class ConversionList {
public:
    // The list control belongs to the form; the prober reads durations in the background.
    ConversionList(CXListCtrl& list, std::unique_ptr<BackgroundProber> prober);
    ~ConversionList();

    // The columns, their widths from the list's width, the header's check box.
    void SetUpColumns();

    // Appends a checked row for every file worth adding (see NewSourcePaths) and starts
    // reading its duration. Returns how many rows were added.
    int AddFiles(const std::vector<wxString>& paths);
    // Removes the selected row; false when none is selected. Its duration is no longer read.
    bool RemoveSelected();
    // Removes every row, and stops reading their durations at once.
    void Clear();

    // Ends the reading of durations for good.
    void StopProbing();

    // A duration read in the background has arrived.
    void OnDurationRead(uint64_t id, double length);
    // Called after a duration arrives.
    void SetDurationListener(std::function<void()> listener) {
        m_durationListener = std::move(listener);
    }

    int RowCount() const { return static_cast<int>(m_entries.size()); }
    const JobEntry& EntryAt(int row) const { return m_entries.at(row); }
    JobEntry& EntryAt(int row) { return m_entries.at(row); }
    // The row of the file with this id; -1 when it is gone.
    int RowOfId(uint64_t id) const;
    bool IsChecked(int row) const;
    std::vector<bool> CheckedRows() const;
    int CheckedCount() const;
    // Rows whose duration is still being read.
    int PendingDurations() const;

private:
    CXListCtrl& m_list;
    std::unique_ptr<BackgroundProber> m_prober;
    std::vector<JobEntry> m_entries;  // in row order
    uint64_t m_nextId = 1;
    std::function<void()> m_durationListener;
};

}  // namespace tarv
