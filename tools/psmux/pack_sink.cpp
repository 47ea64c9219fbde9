#include "tools/psmux/pack_sink.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace vantrel::psmux {

namespace {
int seekTo(std::FILE* file, uint64_t offset, int whence) {
#ifdef _WIN32
  return _fseeki64(file, int64_t(offset), whence);
#else
  return fseeko(file, off_t(offset), whence);
#endif
}
}  // namespace

void MemoryPackSink::write(const uint8_t* pack) { bytes_.insert(bytes_.end(), pack, pack + kPackSize); }

void MemoryPackSink::patch(uint64_t offset, const uint8_t* bytes, size_t size) {
  if (offset > bytes_.size() || size > bytes_.size() - offset) {
    throw std::out_of_range("patch outside the packs written");
  }
  std::memcpy(bytes_.data() + offset, bytes, size);
}

FilePackSink::FilePackSink(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) fail("Cannot create file");
  // Large buffer: packs arrive 2 KiB at a time.
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
}

FilePackSink::~FilePackSink() {
  if (file_) std::fclose(file_);
}

void FilePackSink::fail(const char* what) const {
  throw std::runtime_error(std::string(what) + " \"" + path_ + "\". " + std::strerror(errno));
}

void FilePackSink::write(const uint8_t* pack) {
  if (!file_) throw std::logic_error("write after close");
  if (std::fwrite(pack, 1, kPackSize, file_) != kPackSize) fail("Cannot write file");
  size_ += kPackSize;
}

void FilePackSink::patch(uint64_t offset, const uint8_t* bytes, size_t size) {
  if (!file_) throw std::logic_error("patch after close");
  if (offset > size_ || size > size_ - offset) throw std::out_of_range("patch outside the packs written");
  if (seekTo(file_, offset, SEEK_SET) != 0) fail("Cannot seek in file");
  if (std::fwrite(bytes, 1, size, file_) != size) fail("Cannot write file");
  if (seekTo(file_, 0, SEEK_END) != 0) fail("Cannot seek in file");
}

void FilePackSink::close() {
  if (!file_) return;
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) != 0) fail("Cannot write file");
}

}  // namespace vantrel::psmux
