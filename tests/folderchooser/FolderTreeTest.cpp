// The folder tree and its dialog over a real folder tree of our own, which the desktop's
// user-dirs settings name as the desktop and the documents folder.
#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <fstream>

#include "FolderListing.h"
#include "FolderTreeCtrl.h"
#include "TargetFolderDlg.h"
#include "TempFolder.h"
#include "WxTestEnvironment.h"

using namespace tarv;
using tarv::testing::PumpEvents;
namespace fs = std::filesystem;

namespace {

// Set before the desktop's settings are first read: they are read once per process.
struct FakeHome {
    FakeHome() {
        for (const char* folder :
             {"Desktop/Projects/2024", "Desktop/Music", "Desktop/recycled", "Desktop/RECYCLER",
              "Desktop/System Volume Information", "Desktop/system volume information",
              "Desktop/.hidden", "Desktop/Zeta/deeper", "Docs/Videos", ".config"}) {
            fs::create_directories(home.Path() + folder);
        }
        home.Touch("Desktop/not-a-folder.txt");
        std::ofstream(home.Path() + ".config/user-dirs.dirs")
            << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n";
        setenv("HOME", home.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.Path() + ".config").c_str(), 1);
    }
    TempFolder home;
};
const FakeHome kHome;

std::string Desktop() {
    return kHome.home.Path() + "Desktop/";
}

std::vector<wxString> Labels(const wxTreeCtrl& tree, const wxTreeItemId& parent) {
    std::vector<wxString> labels;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree.GetFirstChild(parent, cookie); child.IsOk();
         child = tree.GetNextChild(parent, cookie)) {
        labels.push_back(tree.GetItemText(child));
    }
    return labels;
}

wxTreeItemId Child(const wxTreeCtrl& tree, const wxTreeItemId& parent, const wxString& label) {
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree.GetFirstChild(parent, cookie); child.IsOk();
         child = tree.GetNextChild(parent, cookie)) {
        if (tree.GetItemText(child) == label)
            return child;
    }
    return {};
}

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog = new CTargetFolderDlg(nullptr);
        dialog->Show();
        PumpEvents();
        tree = &dialog->Tree();
        root = tree->GetRootItem();
    }
    void TearDown() override { dialog->Destroy(); }

    CTargetFolderDlg* dialog = nullptr;
    CFolderTreeCtrl* tree = nullptr;
    wxTreeItemId root;
};

TEST(FolderListing, HidesBinsAndSystemFoldersAndSortsDotFoldersLast) {
    EXPECT_TRUE(IsHiddenFolderName("RECYCLER"));
    EXPECT_TRUE(IsHiddenFolderName("reCYCled"));
    EXPECT_TRUE(IsHiddenFolderName("System Volume Information"));
    EXPECT_FALSE(IsHiddenFolderName("system volume information"));
    const std::vector<std::string> listed = ListedSubfolders(Desktop());
    std::vector<std::string> names;
    for (const std::string& path : listed)
        names.push_back(path.substr(Desktop().size()));
    EXPECT_EQ(names, (std::vector<std::string>{"Music", "Projects", "system volume information",
                                               "Zeta", ".hidden"}));
    EXPECT_TRUE(ListedSubfolders(Desktop() + "no such folder").empty());
    EXPECT_EQ(ItemPathOf("/a/b/", false, false), "/a/b");
    EXPECT_EQ(ItemPathOf("/a/b/", true, false), "/a/b/");
    EXPECT_EQ(ItemPathOf("/media/usb/", false, true), "/media/usb/");
}

