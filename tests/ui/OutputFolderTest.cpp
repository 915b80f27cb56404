#include "OutputFolder.h"

#include <gtest/gtest.h>
#include <wx/fileconf.h>
#include <wx/filename.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempFolder.h"

using namespace tarv;

TEST(OutputFolder, TheClosingKeyComesFirstThenTheOlderKeyThenTheDefault) {
    EXPECT_EQ(*RememberedOutputFolder(wxString("/a"), wxString("/b")), "/a");
    EXPECT_EQ(*RememberedOutputFolder(std::nullopt, wxString("/b")), "/b");
    EXPECT_EQ(*RememberedOutputFolder(wxString(""), wxString("/b")), "/b");
    EXPECT_FALSE(RememberedOutputFolder(wxString(""), std::nullopt));
    EXPECT_EQ(DefaultOutputFolder("/home/ann/Documents"),
              "/home/ann/Documents/TarvSoft Video to 3GP Converter/");
    EXPECT_EQ(DefaultOutputFolder("/home/ann/"), "/home/ann/TarvSoft Video to 3GP Converter/");
}

TEST(OutputFolder, WhatClosingSavesIsWhatTheNextStartShows) {
    TempFolder folder;
    const wxString file = folder.Path() + "settings/TarvMediaConverter.conf";
    {
        auto settings = OpenSettings(file);
        const StartFolder first = ChooseStartFolder(*settings, "/home/ann/Documents");
        EXPECT_TRUE(first.isDefault);
        EXPECT_EQ(first.folder, "/home/ann/Documents/TarvSoft Video to 3GP Converter/");
        // An older version's key is read when closing has written nothing yet.
        settings->Write(StartFolderKey() + "/OutputFolder", "/media/old");
        EXPECT_EQ(ChooseStartFolder(*settings, "/x").folder, "/media/old");
        ASSERT_TRUE(SaveOutputFolder(*settings, "/media/video folder/"));
    }
    std::ifstream text(std::string(file.utf8_str()));
    std::stringstream contents;
    contents << text.rdbuf();
    EXPECT_NE(contents.str().find("OutputFolder=/media/video folder/"), std::string::npos)
        << contents.str();
    auto again = OpenSettings(file);
    const StartFolder next = ChooseStartFolder(*again, "/x");
    EXPECT_FALSE(next.isDefault);
    EXPECT_EQ(next.folder, "/media/video folder/");
}

TEST(OutputFolder, ASettingsFileThatCannotBeWrittenIsReported) {
    TempFolder folder;
    // The settings file's place is taken by a folder, so it can never be written.
    const std::string file = folder.Path() + "TarvMediaConverter.conf";
    std::filesystem::create_directory(file);
    auto settings = OpenSettings(file);
    EXPECT_FALSE(SaveOutputFolder(*settings, "/media/video"));
}

TEST(OutputFolder, TheFieldsTextBecomesAFolderPath) {
    EXPECT_EQ(NormalisedOutputFolder("  /media/v  ", "/home/ann"), "/media/v");
    EXPECT_EQ(NormalisedOutputFolder("~/Videos/", "/home/ann"), "/home/ann/Videos/");
    EXPECT_EQ(NormalisedOutputFolder("~", "/home/ann"), "/home/ann");
    EXPECT_EQ(NormalisedOutputFolder("phone", "/home/ann"), "/home/ann/phone");
    EXPECT_EQ(NormalisedOutputFolder("   ", "/home/ann"), "");
}
