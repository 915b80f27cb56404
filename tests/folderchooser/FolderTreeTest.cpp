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
              "Desktop/.hidden", "Desktop/Zeta/deeper", "Docs/Videos", ".config",
              // Names that are legal here, though Windows would refuse them.
              "Docs/Odd/quote\"s and spaces", "Docs/Odd/a:b*c?d<e>f|g", "Docs/Odd/two\nlines/x"}) {
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

TEST(FolderLabels, LineBreaksAndControlCharactersShowAsVisibleSymbolsOnOneLine) {
    EXPECT_EQ(OneLineLabel("Videos"), "Videos");
    EXPECT_EQ(OneLineLabel(wxString::FromUTF8("two\nlines")), wxString::FromUTF8("two\u23CElines"));
    // A Windows line end is one break, not two.
    EXPECT_EQ(OneLineLabel(wxString::FromUTF8("a\r\nb\rc")), wxString::FromUTF8("a\u23CEb\u23CEc"));
    EXPECT_EQ(OneLineLabel(wxString::FromUTF8("tab\there\u2028x")),
              wxString::FromUTF8("tab\u2409here\u23CEx"));
    EXPECT_EQ(OneLineLabel(wxString::FromUTF8("caf\u00e9 \"q\"")),
              wxString::FromUTF8("caf\u00e9 \"q\""));
}

TEST_F(FolderTreeTest, FolderNamesOnlyWindowsRefusesAreListedAndCanBeChosen) {
    const wxTreeItemId docs = tree->GetDocumentsItem();
    tree->Expand(docs);
    const wxTreeItemId odd = Child(*tree, docs, "Odd");
    ASSERT_TRUE(odd.IsOk());
    tree->Expand(odd);
    EXPECT_EQ(Labels(*tree, odd), (std::vector<wxString>{"a:b*c?d<e>f|g", "quote\"s and spaces",
                                                         wxString::FromUTF8("two\u23CElines")}));
    const wxTreeItemId quote = Child(*tree, odd, "quote\"s and spaces");
    ASSERT_TRUE(quote.IsOk());
    tree->SelectItem(quote);
    const std::string folder = kHome.home.Path() + "Docs/Odd/quote\"s and spaces";
    EXPECT_EQ(dialog->PathField().GetValue(), folder);
    EXPECT_EQ(dialog->GetPath(), folder + "/");
}

TEST_F(FolderTreeTest, ALineBreakInANameKeepsEveryRowOneLineHighAndThePathReal) {
    wxRect before;
    ASSERT_TRUE(tree->GetBoundingRect(root, before));
    const wxTreeItemId docs = tree->GetDocumentsItem();
    tree->Expand(docs);
    const wxTreeItemId odd = Child(*tree, docs, "Odd");
    tree->Expand(odd);
    // The last of the folder's three.
    const wxTreeItemId broken = tree->GetLastChild(odd);
    ASSERT_TRUE(broken.IsOk());
    // The path is the folder's real name, line break and all; the label is one line.
    EXPECT_EQ(tree->GetItemPath(broken), kHome.home.Path() + "Docs/Odd/two\nlines/");
    EXPECT_EQ(tree->GetItemText(broken), wxString::FromUTF8("two\u23CElines"));
    tree->EnsureVisible(broken);
    PumpEvents();
    wxRect rootAfter;
    wxRect brokenRect;
    ASSERT_TRUE(tree->GetBoundingRect(root, rootAfter));
    ASSERT_TRUE(tree->GetBoundingRect(broken, brokenRect));
    EXPECT_EQ(rootAfter.height, before.height);
    EXPECT_EQ(brokenRect.height, before.height);
}

}  // namespace
