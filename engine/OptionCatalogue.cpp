#include "OptionCatalogue.h"

namespace tarv {

namespace {

constexpr std::array<FormatItem, 3> kFormats = {{
    {"3GP - (XVID AAC) 3GPP format(*.3gp)", "XVID", "m4v", VideoFamily::Xvid},
    {"3GP - (MPEG4-AVC AAC) 3GPP format(*.3gp)", "MPEG4-AVC", "264", VideoFamily::X264},
    {"3GP - (MPEG4-XVID AAC) 3GPP format(*.3gp)", "MPEG4-XVID", "m4v", VideoFamily::Xvid},
}};

// Format display texts as list items, so the format list reads like every other list.
constexpr std::array<OptionItem, 3> kFormatItems = {{
    {kFormats[0].display, ""},
    {kFormats[1].display, ""},
    {kFormats[2].display, ""},
}};

constexpr std::array<OptionItem, 11> kVideoBitrates = {{
    {"100 kbps", "100"},
    {"128 kbps", "128"},
    {"200 kbps", "200"},
    {"256 kbps", "256"},
    {"300 kbps", "300"},
    {"384 kbps", "384"},
    {"512 kbps", "512"},
    {"640 kbps", "640"},
    {"800 kbps", "800"},
    {"1000 kbps", "1000"},
    {"1200 kbps", "1200"},
}};

constexpr std::array<OptionItem, 21> kResolutions = {{
    {"Original as input", ""},
    {"128x96 SQCIF", "128:96"},
    {"160X120 QVGA", "160:120"},
    {"176X120", "176:120"},
    {"176X144 QCIF", "176:144"},
    {"192X144", "192:144"},
    {"208X176", "208:176"},
    {"220X176", "220:176"},
    {"240X180", "240:180"},
    {"320X200", "320:200"},
    {"320X240 VGA", "320:240"},
    {"352X240", "352:240"},
    {"480X272", "480:272"},
    {"480X360", "480:360"},
    {"480X480", "480:480"},
    {"480X576", "480:576"},
    {"640X352", "640:352"},
    {"640X480", "640:480"},
    {"704X576", "704:576"},
    {"720X480", "720:480"},
    {"720X576", "720:576"},
}};

constexpr std::array<OptionItem, 6> kFrameRates = {{
    {"10.0 FPS", "10"},
    {"12.0 FPS", "12"},
    {"15.0 FPS", "15"},
    {"20.0 FPS", "20"},
    {"24.0 FPS", "24"},
    {"25.0 FPS", "25"},
}};

constexpr std::array<OptionItem, 9> kAudioBitrates = {{
    {"32 kbps", "32"},
    {"48 kbbs", "48"},
    {"56 kbps", "56"},
    {"64 kbps", "64"},
    {"80 kbps", "80"},
    {"96 kbps", "96"},
    {"128 kbps", "128"},
    {"160 kbps", "160"},
    {"192 kbps", "192"},
}};

constexpr std::array<OptionItem, 1> kAudioCodecs = {{{"aac", ""}}};

constexpr std::array<OptionItem, 5> kSampleRates = {{
    {"22050 Hz", "22050"},
    {"24000 Hz", "24000"},
    {"32000 Hz", "32000"},
    {"44100 Hz", "44100"},
    {"48000 Hz", "48000"},
}};

constexpr std::array<OptionItem, 3> kAspects = {{{"Auto", ""}, {"4:3", ""}, {"16:9", ""}}};

// What a picture message, a network's limit or a chat program lets through; KB and MB of 1024.
constexpr std::array<OptionItem, 6> kSizeLimits = {{
    {"No limit", ""},
    {"300 KB", "307200"},
    {"600 KB", "614400"},
    {"1 MB", "1048576"},
    {"3.5 MB", "3670016"},
    {"16 MB", "16777216"},
}};

constexpr std::array<FormatPreset, 3> kPresets = {{
    {0, 0, 0, 0},
    {2, 3, 4, 5},
    {0, 1, 3, 0},
}};

constexpr std::array<OptionListInfo, kOptionListCount> kLists = {{
    {OptionList::Format, 1002, "Output Format:", "format"},
    {OptionList::VideoBitrate, 1003, "Video Quality:", "video-quality"},
    {OptionList::VideoCodec, 1005, "Video Codec:", "video-codec"},
    {OptionList::Resolution, 1006, "Resolution:", "resolution"},
    {OptionList::FrameRate, 1009, "Framerate:", "framerate"},
    {OptionList::AudioBitrate, 1004, "Audio Quality:", "audio-quality"},
    {OptionList::AudioCodec, 1011, "Audio Codec:", "audio-codec"},
    {OptionList::SampleRate, 1013, "Sample Rate:", "sample-rate"},
    {OptionList::Aspect, 1010, "Aspect Ratio:", "aspect"},
    {OptionList::SizeLimit, 1019, "Size limit:", "max-size"},
}};

}  // namespace

int32_t& ConvertOptions::operator[](OptionList list) {
    int32_t* const fields[] = {&format,       &videoBitrate, &videoCodec, &resolution, &frameRate,
                               &audioBitrate, &audioCodec,   &sampleRate, &aspect,     &sizeLimit};
    return *fields[static_cast<int>(list)];
}

int32_t ConvertOptions::operator[](OptionList list) const {
    return const_cast<ConvertOptions&>(*this)[list];
}

std::span<const OptionListInfo, kOptionListCount> OptionLists() { return kLists; }

const OptionListInfo& InfoOf(OptionList list) { return kLists[static_cast<int>(list)]; }

std::span<const FormatItem> FormatTable() { return kFormats; }

const FormatItem* FormatOf(int format) {
    if (format < 0 || format >= static_cast<int>(kFormats.size())) {
        return nullptr;
    }
    return &kFormats[format];
}

std::span<const OptionItem> ItemsOf(OptionList list) {
    switch (list) {
        case OptionList::Format: return kFormatItems;
        case OptionList::VideoBitrate: return kVideoBitrates;
        case OptionList::VideoCodec: return {};
        case OptionList::Resolution: return kResolutions;
        case OptionList::FrameRate: return kFrameRates;
        case OptionList::AudioBitrate: return kAudioBitrates;
        case OptionList::AudioCodec: return kAudioCodecs;
        case OptionList::SampleRate: return kSampleRates;
        case OptionList::Aspect: return kAspects;
        case OptionList::SizeLimit: return kSizeLimits;
    }
    return {};
}

int ItemCountOf(OptionList list) {
    return list == OptionList::VideoCodec ? 1 : static_cast<int>(ItemsOf(list).size());
}

std::string_view DisplayTextOf(OptionList list, int index, int format) {
    if (list == OptionList::VideoCodec) {
        const FormatItem* item = FormatOf(format);
        return index == 0 && item ? item->codecItem : std::string_view();
    }
    const auto items = ItemsOf(list);
    if (index < 0 || index >= static_cast<int>(items.size())) {
        return {};
    }
    return items[index].display;
}

std::string_view ValueOf(OptionList list, int index) {
    const auto items = ItemsOf(list);
    if (index < 0 || index >= static_cast<int>(items.size())) {
        return {};
    }
    return items[index].value;
}

int64_t SizeLimitBytesOf(int index) {
    const std::string_view value = ValueOf(OptionList::SizeLimit, index);
    int64_t bytes = 0;
    for (const char digit : value) {
        bytes = bytes * 10 + (digit - '0');
    }
    return bytes;
}

void ApplyFormatPreset(ConvertOptions& options) {
    if (!FormatOf(options.format)) {
        return;
    }
    const FormatPreset preset = kPresets[options.format];
    options.frameRate = preset.frameRate;
    options.videoBitrate = preset.videoBitrate;
    options.sampleRate = preset.sampleRate;
    options.audioBitrate = preset.audioBitrate;
    options.videoCodec = 0;
}

ConvertOptions StartSelections() {
    ConvertOptions options;
    options.format = 0;
    options.videoBitrate = 0;
    options.videoCodec = 0;
    options.resolution = 4;
    options.frameRate = 0;
    options.audioBitrate = 0;
    options.audioCodec = 0;
    options.sampleRate = 0;
    options.aspect = 0;
    options.sizeLimit = 0;
    ApplyFormatPreset(options);
    return options;
}

}  // namespace tarv
