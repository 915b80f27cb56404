#include "LinkErrorText.h"

namespace tarv {

wxString LinkErrorText(LinkError error) {
    switch (error) {
        case LinkError::OutOfResources:
            return "The operating system is out\nof memory or resources.";
        case LinkError::FileNotFound:
            return "The specified file was not found.";
        case LinkError::PathNotFound:
            return "The specified path was not found.";
        case LinkError::AccessDenied:
            return "The operating system denied\naccess to the specified file.";
        case LinkError::NotEnoughMemory:
            return "There was not enough memory to complete the operation.";
        case LinkError::BadFormat:
            return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case LinkError::SharingViolation:
            return "A sharing violation occurred. ";
        case LinkError::AssociationIncomplete:
            return "The filename association is\nincomplete or invalid.";
        case LinkError::DdeTimeout:
            return "The DDE transaction could not\nbe completed because the request timed out.";
        case LinkError::DdeFailed:
            return "The DDE transaction failed.";
        case LinkError::DdeBusy:
            return "The DDE transaction could not\nbe completed because other DDE "
                   "transactions\nwere being processed.";
        case LinkError::NoAssociation:
            return "There is no application associated\nwith the given filename extension.";
        case LinkError::LibraryNotFound:
            return "The specified dynamic-link library was not found.";
    }
    return wxString::Format("Unknown Error (%d) occurred.", static_cast<int>(error));
}

wxString LinkErrorMessage(LinkError error) {
    return "Can't open link:\n\n" + LinkErrorText(error);
}

}  // namespace tarv
