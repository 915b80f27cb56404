#include "FailureTranslation.h"

#include <wx/translation.h>

namespace tarv {

namespace {

// As the engine words them: the source file is "the file", the tools are "the encoder", "the
// muxer" and "the identify tool"; a sentence starts with a capital and ends with a full stop.
// More particular forms come before the general ones they would also match.
// clang-format off
constexpr const char* kPatterns[] = {
    // TRANSLATORS: a conversion failed and no tool said why.
    wxTRANSLATE("The conversion failed."),
    wxTRANSLATE("Out of memory."),
    wxTRANSLATE("The file holds no video or sound to convert."),
    wxTRANSLATE("Cannot read the file: it holds no video or audio."),
    wxTRANSLATE("Cannot read the file: the file is empty."),
    wxTRANSLATE("Cannot read the file: not a media file this tool knows."),
    wxTRANSLATE("Cannot open the file: it is a folder, not a media file."),
    wxTRANSLATE("Cannot open the file: it is a device or a pipe, not a media file."),
    // TRANSLATORS: %1$s is a picture size such as "16000x16000", %2$s a number.
    wxTRANSLATE("Cannot decode the file: its pictures are %s, more than the %s million pixels the tools take."),
    // TRANSLATORS: %s is the system's reason, in English.
    wxTRANSLATE("Cannot open the file: %s."),
    // TRANSLATORS: %s is the media library's reason, in English.
    wxTRANSLATE("The file is damaged: %s."),
    // TRANSLATORS: %1$s is a size limit such as "300 KB", %2$s a playing time such as "0:48".
    wxTRANSLATE("Too long for %s: at most %s fits at the lowest quality."),
    // TRANSLATORS: %s is a size such as "5 KB".
    wxTRANSLATE("%s is too small: not even a second fits at the lowest quality."),
    // TRANSLATORS: %s is a size limit such as "1 MB".
    wxTRANSLATE("Its playing time is unknown, so no bitrates can be chosen to fit %s."),
    wxTRANSLATE("No picture of the file could be decoded."),
    // TRANSLATORS: %s is a number of pictures.
    wxTRANSLATE("None of the %s pictures of the file lies within its playing time."),
    // TRANSLATORS: %s is the name of a video or sound format.
    wxTRANSLATE("No decoder for %s."),
    wxTRANSLATE("Cannot tell the size of the input's video."),
    wxTRANSLATE("Cannot tell the sample format of the input's audio."),
    // TRANSLATORS: %s is the name of an encoder (Xvid, x264, AAC).
    wxTRANSLATE("This build has no %s encoder."),
    wxTRANSLATE("Cannot filter a frame: %s."),
    wxTRANSLATE("Cannot finish filtering: %s."),
    // TRANSLATORS: %s is the path of a file the conversion writes.
    wxTRANSLATE("Cannot write %s: another program put a file there meanwhile; it was left as it is."),
    wxTRANSLATE("Cannot write %s: another program changed it meanwhile; it was left as it is."),
    // TRANSLATORS: %1$s is the path of a file, %2$s the system's reason in English.
    wxTRANSLATE("Cannot write %s: %s."),
    wxTRANSLATE("%s holds no video or audio track."),
    wxTRANSLATE("%s holds no video frames."),
    wxTRANSLATE("%s holds no video."),
    wxTRANSLATE("%s holds no audio."),
    wxTRANSLATE("%s does not describe its AAC audio."),
    wxTRANSLATE("Cannot copy %s video into a raw track: only MPEG-4 and H.264 are written."),
    wxTRANSLATE("Cannot copy %s audio into a raw AAC track."),
    // TRANSLATORS: %1$s is the name of a format, %2$s the path of a file.
    wxTRANSLATE("Cannot put %s from %s into a 3GPP file."),
    wxTRANSLATE("Cannot tell the picture size of %s."),
    wxTRANSLATE("Cannot tell the sample rate of %s."),
    // TRANSLATORS: %s is a number, the status the program ended with.
    wxTRANSLATE("The encoder ended with exit status %s."),
    wxTRANSLATE("The muxer ended with exit status %s."),
    // TRANSLATORS: %s is the signal's number and name.
    wxTRANSLATE("The encoder ended with killed by signal %s."),
    wxTRANSLATE("The muxer ended with killed by signal %s."),
    wxTRANSLATE("Cannot start the encoder: %s."),
    wxTRANSLATE("Cannot start the muxer: %s."),
    // TRANSLATORS: %1$s is a folder, %2$s the system's reason in English.
    wxTRANSLATE("Cannot create files in %s: %s."),
    wxTRANSLATE("Cannot use the name %s: %s."),
    wxTRANSLATE("Cannot check %s: %s."),
    wxTRANSLATE("Another program put a file at %s; it was left as it is."),
};
// clang-format on

// Whether text[from...] matches pieces[piece...], each piece after the first preceded by a
// varying part of at least one character; the shortest parts that let the rest match win.
bool MatchFrom(const std::vector<wxString>& pieces, size_t piece, const wxString& text, size_t from,
               std::vector<wxString>* parts) {
    if (piece == pieces.size()) {
        return from == text.size();
    }
    if (piece == 0) {
        return text.compare(from, pieces[0].size(), pieces[0]) == 0 &&
               MatchFrom(pieces, 1, text, from + pieces[0].size(), parts);
    }
    const wxString& literal = pieces[piece];
    const bool last = piece + 1 == pieces.size();
    for (size_t at = from + 1; at + literal.size() <= text.size(); ++at) {
        if (last && at + literal.size() != text.size()) {
            continue;
        }
        if (text.compare(at, literal.size(), literal) != 0) {
            continue;
        }
        parts->push_back(text.substr(from, at - from));
        if (MatchFrom(pieces, piece + 1, text, at + literal.size(), parts)) {
            return true;
        }
        parts->pop_back();
    }
    return false;
}

}  // namespace

std::span<const char* const> FailurePatterns() {
    return kPatterns;
}

bool MatchPattern(const wxString& pattern, const wxString& sentence, std::vector<wxString>* parts) {
    std::vector<wxString> pieces;
    size_t from = 0;
    for (size_t at = pattern.find("%s"); at != wxString::npos; at = pattern.find("%s", from)) {
        pieces.push_back(pattern.substr(from, at - from));
        from = at + 2;
    }
    pieces.push_back(pattern.substr(from));
    parts->clear();
    return MatchFrom(pieces, 0, sentence, 0, parts);
}

wxString FillPattern(const wxString& format, const std::vector<wxString>& parts) {
    wxString text;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            text += format[i];
            continue;
        }
        if (format[i + 1] == '%') {
            text += '%';
            ++i;
            continue;
        }
        if (format[i + 1] == 's') {
            text += next < parts.size() ? parts[next] : wxString();
            ++next;
            ++i;
            continue;
        }
        // "%N$s": the N-th part.
        size_t end = i + 1;
        while (end < format.size() && wxIsdigit(format[end])) {
            ++end;
        }
        unsigned long number = 0;
        if (end > i + 1 && end + 1 < format.size() && format[end] == '$' &&
            format[end + 1] == 's' && format.substr(i + 1, end - i - 1).ToULong(&number) &&
            number >= 1) {
            text += number <= parts.size() ? parts[number - 1] : wxString();
            i = end + 1;
            continue;
        }
        text += format[i];
    }
    return text;
}

wxString TranslatedFailure(const std::string& sentence) {
    const wxString english = wxString::FromUTF8(sentence);
    std::vector<wxString> parts;
    for (const char* pattern : kPatterns) {
        if (MatchPattern(pattern, english, &parts)) {
            const wxString& translated = wxGetTranslation(pattern);
            return translated == pattern ? english : FillPattern(translated, parts);
        }
    }
    return english;
}

}  // namespace tarv
