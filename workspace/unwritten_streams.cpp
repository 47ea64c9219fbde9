#include "workspace/unwritten_streams.h"

#include "common/path_rules.h"
#include "common/text_format.h"

namespace vantrel {

namespace {

// "The subpicture stream 1 (id 21), first met in FEATURE_2.EVO at byte
// 1234567, was not written: ..." with what would offer it.
std::string notWrittenLine(const MetStream& met, bool inLastFile) {
  const FoundStream& s = met.stream;
  std::string line = "[re]The " + std::string(kindInfo(s.kind).name) + " stream " + std::to_string(s.slot) +
                     " (id " + hex2(s.id) + "), first met in " + fileNamePart(met.file) + " at byte " +
                     std::to_string(met.position) + ", was not written: ";
  line += inLastFile ? "a full check (\"Fast EVO checking\" off, --full) offers it."
                     : "Read EVO lists the streams of the last file of the title; reading " +
                           fileNamePart(met.file) + " alone offers it.";
  return line + "[/re]";
}

}  // namespace

void reportNotWritten(Workspace& ws, const MetStream& met, bool inLastFile) {
  ws.host.log(notWrittenLine(met, inLastFile));
  ws.streamsNotWritten.push_back(met);
  if (ws.session.observer) ws.session.observer->streamNotWritten(met);
}

}  // namespace vantrel
