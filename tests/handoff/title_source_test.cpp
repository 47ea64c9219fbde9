// Which files of a disc title go into the Matroska file, on a retail
// playlist whose feature ends with a clip of another file.
#include <gtest/gtest.h>

#include "common/path_rules.h"
#include "handoff/title_source.h"
#include "metadata/disc_time.h"
#include "tests/support/temp_dir.h"

namespace vantrel::testing {
namespace {

std::vector<std::string> names(const std::vector<std::string>& paths) {
  std::vector<std::string> out;
  for (const std::string& path : paths) out.push_back(fileNamePart(path));
  return out;
}

TEST(TitleSource, TheFeatureOfARetailDiscLeavesOutTheWarningAfterIt) {
  if (realSamplesDir().empty()) GTEST_SKIP() << "the real sample files are absent";
  TempDir disc;
  disc.write("ADV_OBJ/VPLST000.XPL", readFileBytes(realSamplesDir() + "/xpl/VPLST004.XPL"));
  for (const char* name : {"PEVOB_1.EVO", "PEVOB_2.EVO", "Interpol.EVO"}) disc.write(std::string("HVDVD_TS/") + name, "");

  // Title 3 plays PEVOB_1, PEVOB_2 (one chain) and then the Interpol warning.
  const TitleSource feature = findTitleSource(disc.path(), std::nullopt);
  ASSERT_EQ(feature.error, "");
  EXPECT_EQ(feature.label, "Feature Presentation");
  EXPECT_EQ(names(feature.files), (std::vector<std::string>{"PEVOB_1.EVO", "PEVOB_2.EVO"}));
  EXPECT_EQ(names(feature.leftOutFiles), (std::vector<std::string>{"Interpol.EVO"}));
  EXPECT_EQ(feature.endMs, discMilliseconds("02:36:56:04", TimeBase{}));

  EXPECT_EQ(findTitleSource(disc.path(), 1).error, "The disc has no title 1 (its titles: 3).");
  // A PEVOB_3 that Demux would read on into is no part of the title.
  disc.write("HVDVD_TS/PEVOB_3.EVO", "");
  EXPECT_EQ(findTitleSource(disc.path() + "/HVDVD_TS/PEVOB_1.EVO", std::nullopt).error,
            "Title 3 plays PEVOB_1.EVO, PEVOB_2.EVO, Interpol.EVO, but Demux reads PEVOB_1.EVO, PEVOB_2.EVO, "
            "PEVOB_3.EVO one after the other.");
}

}  // namespace
}  // namespace vantrel::testing
