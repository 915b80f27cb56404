#pragma once
// Every numeric id of the program in one place: pictures, commands, form controls and status panes.
// The numbers are fixed; menus, toolbar and form refer to these names only.

// Pictures built into the program (see Resources.h for loading them).
inline constexpr int kIconMain = 128;                   // 16, 32, 48 and 256 pixels
inline constexpr int kBitmapToolbar = 131;              // 384 x 45: six 64 x 45 pictures
inline constexpr int kBitmapToolbarDisabled = 142;      // the same six, greyed
inline constexpr int kBitmapSliderThumbActive = 132;    // 21 x 10, while dragged
inline constexpr int kBitmapSliderChannel = 133;        // 151 x 15
inline constexpr int kBitmapSliderChannelActive = 134;  // 151 x 15, the played part
inline constexpr int kBitmapSliderThumb = 135;          // 21 x 10
inline constexpr int kBitmapPreviewStop = 137;          // 19 x 20
inline constexpr int kBitmapPreviewPause = 138;         // 20 x 20
inline constexpr int kBitmapPreviewPlay = 139;          // 19 x 20

// Commands keep their historic numbers, but wxWidgets takes command ids below 0x7fff only:
// each number from 0x7fff up is used as its distance past that line, placed above
// wxWidgets' own ids (which end at 5999). The mapping keeps every command distinct.
inline constexpr int CommandId(int number) {
    return number < 0x7fff ? number : 6000 + (number - 0x7fff);
}

// Toolbar commands, in button order.
inline constexpr int kCmdToolbarAdd = CommandId(32772);
inline constexpr int kCmdToolbarRemove = CommandId(32771);
inline constexpr int kCmdToolbarClear = CommandId(32773);
inline constexpr int kCmdToolbarConvert = CommandId(32774);
inline constexpr int kCmdToolbarStop = CommandId(32791);
inline constexpr int kCmdToolbarHelp = CommandId(32793);

// Menu commands.
inline constexpr int kCmdMenuAddFile = CommandId(32776);
inline constexpr int kCmdMenuRemoveFile = CommandId(32777);
inline constexpr int kCmdMenuClear = CommandId(32778);
inline constexpr int kCmdMenuExit = CommandId(32779);
inline constexpr int kCmdMenuConvert = CommandId(32780);
inline constexpr int kCmdMenuStop = CommandId(32781);
inline constexpr int kCmdMenuHomepage = CommandId(32783);
inline constexpr int kCmdMenuHelp = CommandId(32784);
inline constexpr int kCmdMenuAbout = CommandId(57664);

// Controls of the main form.
inline constexpr int kCtrlConversionList = 1001;
inline constexpr int kCtrlOutputFormat = 1002;
inline constexpr int kCtrlVideoQuality = 1003;
inline constexpr int kCtrlAudioQuality = 1004;
inline constexpr int kCtrlVideoCodec = 1005;
inline constexpr int kCtrlResolution = 1006;
inline constexpr int kCtrlOutputFolder = 1007;
inline constexpr int kCtrlBrowse = 1008;
inline constexpr int kCtrlFramerate = 1009;
inline constexpr int kCtrlAspectRatio = 1010;
inline constexpr int kCtrlAudioCodec = 1011;
inline constexpr int kCtrlPreviewArea = 1012;
inline constexpr int kCtrlSampleRate = 1013;
inline constexpr int kCtrlPreviewSlider = 1014;
inline constexpr int kCtrlPreviewPlay = 1015;
inline constexpr int kCtrlPreviewPause = 1016;
inline constexpr int kCtrlPreviewStop = 1017;
inline constexpr int kCtrlExplore = 1018;
inline constexpr int kCtrlSizeLimit = 1019;

// Status bar panes, left to right.
inline constexpr int kPaneSelectedCount = 2000;
inline constexpr int kPaneMessage = 2002;

// The framework's standard commands that the accelerator table carries.
inline constexpr int kCmdFileNew = CommandId(57600);
inline constexpr int kCmdFileOpen = CommandId(57601);
inline constexpr int kCmdNextPane = CommandId(57680);
inline constexpr int kCmdPrevPane = CommandId(57681);
