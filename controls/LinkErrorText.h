// The words a person reads when a link cannot be opened.
#pragma once

#include <wx/string.h>

#include "LinkResult.h"

namespace tarv {

// The words for one reason.
wxString LinkErrorText(LinkError error);
// The whole message shown when a link cannot be opened.
wxString LinkErrorMessage(LinkError error);

}  // namespace tarv
