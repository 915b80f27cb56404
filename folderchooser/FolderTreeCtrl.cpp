#include "FolderTreeCtrl.h"

#include <wx/artprov.h>
#include <wx/translation.h>
#include <wx/utils.h>

#include "DesktopShell.h"
#include "FolderListing.h"
#include "PathUtils.h"

namespace tarv {

wxDEFINE_EVENT(WM_TREE_SELCHANGED, wxCommandEvent);

namespace {

constexpr int kIconSize = 16;

}  // namespace

// What an item stands for. The path is kept as the disk names it, so a folder whose shown
// name differs from its name on disk still gives a path that exists.
class CFolderTreeCtrl::ItemData : public wxTreeItemData {
public:
    ItemData(ItemKind kind, std::string path) : m_kind(kind), m_path(std::move(path)) {}
    ItemKind m_kind;
    std::string m_path;  // with a trailing separator; empty for "My Computer"
};

CFolderTreeCtrl::CFolderTreeCtrl(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                 const wxSize& size)
    : wxTreeCtrl(parent, id, pos, size,
                 wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_EDIT_LABELS | wxTR_SINGLE |
                     wxBORDER_SUNKEN | wxHSCROLL | wxVSCROLL),
      m_images(kIconSize, kIconSize, true, 8) {
    // The tree draws its items in the desktop's font unless told otherwise, even when it has
    // inherited its dialog's; telling it the dialog's font again needs a different one first.
    const wxFont font = parent->GetFont();
    SetFont(wxNullFont);
    SetFont(font);
    SetImageList(&m_images);
    Bind(wxEVT_TREE_ITEM_EXPANDING, &CFolderTreeCtrl::OnExpanding, this);
    Bind(wxEVT_TREE_ITEM_COLLAPSED, &CFolderTreeCtrl::OnCollapsed, this);
    Bind(wxEVT_TREE_SEL_CHANGED, &CFolderTreeCtrl::OnSelectionChanged, this);
    Bind(wxEVT_TREE_END_LABEL_EDIT, &CFolderTreeCtrl::OnEndLabelEdit, this);
    Bind(wxEVT_RIGHT_DOWN, &CFolderTreeCtrl::OnRightDown, this);
    Fill();
}

int CFolderTreeCtrl::IconCount() const {
    return m_images.GetImageCount();
}

int CFolderTreeCtrl::IconIndex(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (const auto known = m_iconIndexes.find(name); known != m_iconIndexes.end()) {
            return known->second;
        }
        const wxBitmap icon =
            wxArtProvider::GetBitmap(name, wxART_OTHER, wxSize(kIconSize, kIconSize));
        if (icon.IsOk()) {
            const int index = m_images.Add(
                icon.ConvertToImage().Rescale(kIconSize, kIconSize, wxIMAGE_QUALITY_HIGH));
            m_iconIndexes[name] = index;
            return index;
        }
    }
    return -1;
}

void CFolderTreeCtrl::Fill() {
    DeleteAllItems();
    const SpecialFolders special = UserSpecialFolders();
    m_documentsPath = WithTrailingSeparator(special.documents);
    const ShellItem desktop = DescribeFolder(special.desktop);
    const wxTreeItemId root = AddRoot(OneLineLabel(desktop.displayName));
    const int icon = IconIndex({"user-desktop", "user-home", "folder"});
    SetItemImage(root, icon, wxTreeItemIcon_Normal);
    SetItemImage(root, icon, wxTreeItemIcon_Selected);
    SetItemData(root, new ItemData(ItemKind::Desktop, WithTrailingSeparator(special.desktop)));
    AddPlaceholder(root);
    Expand(root);
}

wxTreeItemId CFolderTreeCtrl::AddItem(const wxTreeItemId& parent, const wxString& label,
                                      ItemKind kind, const std::string& path,
                                      const std::vector<std::string>& icons,
                                      const std::vector<std::string>& openIcons, bool placeholder) {
    const int normal = IconIndex(icons);
    const int open = openIcons.empty() ? normal : IconIndex(openIcons);
    const wxTreeItemId item = AppendItem(parent, OneLineLabel(label), normal,
                                         open >= 0 ? open : normal, new ItemData(kind, path));
    if (placeholder) {
        AddPlaceholder(item);
    }
    return item;
}

void CFolderTreeCtrl::AddPlaceholder(const wxTreeItemId& item) {
    AppendItem(item, wxString());
}

CFolderTreeCtrl::ItemKind CFolderTreeCtrl::KindOf(const wxTreeItemId& item) const {
    const auto* data = item.IsOk() ? static_cast<ItemData*>(GetItemData(item)) : nullptr;
    return data ? data->m_kind : ItemKind::Folder;
}

std::string CFolderTreeCtrl::GetItemPath(const wxTreeItemId& item) const {
    const auto* data = item.IsOk() ? static_cast<ItemData*>(GetItemData(item)) : nullptr;
    if (!data || data->m_kind == ItemKind::Computer) {
        return {};
    }
    return ItemPathOf(data->m_path, GetChildrenCount(item, false) > 0,
                      data->m_kind == ItemKind::Drive);
}

