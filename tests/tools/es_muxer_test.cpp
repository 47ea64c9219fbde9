#include "tools/psmux/es_muxer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "tests/support/temp_dir.h"
#include "tests/tools/pack_walker.h"
#include "tests/tools/synthetic_streams.h"
#include "tools/psmux/pack_sink.h"

namespace vantrel::psmux {
namespace {

using testing::streamKey;
using testing::Walk;
using testing::walkProgramStream;
namespace synthetic = psmux::synthetic;
using synthetic::fullTitle;
using synthetic::Input;
using synthetic::keyOf;
using synthetic::mux;
using synthetic::Muxed;
using synthetic::concatenated;

// Every packet in which an access unit starts carries the time stamps of
// the first one that starts there, and only those packets carry any; audio
// substream headers count the units starting and point at the first.
void expectTimeStamps(const Walk& walk, const Input& input) {
  SCOPED_TRACE(int(input.id));
  std::vector<size_t> starts;
  size_t offset = 0;
  for (const AccessUnit& unit : input.units) {
    starts.push_back(offset);
    offset += unit.data.size();
  }
  const bool audio = input.codec != EsCodec::Mpeg2Video && input.codec != EsCodec::H264Video &&
                     input.codec != EsCodec::Vc1Video && input.codec != EsCodec::Subpicture;
  for (size_t index : walk.packetsOf(keyOf(input))) {
    const testing::WalkedPacket& packet = walk.packets[index];
    auto first = std::lower_bound(starts.begin(), starts.end(), packet.payloadOffset);
    auto last = std::lower_bound(starts.begin(), starts.end(), packet.payloadOffset + packet.payloadSize);
    const size_t count = size_t(last - first);
    if (count == 0) {
      EXPECT_FALSE(packet.pts) << "pack " << packet.pack;
    } else {
      const AccessUnit& unit = input.units[size_t(first - starts.begin())];
      ASSERT_TRUE(packet.pts) << "pack " << packet.pack;
      EXPECT_EQ(*packet.pts, unit.pts) << "pack " << packet.pack;
      EXPECT_EQ(packet.dts, unit.dts) << "pack " << packet.pack;
    }
    if (!audio) {
      // Pictures and subpicture units start packets of their own.
      EXPECT_LE(count, 1u);
      if (count == 1) {
        EXPECT_EQ(*first, packet.payloadOffset);
      }
    } else {
      ASSERT_GE(packet.substreamHeader.size(), 3u);
      EXPECT_EQ(packet.substreamHeader[0], std::min<size_t>(count, 255));
      uint16_t pointer = uint16_t(packet.substreamHeader[1] << 8 | packet.substreamHeader[2]);
      size_t extra = packet.substreamHeader.size() - 3;
      EXPECT_EQ(pointer, count ? 1 + extra + (*first - packet.payloadOffset) : 0) << "pack " << packet.pack;
    }
  }
}

TEST(EsMuxer, PacksAreWholeWellFormedAndClockedForward) {
  Muxed muxed = mux(fullTitle());
  EXPECT_EQ(muxed.bytes.size() % kPackSize, 0u);
  EXPECT_EQ(muxed.result.packs * kPackSize, muxed.bytes.size());
  EXPECT_TRUE(muxed.walk.faults.empty()) << muxed.walk.faults.front();
  for (size_t i = 1; i < muxed.walk.scr.size(); ++i) {
    EXPECT_GE(muxed.walk.scr[i], muxed.walk.scr[i - 1] + kTicksPerPack) << "pack " << i;
  }
  EXPECT_EQ(muxed.result.nextScr, muxed.walk.scr.back() + kTicksPerPack);
  // Each pack delivers its data before it is decoded.
  for (const auto& packet : muxed.walk.packets) {
    if (packet.pts) {
      EXPECT_LT(muxed.walk.scr[packet.pack], packet.dts.value_or(*packet.pts));
    }
  }
}

TEST(EsMuxer, DemuxedPayloadEqualsTheAccessUnitsByteForByte) {
  std::vector<Input> inputs = fullTitle();
  Muxed muxed = mux(inputs);
  ASSERT_EQ(muxed.walk.payload.size(), inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(muxed.walk.payload[keyOf(inputs[i])], concatenated(inputs[i].units));
    EXPECT_EQ(muxed.result.streams[i].units, inputs[i].units.size());
    EXPECT_EQ(muxed.result.streams[i].bytes, concatenated(inputs[i].units).size());
  }
}

TEST(EsMuxer, TimeStampsSitOnThePacketsWhereUnitsStart) {
  std::vector<Input> inputs = fullTitle();
  Muxed muxed = mux(inputs);
  for (const Input& input : inputs) expectTimeStamps(muxed.walk, input);
  // Decoding times never go backwards within a stream.
  for (const Input& input : inputs) {
    uint64_t last = 0;
    for (size_t index : muxed.walk.packetsOf(keyOf(input))) {
      const auto& packet = muxed.walk.packets[index];
      if (!packet.pts) continue;
      uint64_t decode = packet.dts.value_or(*packet.pts);
      EXPECT_GE(decode, last);
      last = decode;
    }
  }
}

TEST(EsMuxer, NavigationPackOpensEveryVideoObjectUnit) {
  std::vector<Input> inputs = fullTitle();
  MuxOptions options;
  options.vobNumber = 7;
  Muxed muxed = mux(inputs, options);
  const Walk& walk = muxed.walk;
  ASSERT_FALSE(walk.navigation.empty());
  EXPECT_EQ(walk.navigation.front().pack, 0u);
  EXPECT_EQ(walk.navigation.size(), 4u);  // four groups of pictures in the first video stream
  EXPECT_EQ(muxed.result.navigationPacks, 4u);

  // The first packet of the first video stream after each navigation pack
  // starts a picture from which decoding can start.
  std::vector<size_t> starts;
  size_t offset = 0;
  for (const AccessUnit& unit : inputs[0].units) {
    starts.push_back(offset);
    offset += unit.data.size();
  }
  std::vector<size_t> video = walk.packetsOf(streamKey(0xE0));
  for (const auto& nav : walk.navigation) {
    auto next = std::find_if(video.begin(), video.end(), [&](size_t i) { return walk.packets[i].pack > nav.pack; });
    ASSERT_NE(next, video.end());
    const auto& packet = walk.packets[*next];
    auto unit = std::find(starts.begin(), starts.end(), packet.payloadOffset);
    ASSERT_NE(unit, starts.end());
    EXPECT_TRUE(inputs[0].units[size_t(unit - starts.begin())].randomAccess);
  }

  // Title-wide fields: the same in every navigation pack.
  uint64_t first = UINT64_MAX, end = 0;
  for (const AccessUnit& unit : inputs[0].units) {
    first = std::min(first, unit.pts);
    end = std::max(end, unit.pts + unit.duration);
  }
  for (const auto& nav : walk.navigation) {
    EXPECT_EQ(nav.vobNumber, 7);
    EXPECT_EQ(nav.firstVideoPtm, first);
    EXPECT_EQ(nav.lastVideoPtm, end);
    EXPECT_EQ(nav.videoBound, 2);
    EXPECT_EQ(nav.audioBound, 5);
    // Audio numbers: 80 -> 0, 89 -> 1, B2 -> 2, A3 -> 3, C4 -> 4; subpictures 0 and 5.
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(nav.audioSync[i] != 0, i <= 4) << i;
    for (size_t i = 0; i < 32; ++i) EXPECT_EQ(nav.subpictureSync[i] != 0, i == 0 || i == 5) << i;
  }
  EXPECT_EQ(muxed.result.firstVideoPtm, first);
  EXPECT_EQ(muxed.result.lastVideoPtm, end);
}

TEST(EsMuxer, SyncEntriesCountPacksToEachStreamsFirstPackInTheUnit) {
  std::vector<Input> inputs = fullTitle();
  Muxed muxed = mux(inputs);
  const Walk& walk = muxed.walk;
  for (size_t u = 0; u < walk.navigation.size(); ++u) {
    const size_t begin = walk.navigation[u].pack;
    const size_t end = u + 1 < walk.navigation.size() ? walk.navigation[u + 1].pack : walk.packs;
    auto firstPack = [&](uint32_t key) -> long {
      for (const auto& packet : walk.packets) {
        if (packet.key == key && packet.pack > begin && packet.pack < end) return long(packet.pack - begin);
      }
      return -1;
    };
    long ac3 = firstPack(streamKey(0xBD, 0x80));
    EXPECT_EQ(walk.navigation[u].audioSync[0], ac3 > 0 ? uint16_t(ac3) : 0x3FFF) << "unit " << u;
    long lpcm = firstPack(streamKey(0xBD, 0xA3));
    EXPECT_EQ(walk.navigation[u].audioSync[3], lpcm > 0 ? uint16_t(lpcm) : 0x3FFF) << "unit " << u;
    long sub = firstPack(streamKey(0xBD, 0x25));
    EXPECT_EQ(walk.navigation[u].subpictureSync[5], sub > 0 ? uint32_t(sub) : 0x3FFFFFFFu) << "unit " << u;
  }
}

TEST(EsMuxer, CopyControlAndAdvancedPacksFollowTheFirstNavigationPack) {
  MuxOptions options;
  options.copyControl = CopyControl{0x00, 0xE0, 0x86};
  options.advancedContentPacks = 2;
  Muxed muxed = mux(fullTitle(), options);
  ASSERT_TRUE(muxed.walk.faults.empty()) << muxed.walk.faults.front();
  ASSERT_EQ(muxed.walk.copyControl.size(), 1u);
  EXPECT_EQ(muxed.walk.copyControl[0].size(), 64u);
  EXPECT_EQ(muxed.walk.copyControl[0][12], 0x00);
  EXPECT_EQ(muxed.walk.copyControl[0][24], 0xE0);
  EXPECT_EQ(muxed.walk.copyControl[0][26], 0x86);
  EXPECT_EQ(muxed.walk.advancedContentPacks, 2u);
  // Packs 1 to 3 carry them; data starts at pack 4.
  ASSERT_FALSE(muxed.walk.packets.empty());
  EXPECT_EQ(muxed.walk.packets.front().pack, 4u);

  Muxed plain = mux(fullTitle());
  EXPECT_TRUE(plain.walk.copyControl.empty());
  EXPECT_EQ(plain.walk.advancedContentPacks, 0u);
}

TEST(EsMuxer, WithoutVideoUnitsFollowTheClock) {
  MuxOptions options;
  options.unitLength = 45000;
  Muxed muxed = mux({{EsCodec::Ac3, 0x81, synthetic::audio(100, 768, 768, 2880, 90000, 3)}}, options);
  ASSERT_TRUE(muxed.walk.faults.empty()) << muxed.walk.faults.front();
  // A new unit once the audio reaches 0.5 s past the unit's start; the frame
  // that a unit's first pack continues or starts tells where it begins.
  const Walk& walk = muxed.walk;
  std::vector<uint64_t> unitStarts;
  for (const auto& nav : walk.navigation) {
    for (const auto& packet : walk.packets) {
      if (packet.pack > nav.pack) {
        unitStarts.push_back(90000 + packet.payloadOffset / 768 * 2880);
        break;
      }
    }
  }
  ASSERT_EQ(unitStarts.size(), walk.navigation.size());
  EXPECT_EQ(unitStarts.size(), 6u);  // 3.2 s of audio
  for (size_t i = 1; i < unitStarts.size(); ++i) {
    EXPECT_GE(unitStarts[i] - unitStarts[i - 1], 45000u);
    EXPECT_LT(unitStarts[i] - unitStarts[i - 1], 45000u + 3 * 2880);  // within a pack's worth of frames
  }
  EXPECT_EQ(muxed.walk.navigation.front().videoBound, 0);
  EXPECT_EQ(muxed.walk.navigation.front().firstVideoPtm, 0u);
  EXPECT_EQ(muxed.walk.navigation.front().audioSync[1], 1);  // the pack right after it
}

TEST(EsMuxer, Vc1TravelsOnTheExtendedStreamId) {
  std::vector<Input> inputs = {{EsCodec::Vc1Video, 0x56, synthetic::video(2, 3754, 90000, 11)}};
  Muxed muxed = mux(inputs);
  ASSERT_TRUE(muxed.walk.faults.empty()) << muxed.walk.faults.front();
  EXPECT_EQ(muxed.walk.payload[streamKey(0xFD, 0x56)], concatenated(inputs[0].units));
  expectTimeStamps(muxed.walk, inputs[0]);
}

TEST(EsMuxer, SameInputGivesTheSameBytes) {
  EXPECT_EQ(mux(fullTitle()).bytes, mux(fullTitle()).bytes);
}

TEST(EsMuxer, RepeatedListsKeepTimeStampsIncreasing) {
  std::vector<AccessUnit> frames = synthetic::audio(20, 700, 800, 2880, 90000, 3);
  ListSource source(frames, 3, 20 * 2880);
  EsStream stream{EsCodec::Ac3, 0x80, &source};
  MemoryPackSink sink;
  muxProgramStream({stream}, {}, sink);
  Walk walk = walkProgramStream(sink.bytes());
  Bytes once = concatenated(frames);
  Bytes thrice;
  for (int i = 0; i < 3; ++i) thrice.insert(thrice.end(), once.begin(), once.end());
  EXPECT_EQ(walk.payload[streamKey(0xBD, 0x80)], thrice);
  uint64_t last = 0;
  size_t stamped = 0;
  for (const auto& packet : walk.packets) {
    if (!packet.pts) continue;
    EXPECT_GT(*packet.pts, last);
    last = *packet.pts;
    ++stamped;
  }
  EXPECT_GE(stamped + 1, walk.packets.size());  // frames are shorter than a pack
  EXPECT_GE(last, 90000 + 2 * 20 * 2880);  // into the third round
}

TEST(EsMuxer, ChainedFileContinuesTheClock) {
  std::vector<AccessUnit> first = synthetic::audio(30, 768, 768, 2880, 90000, 3);
  std::vector<AccessUnit> second = synthetic::audio(30, 768, 768, 2880, 90000 + 30 * 2880, 4);
  Muxed one = mux({{EsCodec::Ac3, 0x80, first}});
  MuxOptions options;
  options.scrStart = one.result.nextScr;
  options.vobNumber = 2;
  Muxed two = mux({{EsCodec::Ac3, 0x80, second}}, options);
  EXPECT_GE(two.walk.scr.front(), one.walk.scr.back() + kTicksPerPack);
  EXPECT_EQ(two.walk.navigation.front().vobNumber, 2);
}

TEST(EsMuxer, RejectsStreamsThatCannotBeMuxed) {
  std::vector<AccessUnit> units = synthetic::audio(3, 100, 100, 2880, 90000, 1);
  ListSource source(units);
  MemoryPackSink sink;
  auto attempt = [&](EsCodec codec, uint8_t id, AccessUnitSource* s) {
    muxProgramStream({EsStream{codec, id, s}}, {}, sink);
  };
  EXPECT_THROW(attempt(EsCodec::Ac3, 0x88, &source), std::invalid_argument);  // a DTS id
  EXPECT_THROW(attempt(EsCodec::Mpeg2Video, 0xE2, &source), std::invalid_argument);  // an H.264 id
  EXPECT_THROW(attempt(EsCodec::Vc1Video, 0xE0, &source), std::invalid_argument);
  EXPECT_THROW(attempt(EsCodec::Subpicture, 0x40, &source), std::invalid_argument);
  EXPECT_THROW(attempt(EsCodec::Lpcm, 0xA8, &source), std::invalid_argument);
  EXPECT_THROW(attempt(EsCodec::Ac3, 0x80, nullptr), std::invalid_argument);
  ListSource a(units), b(units);
  EXPECT_THROW(muxProgramStream({EsStream{EsCodec::Ac3, 0x80, &a}, EsStream{EsCodec::Ac3, 0x80, &b}}, {}, sink),
               std::invalid_argument);

  std::vector<AccessUnit> empty = units;
  empty[1].data.clear();
  ListSource withEmpty(empty);
  EXPECT_THROW(attempt(EsCodec::Ac3, 0x80, &withEmpty), std::invalid_argument);

  std::vector<AccessUnit> backwards = units;
  backwards[2].pts = backwards[0].pts - 1;
  ListSource goingBack(backwards);
  EXPECT_THROW(attempt(EsCodec::Ac3, 0x80, &goingBack), std::invalid_argument);
}

TEST(EsMuxer, AnEmptyStreamListWritesNothing) {
  MemoryPackSink sink;
  MuxResult result = muxProgramStream({}, {}, sink);
  EXPECT_EQ(result.packs, 0u);
  EXPECT_TRUE(sink.bytes().empty());
}

TEST(PackSink, FileHoldsWhatMemoryHolds) {
  testing::TempDir dir;
  std::vector<AccessUnit> units = synthetic::audio(40, 300, 900, 2880, 90000, 5);
  ListSource memorySource(units), fileSource(units);
  MemoryPackSink memory;
  muxProgramStream({EsStream{EsCodec::Ac3, 0x80, &memorySource}}, {}, memory);
  FilePackSink file(dir.file("a.evo"));
  muxProgramStream({EsStream{EsCodec::Ac3, 0x80, &fileSource}}, {}, file);
  file.close();
  EXPECT_EQ(testing::readFileBytes(dir.file("a.evo")), memory.bytes());
}

TEST(PackSink, FailuresAreReported) {
  testing::TempDir dir;
  EXPECT_THROW(FilePackSink(dir.file("missing/folder/a.evo")), std::runtime_error);
  MemoryPackSink memory;
  uint8_t pack[kPackSize] = {};
  memory.write(pack);
  EXPECT_THROW(memory.patch(kPackSize - 2, pack, 4), std::out_of_range);
  FilePackSink file(dir.file("b.evo"));
  file.write(pack);
  EXPECT_THROW(file.patch(kPackSize, pack, 1), std::out_of_range);
  if (std::ifstream("/dev/full")) {
    FilePackSink full("/dev/full");
    EXPECT_THROW(
        {
          for (int i = 0; i < 1024; ++i) full.write(pack);
          full.close();
        },
        std::runtime_error);
  }
}

}  // namespace
}  // namespace vantrel::psmux
