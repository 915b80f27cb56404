#pragma once
// The list of pictures the renderer makes: what each one is called, how big it is, which
// drawings it is made of and how they are put together. Read from the text of art/pictures.list.

#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <optional>
#include <vector>

struct PictureEntry {
    enum class Kind { Bitmap, Icon, File };
    Kind kind = Kind::Bitmap;
    // The built-in id of a bitmap or an icon.
    int id = 0;
    // A file's name, relative to the program folder.
    wxString fileName;
    // One source's size at 100 %; an icon's edge both ways.
    wxSize size;
    // A bitmap's transparent colour; a file's background, none to keep its transparency.
    std::optional<wxColour> colour;
    bool greyed = false;
    // The bitmap whose transparent area this one shares; 0 for none.
    int pairId = 0;
    // Drawing names (without ".svg"), left to right.
    std::vector<wxString> sources;
};

struct PictureList {
    std::vector<PictureEntry> entries;
    // One line each, naming the line: a list with errors makes no pictures.
    std::vector<wxString> errors;
};

PictureList ParsePictureList(const wxString& text);