std::string CFolderTreeCtrl::GetSelectedPath(const wxTreeItemId& item) const {
    if (!item.IsOk() || GetItemText(item).empty()) {
        return {};
    }
    return GetItemPath(item);
}

void CFolderTreeCtrl::FillComputer(const wxTreeItemId& item) {
    DeleteChildren(item);
    for (const std::string& root : FixedDriveList()) {
        const ShellItem mount = DescribeMount(root);
        AddItem(item, mount.displayName, ItemKind::Drive, WithTrailingSeparator(root),
                mount.iconNames, {}, true);
    }
}

void CFolderTreeCtrl::FillItem(const wxTreeItemId& item) {
    const ItemKind kind = KindOf(item);
    if (kind == ItemKind::Computer) {
        FillComputer(item);
        return;
    }
    const std::string path =
        WithTrailingSeparator(static_cast<ItemData*>(GetItemData(item))->m_path);
    DeleteChildren(item);
    if (kind == ItemKind::Desktop) {
        m_computerItem = AddItem(item, _("My Computer"), ItemKind::Computer, std::string(),
                                 {"computer", "drive-harddisk"}, {}, true);
        // Without a desktop folder the home folder is the root, and the documents folder may
        // fall back to it too: the root under itself would only repeat the tree.
        m_documentsItem = wxTreeItemId();
        if (!IsSameFolder(m_documentsPath, path)) {
            const ShellItem documents = DescribeFolder(m_documentsPath);
            m_documentsItem = AddItem(item, documents.displayName, ItemKind::Documents,
                                      m_documentsPath, documents.iconNames, {}, true);
        }
        Expand(m_computerItem);
    }
    wxBusyCursor wait;
    for (const std::string& folder : ListedSubfolders(path)) {
        // A documents folder inside the root already has its item just above.
        if (kind == ItemKind::Desktop && m_documentsItem.IsOk() &&
            IsSameFolder(folder, m_documentsPath)) {
            continue;
        }
        const ShellItem shown = DescribeFolder(folder);
        std::vector<std::string> open = {"folder-open"};
        // A folder the desktop marks as special keeps its own picture when open.
        if (shown.iconNames.front() != "folder") {
            open = shown.iconNames;
        }
        AddItem(item, shown.displayName, ItemKind::Folder, WithTrailingSeparator(folder),
                shown.iconNames, open, HasSubfolders(folder));
    }
}

void CFolderTreeCtrl::OnExpanding(wxTreeEvent& event) {
    FillItem(event.GetItem());
    // A folder that turned out to have no sub-folders loses its button.
    if (GetChildrenCount(event.GetItem(), false) == 0) {
        SetItemHasChildren(event.GetItem(), false);
    }
}

void CFolderTreeCtrl::OnCollapsed(wxTreeEvent& event) {
    // Forgotten now, read again when it opens next.
    const wxTreeItemId item = event.GetItem();
    if (KindOf(item) == ItemKind::Desktop) {
        m_computerItem = wxTreeItemId();
        m_documentsItem = wxTreeItemId();
    }
    DeleteChildren(item);
    AddPlaceholder(item);
}

void CFolderTreeCtrl::OnSelectionChanged(wxTreeEvent& event) {
    event.Skip();
    wxCommandEvent changed(WM_TREE_SELCHANGED, GetId());
    changed.SetEventObject(this);
    if (wxWindow* parent = GetParent()) {
        parent->GetEventHandler()->ProcessEvent(changed);
    }
}

void CFolderTreeCtrl::OnRightDown(wxMouseEvent& event) {
    int flags = 0;
    const wxTreeItemId item = HitTest(event.GetPosition(), flags);
    if (item.IsOk() && (flags & (wxTREE_HITTEST_ONITEMLABEL | wxTREE_HITTEST_ONITEMICON |
                                 wxTREE_HITTEST_ONITEMSTATEICON))) {
        SelectItem(item);
    }
}

void CFolderTreeCtrl::OnEndLabelEdit(wxTreeEvent& event) {
    // Folders are picked here, not renamed: the label goes back to the folder's name.
    event.Veto();
}

wxString OneLineLabel(const wxString& name) {
    // The tree gives every row the height of its tallest label, so a single name holding a
    // line break would make every row two lines high.
    const wxUniChar lineBreak(0x23CE);
    wxString label;
    for (auto it = name.begin(); it != name.end(); ++it) {
        const wxUint32 code = (*it).GetValue();
        const bool lineEnd = code == '\n' || code == '\r' || code == '\v' || code == '\f' ||
                             code == 0x85 || code == 0x2028 || code == 0x2029;
        if (code == '\r' && it + 1 != name.end() && *(it + 1) == '\n') {
            continue;  // a Windows line end is one break
        }
        if (lineEnd) {
            label += lineBreak;
        } else if (code < 0x20) {
            label += wxUniChar(0x2400 + code);  // the control character's visible picture
        } else if (code == 0x7f) {
            label += wxUniChar(0x2421);
        } else {
            label += *it;
        }
    }
    return label;
}

}  // namespace tarv
