// Bad input: the engine ends every pass, reads nothing outside the loaded
// bytes (AddressSanitizer watches), and allocates nothing per packet.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "tests/support/harness.h"

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
// Every form the library may pair with these (std::stable_sort takes its
// buffer with the nothrow form).
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++gAllocations;
  return std::malloc(size ? size : 1);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}

namespace vantrel::testing {
namespace {

Bytes sampleTitle() {
  Title t;
  psmux::Navigation nav;
  nav.firstVideoPtm = 1000;
  nav.lastVideoPtm = 91000;
  nav.audioSync[0] = 1;
  t.nav(nav);
  t.copyControl({0x00, 0x80, 0x40});
  t.pes({.streamId = 0xE0, .pts = 1000, .dts = 900, .payload = mpeg2Pictures(4)});
  t.pes({.streamId = 0xFD,
         .pts = 1000,
         .streamIdExtension = 0x55,
         .pstdBuffer = true,
         .payload = {0, 0, 1, 0x0D}});
  t.audio(0x80, 1000, Bytes(300, 0x0B));
  t.privateStream1(psmux::lpcmSubstreamHeader(0xA1, 0, 0x10, 0x80), 1000, Bytes(100, 1));
  t.subpicture(0x20, 1000, Bytes(50, 2));
  return t.bytes();
}

TEST(Robustness, TruncatedAtEveryOffsetEndsWithoutHarm) {
  const Bytes whole = sampleTitle();
  RecordingHost host;
  Session session(host);
  session.options.details = true;
  for (size_t cut = 0; cut <= whole.size(); cut += 7) {
    Bytes part(whole.begin(), whole.begin() + long(cut));
    scanInChunks(part, part.size() ? part.size() : 1, session);
    for (int32_t id : session.state.AudioStreamId)
      EXPECT_TRUE(id == -1 || id == 0x80 || id == 0xA1);
  }
}

TEST(Robustness, RandomBytesInAnyChunkSize) {
  std::mt19937 random(20261208);
  RecordingHost host;
  Session session(host);
  session.options.details = true;
  for (int round = 0; round < 40; ++round) {
    Bytes junk(8192);
    for (auto& b : junk) b = uint8_t(random() % 4 == 0 ? random() : (random() % 3));  // many 00/01
    // Sprinkle start codes so that the header paths run on garbage.
    for (int i = 0; i < 40; ++i) {
      size_t at = random() % (junk.size() - 4);
      static const uint8_t ids[] = {0xBD, 0xBF, 0xE0, 0xE3, 0xFD, 0xBE, 0xC0, 0xBA};
      junk[at] = 0, junk[at + 1] = 0, junk[at + 2] = 1, junk[at + 3] = ids[random() % 8];
    }
    scanInChunks(junk, 1 + random() % 3000, session);
  }
  SUCCEED();
}

TEST(Robustness, ImpossibleLengthsAndHeaderSizes) {
  Title t;
  // A packet that claims no bytes at all, and one that claims far more than
  // the file holds.
  t.pes({.streamId = 0xBD,
         .pts = 5,
         .payload = psmux::audioSubstreamHeader(0x80),
         .lengthOverride = 0});
  t.pes({.streamId = 0xE0, .payload = mpeg2Pictures(2), .lengthOverride = 0xFFFF});
  Bytes garbage = t.bytes();
  // A header whose data length runs past its packet.
  psmux::append(garbage, {0x00, 0x00, 0x01, 0xBD, 0x00, 0x03, 0x81, 0x80, 0xFF, 0x21, 0x00});
  Engine e;
  e.session.options.details = true;
  e.scan(e.write("F.EVO", garbage));
  EXPECT_EQ(e.session.state.AudioStreamId[0],
            0x80);  // caught from the bytes after the empty packet
  e.demuxAll(e.write("G.EVO", garbage));
}

// The chunk loop and the parser allocate the same whatever the number of
// packets: nothing is allocated per packet.
TEST(Robustness, NoAllocationPerPacket) {
  auto allocationsFor = [](int packs, EngineMode mode) {
    Title t;
    for (int i = 0; i < packs; ++i) {
      t.video(0xE0, 9000 + i, mpeg2Pictures(2));
      t.audio(0x80, 9000 + i, Bytes(500, 0x0B));
      t.subpicture(0x20, 9000 + i, Bytes(30, 1));
    }
    Engine e;
    const std::string path = e.write("F.EVO", t.bytes());
    e.session.options.fileKind = FileKind::Evo;
    if (mode == DemuxMode) {
      e.session.options.selection.video[0] = e.session.options.selection.audio[0] = true;
      e.session.options.selection.subpicture[0] = true;
      e.create(StreamKind::Video, 0, e.out("v0"));
      e.create(StreamKind::Audio, 0, e.out("a0"));
      e.create(StreamKind::Subpicture, 0, e.out("s0"));
    }
    const auto in = InputFile::open(path);
    const PayloadTargets targets = e.targets();
    long before = gAllocations;
    demux(e.session, mode, *in, targets);
    return gAllocations - before;
  };
  EXPECT_EQ(allocationsFor(50, ScanMode), allocationsFor(500, ScanMode));
  EXPECT_EQ(allocationsFor(50, DemuxMode), allocationsFor(500, DemuxMode));
}

}  // namespace
}  // namespace vantrel::testing
