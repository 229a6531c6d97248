// SIGTERM and SIGINT turned into something an event loop can wait on: the
// handlers write one byte into a pipe whose read end the loop watches, so
// the program closes on its own loop as it would when told to exit.
#pragma once

namespace ui {

// Installs the handlers on the first call and returns the pipe's read end
// (non-blocking, close-on-exec); -1 when the pipe could not be made.
int TerminationSignalFd();

// Empties the pipe; true when at least one signal had arrived.
bool DrainTerminationSignals();

// True when a signal has arrived and the loop has not handled it yet; the
// signal stays for the loop. Lets a long piece of work outside the loop
// stop early.
bool TerminationPending();

}  // namespace ui
