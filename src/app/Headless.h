#pragma once

struct CommandLine;

// The command-line actions that need no window: they print to the console, never show the
// splash, and return the program's exit code.
namespace Headless {

int run(int argc, char* argv[], const CommandLine& command);

} // namespace Headless
