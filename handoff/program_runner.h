#pragma once

// Runs another program as a child process: found on PATH, started with an
// argument vector (never through a shell), its output read line by line
// without blocking the caller for long, stopped when the caller cancels.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The full path of `name` on PATH (an executable regular file); "" when none.
std::string findProgram(std::string_view name);

struct ProgramResult {
  bool started = false;
  std::string startError;  // why it could not be started
  int exitStatus = -1;     // -1 when a signal ended it
  int signal = 0;          // the signal that ended it
  bool cancelled = false;  // it was stopped because `cancelled` said so
};

// Runs `program` (a path) with `arguments` (argv[1..]); standard input is
// /dev/null, standard output and error go to `onLine` a line at a time (a
// carriage return ends a line too). `cancelled` is asked about ten times a
// second; once it says yes the program gets SIGTERM, and SIGKILL if it has
// not ended five seconds later.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::function<void(std::string_view)>& onLine,
                         const std::function<bool()>& cancelled);

}  // namespace vantrel
