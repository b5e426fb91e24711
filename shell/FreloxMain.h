#pragma once

// The program's main function: builds the application, runs it, destroys its
// windows and returns the run's result. What a message handler raises while
// the windows are destroyed escapes to the caller. The arguments
// are ignored: the program has no command line.
int FreloxMain(int argc, char** argv);
