// Read XPL over arbitrary bytes through the file layer, for a source name
// taken from the input. The tag scanner must give the same lines however
// the bytes are split; the elements the XML reader recovers must nest inside
// the input; the boxes it captions must make output names that stay in the
// output folder; chapter lines stay single lines.
#include <cstdlib>
#include <string>
#include <vector>

#include "common/path_rules.h"
#include "tests/support/recording_host.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/memory_file.h"
#include "metadata/playlist_reader.h"
#include "metadata/tag_scanner.h"
#include "metadata/xml_document.h"

using namespace vantrel;

namespace {
using QuietHost = BasicRecordingHost<DriverHost>;

std::vector<std::string> scanLines(const uint8_t* data, size_t size, size_t split) {
  std::vector<std::string> lines;
  TagScanner scanner([&](std::string_view line) { lines.emplace_back(line); });
  for (size_t at = 0; at < size; at += split) scanner.scan(data + at, std::min(split, size - at));
  return lines;
}

void checkElements(const uint8_t* data, size_t size) {
  const XmlDocument doc = readXml(std::string_view(reinterpret_cast<const char*>(data), size));
  for (size_t i = 0; i < doc.elements.size(); ++i) {
    const XmlElement& e = doc.elements[i];
    if (e.begin >= e.end || e.end > size || data[e.begin] != '<') std::abort();
    if (e.subtreeEnd <= i || e.subtreeEnd > doc.elements.size()) std::abort();
    if (e.parent != XmlElement::kNone) {
      const XmlElement& p = doc.elements[e.parent];
      if (e.parent >= i || p.subtreeEnd < e.subtreeEnd || e.begin < p.begin || e.end > p.end)
        std::abort();
    }
  }
}

void checkName(const std::string& caption) {
  const std::string name =
      outputPrefix("/out", "FEATURE_1") + "." + safeFileNamePart(caption) + ".mpa";
  if (folderPart(name) != "/out/") std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::MemoryFile playlist;
  fuzz::FuzzInput in(data, size);
  const size_t split = 1 + in.byte();
  const std::string source = in.text(in.byte() % 32);

  if (scanLines(in.data(), in.size(), in.size() + 1) != scanLines(in.data(), in.size(), split))
    std::abort();
  checkElements(in.data(), in.size());

  playlist.assign(in.data(), in.size());
  QuietHost host;
  Workspace ws(host);
  ws.paths.eEVOfile = "/media/D/HVDVD_TS/" + source + ".EVO";
  ws.paths.eXPLfile = playlist.path();
  ws.paths.PlaylistFileName = "VPLST000.XPL";
  PlaylistView view;
  readPlaylist(ws, view);
  // A second run over the same file reads it the same way.
  PlaylistView again = view;
  readPlaylist(ws, again);
  if (again.mXPL != view.mXPL || again.mChapter != view.mChapter || again.tvXPL != view.tvXPL)
    std::abort();

  for (const auto& box : ws.boxes.video) checkName(box.caption);
  for (const auto& box : ws.boxes.audio) checkName(box.caption);
  for (const auto& box : ws.boxes.subpicture) checkName(box.caption);
  for (const std::string& line : view.mChapter)
    if (line.find_first_of("\r\n") != std::string::npos || line.rfind("CHAPTER", 0) != 0)
      std::abort();
  return 0;
}
