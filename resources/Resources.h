#pragma once
// The pictures built into the program, and the names of the files that ship beside it.
// Keyed bitmaps come back without a mask: the caller masks them with ResourceKeyColour().

#include <wx/bitmap.h>
#include <wx/bmpbndl.h>
#include <wx/colour.h>
#include <wx/iconbndl.h>
#include <wx/translation.h>

#include "ResourceIds.h"

// The main window's caption, the program's display name and the caption of its message boxes
// (shown in the user's language; the settings keep it as written).
inline constexpr char kAppTitle[] = wxTRANSLATE("TarvSoft Video to 3GP Converter");
inline constexpr char kHomePageUrl[] = "http://www.example.com/tarvsoft/";

inline constexpr char kHelpFileName[] = "3gphelp.html";
inline constexpr char kLogoFileName[] = "logo.bmp";

inline constexpr int kToolbarPictureWidth = 64;
inline constexpr int kToolbarPictureHeight = 45;
inline constexpr int kToolbarPictureCount = 6;

// The 24-bit bitmap with this id; an invalid bitmap for an id that is not a bitmap.
wxBitmap LoadResourceBitmap(int id);

// The bitmap with this id at 100 % and its own rendering at twice the size for screens at
// 200 %, both with the same key colour; an empty bundle for an id that is not a bitmap.
wxBitmapBundle LoadResourceBitmapBundle(int id);

// Every size of the icon with this id (kIconMain); an empty bundle for any other id.
wxIconBundle LoadResourceIcons(int id);

// The colour that stands for "transparent" in the keyed bitmap with this id; an invalid colour
// for ids without one.
wxColour ResourceKeyColour(int id);
