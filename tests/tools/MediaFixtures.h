// Short media files made at test time with the ffmpeg command, in one scratch folder per test
// program, and ffprobe read-outs of the tools' results.
#pragma once

#include <string>
#include <vector>

#include "ToolRunner.h"

namespace tarv::tools::test {

// The scratch folder of this test program; removed when the program ends.
const std::string& Scratch();

// A fresh, empty folder inside the scratch folder.
std::string NewFolder(const std::string& name);

// A fixture by name, made on first use (2 s unless said otherwise):
//   clip.mp4 clip.avi clip.mpg clip.flv clip.wmv  160x120 at 25 fps, stereo 44.1 kHz sound
//   mute.mp4      video only                      sound.m4a    audio only
//   odd.avi       161x121                          rotated.mp4  64x48, red left, blue right,
//   surround.mp4  six loud channels                             marked as turned 90 degrees
//   tone.mp4      6 s, a steady -21 dB mono tone   long-sound.mp4  8 kHz mono, 2.4 s of sound
//   wide.mp4      1 s, 720x480 shown as 16:9       upright.mp4  1 s, 320x180 marked as turned
//   one-frame.mp4 a single picture                 still.png    a single picture
//   short-sound.mp4 one picture and 0.04 s of sound
//   speech.mp4, music.mp4  6 s of speech-like and music-like stereo sound at everyday levels
//   noise-quiet-loud.mp4   7 s: hiss at -56 dBFS, a quiet tone, a loud tone
//   song.mp3      2.5 s of sound with a white cover picture
std::string Fixture(const std::string& name);

// Runs ffmpeg with the arguments; true on success.
bool Ffmpeg(const std::vector<std::string>& args);

// One ffprobe field of the file, e.g. StreamField(f, "v:0", "codec_name") or
// FormatField(f, "duration"); empty when absent.
std::string StreamField(const std::string& file, const std::string& stream,
                        const std::string& field);
std::string FormatField(const std::string& file, const std::string& field);
// The file's major brand ("3gp4").
std::string Brand(const std::string& file);
double StreamSeconds(const std::string& file, const std::string& stream);
int StreamCount(const std::string& file);

// Every picture type of the first video stream, as ffprobe names them ("I", "P", "B").
std::string PictureTypes(const std::string& file);

// The first video stream's display shape (width / height times the sample aspect ratio).
double DisplayAspect(const std::string& file);

// The first audio stream decoded by ffmpeg, interleaved, as a player would hear it.
struct DecodedSound {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;
};
DecodedSound DecodeSound(const std::string& file);

// Integrated loudness (LUFS) and true peak (dBTP) of the first audio stream, as ffmpeg's
// loudness meter measures them; NaN when it cannot.
struct Loudness {
    double integrated;
    double truePeak;
};
Loudness LoudnessOf(const std::string& file);

// The level in dB of the root mean square of decoded sound between two times.
double RmsDb(const DecodedSound& sound, double from, double to);

bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

}  // namespace tarv::tools::test
