#pragma once

#include <string>
#include <vector>

// The program's main function. With arguments (without the program's own
// name), it does what the command line asks for without a window and returns
// its exit status (see RunCommandLine). Without any, it builds the
// application, runs it, destroys its windows and returns the run's result;
// what a message handler raises while the windows are destroyed escapes to
// the caller.
int FreloxMain(const std::vector<std::wstring>& arguments);
