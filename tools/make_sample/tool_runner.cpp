#include "tools/make_sample/tool_runner.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <sys/wait.h>

namespace vantrel::sample {

std::string shellQuote(const std::string& argument) {
  std::string out = "'";
  for (char c : argument) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

std::string runTool(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command = shellQuote(program);
  for (const std::string& argument : arguments) command += " " + shellQuote(argument);
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot start: " + command);
  std::string output;
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
  int status = ::pclose(pipe);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("failed: " + command);
  }
  return output;
}

std::string toolVersion(const std::string& program) {
  std::string text = runTool(program, {"-version"});
  return text.substr(0, text.find('\n'));
}

WorkFolder::WorkFolder(const std::string& given) {
  namespace fs = std::filesystem;
  if (!given.empty()) {
    path_ = given;
    fs::create_directories(path_);
    return;
  }
  std::string pattern = (fs::temp_directory_path() / "vantrel-sample-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
  owned_ = true;
}

WorkFolder::~WorkFolder() {
  std::error_code ignored;
  if (owned_) std::filesystem::remove_all(path_, ignored);
}

}  // namespace vantrel::sample
