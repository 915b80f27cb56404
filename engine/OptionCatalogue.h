// The fixed choices the form offers for a conversion and the command-line text each stands for.
// The window fills its lists from these tables; the step commands read the values.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarv {

// One item of an option list: what the list shows and the text it puts into a tool command
// (empty for lists that feed no command).
struct OptionItem {
    std::string_view display;
    std::string_view value;
};

enum class VideoFamily { Xvid, X264 };

struct FormatItem {
    std::string_view display;
    std::string_view codecItem;  // the single item of the video codec list for this format
    std::string_view rawVideoExtension;
    VideoFamily family;
};

// The option lists, in the order their positions are captured.
enum class OptionList {
    Format,
    VideoBitrate,
    VideoCodec,
    Resolution,
    FrameRate,
    AudioBitrate,
    AudioCodec,
    SampleRate,
    Aspect,
    SizeLimit,  // the most each converted file may take; its values are bytes
};
inline constexpr int kOptionListCount = 10;

// The list positions captured when a batch starts; -1 where a list had no selection.
struct ConvertOptions {
    int32_t format = -1;
    int32_t videoBitrate = -1;
    int32_t videoCodec = -1;
    int32_t resolution = -1;
    int32_t frameRate = -1;
    int32_t audioBitrate = -1;
    int32_t audioCodec = -1;
    int32_t sampleRate = -1;
    int32_t aspect = -1;
    int32_t sizeLimit = -1;

    int32_t& operator[](OptionList list);
    int32_t operator[](OptionList list) const;
    bool operator==(const ConvertOptions&) const = default;
};

struct OptionListInfo {
    OptionList list;
    int controlId;             // the combo box of the form
    std::string_view label;    // its caption on the form
    std::string_view cliName;  // its name as an option of the headless command
};

// The lists in capture order, with their form ids and captions.
std::span<const OptionListInfo, kOptionListCount> OptionLists();
const OptionListInfo& InfoOf(OptionList list);

std::span<const FormatItem> FormatTable();

// The items of a list in table order. The video codec list has no table of its own: it holds
// the single codec item of the chosen format, which the format preset puts there.
std::span<const OptionItem> ItemsOf(OptionList list);

// The display texts a list holds when the given format is chosen.
int ItemCountOf(OptionList list);
std::string_view DisplayTextOf(OptionList list, int index, int format = 0);

// The value text of a list position; empty for an index outside the table.
std::string_view ValueOf(OptionList list, int index);

// The bytes a position of the size limit list stands for; 0 for "No limit" and for a position
// outside the table.
int64_t SizeLimitBytesOf(int index);

// Choosing a format sets these four lists, replacing what the user had chosen there.
struct FormatPreset {
    int frameRate;
    int videoBitrate;
    int sampleRate;
    int audioBitrate;
};

// Applies the preset of options.format (frame rate, video bitrate, sample rate, audio bitrate,
// and the video codec list back to its single item). An unknown format changes nothing.
void ApplyFormatPreset(ConvertOptions& options);

// The selections the form starts with, its format preset already applied.
ConvertOptions StartSelections();

const FormatItem* FormatOf(int format);

}  // namespace tarv
