#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::testing {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;
  // Writes bytes to path() + "/" + name (creating folders on the way) and
  // returns the full path.
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  std::string write(const std::string& name, const std::string& text) const;

 private:
  std::string path_;
};

std::vector<uint8_t> readFileBytes(const std::string& path);
std::string readFileText(const std::string& path);

// True while this process holds `path` open (a descriptor in /proc/self/fd
// names it).
bool heldOpen(const std::string& path);

// The folder of real sample files made by others ("" when it is absent).
std::string realSamplesDir();

// True when the program is on the PATH (ffmpeg, ffprobe, dvdauthor, ...).
bool haveTool(const std::string& name);

// Runs a shell command; returns its exit status and fills `output` with what
// it printed on standard output.
int runCommand(const std::string& command, std::string* output = nullptr);

}  // namespace vantrel::testing
