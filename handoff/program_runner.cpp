#include "handoff/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace vantrel {

namespace {
constexpr int kPollMs = 100;
constexpr auto kKillAfter = std::chrono::seconds(5);
constexpr size_t kMaxLine = 64 * 1024;  // a longer line is handed on in pieces

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Splits what the child writes into lines.
class LineSplitter {
 public:
  explicit LineSplitter(const std::function<void(std::string_view)>& onLine) : onLine_(onLine) {}
  void add(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == '\n' || data[i] == '\r') {
        flush();
      } else {
        line_ += data[i];
        if (line_.size() >= kMaxLine) flush();
      }
    }
  }
  void flush() {
    if (!line_.empty()) onLine_(line_);
    line_.clear();
  }

 private:
  const std::function<void(std::string_view)>& onLine_;
  std::string line_;
};

// The child starts with every signal unblocked (the command line blocks
// SIGINT and SIGTERM in its threads) and with Ctrl-C, SIGTERM and a closed
// pipe doing what they normally do.
void prepareAttributes(posix_spawnattr_t& attributes) {
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGINT, SIGTERM, SIGPIPE, SIGQUIT}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}
}  // namespace

std::string findProgram(std::string_view name) {
  if (name.find('/') != std::string_view::npos)
    return isExecutableFile(std::string(name)) ? std::string(name) : std::string();
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + std::string(name);
    if (isExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    folders.remove_prefix(colon + 1);
  }
}

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::function<void(std::string_view)>& onLine,
                         const std::function<bool()>& cancelled) {
  ProgramResult result;
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
    result.startError = std::strerror(errno);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  posix_spawnattr_t attributes;
  prepareAttributes(attributes);

  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(pipeEnds[1]);
  if (spawned != 0) {
    ::close(pipeEnds[0]);
    result.startError = std::strerror(spawned);
    return result;
  }
  result.started = true;

  LineSplitter lines(onLine);
  std::chrono::steady_clock::time_point stopAt{};
  bool killed = false;
  bool ended = false;
  int status = 0;
  char buffer[4096];
  for (pollfd fd{pipeEnds[0], POLLIN, 0};;) {
    if (!result.cancelled && cancelled()) {
      result.cancelled = true;
      ::kill(pid, SIGTERM);
      stopAt = std::chrono::steady_clock::now() + kKillAfter;
    }
    if (result.cancelled && !killed && !ended && std::chrono::steady_clock::now() >= stopAt) {
      ::kill(pid, SIGKILL);
      killed = true;
    }
    // A process the program started may hold the pipe open after it ended:
    // once it has ended, what is left in the pipe is read and no more.
    if (!ended && ::waitpid(pid, &status, WNOHANG) == pid) ended = true;
    const int ready = ::poll(&fd, 1, ended ? 0 : kPollMs);
    if (ready < 0 && errno != EINTR) break;
    if (ready == 0 && ended) break;
    if (ready <= 0) continue;
    const ssize_t got = ::read(fd.fd, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) break;  // every writer closed its end: the program has ended
    lines.add(buffer, size_t(got));
  }
  lines.flush();
  ::close(pipeEnds[0]);

  while (!ended && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace vantrel
