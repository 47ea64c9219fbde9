#include "metadata/attribute_lookup.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(GetAttr, FindsTheNameCaseInsensitivelyAndTakesTheQuotedValue) {
  std::string slot = "old";
  EXPECT_TRUE(GetAttr("<Title DISPLAYNAME = \"Main Movie\" id=\"m\">", "displayName", slot));
  EXPECT_EQ(slot, "Main Movie");
}

TEST(GetAttr, MissingNameLeavesTheSlotAlone) {
  std::string slot = "kept";
  EXPECT_FALSE(GetAttr("<Chapter titleTimeBegin=\"00:00:00:00\"/>", "displayName", slot));
  EXPECT_EQ(slot, "kept");
}

TEST(GetAttr, MatchesInsideALongerNameAsAPlainSubstring) {
  // "track" is found inside "subtrack" first: this is a text search.
  std::string slot;
  GetAttr("<Audio subtrack=\"9\" track=\"2\"/>", "track", slot);
  EXPECT_EQ(slot, "9");
}

TEST(GetAttr, EmptyAndBrokenValues) {
  std::string slot = "x";
  GetAttr("<A channels=\"\" index=\"2\"/>", "channels", slot);
  EXPECT_EQ(slot, "");
  slot = "x";
  GetAttr("<A codec=\"VC-1/>", "codec", slot);  // no closing quote
  EXPECT_EQ(slot, "");
  slot = "x";
  GetAttr("<A codec \"DD+\" index=\"1\"/>", "codec", slot);  // "=" of the next attribute
  EXPECT_EQ(slot, "1");
}

TEST(GetAttrInt, DecimalOrZero) {
  EXPECT_EQ(GetAttrInt("<Audio streamNumber=\"12\"/>", "streamNumber"), 12);
  EXPECT_EQ(GetAttrInt("<Audio streamNumber=\"+3\"/>", "streamNumber"), 3);
  EXPECT_EQ(GetAttrInt("<Audio streamNumber=\"-3\"/>", "streamNumber"), -3);
  EXPECT_EQ(GetAttrInt("<Audio/>", "streamNumber"), 0);
  EXPECT_EQ(GetAttrInt("<Audio streamNumber=\"\"/>", "streamNumber"), 0);
  EXPECT_EQ(GetAttrInt("<Audio streamNumber=\"2a\"/>", "streamNumber"), 0);
  EXPECT_EQ(GetAttrInt("<Audio streamNumber=\" 2\"/>", "streamNumber"), 0);
  EXPECT_EQ(GetAttrInt("<Audio streamNumber=\"+-2\"/>", "streamNumber"), 0);
  EXPECT_EQ(GetAttrInt("<Audio streamNumber=\"99999999999\"/>", "streamNumber"), 0);
}

}  // namespace
}  // namespace vantrel
