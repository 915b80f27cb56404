#include "FormTemplate.h"

#include <wx/translation.h>

#include "ResourceIds.h"

namespace tarv {

namespace {

using Kind = FormControl::Kind;

constexpr FormControl kControls[] = {
    {kCtrlConversionList, Kind::List, "", 10, 7, 473, 103},
    {0, Kind::Label, wxTRANSLATE("Output Folder:"), 13, 120, 46, 8},
    {kCtrlOutputFolder, Kind::Edit, "", 64, 117, 312, 14},
    {kCtrlBrowse, Kind::ImageButton, wxTRANSLATE("Browse..."), 389, 117, 42, 15},
    {kCtrlExplore, Kind::ImageButton, wxTRANSLATE("Explore..."), 441, 117, 42, 15},
    {0, Kind::GroupBox, wxTRANSLATE("Configration"), 173, 158, 310, 119},
    {0, Kind::Label, wxTRANSLATE("Output Format:"), 178, 142, 48, 8},
    {kCtrlOutputFormat, Kind::Choice, "", 236, 142, 247, 191},
    {0, Kind::Label, wxTRANSLATE("Video Quality:"), 188, 174, 44, 8},
    {kCtrlVideoQuality, Kind::Choice, "", 237, 172, 85, 175},
    {0, Kind::Label, wxTRANSLATE("Video Codec:"), 188, 195, 44, 8},
    {kCtrlVideoCodec, Kind::Choice, "", 237, 193, 85, 156},
    {0, Kind::Label, wxTRANSLATE("Resolution:"), 196, 215, 36, 8},
    {kCtrlResolution, Kind::Choice, "", 237, 213, 85, 139},
    {0, Kind::Label, wxTRANSLATE("Framerate:"), 198, 236, 34, 8},
    {kCtrlFramerate, Kind::Choice, "", 237, 234, 85, 127},
    {0, Kind::Label, wxTRANSLATE("Audio Quality:"), 336, 174, 44, 8},
    {kCtrlAudioQuality, Kind::Choice, "", 387, 172, 85, 174},
    {0, Kind::Label, wxTRANSLATE("Audio Codec:"), 336, 195, 44, 8},
    {kCtrlAudioCodec, Kind::Choice, "", 387, 193, 85, 158},
    {0, Kind::Label, wxTRANSLATE("Sample Rate:"), 336, 215, 44, 8},
    {kCtrlSampleRate, Kind::Choice, "", 387, 213, 85, 140},
    {0, Kind::Label, wxTRANSLATE("Aspect Ratio:"), 336, 236, 44, 8},
    {kCtrlAspectRatio, Kind::Choice, "", 387, 234, 85, 125},
    {0, Kind::Label, wxTRANSLATE("Size limit:"), 205, 256, 27, 8},
    {kCtrlSizeLimit, Kind::Choice, "", 237, 254, 85, 110},
    {kCtrlPreviewArea, Kind::PreviewArea, "", 10, 142, 152, 108},
    {kCtrlPreviewPlay, Kind::ImageButton, "", 10, 256, 16, 14},
    {kCtrlPreviewPause, Kind::ImageButton, "", 26, 256, 16, 14},
    {kCtrlPreviewStop, Kind::ImageButton, "", 42, 256, 16, 14},
    {kCtrlPreviewSlider, Kind::Slider, "", 62, 256, 101, 15},
};

}  // namespace

std::span<const FormControl> MainFormTemplate() {
    return kControls;
}

}  // namespace tarv
