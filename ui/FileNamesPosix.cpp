// File names as the engine takes them on Linux: the bytes the file system holds, whatever the
// user's locale makes of them.
#include <wx/strconv.h>

#include "ConversionList.h"

namespace tarv {

std::string FileNameBytes(const wxString& path) {
    return std::string(path.fn_str());
}

wxString PathFromBytes(const std::string& bytes) {
    return wxString(bytes.c_str(), *wxConvFileName);
}

}  // namespace tarv
