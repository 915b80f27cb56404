// The document of the main window. It holds nothing: the list and every setting live in the
// view, and nothing of a session is saved but the output folder, which the frame keeps.
#pragma once

namespace tarv {

class CTarvMediaConverterDoc {
public:
    // A new, empty document: always possible.
    bool OnNewDocument() { return true; }
};

}  // namespace tarv
