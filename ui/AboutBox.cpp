#include "AboutBox.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "HyperLink.h"
#include "Resources.h"

namespace tarv {

namespace {

constexpr int kMakerId = 1048;
constexpr int kVersionId = 1037;
constexpr int kHomePageId = 1038;
constexpr int kSupportId = 1039;
constexpr int kNoticeId = 1047;

constexpr char kMaker[] = "TarvSoft Group";
constexpr char kVersion[] = "1.0";
constexpr char kLegalNotice[] =
    "Provided as it is, without warranty of any kind.\n"
    "Convert only videos you have the right to copy.\n"
    "Your files stay yours; nothing is sent anywhere.\n"
    "Copyright (C) TarvSoft Group. All rights reserved.";
constexpr char kNoticeLine[] = "Thank you for choosing TarvSoft.";

}  // namespace

CAboutBox::CAboutBox(wxWindow* parent) : wxDialog(parent, wxID_ANY, "About") {
    SetFont(wxFont(wxFontInfo(8).FaceName("Liberation Sans")));
    auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto sized = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    const wxIconBundle icons = LoadResourceIcons(kIconMain);
    const wxSize iconSize = sized(20, 20);
    wxBitmap picture;
    picture.CopyFromIcon(icons.GetIcon(iconSize, wxIconBundle::FALLBACK_NEAREST_LARGER));
    new wxStaticBitmap(this, wxID_ANY, picture, at(15, 12), picture.GetSize());

    m_maker = new wxStaticText(this, kMakerId, kMaker, at(54, 11), sized(125, 8));
    m_version = new wxStaticText(this, kVersionId, wxString(kAppTitle) + " " + kVersion, at(54, 25),
                                 sized(132, 14));
    m_version->SetFont(GetFont().Bold());
    auto* ok = new wxButton(this, wxID_OK, "OK", at(209, 7), sized(40, 14));
    ok->SetDefault();
    new wxStaticText(this, wxID_ANY, "Technical Support:", at(30, 91), sized(61, 8));
    m_homePage =
        new CHyperLink(this, kHomePageId, kHomePageUrl, kHomePageUrl, at(58, 104), sized(81, 11));
    m_support = new CHyperLink(this, kSupportId, kSupportAddress,
                               wxString("mailto:") + kSupportAddress, at(58, 117), sized(81, 11));
    new wxStaticText(this, wxID_ANY, kLegalNotice, at(30, 147), sized(196, 36));
    new wxStaticText(this, kNoticeId, kNoticeLine, at(42, 186), sized(171, 10),
                     wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    SetClientSize(sized(256, 205));
    // Esc and the close box end the box as OK does.
    SetEscapeId(wxID_OK);
    ok->SetFocus();
    Centre();
}

}  // namespace tarv
