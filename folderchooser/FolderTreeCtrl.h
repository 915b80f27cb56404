// A tree of the computer's folders for picking one: the desktop folder as the single root,
// with "My Computer" (the mounted file systems), the documents folder and the desktop's own
// folders under it. Folders are read from disk each time an item opens and forgotten when it
// closes, so the tree always shows what is on disk now.
#pragma once

#include <wx/event.h>
#include <wx/imaglist.h>
#include <wx/treectrl.h>

#include <map>
#include <string>
#include <vector>

namespace tarv {

// Sent to the tree's parent, synchronously, whenever the selection changes.
wxDECLARE_EVENT(WM_TREE_SELCHANGED, wxCommandEvent);

class CFolderTreeCtrl : public wxTreeCtrl {
public:
    // The tree's historic id 32860, placed above wxWidgets' own ids the way the program's
    // commands are, since wxWidgets takes ids below 0x7fff only.
    static constexpr int kControlId = 6000 + (32860 - 0x7fff);

    enum class ItemKind { Desktop, Computer, Documents, Drive, Folder };

    CFolderTreeCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    // The folder an item stands for, ending in the separator unless the item has no children
    // (a mounted file system's root always keeps it); empty for "My Computer".
    std::string GetItemPath(const wxTreeItemId& item) const;
    // Empty for an item without a label (a placeholder), else GetItemPath.
    std::string GetSelectedPath(const wxTreeItemId& item) const;

    ItemKind KindOf(const wxTreeItemId& item) const;
    wxTreeItemId GetComputerItem() const { return m_computerItem; }
    wxTreeItemId GetDocumentsItem() const { return m_documentsItem; }
    // How many pictures the image list holds; icons are shared by kind, so this stays small.
    int IconCount() const;

private:
    class ItemData;

    // Empties the tree and shows the root with "My Computer" open.
    void Fill();
    wxTreeItemId AddItem(const wxTreeItemId& parent, const wxString& label, ItemKind kind,
                         const std::string& path, const std::vector<std::string>& icons,
                         const std::vector<std::string>& openIcons, bool placeholder);
    void AddPlaceholder(const wxTreeItemId& item);
    void FillItem(const wxTreeItemId& item);
    void FillComputer(const wxTreeItemId& item);
    // The image list's index of the first icon of the desktop's theme found among the names.
    int IconIndex(const std::vector<std::string>& names);

    void OnExpanding(wxTreeEvent& event);
    void OnCollapsed(wxTreeEvent& event);
    void OnSelectionChanged(wxTreeEvent& event);
    void OnRightDown(wxMouseEvent& event);
    void OnEndLabelEdit(wxTreeEvent& event);

    wxImageList m_images;
    std::map<std::string, int> m_iconIndexes;  // icon name to image, shared by every item
    wxTreeItemId m_computerItem;
    wxTreeItemId m_documentsItem;
    std::string m_documentsPath;
};

// A name as a tree label: on one line, each line break shown as "\u23CE" and any other
// control character as its visible picture (a tab as "\u2409").
wxString OneLineLabel(const wxString& name);

}  // namespace tarv
