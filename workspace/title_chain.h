#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/file_io.h"

namespace vantrel {

struct Workspace;

// The files of a multi-file title, starting with `first`: first,
// getnext(first), getnext(getnext(first)), ... ; just `first` when the chain
// is not followed. A run reads these files and no others (it may stop
// early); outputs are kept off all of them.
std::vector<std::string> titleChain(const std::string& first, bool followChain);

// CutExt(sourceFileName), with "_MERGED" when the chain is followed and the
// first file has a successor.
std::string chainOutputBaseName(const std::string& sourceFileName, const std::string& firstFile,
                                bool followChain);

// True when `outputPath` names one of the files (an existing file that is the
// same file, or the same path text).
bool isFileOfChain(const std::string& outputPath, const std::vector<std::string>& chain);

// The error that refuses an output over a source file.
std::string outputOverSourceMessage(const std::string& outputPath);

// The one chain loop of Read EVO, Demux and Rebuild: runs `perFile` on each
// file of `chain` in order and, when a file is done and another follows,
// asks `goOn` whether to read it.
void runChain(const std::vector<std::string>& chain, const std::function<bool()>& goOn,
              const std::function<void(const std::string& file)>& perFile);

// Logs "Opening file [b]NAME[/b]" (and shows `panel` in status panel 0
// when given), opens a file of the chain and tells the run's observer.
std::unique_ptr<InputFile> openChainFile(Workspace& ws, const std::string& path,
                                         const char* panel = nullptr);

// "File size: 1234 Mbytes."
std::string fileSizeLine(const InputFile& file);

}  // namespace vantrel
