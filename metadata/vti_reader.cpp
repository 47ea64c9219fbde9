#include "metadata/vti_reader.h"

#include "common/file_io.h"
#include "metadata/vti_layout.h"
#include "metadata/vti_report.h"

namespace vantrel {

void readTitleSetInfo(Workspace& ws, MetadataObserver* observer) {
  if (!ws.options.readVTI) return;
  const std::string path = ws.paths.EVOdir + kVtiFileName;
  if (!fileExists(path)) {
    ws.host.log(std::string(kVtiFileName) + " not found");
    return;
  }
  ws.host.log(std::string("Reading [b]") + kVtiFileName + "[/b]");
  VtiFile vti;
  {
    auto in = InputFile::open(path);
    vti = parseVti(*in);
  }
  for (const std::string& line : describeVti(vti)) ws.host.log(line);
  if (observer) observer->titleSetRead(path, vti);
  // A report that stopped where the file ended is incomplete: it counts as
  // an error (the command line exits with 1), not as a finished report.
  if (vti.cut) ++ws.errorsLogged;
}

}  // namespace vantrel
