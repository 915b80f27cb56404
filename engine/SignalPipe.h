// Turns termination signals into bytes on a pipe, so a program's own loop (a poll, the window's
// event loop) handles them outside the handler: the handler does nothing but write one byte.
#pragma once

#include <initializer_list>
#include <string>

namespace tarv {

namespace SignalPipe {

// Installs one handler for every signal given; false with the reason when the pipe cannot be
// made. May be called again to add signals; the pipe stays the same.
bool Install(std::initializer_list<int> signals, std::string* error);
// Readable while a signal waits to be read; -1 before Install succeeded.
int Handle();
// Reads away every signal that arrived, so a second Ctrl-C cannot keep a waiter busy.
void Drain();

}  // namespace SignalPipe

}  // namespace tarv
