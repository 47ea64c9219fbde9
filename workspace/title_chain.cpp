#include "workspace/title_chain.h"

#include "common/file_io.h"
#include "common/path_rules.h"
#include "engine/progress.h"
#include "workspace/workspace.h"

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

void runChain(const std::vector<std::string>& chain, const std::function<bool()>& goOn,
              const std::function<void(const std::string& file)>& perFile) {
  for (size_t i = 0; i < chain.size(); ++i) {
    if (i > 0 && !goOn()) return;
    perFile(chain[i]);
  }
}

std::unique_ptr<InputFile> openChainFile(Workspace& ws, const std::string& path,
                                         const char* panel) {
  ws.host.log("Opening file [b]" + fileNamePart(path) + "[/b]");
  if (panel) ws.host.slog(panel, 0);
  std::unique_ptr<InputFile> file = InputFile::open(path);
  ws.fileOpened(*file);
  return file;
}

std::string fileSizeLine(const InputFile& file) {
  return "File size: " + std::to_string(file.size() / kMiB) + " Mbytes.";
}

}  // namespace vantrel
