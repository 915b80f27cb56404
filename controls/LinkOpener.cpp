#include "LinkOpener.h"

#include "BrowserCommand.h"

namespace tarv {

LinkResult GotoURL(const wxString& target, LinkOpener& opener) {
    if (opener.OpenWithDesktop(target)) {
        return LinkResult::Opened();
    }
    // The desktop could not do it; the reason it would have named is the missing association.
    const std::optional<wxString> browser = opener.DefaultBrowserCommand();
    if (!browser) {
        return LinkResult::Failed(LinkError::NoAssociation);
    }
    return opener.Start(BrowserCommandArguments(*browser, target));
}

}  // namespace tarv
