#pragma once

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace vantrel::fuzz {

// A file that lives in memory (memfd) but has a path, so that the program's
// own file layer opens, reads and writes it exactly as it would a disc file.
class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("vantrel-fuzz", MFD_CLOEXEC)) {
    if (fd_ < 0) std::abort();
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  const std::string& path() const { return path_; }

  // Replaces the contents.
  void assign(const uint8_t* data, size_t size) {
    if (::ftruncate(fd_, 0) != 0) std::abort();
    size_t done = 0;
    while (done < size) {
      ssize_t put = ::pwrite(fd_, data + done, size - done, off_t(done));
      if (put <= 0) std::abort();
      done += size_t(put);
    }
  }

  int64_t size() const {
    struct stat st;
    if (::fstat(fd_, &st) != 0) std::abort();
    return int64_t(st.st_size);
  }

 private:
  int fd_;
  std::string path_;
};

}  // namespace vantrel::fuzz
