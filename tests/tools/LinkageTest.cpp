// Which FFmpeg the tools carry. By default our own static build, so that starting a tool maps
// no libav* library (loading Debian's and what they pull in cost more than a short step's
// work); the encoders Debian ships as libraries of their own stay shared. Built with the
// system's FFmpeg (TARV_SYSTEM_FFMPEG), they must load Debian's libav* instead.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "MediaFixtures.h"

namespace tarv::tools::test {
namespace {

// The file names of every shared library the dynamic loader maps for the program.
std::vector<std::string> LoadedLibraries(const std::string& program) {
    const RunResult r = RunProgram({"ldd", program});
    std::vector<std::string> names;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos) {
            continue;
        }
        names.push_back(line.substr(start, line.find_first_of(" \t", start) - start));
    }
    return names;
}

bool Loads(const std::vector<std::string>& names, const std::string& prefix) {
    for (const std::string& name : names) {
        if (name.starts_with(prefix)) {
            return true;
        }
    }
    return false;
}

#ifndef TARV_SYSTEM_FFMPEG

bool IsFFmpegLibrary(const std::string& name) {
    for (const char* lib : {"libavcodec.", "libavformat.", "libavutil.", "libavfilter.",
                            "libswscale.", "libswresample.", "libavdevice.", "libpostproc."}) {
        if (name.starts_with(lib)) {
            return true;
        }
    }
    return false;
}

TEST(ToolLinkage, NoToolLoadsAnFFmpegLibrary) {
    for (int tool : {3, 4, 5}) {
        const std::vector<std::string> names = LoadedLibraries(ToolPath(tool));
        ASSERT_FALSE(names.empty()) << "ldd read nothing of " << ToolPath(tool);
        for (const std::string& name : names) {
            EXPECT_FALSE(IsFFmpegLibrary(name)) << ToolPath(tool) << " loads " << name;
        }
    }
}

TEST(ToolLinkage, EncoderUsesDebiansSharedVideoEncoders) {
    const std::vector<std::string> names = LoadedLibraries(ToolPath(4));
    EXPECT_TRUE(Loads(names, "libx264.so"));
    EXPECT_TRUE(Loads(names, "libxvidcore.so"));
    EXPECT_TRUE(Loads(names, "libdav1d.so"));
}

TEST(ToolLinkage, BundledFFmpegIsTheSystemsVersion) {
    // The same source package as the system's libraries, Debian's patches and all.
    const std::string version =
        RunProgram({"dpkg-query", "-W", "-f=${source:Version}", "libavcodec-dev"}).out;
    ASSERT_FALSE(version.empty());
    std::ifstream info(std::string(TARV_FFMPEG_PREFIX) + "/BUILD-INFO");
    std::string first;
    std::getline(info, first);
    EXPECT_EQ(first, "source: Debian ffmpeg " + version);
}

#else

TEST(ToolLinkage, EveryToolLoadsTheSystemsFFmpeg) {
    for (int tool : {3, 4, 5}) {
        EXPECT_TRUE(Loads(LoadedLibraries(ToolPath(tool)), "libavformat.so")) << ToolPath(tool);
    }
}

#endif

}  // namespace
}  // namespace tarv::tools::test
