#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantrel {

namespace {

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

[[noreturn]] void fail(const char* what, const std::string& path, int error) {
  throw FileError(std::string(what) + " " + quoted(path) + ". " + std::strerror(error));
}

FileIdentity identityFromStat(const struct stat& st) {
  return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}

}  // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return identityFromStat(st);
}

bool fileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// ---------------------------------------------------------------- InputFile

std::unique_ptr<InputFile> InputFile::open(const std::string& path) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) fail("Cannot open file", path, errno);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int error = errno;
    ::close(fd);
    fail("Cannot open file", path, error);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    fail("Cannot open file", path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return std::unique_ptr<InputFile>(
      new InputFile(fd, path, int64_t(st.st_size), identityFromStat(st)));
}

InputFile::InputFile(int fd, std::string path, int64_t size, FileIdentity identity)
    : fd_(fd), path_(std::move(path)), size_(size), identity_(identity) {}

InputFile::~InputFile() { ::close(fd_); }

size_t InputFile::read(void* buffer, size_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t got = ::read(fd_, out + done, count - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      fail("Cannot read file", path_, errno);
    }
    if (got == 0) break;
    done += size_t(got);
  }
  position_ += int64_t(done);
  return done;
}

void InputFile::seek(int64_t position) {
  if (position < 0) position = 0;
  if (position > size_) position = size_;
  if (::lseek(fd_, off_t(position), SEEK_SET) < 0) fail("Cannot read file", path_, errno);
  position_ = position;
}

// --------------------------------------------------------------- OutputFile

std::unique_ptr<OutputFile> OutputFile::create(const std::string& path) {
  // O_NONBLOCK: a FIFO nobody reads fails at once (ENXIO) instead of
  // blocking the run forever; one that is read is written normally.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) fail("Cannot create file", path, errno);
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  struct stat st;
  FileIdentity identity;
  if (::fstat(fd, &st) == 0) identity = identityFromStat(st);
  return std::unique_ptr<OutputFile>(new OutputFile(fd, path, identity));
}

OutputFile::OutputFile(int fd, std::string path, FileIdentity identity)
    : fd_(fd),
      path_(std::move(path)),
      identity_(identity),
      buffer_(new uint8_t[kBufferSize]) {}

OutputFile::~OutputFile() {
  if (fd_ < 0) return;
  try {
    flush();
  } catch (const FileError&) {
    // Destruction runs on error paths; the first error was already reported.
  }
  ::close(fd_);
}

void OutputFile::writeThrough(const uint8_t* data, size_t count) {
  while (count > 0) {
    ssize_t put = ::write(fd_, data, count);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write file", path_, errno);
    }
    if (put == 0) fail("Cannot write file", path_, ENOSPC);
    stored_ += put;
    data += put;
    count -= size_t(put);
  }
}

void OutputFile::write(const void* data, size_t count) {
  if (fd_ < 0) fail("Cannot write file", path_, EBADF);
  const auto* bytes = static_cast<const uint8_t*>(data);
  written_ += int64_t(count);
  if (buffered_ + count <= kBufferSize) {
    std::memcpy(buffer_.get() + buffered_, bytes, count);
    buffered_ += count;
    return;
  }
  flush();
  if (count >= kBufferSize) {
    writeThrough(bytes, count);
  } else {
    std::memcpy(buffer_.get(), bytes, count);
    buffered_ = count;
  }
}

void OutputFile::writeAt(int64_t offset, const void* data, size_t count) {
  if (fd_ < 0) fail("Cannot write file", path_, EBADF);
  if (offset < 0 || offset + int64_t(count) > written_) fail("Cannot write file", path_, EINVAL);
  const auto* bytes = static_cast<const uint8_t*>(data);
  const int64_t bufferStart = written_ - int64_t(buffered_);
  // The part still in the buffer.
  if (offset + int64_t(count) > bufferStart) {
    const int64_t from = std::max(offset, bufferStart);
    const size_t skip = size_t(from - offset);
    std::memcpy(buffer_.get() + (from - bufferStart), bytes + skip, count - skip);
    count = skip;
  }
  // The part the file holds.
  while (count > 0) {
    ssize_t put = ::pwrite(fd_, bytes, count, offset);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write file", path_, errno);
    }
    if (put == 0) fail("Cannot write file", path_, ENOSPC);
    bytes += put;
    offset += put;
    count -= size_t(put);
  }
}

void OutputFile::flush() {
  if (buffered_ == 0 || fd_ < 0) return;
  size_t pending = buffered_;
  buffered_ = 0;  // a failed flush is not retried: its bytes are reported lost once
  writeThrough(buffer_.get(), pending);
}

void OutputFile::close() {
  if (fd_ < 0) return;
  int fd = fd_;
  try {
    flush();
  } catch (...) {
    ::close(fd);
    fd_ = -1;
    throw;
  }
  fd_ = -1;
  if (::close(fd) != 0) fail("Cannot write file", path_, errno);
}

}  // namespace vantrel
