// Draws a Windows bitmap file (".bmp") stretched into a rectangle; the preview pane shows its
// logo with it.
#pragma once

#include <wx/dc.h>
#include <wx/string.h>

namespace tarv {

// True when the picture was drawn. Any failure - no such file, not a bitmap file (it must start
// with "BM"), a damaged one, an empty rectangle - draws nothing and gives false, silently.
// Every bitmap header size Windows writes is read, from the oldest to the newest.
bool DrawBitmapFile(wxDC& dc, const wxString& path, const wxRect& target);

}  // namespace tarv
