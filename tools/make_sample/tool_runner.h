#pragma once

// Running ffmpeg and ffprobe: arguments are quoted for the shell, standard
// output is captured, and a failing run throws with the command line.

#include <string>
#include <vector>

namespace vantrel::sample {

std::string shellQuote(const std::string& argument);

// Runs the program with the arguments and returns what it printed on
// standard output (standard error is left to the terminal). Throws
// std::runtime_error when it cannot be started or exits with a nonzero status.
std::string runTool(const std::string& program, const std::vector<std::string>& arguments);

// The first line of "<program> -version", e.g. "ffmpeg version 5.1.6-0+deb12u1 ...".
std::string toolVersion(const std::string& program);

// A folder for intermediate files: the one given (created when missing), or
// a fresh temporary one that is removed with its contents at the end.
class WorkFolder {
 public:
  explicit WorkFolder(const std::string& given = "");
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool owned_ = false;
};

}  // namespace vantrel::sample
