#pragma once

namespace Program {

// Answers the command line or starts the clock: the whole life of the program, from the first
// look at the options to the end of the event loop. Returns the exit status.
int run(int argc, char* argv[]);

} // namespace Program
