// Reads the encoder's and muxer's "Pos:" progress records out of a chunk of their output, and
// the encoder's closing line about damage it decoded past.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarv {

// The first record of the chunk: the text from "Pos:" through the first "]" after it.
// Only the given bytes are searched; a record whose "]" lies in the next chunk is not found.
std::optional<std::string_view> FindProgressRecord(std::string_view chunk);

// The position in seconds at the head of a record ("Pos:", white space, a decimal number, "s").
// Empty when the number is missing or not finite.
std::optional<float> ParseProgressPosition(std::string_view record);

// The position of the chunk's first record, when it has one and it parses.
std::optional<float> ParseProgressRecord(std::string_view chunk);

// The position as the whole seconds a progress report carries: truncated toward zero, never
// negative (negative values are the worker's stop and done codes).
int WholeSeconds(float position);

// The count of the last line "N damaged frames skipped" (or "1 damaged frame skipped") of a
// tool's output; empty when it holds none.
std::optional<int> FindDamagedFrames(std::string_view output);

// That line for a count, as the window and the headless command show it.
std::string DamagedFramesNote(int count);

}  // namespace tarv
