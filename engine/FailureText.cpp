#include "FailureText.h"

#include <cctype>

#include "ToolSet.h"

namespace tarv {

namespace {

std::string LastLine(std::string_view text) {
    size_t end = text.size();
    while (end > 0) {
        const size_t start = text.find_last_of("\r\n", end - 1);
        const size_t from = start == std::string_view::npos ? 0 : start + 1;
        const std::string_view line = text.substr(from, end - from);
        if (line.find_first_not_of(" \t") != std::string_view::npos) {
            return std::string(line);
        }
        if (start == std::string_view::npos) {
            break;
        }
        end = start;
    }
    return {};
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
    if (what.empty()) {
        return;
    }
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
}

// A tool's file name, with whatever folder stood before it, and the words for it.
void NameTools(std::string& text) {
    struct Named {
        Tool tool;
        const char* words;
    };
    for (const Named& named :
         {Named{Tool::Identify, "the identify tool"}, Named{Tool::Encoder, "the encoder"},
          Named{Tool::Muxer, "the muxer"}}) {
        const std::string name = LastPathPart(ToolPath("/", named.tool), '/');
        for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
            // Back to the start of the path the name ends, if it is one.
            size_t from = at;
            while (from > 0 && text[from - 1] != ' ') {
                --from;
            }
            const std::string_view words = named.words;
            text.replace(from, at + name.size() - from, words);
            at = from + words.size();
        }
    }
}

}  // namespace

std::string FailureSentence(std::string_view toolLines, std::string_view sourcePath) {
    std::string text = LastLine(toolLines);
    // The tool's own name leads each of its messages; it means nothing to a person.
    const size_t colon = text.find(": ");
    if (colon != std::string::npos && text.find(' ') > colon &&
        text.compare(0, kProductWord.size(), kProductWord) == 0) {
        text.erase(0, colon + 2);
    }
    ReplaceAll(text, sourcePath, "the file");
    NameTools(text);
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "The conversion failed.";
    }
    text.erase(0, first);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (text.back() != '.' && text.back() != '!' && text.back() != '?') {
        text += '.';
    }
    return text;
}

}  // namespace tarv
