#include "common/path_rules.h"

#include <gtest/gtest.h>

#include <set>

namespace vantrel {
namespace {

TEST(PathRules, NameFolderExtension) {
  EXPECT_EQ(fileNamePart("/media/D/HVDVD_TS/FEATURE_1.EVO"), "FEATURE_1.EVO");
  EXPECT_EQ(folderPart("/media/D/HVDVD_TS/FEATURE_1.EVO"), "/media/D/HVDVD_TS/");
  EXPECT_EQ(folderPart("FEATURE_1.EVO"), "");
  EXPECT_EQ(extensionOf("/a.b/FEATURE"), "");
  EXPECT_EQ(upperExtensionOf("movie.evo"), ".EVO");
  EXPECT_EQ(CutExt("FEATURE_1.EVO"), "FEATURE_1");
  EXPECT_EQ(CutExt("a.b.EVO"), "a.b");
  EXPECT_EQ(CutExt("MOVIE"), "MOVIE");
}

struct FakeDisc {
  std::set<std::string> files;
  std::string next(const std::string& path) const {
    return getnext(path, [this](const std::string& p) { return files.count(p) > 0; });
  }
};

TEST(PathRules, GetnextCountsTheDigitAfterTheUnderscore) {
  FakeDisc disc{{"/T/FEATURE_2.EVO", "/T/FEATURE_9.EVO"}};
  EXPECT_EQ(disc.next("/T/FEATURE_1.EVO"), "/T/FEATURE_2.EVO");
  EXPECT_EQ(disc.next("/T/FEATURE_8.EVO"), "/T/FEATURE_9.EVO");
  EXPECT_EQ(disc.next("/T/FEATURE_2.EVO"), "");
  // 9 and 0 have no successor by that rule.
  FakeDisc ten{{"/T/FEATURE_10.EVO", "/T/FEATURE_1.EVO"}};
  EXPECT_EQ(ten.next("/T/FEATURE_9.EVO"), "");
  EXPECT_EQ(ten.next("/T/FEATURE_0.EVO"), "");
}

TEST(PathRules, GetnextDividedFiles) {
  FakeDisc disc{{"/T/MOVIE_Divide.EVO", "/T/MOVIE_Divide_Divide.EVO", "/T/FEATURE_9_Divide.EVO"}};
  EXPECT_EQ(disc.next("/T/MOVIE.EVO"), "/T/MOVIE_Divide.EVO");
  EXPECT_EQ(disc.next("/T/MOVIE_Divide.EVO"), "/T/MOVIE_Divide_Divide.EVO");
  EXPECT_EQ(disc.next("/T/FEATURE_9.EVO"), "/T/FEATURE_9_Divide.EVO");
}

TEST(PathRules, GetnextDigitBeforeTheUnderscoreWins) {
  FakeDisc disc{{"/T/A1_2.EVO", "/T/A2_1.EVO"}};
  EXPECT_EQ(disc.next("/T/A1_1.EVO"), "/T/A2_1.EVO");
}

TEST(PathRules, GetnextOnDvdNames) {
  FakeDisc disc{{"/V/VTS_01_2.VOB", "/V/VTS_21_1.VOB"}};
  EXPECT_EQ(disc.next("/V/VTS_01_1.VOB"), "");  // "S" before, "0" after the first underscore
  EXPECT_EQ(disc.next("/V/VTS_11_1.VOB"), "/V/VTS_21_1.VOB");
}

TEST(PathRules, GetnextIgnoresUnderscoresInFolders) {
  FakeDisc disc{{"/my_1/MOVIE_Divide.EVO", "/my_2/MOVIE.EVO"}};
  EXPECT_EQ(disc.next("/my_1/MOVIE.EVO"), "/my_1/MOVIE_Divide.EVO");
}

TEST(PathRules, OutputPrefix) {
  EXPECT_EQ(outputPrefix("/out", "FEATURE_1"), "/out/FEATURE_1");
  EXPECT_EQ(outputPrefix("/out/", "FEATURE_1"), "/out/FEATURE_1");
  EXPECT_EQ(outputPrefix("", "FEATURE_1"), "FEATURE_1");
}

TEST(PathRules, SafeFileNamePartNeverLeavesTheFolder) {
  EXPECT_EQ(safeFileNamePart("VC-1.s0"), "VC-1.s0");
  EXPECT_EQ(safeFileNamePart("../../etc/passwd"), ".._.._etc_passwd");
  EXPECT_EQ(safeFileNamePart(".."), "__");
  EXPECT_EQ(safeFileNamePart(std::string("a\nb\x01") + "c"), "a_b_c");
}

}  // namespace
}  // namespace vantrel
