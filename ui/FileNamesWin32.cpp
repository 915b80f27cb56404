// File names as the engine takes them on Windows: UTF-8, which spells every name the system's
// UTF-16 names can hold.
#include "ConversionList.h"

namespace tarv {

std::string FileNameBytes(const wxString& path) {
    return path.utf8_string();
}

wxString PathFromBytes(const std::string& bytes) {
    return wxString::FromUTF8(bytes);
}

}  // namespace tarv
