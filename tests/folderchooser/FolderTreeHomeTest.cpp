// The folder tree of a user who has no desktop folder, so the home folder is the tree's root:
// the documents folder may then be the root itself or one of its own folders, and the tree
// must not list it twice.
#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FolderTreeCtrl.h"
#include "TargetFolderDlg.h"
#include "TempFolder.h"
#include "WxTestEnvironment.h"

using namespace tarv;
using tarv::testing::PumpEvents;
namespace fs = std::filesystem;

namespace {

// Set before the desktop's settings are first read: the home folder is read once per process.
struct HomeWithoutDesktop {
    HomeWithoutDesktop() {
        for (const char* folder : {"home/Documents/Letters", "home/Music", "home/.config"}) {
            fs::create_directories(base.Path() + folder);
        }
        setenv("HOME", Home().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Home() + ".config").c_str(), 1);
    }
    std::string Home() const { return base.Path() + "home/"; }
    // The user-dirs settings name the documents folder; the desktop folder named there is
    // missing, so the home folder stands in for it.
    void NameDocuments(const std::string& documents) const {
        std::ofstream(Home() + ".config/user-dirs.dirs")
            << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/" << documents
            << "\"\n";
        g_reload_user_special_dirs_cache();
    }
    TempFolder base;
};
const HomeWithoutDesktop kUser;

std::vector<wxString> Labels(const wxTreeCtrl& tree, const wxTreeItemId& parent) {
    std::vector<wxString> labels;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree.GetFirstChild(parent, cookie); child.IsOk();
         child = tree.GetNextChild(parent, cookie)) {
        labels.push_back(tree.GetItemText(child));
    }
    return labels;
}

class HomeTreeTest : public ::testing::Test {
protected:
    void Open() {
        dialog = new CTargetFolderDlg(nullptr);
        dialog->Show();
        PumpEvents();
        tree = &dialog->Tree();
    }
    void TearDown() override {
        if (dialog) {
            dialog->Destroy();
        }
    }

    CTargetFolderDlg* dialog = nullptr;
    CFolderTreeCtrl* tree = nullptr;
};

TEST_F(HomeTreeTest, TheDocumentsFolderInsideTheRootIsListedOnceAsTheDocumentsItem) {
    kUser.NameDocuments("Documents");
    Open();
    const wxTreeItemId root = tree->GetRootItem();
    EXPECT_EQ(tree->GetItemPath(root), kUser.Home());
    EXPECT_EQ(Labels(*tree, root),
              (std::vector<wxString>{"My Computer", "Documents", "Music", ".config"}));
    EXPECT_EQ(tree->GetItemPath(tree->GetDocumentsItem()), kUser.Home() + "Documents/");
}

TEST_F(HomeTreeTest, ADocumentsFolderThatIsTheRootItselfIsNotListedUnderIt) {
    // A documents folder that does not exist falls back to the home folder: the root.
    kUser.NameDocuments("Missing");
    Open();
    const wxTreeItemId root = tree->GetRootItem();
    EXPECT_EQ(tree->GetItemText(root), "home");
    EXPECT_EQ(Labels(*tree, root),
              (std::vector<wxString>{"My Computer", "Documents", "Music", ".config"}));
    EXPECT_FALSE(tree->GetDocumentsItem().IsOk());
    // Closing and opening the root again reads it the same way.
    tree->Collapse(root);
    tree->Expand(root);
    EXPECT_EQ(Labels(*tree, root),
              (std::vector<wxString>{"My Computer", "Documents", "Music", ".config"}));
}

}  // namespace
