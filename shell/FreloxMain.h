#pragma once

// The program's main function: builds the application, runs it, destroys it
// (and with it every window), and returns the run's result. The arguments
// are ignored: the program has no command line.
int FreloxMain(int argc, char** argv);
