#pragma once

#include <cstdint>
#include <string>

#include "common/file_io.h"

namespace vantrel {

// Big-endian field readers for small metadata files. Each reads at the
// current position and advances it. Bytes past the end of the file read as
// zero, so a caller always gets a value; it can compare position() with
// size() to tell.
uint32_t readword(InputFile& in);
uint32_t readlword(InputFile& in);
// n bytes as text, cut at the first zero byte.
std::string readstring(InputFile& in, size_t n);

}  // namespace vantrel
