#pragma once

// Where the muxer's 2,048-byte packs go: a file written as it grows, or
// memory for tests. Packs already written can be patched in place, which
// lets the muxer fill navigation fields that are known only later without
// holding the title in memory.

#include <cstdint>
#include <cstdio>
#include <string>

#include "tools/psmux/ps_builder.h"

namespace vantrel::psmux {

class PackSink {
 public:
  virtual ~PackSink() = default;
  virtual void write(const uint8_t* pack) = 0;  // kPackSize bytes
  virtual void patch(uint64_t offset, const uint8_t* bytes, size_t size) = 0;
  virtual uint64_t size() const = 0;  // bytes written so far
};

class MemoryPackSink final : public PackSink {
 public:
  void write(const uint8_t* pack) override;
  void patch(uint64_t offset, const uint8_t* bytes, size_t size) override;
  uint64_t size() const override { return bytes_.size(); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

// Counts the packs and forgets them (to measure a title before writing it).
class CountingPackSink final : public PackSink {
 public:
  void write(const uint8_t*) override { size_ += kPackSize; }
  void patch(uint64_t, const uint8_t*, size_t) override {}
  uint64_t size() const override { return size_; }

 private:
  uint64_t size_ = 0;
};

// Creates (or replaces) the file; every write is checked and a failure
// throws std::runtime_error naming the file and the system's reason.
class FilePackSink final : public PackSink {
 public:
  explicit FilePackSink(const std::string& path);
  ~FilePackSink() override;
  FilePackSink(const FilePackSink&) = delete;
  FilePackSink& operator=(const FilePackSink&) = delete;

  void write(const uint8_t* pack) override;
  void patch(uint64_t offset, const uint8_t* bytes, size_t size) override;
  uint64_t size() const override { return size_; }
  // Flushes and closes; throws when the last buffered bytes cannot be stored.
  void close();

 private:
  [[noreturn]] void fail(const char* what) const;

  std::string path_;
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

}  // namespace vantrel::psmux
