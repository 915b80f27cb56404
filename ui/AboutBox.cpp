#include "AboutBox.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/translation.h>

#include <algorithm>

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
constexpr char kLegalNotice[] = wxTRANSLATE(
    "Provided as it is, without warranty of any kind.\n"
    "Convert only videos you have the right to copy.\n"
    "Your files stay yours; nothing is sent anywhere.\n"
    "Copyright (C) TarvSoft Group. All rights reserved.");
constexpr char kNoticeLine[] = wxTRANSLATE("Thank you for choosing TarvSoft.");

// The room a label's text takes in its own font, line by line. (The theme measures a label in
// its own font until the label first shows.)
wxSize TextSize(wxWindow& label) {
    wxClientDC dc(&label);
    dc.SetFont(label.GetFont());
    return dc.GetMultiLineTextExtent(label.GetLabel());
}

}  // namespace

CAboutBox::CAboutBox(wxWindow* parent) : wxDialog(parent, wxID_ANY, _("About")) {
    SetFont(wxFont(wxFontInfo(8).FaceName("Liberation Sans")));
    auto at = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
    auto sized = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };

    const wxIconBundle icons = LoadResourceIcons(kIconMain);
    const wxSize iconSize = sized(20, 20);
    wxBitmap picture;
    picture.CopyFromIcon(icons.GetIcon(iconSize, wxIconBundle::FALLBACK_NEAREST_LARGER));
    new wxStaticBitmap(this, wxID_ANY, picture, at(15, 12), picture.GetSize());

    m_maker = new wxStaticText(this, kMakerId, kMaker, at(54, 11), sized(125, 8));
    m_version = new wxStaticText(this, kVersionId, wxGetTranslation(kAppTitle) + " " + kVersion,
                                 at(54, 25), sized(132, 14));
    m_version->SetFont(GetFont().Bold());
    // A longer name in another language takes the room up to the OK button, then a second line.
    const int versionRoom = at(205, 0).x - at(54, 0).x;
    if (TextSize(*m_version).x > m_version->GetSize().x) {
        m_version->Wrap(versionRoom);
        m_version->SetSize(versionRoom, std::max(TextSize(*m_version).y, m_version->GetSize().y));
    }
    auto* ok = new wxButton(this, wxID_OK, _("OK"), at(209, 7), sized(40, 14));
    ok->SetDefault();
    auto* support =
        new wxStaticText(this, wxID_ANY, _("Technical Support:"), at(30, 91), sized(61, 8));
    wxSize supportSize = support->GetSize();
    supportSize.IncTo(TextSize(*support));
    support->SetSize(supportSize);
    m_homePage =
        new CHyperLink(this, kHomePageId, kHomePageUrl, kHomePageUrl, at(58, 104), sized(81, 11));
    m_support = new CHyperLink(this, kSupportId, kSupportAddress,
                               wxString("mailto:") + kSupportAddress, at(58, 117), sized(81, 11));
    // The notice's lines wrap at its width in every language; what grows taller moves the last
    // line and the box's bottom down with it.
    auto* legal = new wxStaticText(this, wxID_ANY, wxGetTranslation(kLegalNotice), at(30, 147),
                                   sized(196, 36));
    legal->Wrap(sized(196, 0).x);
    const int taller = std::max(TextSize(*legal).y - sized(0, 36).y, 0);
    legal->SetSize(sized(196, 0).x, sized(0, 36).y + taller);
    new wxStaticText(this, kNoticeId, wxGetTranslation(kNoticeLine),
                     at(42, 186) + wxPoint(0, taller), sized(171, 10),
                     wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
    SetClientSize(sized(256, 205) + wxSize(0, taller));
    // Esc and the close box end the box as OK does.
    SetEscapeId(wxID_OK);
    ok->SetFocus();
    Centre();
}

}  // namespace tarv
