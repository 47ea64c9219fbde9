#include "metadata/chapter_writer.h"

#include "common/file_io.h"
#include "common/path_rules.h"

namespace vantrel {

std::string chapterFileName(const Workspace& ws) {
  return outputPrefix(ws.options.workdir, ws.paths.OutputBaseName) + ".chapters.txt";
}

void writeChapterFile(Workspace& ws, const PlaylistView& view) {
  if (view.mChapter.empty()) return;
  ws.buttons.writeChaps = false;
  ws.notifyControls();
  auto enableButton = [&ws] {
    ws.buttons.writeChaps = true;
    ws.notifyControls();
  };

  const std::string name = chapterFileName(ws);
  try {
    auto out = OutputFile::create(name);
    ws.outputCreated(*out);
    for (const std::string& line : view.mChapter) {
      out->write(line.data(), line.size());
      out->write("\r\n", 2);
    }
    out->close();
    ws.outputClosed(*out);
  } catch (...) {
    enableButton();
    throw;
  }
  ws.host.log("Chapters info writed to " + name);
  enableButton();
}

}  // namespace vantrel
