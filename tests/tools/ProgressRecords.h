// Reads the "Pos:" records out of a tool's output the way the worker does, so tests can
// check that every record a tool prints is one the worker accepts.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#ifdef TARV_HAVE_ENGINE_PARSER
#include "ProgressRecord.h"
#endif

namespace tarv::tools::test {

// The positions of all records, each taken from "Pos:" through the next "]" and read with
// the worker's scanf format; a record that does not read gives a negative position.
inline std::vector<float> RecordPositions(const std::string& output) {
    std::vector<float> positions;
    for (size_t at = output.find("Pos:"); at != std::string::npos;
         at = output.find("Pos:", at + 1)) {
        const size_t end = output.find(']', at + 1);
        if (end == std::string::npos) {
            positions.push_back(-1);
            break;
        }
        const std::string record = output.substr(at, end - at + 1);
        float position = 0;
        int frames = 0;
        int percent = 0;
        char word[1024] = {};
        const bool read = std::sscanf(record.c_str(), "Pos:\t%fs\t%df (%d%%)%s", &position, &frames,
                                      &percent, word) == 4;
#ifdef TARV_HAVE_ENGINE_PARSER
        const auto engine = tarv::ParseProgressRecord(record);
        positions.push_back(read && engine && *engine == position ? position : -1);
#else
        positions.push_back(read ? position : -1);
#endif
    }
    return positions;
}

}  // namespace tarv::tools::test
