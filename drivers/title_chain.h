#pragma once

#include <string>
#include <vector>

namespace vantrel {

// The files of a multi-file title, starting with `first`: first,
// getnext(first), getnext(getnext(first)), ... ; just `first` when the chain
// is not followed. Drivers still stop early on a cancel; this list is what a
// run may touch, used to keep outputs off the sources.
std::vector<std::string> titleChain(const std::string& first, bool followChain);

// CutExt(sourceFileName), with "_MERGED" when the chain is followed and the
// first file has a successor.
std::string chainOutputBaseName(const std::string& sourceFileName, const std::string& firstFile,
                                bool followChain);

// True when `outputPath` names one of the files (an existing file that is the
// same file, or the same path text).
bool isFileOfChain(const std::string& outputPath, const std::vector<std::string>& chain);

// The error that refuses an output over a source file, and its red log line.
std::string outputOverSourceMessage(const std::string& outputPath);
std::string outputOverSourceLine(const std::string& outputPath);

}  // namespace vantrel
