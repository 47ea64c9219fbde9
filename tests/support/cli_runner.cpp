#include "tests/support/cli_runner.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace vantrel::testing {

const std::string& cliPath() {
  static const std::string path = std::string(VANTREL_BINARY_DIR) + "/cli/vantrel-cli";
  return path;
}

std::string shellQuoted(const std::string& path) {
  std::string out = "'";
  for (char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

CliRun runCli(const std::string& arguments, const std::string& prefix) {
  CliRun run;
  run.status = runCommand("bash -c " + shellQuoted(prefix + " timeout -k 5 60 " +
                                                   shellQuoted(cliPath()) + " " + arguments +
                                                   " 2>/dev/null"),
                          &run.out);
  return run;
}

InterruptedRun runCliInterrupted(const std::vector<std::string>& arguments,
                                 const std::string& marker, bool markerOnStderr) {
  InterruptedRun run;
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  std::vector<std::string> words{cliPath()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, cliPath().c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  if (spawned != 0) {
    ::close(out[0]);
    ::close(err[0]);
    return run;
  }
  // Both pipes are drained together, so that neither can fill and stall.
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* texts[2] = {&run.out, &run.err};
  const std::string& watched = markerOnStderr ? run.err : run.out;
  char buffer[4096];
  for (int open = 2; open > 0;) {
    if (::poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        texts[i]->append(buffer, size_t(n));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
    if (!run.interrupted && watched.find(marker) != std::string::npos) {
      ::kill(pid, SIGINT);
      run.interrupted = true;
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace vantrel::testing
