// The observer hears the facts the log lines are made of, at the same
// points, and only where the log reports them.
#include <gtest/gtest.h>

#include "drivers/demux_outputs.h"
#include "engine/run_observer.h"
#include "tests/support/harness.h"
#include "tests/support/recording_driver_host.h"

namespace vantrel::testing {
namespace {

struct Recorder : RunObserver {
  std::vector<FoundStream> found;
  std::vector<std::pair<StreamStart, StreamAnalysis>> details;
  std::vector<std::vector<std::string>> navigationLines;
  std::vector<CopyControlInfo> copyControl;
  std::vector<std::pair<std::string, int64_t>> closed;

  void streamFound(const FoundStream& s) override { found.push_back(s); }
  void streamDetails(const StreamStart& start, const StreamAnalysis& a) override {
    details.emplace_back(start, a);
  }
  void navigationRead(const NavigationInfo& nav, int video, int audio, double seconds) override {
    navigationLines.push_back(describeNavigation(nav, video, audio, seconds));
  }
  void copyControlRead(const CopyControlInfo& cc) override { copyControl.push_back(cc); }
  void outputClosed(const std::string& path, int64_t bytes) override {
    closed.emplace_back(path, bytes);
  }
};

Bytes titleWithEveryKind() {
  Title t;
  psmux::Navigation nav;
  nav.firstVideoPtm = 90000;
  nav.lastVideoPtm = 90000 * 3;
  nav.subpictureSync[4] = 1;
  t.nav(nav);
  psmux::CopyControl cc;
  cc.byte12 = 0x40;  // scrambled
  t.copyControl(cc);
  t.video(0xE1, 90000, mpeg2Pictures(2));
  t.audio(0x8A, 90000 - 44, {0x7F, 0xFE, 0x80, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  t.subpicture(0x64, 90000 + 900, {0x00, 0x00, 0x05});
  t.privateStream1(psmux::trueHdSubstreamHeader(0xB5), 99000,
                   {0xF8, 0x72, 0x6F, 0xBA, 0x00, 0x00, 0x00});
  return t.bytes();
}

TEST(RunObserver, HearsWhatTheScanLogs) {
  Engine e;
  e.session.options.details = true;
  Recorder rec;
  e.session.observer = &rec;
  e.scan(e.write("F.EVO", titleWithEveryKind()));

  // Found streams, in the order of their lines.
  std::vector<std::string> foundLines;
  for (const auto& line : e.host.lines)
    if (line.ends_with(" found!")) foundLines.push_back(line);
  ASSERT_EQ(rec.found.size(), 4u) << e.host.text();
  std::vector<std::string> heard;
  for (const FoundStream& s : rec.found) heard.push_back(foundLine(s));
  EXPECT_EQ(heard, foundLines);
  EXPECT_EQ(rec.found[0].codec, StreamCodec::Mpeg2);
  EXPECT_EQ(rec.found[0].slot, 1);
  EXPECT_EQ(rec.found[2].codec, StreamCodec::ExtendedSubpicture);
  EXPECT_EQ(rec.found[2].slot, 4);
  EXPECT_EQ(rec.found[3].id, 0xB5u);

  // Each detailed stream: its first PTS line is made of what was heard.
  ASSERT_EQ(rec.details.size(), 4u);
  for (const auto& [start, analysis] : rec.details)
    EXPECT_TRUE(e.logged(firstPtsLine(start.firstPts, start.firstVideoPtm))) << start.firstPts;
  EXPECT_EQ(delayMs(rec.details[1].first.firstPts, rec.details[1].first.firstVideoPtm),
            0);  // -0 ms
  EXPECT_TRUE(e.logged("   First PTS = [re]00015F64[/re]  ([re]-0[/re]ms)"));
  EXPECT_TRUE(std::holds_alternative<Mpeg2VideoAnalysis>(rec.details[0].second));
  EXPECT_TRUE(std::holds_alternative<DtsAnalysis>(rec.details[1].second));
  EXPECT_TRUE(std::get<SubpictureFormat>(rec.details[2].second).eightBit);
  EXPECT_TRUE(std::holds_alternative<MlpAnalysis>(rec.details[3].second));

  ASSERT_EQ(rec.navigationLines.size(), 1u);
  for (const auto& line : rec.navigationLines[0]) EXPECT_TRUE(e.logged(line)) << line;
  ASSERT_EQ(rec.copyControl.size(), 1u);
  EXPECT_TRUE(rec.copyControl[0].scrambled);
}

TEST(RunObserver, DemuxPassesReportNoStreamsAndOutputsTellWhatTheyHold) {
  Engine e;
  e.session.options.details = true;
  const std::string path = e.write("F.EVO", titleWithEveryKind());
  e.scan(path);
  Recorder rec;
  e.session.observer = &rec;
  // The outputs are the demux driver's, which tells the observer.
  RecordingDriverHost driverHost;
  Workspace ws(driverHost);
  ws.session.observer = &rec;
  DemuxOutputs outputs(ws);
  outputs.create(StreamKind::Video, 1, e.dir.file("v1"));
  e.session.options.selection.video[1] = true;
  const PayloadTargets targets = outputs.targets(e.session.options.selection);
  e.pass(path, DemuxMode, false, &targets);
  EXPECT_TRUE(rec.found.empty());
  EXPECT_TRUE(rec.details.empty());
  EXPECT_TRUE(rec.navigationLines.empty());
  outputs.close();
  ASSERT_EQ(rec.closed.size(), 1u);
  EXPECT_EQ(rec.closed[0].first, e.dir.file("v1"));
  EXPECT_EQ(rec.closed[0].second, int64_t(readFileBytes(e.dir.file("v1")).size()));
  EXPECT_GT(rec.closed[0].second, 0);
}

}  // namespace
}  // namespace vantrel::testing