TEST_F(FolderTreeTest, TheDesktopHoldsMyComputerTheDocumentsAndItsOwnFolders) {
    EXPECT_EQ(tree->GetItemPath(root), Desktop());
    const std::vector<wxString> labels = Labels(*tree, root);
    ASSERT_EQ(labels.size(), 7u);
    EXPECT_EQ(labels[0], "My Computer");
    EXPECT_EQ(labels[1], "Docs");
    EXPECT_EQ(std::vector<wxString>(labels.begin() + 2, labels.end()),
              (std::vector<wxString>{"Music", "Projects", "system volume information", "Zeta",
                                     ".hidden"}));
    // "My Computer" is open and lists the mounted file systems, the root first.
    const wxTreeItemId computer = tree->GetComputerItem();
    EXPECT_TRUE(tree->IsExpanded(computer));
    EXPECT_EQ(tree->GetItemPath(computer), "");
    wxTreeItemIdValue cookie;
    const wxTreeItemId firstDrive = tree->GetFirstChild(computer, cookie);
    ASSERT_TRUE(firstDrive.IsOk());
    EXPECT_EQ(tree->GetItemPath(firstDrive), "/");
    EXPECT_EQ(tree->GetItemPath(tree->GetDocumentsItem()), kHome.home.Path() + "Docs/");
    // The dialog opens on the desktop, and the field says so.
    EXPECT_EQ(tree->GetSelection(), root);
    EXPECT_EQ(dialog->PathField().GetValue(), Desktop());
}

TEST_F(FolderTreeTest, OnlyFoldersWithSubfoldersOpenAndTheirPathsEndInASeparator) {
    const wxTreeItemId music = Child(*tree, root, "Music");
    const wxTreeItemId projects = Child(*tree, root, "Projects");
    EXPECT_FALSE(tree->ItemHasChildren(music));
    EXPECT_EQ(tree->GetItemPath(music), Desktop() + "Music");
    EXPECT_TRUE(tree->ItemHasChildren(projects));
    EXPECT_EQ(tree->GetItemPath(projects), Desktop() + "Projects/");

    // Closing forgets the folder; opening reads the disk again.
    tree->Expand(projects);
    EXPECT_EQ(Labels(*tree, projects), (std::vector<wxString>{"2024"}));
    tree->Collapse(projects);
    fs::create_directory(Desktop() + "Projects/2025");
    tree->Expand(projects);
    EXPECT_EQ(Labels(*tree, projects), (std::vector<wxString>{"2024", "2025"}));
    fs::remove(Desktop() + "Projects/2025");
}

TEST_F(FolderTreeTest, IconsAreSharedSoOpeningAndClosingDoesNotGrowTheImageList) {
    auto cycle = [&] {
        const wxTreeItemId zeta = Child(*tree, root, "Zeta");
        tree->Expand(zeta);
        tree->Expand(Child(*tree, zeta, "deeper"));
        tree->Collapse(zeta);
        tree->Collapse(root);
        tree->Expand(root);
    };
    cycle();
    const int icons = tree->IconCount();
    EXPECT_GT(icons, 0);
    for (int i = 0; i < 50; ++i) {
        cycle();
    }
    EXPECT_EQ(tree->IconCount(), icons);
    EXPECT_GE(tree->GetItemImage(Child(*tree, root, "Zeta")), 0);
}

TEST_F(FolderTreeTest, ARightClickSelectsAndTheFieldFollowsTheSelection) {
    const wxTreeItemId music = Child(*tree, root, "Music");
    wxRect rect;
    ASSERT_TRUE(tree->GetBoundingRect(music, rect, true));
    wxMouseEvent press(wxEVT_RIGHT_DOWN);
    press.SetPosition(rect.GetPosition() + wxPoint(3, rect.height / 2));
    press.SetEventObject(tree);
    tree->ProcessWindowEvent(press);
    PumpEvents();
    EXPECT_EQ(tree->GetSelection(), music);
    EXPECT_EQ(dialog->PathField().GetValue(), Desktop() + "Music");
    EXPECT_EQ(dialog->GetPath(), Desktop() + "Music/");

    // A folder with sub-folders already ends in one separator; "My Computer" gives just one.
    tree->SelectItem(Child(*tree, root, "Projects"));
    EXPECT_EQ(dialog->GetPath(), Desktop() + "Projects/");
    tree->SelectItem(tree->GetComputerItem());
    EXPECT_EQ(dialog->PathField().GetValue(), "");
    EXPECT_EQ(dialog->GetPath(), "/");
    EXPECT_FALSE(dialog->PathField().IsEditable());
}

}  // namespace
