#include "tests/cli/muxed_title.h"

#include <gtest/gtest.h>

namespace vantrel::testing {

std::vector<Bytes> packetize(const TitleStream& stream) {
  std::vector<Bytes> packs;
  size_t at = 0;
  while (at < stream.bytes.size()) {
    psmux::Pes pes;
    pes.streamId = stream.streamId;
    if (at == 0) pes.pts = stream.firstPts;
    pes.payload = stream.substreamHeader;
    pes.payload.insert(pes.payload.end(), stream.bytes.begin() + long(at), stream.bytes.end());
    size_t taken = 0;
    packs.push_back(psmux::packWithPes(0, pes, &taken));
    at += taken - stream.substreamHeader.size();
  }
  return packs;
}

Bytes muxTitle(const psmux::Navigation& nav, const std::optional<psmux::CopyControl>& cc,
               const std::vector<TitleStream>& streams) {
  Bytes title = psmux::navigationPack(0, nav);
  if (cc) psmux::append(title, psmux::pack(1, {psmux::copyControlPacket(*cc)}));
  std::vector<std::vector<Bytes>> packed;
  for (const TitleStream& s : streams) packed.push_back(packetize(s));
  for (size_t i = 0;; ++i) {
    bool any = false;
    for (const auto& packs : packed) {
      if (i >= packs.size()) continue;
      psmux::append(title, packs[i]);
      any = true;
    }
    if (!any) return title;
  }
}

Bytes ffmpegEncode(const TempDir& dir, const std::string& name, const std::string& arguments) {
  std::string output;
  const std::string command = "ffmpeg -hide_banner -loglevel error -nostdin -y " + arguments +
                              " -strict -2 \"" + dir.file(name) + "\" 2>&1";
  if (runCommand(command, &output) != 0) {
    ADD_FAILURE() << command << "\n" << output;
    return {};
  }
  return readFileBytes(dir.file(name));
}

}  // namespace vantrel::testing
