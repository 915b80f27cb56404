#include "ConversionList.h"

#include <wx/filename.h>
#include <wx/translation.h>

#include <set>

#include "BackgroundProber.h"
#include "MediaProbe.h"
#include "PathUtils.h"
#include "XListCtrl.h"

namespace tarv {

namespace {

// The input types: the name the dialog shows (in the window's language), then its patterns.
constexpr const char* kInputTypes[][2] = {
    {wxTRANSLATE("All Media files"),
     "*.3gp;*.3g2;*.avi;*.divx;*.div;*.flv;*.mpeg;*.mpg;*.mpe;*.m1v;*.m2v;*.mp4;"
     "*.m4v;*.mov;*.qt;*.rm;*.rmvb;*.dat;*.vob;*.wmv;*.asf;*.xvid"},
    {wxTRANSLATE("3GPP files(*.3gp,*.3g2)"), "*.3gp;*.3g2"},
    {wxTRANSLATE("AVI files(*.avi)"), "*.avi"},
    {wxTRANSLATE("DivX Video(*.divx;*.div)"), "*.divx;*.div"},
    {wxTRANSLATE("Flash Video(*.flv)"), "*.flv"},
    {wxTRANSLATE("MPEG files(*.mpeg;*.mpg;*.mpe;*.m1v;*.m2v)"), "*.mpeg;*.mpg;*.mpe;*.m1v;*.m2v"},
    {wxTRANSLATE("MPEG-4 files(*.mp4;*.m4a;*.m4v)"), "*.mp4;*.m4v"},
    {wxTRANSLATE("Quick Time files(*.mov;*.qt)"), "*.mov;*.qt"},
    {wxTRANSLATE("RealMedia files(*.rm;*.rmvb)"), "*.rm;*.rmvb"},
    {wxTRANSLATE("VCD DAT files(*.dat)"), "*.dat"},
    {wxTRANSLATE("VOB Video files(*.vob)"), "*.vob"},
    {wxTRANSLATE("Windows Media files(*.wmv;*.asf)"), "*.wmv;*.asf"},
    {wxTRANSLATE("Xvid Video files(*.xvid)"), "*.xvid"},
    {wxTRANSLATE("All files(*.*)"), "*.*"},
};

bool IsAddableFile(const wxString& path) {
    const std::string bytes = FileNameBytes(path);
    return !bytes.empty() && FileExists(bytes) && !wxFileName::DirExists(path);
}

}  // namespace

wxString DisplayPath(const wxString& path) {
    // Bytes the file-name conversion could not read as UTF-8 come back as private-use
    // characters, which no font draws; a person should see that something is there.
    wxString shown;
    for (wxUniChar c : path) {
        const wxUint32 code = c.GetValue();
        shown += code >= 0x100000 && code < 0x100100 ? wxUniChar(0xFFFD) : c;
    }
    return shown;
}

wxString MediaFileFilter() {
    wxString filter;
    for (const auto& [name, given] : kInputTypes) {
        const wxString own(given);
        wxString patterns;
        if (own == "*.*") {
            // "*.*" would leave out every file without a dot in its name.
            patterns = "*";
        } else {
            const wxString upper = own.Upper();
            patterns = own + (upper != own ? ";" + upper : wxString());
        }
        if (!filter.empty()) {
            filter += "|";
        }
        filter += wxGetTranslation(name) + "|" + patterns;
    }
    return filter;
}

wxString SizeText(uint64_t bytes) {
    return wxString::Format("%0.2f", static_cast<double>(bytes) / 1048576.0);
}

std::vector<wxString> NewSourcePaths(const std::vector<wxString>& chosen,
                                     const std::vector<wxString>& existing) {
    std::set<wxString> seen;
    for (const wxString& path : existing) {
        seen.insert(path.Lower());
    }
    std::vector<wxString> fresh;
    for (const wxString& path : chosen) {
        if (seen.count(path.Lower()) || !IsAddableFile(path)) {
            continue;
        }
        seen.insert(path.Lower());
        fresh.push_back(path);
    }
    return fresh;
}

ConversionList::ConversionList(CXListCtrl& list, std::unique_ptr<BackgroundProber> prober)
    : m_list(list), m_prober(std::move(prober)) {}

ConversionList::~ConversionList() {
    StopProbing();
}

void ConversionList::StopProbing() {
    if (m_prober) {
        m_prober->Shutdown();
    }
}

void ConversionList::SetUpColumns() {
    const int width = m_list.GetSize().GetWidth();
    m_list.SetExtendedStyle(kListExGridLines | kListExFullRowSelect);
    m_list.InsertColumn(kColumnFile, _("Original file"), wxALIGN_LEFT, width * 10 / 20);
    m_list.InsertColumn(kColumnSize, _("File size(MB)"), wxALIGN_CENTER_HORIZONTAL, width * 3 / 20);
    m_list.InsertColumn(kColumnDuration, _("Duration"), wxALIGN_CENTER_HORIZONTAL, width * 3 / 20);
    m_list.InsertColumn(kColumnStatus, _("Status"), wxALIGN_CENTER_HORIZONTAL, width * 4 / 20 - 3);
    m_list.SetHeaderCheckedState(kColumnFile, 1);
}

int ConversionList::AddFiles(const std::vector<wxString>& paths) {
    std::vector<wxString> existing;
    for (const JobEntry& entry : m_entries) {
        existing.push_back(entry.sourcePath);
    }
    int added = 0;
    for (const wxString& path : NewSourcePaths(paths, existing)) {
        JobEntry entry;
        entry.id = m_nextId++;
        entry.sourcePath = path;
        entry.size = FileSizeOf(FileNameBytes(path));
        const int row = m_list.InsertItem(RowCount(), DisplayPath(path));
        m_list.SetCheckbox(row, kColumnFile, 1);
        m_list.SetItemToolTipText(row, kColumnFile, DisplayPath(path));
        m_list.SetItemText(row, kColumnSize, SizeText(entry.size));
        m_list.SetItemText(row, kColumnDuration, "...");
        m_entries.push_back(entry);
        if (m_prober) {
            m_prober->Enqueue(entry.id, FileNameBytes(path));
        }
        ++added;
    }
    return added;
}

bool ConversionList::RemoveSelected() {
    const int row = m_list.GetCurSel();
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    if (m_prober) {
        m_prober->Cancel({m_entries[row].id});
    }
    m_list.DeleteItem(row);
    m_entries.erase(m_entries.begin() + row);
    return true;
}

void ConversionList::Clear() {
    std::set<uint64_t> ids;
    for (const JobEntry& entry : m_entries) {
        ids.insert(entry.id);
    }
    if (m_prober) {
        m_prober->Cancel(ids);
    }
    m_list.DeleteAllItems();
    m_entries.clear();
}

int ConversionList::RowOfId(uint64_t id) const {
    for (int row = 0; row < RowCount(); ++row) {
        if (m_entries[row].id == id) {
            return row;
        }
    }
    return -1;
}

void ConversionList::OnDurationRead(uint64_t id, double length) {
    if (const int row = RowOfId(id); row >= 0) {
        JobEntry& entry = m_entries[row];
        // Whole seconds, truncated; the tool's own "unknown" stays -1.
        entry.duration = length < 0 ? -1 : static_cast<int>(std::min(length, 2147483647.0));
        entry.length = length;
        entry.probing = false;
        m_list.SetItemText(row, kColumnDuration, FormatDuration(entry.duration));
    }
    if (m_durationListener) {
        m_durationListener();
    }
}

bool ConversionList::IsChecked(int row) const {
    return m_list.GetCheckbox(row, kColumnFile) == 1;
}

std::vector<bool> ConversionList::CheckedRows() const {
    std::vector<bool> checked;
    for (int row = 0; row < RowCount(); ++row) {
        checked.push_back(IsChecked(row));
    }
    return checked;
}

int ConversionList::CheckedCount() const {
    return m_list.CountCheckedItems(kColumnFile);
}

int ConversionList::PendingDurations() const {
    int pending = 0;
    for (const JobEntry& entry : m_entries) {
        pending += entry.probing ? 1 : 0;
    }
    return pending;
}

}  // namespace tarv
