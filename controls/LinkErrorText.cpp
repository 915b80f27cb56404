#include "LinkErrorText.h"

#include <wx/translation.h>

namespace tarv {

wxString LinkErrorText(LinkError error) {
    switch (error) {
        case LinkError::OutOfResources:
            return _("The operating system is out\nof memory or resources.");
        case LinkError::FileNotFound:
            return _("The specified file was not found.");
        case LinkError::PathNotFound:
            return _("The specified path was not found.");
        case LinkError::AccessDenied:
            return _("The operating system denied\naccess to the specified file.");
        case LinkError::NotEnoughMemory:
            return _("There was not enough memory to complete the operation.");
        case LinkError::BadFormat:
            return _("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
        case LinkError::SharingViolation:
            return _("A sharing violation occurred. ");
        case LinkError::AssociationIncomplete:
            return _("The filename association is\nincomplete or invalid.");
        case LinkError::DdeTimeout:
            return _("The DDE transaction could not\nbe completed because the request timed out.");
        case LinkError::DdeFailed:
            return _("The DDE transaction failed.");
        case LinkError::DdeBusy:
            return _(
                "The DDE transaction could not\nbe completed because other DDE "
                "transactions\nwere being processed.");
        case LinkError::NoAssociation:
            return _("There is no application associated\nwith the given filename extension.");
        case LinkError::LibraryNotFound:
            return _("The specified dynamic-link library was not found.");
    }
    return wxString::Format(_("Unknown Error (%d) occurred."), static_cast<int>(error));
}

wxString LinkErrorMessage(LinkError error) {
    return _("Can't open link:\n\n") + LinkErrorText(error);
}

}  // namespace tarv
