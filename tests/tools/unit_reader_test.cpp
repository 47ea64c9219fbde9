#include "tools/psmux/unit_reader.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/temp_dir.h"
#include "tests/tools/pack_walker.h"
#include "tests/tools/synthetic_streams.h"
#include "tools/psmux/pack_sink.h"

namespace vantrel::psmux {
namespace {

namespace synthetic = psmux::synthetic;

const ReadStream* find(const std::vector<ReadStream>& streams, EsCodec codec, uint8_t id) {
  for (const ReadStream& stream : streams) {
    if (stream.codec == codec && stream.id == id) return &stream;
  }
  return nullptr;
}

TEST(UnitReader, ReadsBackWhatTheMuxerWrote) {
  std::vector<synthetic::Input> inputs = synthetic::fullTitle();
  synthetic::Muxed muxed = synthetic::mux(inputs);
  std::vector<ReadStream> streams = readProgramStreamUnits(muxed.bytes);
  ASSERT_EQ(streams.size(), inputs.size());
  for (const synthetic::Input& input : inputs) {
    SCOPED_TRACE(int(input.id));
    const ReadStream* stream = find(streams, input.codec, input.id);
    ASSERT_TRUE(stream);
    EXPECT_EQ(synthetic::concatenated(stream->units), synthetic::concatenated(input.units));
    const bool video = input.codec == EsCodec::Mpeg2Video || input.codec == EsCodec::H264Video;
    if (video || input.codec == EsCodec::Subpicture) {
      // One packet run per unit: the units come back whole.
      ASSERT_EQ(stream->units.size(), input.units.size());
      for (size_t i = 0; i < input.units.size(); ++i) {
        EXPECT_EQ(stream->units[i].data, input.units[i].data) << i;
        EXPECT_EQ(stream->units[i].pts, input.units[i].pts) << i;
        EXPECT_EQ(stream->units[i].dts, input.units[i].dts) << i;
        if (video) {
          EXPECT_EQ(stream->units[i].duration, input.units[i].duration) << i;
        }
        // Only the first video stream marks where video object units start.
        if (input.id == 0xE0) {
          EXPECT_EQ(stream->units[i].randomAccess, input.units[i].randomAccess) << i;
        }
      }
    } else {
      // Audio units start at stamped frames: each read unit begins where an
      // input frame with the same PTS begins.
      size_t offset = 0, readOffset = 0, j = 0;
      for (const AccessUnit& unit : stream->units) {
        while (j < input.units.size() && offset < readOffset) offset += input.units[j++].data.size();
        ASSERT_LT(j, input.units.size());
        EXPECT_EQ(offset, readOffset);
        EXPECT_EQ(unit.pts, input.units[j].pts);
        readOffset += unit.data.size();
      }
    }
  }
  EXPECT_EQ(find(streams, EsCodec::Lpcm, 0xA3)->lpcmFormat, 0x01);
}

TEST(UnitReader, TheSampleRepeatedStaysWellFormed) {
  const std::string dir = std::string(VANTREL_SOURCE_DIR) + "/samples/HVDVD_TS/";
  std::vector<ReadStream> streams = readProgramStreamUnits(testing::readFileBytes(dir + "FEATURE_1.EVO"));
  appendProgramStreamUnits(streams, testing::readFileBytes(dir + "FEATURE_2.EVO"));
  ASSERT_EQ(streams.size(), 9u);
  EXPECT_EQ(streams[0].units.size(), 120u);  // MPEG-2 pictures of both files
  EXPECT_EQ(presentationSpan(streams[0].units), 432000u);

  std::vector<ListSource> sources;
  sources.reserve(streams.size());
  std::vector<EsStream> list;
  for (const ReadStream& stream : streams) {
    sources.emplace_back(stream.units, 3, 432000);
    EsStream es;
    es.codec = stream.codec;
    es.id = stream.id;
    es.lpcmFormat = stream.lpcmFormat;
    es.source = &sources.back();
    list.push_back(es);
  }
  MemoryPackSink sink;
  MuxResult result = muxProgramStream(list, {}, sink);
  testing::Walk walk = testing::walkProgramStream(sink.bytes());
  EXPECT_TRUE(walk.faults.empty()) << walk.faults.front();
  EXPECT_EQ(walk.navigation.size(), 36u);  // 12 groups of pictures, three times
  EXPECT_EQ(result.lastVideoPtm - result.firstVideoPtm, 3 * 432000u);
  Bytes once = synthetic::concatenated(streams[2].units);
  EXPECT_EQ(walk.payload[testing::streamKey(0xBD, streams[2].id)].size(), 3 * once.size());
}

TEST(UnitReader, RejectsWhatDoesNotParse) {
  EXPECT_THROW(readProgramStreamUnits(Bytes(100, 0)), std::runtime_error);
  EXPECT_THROW(readProgramStreamUnits(Bytes(2048, 0)), std::runtime_error);
  // A packet whose length runs past its pack.
  Bytes pack = psmux::packHeader(0);
  psmux::append(pack, {0x00, 0x00, 0x01, 0xE0, 0x07, 0xF8, 0x81, 0x00, 0x00});
  pack.resize(2048, 0xAA);
  EXPECT_THROW(readProgramStreamUnits(pack), std::runtime_error);
  // An audio packet whose time stamp points past its data.
  Pes pes;
  pes.streamId = 0xBD;
  pes.pts = 90000;
  pes.payload = audioSubstreamHeader(0x80, 1, 900);
  pes.payload.resize(200, 0x11);
  EXPECT_THROW(readProgramStreamUnits(packWithPes(0, pes)), std::runtime_error);
}

}  // namespace
}  // namespace vantrel::psmux
