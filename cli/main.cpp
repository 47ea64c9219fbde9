// vantrel-cli: the program's operations from the command line.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/interrupt_watcher.h"
#include "cli/json_report.h"
#include "common/file_io.h"
#include "common/version.h"
#include "drivers/operations.h"

namespace {

std::atomic<bool> gInterrupted{false};

int runCommand(vantrel::cli::CliContext& context) {
  using namespace vantrel::cli;
  const std::string& command = context.options.command;
  if (command == "read") return runRead(context);
  if (command == "demux") return runDemux(context);
  if (command == "rebuild") return runRebuild(context);
  if (command == "xpl") return runXpl(context);
  if (command == "vti") return runVti(context);
  if (command == "titles") return runTitles(context);
  if (command == "mkv") return runMkv(context);
  context.ws.logError("The command " + command + " is not available in this build.");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vantrel;
  using namespace vantrel::cli;
  // A full file-size limit or a closed output pipe must not kill the run
  // with output buffers unwritten: the write fails instead, is reported,
  // and every file is closed.
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  CliOptions options;
  if (auto problem = parseArguments(args, options)) {
    std::fprintf(stderr, "vantrel-cli: %s\nTry 'vantrel-cli --help' for more information.\n",
                 problem->c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(usageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("vantrel-cli %s (%s)\n", kProgramVersion, kProgramName);
    return 0;
  }

  // With --json, standard output holds the document alone and the log
  // lines go to standard error.
  TerminalHost host(options.json ? stderr : stdout, stderr);
  Workspace ws(host);
  std::optional<JsonReport> report;
  if (options.json) {
    report.emplace(options.command, options.files.at(0));
    ws.session.observer = &*report;
  }
  InterruptWatcher watcher([&ws] {
    gInterrupted = true;
    requestCancel(ws);
  });
  CliContext context{options, host, ws, [] { return gInterrupted.load(); },
                     report ? &*report : nullptr};
  int status = 0;
  try {
    status = runCommand(context);
  } catch (const std::exception& error) {
    ws.logError(error.what());
    status = 1;
  }
  if (gInterrupted) status = 130;
  if (report) {
    if (gInterrupted) report->setInterrupted();
    const std::string text = report->text();
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
      std::fprintf(stderr, "vantrel-cli: the JSON report could not be written\n");
      if (status == 0) status = 1;
    }
  }
  return status;
}
