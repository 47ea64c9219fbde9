#include "cli/commands.h"
#include "common/path_rules.h"
#include "drivers/operations.h"

namespace vantrel::cli {

int runRebuild(CliContext& context) {
  const std::string& source = context.options.files.at(0);
  // As in the window, Rebuild is offered for HD DVD sources only.
  if (upperExtensionOf(source) != ".EVO") {
    context.ws.logError("Rebuild writes HD DVD titles: the source must be an .EVO file.");
    return 1;
  }
  prepareWorkspace(context, source);
  readTitle(context);
  if (context.interrupted()) return 1;
  if (!applyStreamChoice(context)) return 1;
  if (context.report) context.report->startWriting();
  rebuildTitle(context.ws);
  return context.ws.errorsLogged > 0 ? 1 : 0;
}

}  // namespace vantrel::cli
