#include "PictureList.h"

#include <wx/tokenzr.h>

namespace {

std::optional<wxSize> ParseSize(const wxString& text) {
    long width = 0;
    long height = 0;
    if (!text.BeforeFirst('x').ToLong(&width) || !text.AfterFirst('x').ToLong(&height) ||
        width <= 0 || height <= 0) {
        return std::nullopt;
    }
    return wxSize(width, height);
}

std::optional<wxColour> ParseColour(const wxString& text) {
    const wxArrayString parts = wxSplit(text, ',', '\0');
    if (parts.size() != 3) {
        return std::nullopt;
    }
    unsigned long rgb[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!parts[i].ToULong(&rgb[i]) || rgb[i] > 255) {
            return std::nullopt;
        }
    }
    return wxColour(rgb[0], rgb[1], rgb[2]);
}

bool ParseId(const wxString& text, int& id) {
    long value = 0;
    if (!text.ToLong(&value) || value <= 0) {
        return false;
    }
    id = static_cast<int>(value);
    return true;
}

// One line's fields into an entry; the reason when they do not make one.
std::optional<wxString> ParseEntry(const std::vector<wxString>& fields, PictureEntry& entry) {
    const wxString& kind = fields[0];
    size_t next = 0;
    if (kind == "bitmap") {
        entry.kind = PictureEntry::Kind::Bitmap;
        if (fields.size() < 5) {
            return wxString("a bitmap needs an id, a size, a key colour and a drawing");
        }
        const auto size = ParseSize(fields[2]);
        entry.colour = ParseColour(fields[3]);
        if (!ParseId(fields[1], entry.id) || !size || !entry.colour) {
            return wxString("a bitmap's id, size or key colour does not read");
        }
        entry.size = *size;
        next = 4;
        for (; next < fields.size(); ++next) {
            if (fields[next] == "greyed") {
                entry.greyed = true;
            } else if (fields[next].StartsWith("pair=")) {
                if (!ParseId(fields[next].Mid(5), entry.pairId)) {
                    return wxString("a pair names no bitmap");
                }
            } else {
                break;
            }
        }
    } else if (kind == "icon") {
        entry.kind = PictureEntry::Kind::Icon;
        long edge = 0;
        if (fields.size() != 4 || !ParseId(fields[1], entry.id) || !fields[2].ToLong(&edge) ||
            edge <= 0) {
            return wxString("an icon needs an id, a size and one drawing");
        }
        entry.size = wxSize(edge, edge);
        next = 3;
    } else if (kind == "file") {
        entry.kind = PictureEntry::Kind::File;
        const auto size = fields.size() == 5 ? ParseSize(fields[2]) : std::nullopt;
        if (!size) {
            return wxString("a file needs a name, a size, a background and one drawing");
        }
        entry.fileName = fields[1];
        entry.size = *size;
        if (fields[3] != "-") {
            entry.colour = ParseColour(fields[3]);
            if (!entry.colour) {
                return wxString("a file's background does not read");
            }
        }
        next = 4;
    } else {
        return "no kind of picture is called \"" + kind + "\"";
    }
    entry.sources.assign(fields.begin() + next, fields.end());
    if (entry.sources.empty()) {
        return wxString("no drawing is named");
    }
    return std::nullopt;
}

}  // namespace

PictureList ParsePictureList(const wxString& text) {
    PictureList list;
    const wxArrayString lines = wxSplit(text, '\n', '\0');
    for (size_t number = 0; number < lines.size(); ++number) {
        const wxString line = lines[number].BeforeFirst('#');
        std::vector<wxString> fields;
        wxStringTokenizer tokens(line, " \t\r", wxTOKEN_STRTOK);
        while (tokens.HasMoreTokens()) {
            fields.push_back(tokens.GetNextToken());
        }
        if (fields.empty()) {
            continue;
        }
        PictureEntry entry;
        if (const auto error = ParseEntry(fields, entry)) {
            list.errors.push_back(wxString::Format("line %zu: %s", number + 1, *error));
        } else {
            list.entries.push_back(entry);
        }
    }
    // A pair must name a bitmap of the same size and key, or the masks would not fit each other.
    for (const PictureEntry& entry : list.entries) {
        if (entry.pairId == 0) {
            continue;
        }
        bool found = false;
        for (const PictureEntry& other : list.entries) {
            if (other.kind == PictureEntry::Kind::Bitmap && other.id == entry.pairId) {
                found = other.size == entry.size && other.colour == entry.colour &&
                        other.sources.size() == entry.sources.size();
            }
        }
        if (!found) {
            list.errors.push_back(
                wxString::Format("bitmap %d: its pair %d is not a bitmap of the same size and key",
                                 entry.id, entry.pairId));
        }
    }
    return list;
}
