// Files a tool must not leave behind when it is told to stop: a terminating signal removes
// them before the tool ends, as an error would have.
#pragma once

#include <string>

namespace tarv::tools {

// Removes the registered files on SIGTERM, SIGINT and SIGHUP, then ends the tool by the same
// signal, so its caller still sees that it was stopped.
void InstallSignalCleanup();

// Registers a file, or an empty folder, to remove on a stop; false when no slot is free (it
// then stays). Folders go after the files.
bool RemoveOnStop(const std::string& path);
// Forgets a file, once it is complete or already removed.
void KeepOnStop(const std::string& path);

}  // namespace tarv::tools
