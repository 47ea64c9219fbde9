#pragma once

// Running vantrel-cli from the tests.

#include <string>
#include <vector>

namespace vantrel::testing {

// The vantrel-cli of this build.
const std::string& cliPath();

// Single-quotes a path for the shell.
std::string shellQuoted(const std::string& path);

struct CliRun {
  int status = -1;  // exit status; 124 when the time limit ended it
  std::string out;  // standard output
};

// Runs vantrel-cli with `arguments` (already quoted for the shell) for at
// most 60 seconds, standard error dropped. `prefix` goes before the command
// (for example "ulimit -f 100;").
CliRun runCli(const std::string& arguments, const std::string& prefix = "");

struct InterruptedRun {
  bool interrupted = false;  // the marker appeared and SIGINT was sent
  int status = -1;           // exit status
  std::string out;           // standard output
  std::string err;           // standard error
};

// Runs vantrel-cli with `arguments` and presses Ctrl-C (SIGINT) once
// `marker` appears on standard output, or on standard error when
// `markerOnStderr`.
InterruptedRun runCliInterrupted(const std::vector<std::string>& arguments,
                                 const std::string& marker, bool markerOnStderr = false);

}  // namespace vantrel::testing
