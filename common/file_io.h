#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace vantrel {

// An error of the file layer. Its text is what the user sees, for example
// Cannot open file "/media/D/HVDVD_TS/FEATURE_1.EVO". No such file or directory
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Device and inode: tells whether two paths name the same file.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const std::string& path);

// True when path names an existing regular file (not a folder).
bool fileExists(const std::string& path);

// True when path names an existing folder.
bool folderExists(const std::string& path);

// A source file opened read-only. Only regular files are accepted: a folder
// or a FIFO is refused with the usual "Cannot open file" error, so that
// opening never blocks.
class InputFile {
 public:
  static std::unique_ptr<InputFile> open(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  const std::string& path() const { return path_; }
  int64_t size() const { return size_; }
  int64_t position() const { return position_; }
  FileIdentity identity() const { return identity_; }

  // Reads up to `count` bytes; returns how many were delivered (fewer only
  // at the end of the file, 0 at its end). A failed read raises FileError.
  size_t read(void* buffer, size_t count);
  // Moves the read position (clamped to 0..size).
  void seek(int64_t position);

 private:
  InputFile(int fd, std::string path, int64_t size, FileIdentity identity);
  int fd_;
  std::string path_;
  int64_t size_;
  int64_t position_ = 0;
  FileIdentity identity_;
};

// An output file, created new (replacing a file of the same name). Writes
// are buffered and checked: a write that cannot store every byte raises
// FileError after storing what it could. close() flushes and reports.
class OutputFile {
 public:
  static std::unique_ptr<OutputFile> create(const std::string& path);
  ~OutputFile();  // closes quietly if close() was not called
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& path() const { return path_; }
  FileIdentity identity() const { return identity_; }
  // Bytes handed to write() so far.
  int64_t bytesWritten() const { return written_; }
  // Bytes the file system took so far (less than bytesWritten() while some
  // are buffered, or after a failed write).
  int64_t bytesStored() const { return stored_; }

  void write(const void* data, size_t count);
  // Overwrites `count` bytes already handed to write(), from byte `offset`
  // on: in the buffer while they are still there, else in the file (which
  // must then be seekable).
  void writeAt(int64_t offset, const void* data, size_t count);
  void flush();
  void close();

  static constexpr size_t kBufferSize = 64 * 1024;

 private:
  OutputFile(int fd, std::string path, FileIdentity identity);
  void writeThrough(const uint8_t* data, size_t count);
  int fd_;
  std::string path_;
  FileIdentity identity_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t buffered_ = 0;
  int64_t written_ = 0;
  int64_t stored_ = 0;
};

}  // namespace vantrel
