#include "drivers/title_chain.h"

#include "common/file_io.h"
#include "common/path_rules.h"

namespace vantrel {

std::vector<std::string> titleChain(const std::string& first, bool followChain) {
  std::vector<std::string> chain{first};
  if (!followChain) return chain;
  // Successors always grow a digit or the name, so the chain cannot loop;
  // the bound only guards against a pathological folder.
  constexpr size_t kMaxFiles = 4096;
  for (std::string next = getnext(first); !next.empty() && chain.size() < kMaxFiles;
       next = getnext(next))
    chain.push_back(next);
  return chain;
}

std::string chainOutputBaseName(const std::string& sourceFileName, const std::string& firstFile,
                                bool followChain) {
  std::string base = CutExt(sourceFileName);
  if (followChain && !getnext(firstFile).empty()) base += "_MERGED";
  return base;
}

bool isFileOfChain(const std::string& outputPath, const std::vector<std::string>& chain) {
  auto output = identityOf(outputPath);
  for (const std::string& file : chain) {
    if (file == outputPath) return true;
    if (output && identityOf(file) == output) return true;
  }
  return false;
}

std::string outputOverSourceMessage(const std::string& outputPath) {
  return "Cannot create file \"" + outputPath +
         "\". It is a source file of this title and would be destroyed.";
}

std::string outputOverSourceLine(const std::string& outputPath) {
  return "[re]" + outputOverSourceMessage(outputPath) + "[/re]";
}

}  // namespace vantrel
