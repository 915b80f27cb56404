// A failed file's reason as a person reads it: the tools' own names and the source's full path
// give way to plain words, in one sentence.
#pragma once

#include <string>
#include <string_view>

namespace tarv {

// The sentence for the last line a tool printed (or the worker's own reason): "tarv.patch4:
// /home/a/clip.mp4 holds no video to convert" becomes "The file holds no video to convert."
std::string FailureSentence(std::string_view toolLines, std::string_view sourcePath);

}  // namespace tarv
