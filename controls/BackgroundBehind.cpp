#include "BackgroundBehind.h"

namespace tarv {

wxColour BackgroundBehind(const wxWindow* window) {
    for (const wxWindow* ancestor = window->GetParent(); ancestor;
         ancestor = ancestor->GetParent()) {
        if (ancestor->UseBgCol() || ancestor->IsTopLevel()) {
            return ancestor->GetBackgroundColour();
        }
    }
    return window->GetBackgroundColour();
}

}  // namespace tarv
