#include "common/markup.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(Markup, BoldOnlyInsideTheTag) {
  auto runs = parseMarkup("[b]Dolby Digital[/b] audio stream ");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].text, "Dolby Digital");
  EXPECT_TRUE(runs[0].style.bold);
  EXPECT_EQ(runs[1].text, " audio stream ");
  EXPECT_EQ(runs[1].style, RunStyle{});
  EXPECT_EQ(visibleText("[b]Dolby Digital[/b] audio stream "), "Dolby Digital audio stream ");
}

TEST(Markup, BlueNumbersAroundAPlainSeparator) {
  auto runs = parseMarkup("   Size = [bl]1920[/bl]x[bl]1080[/bl]");
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_EQ(runs[1].text, "1920");
  EXPECT_EQ(runs[1].style.colour, (Colour{0, 0, 255}));
  EXPECT_FALSE(runs[1].style.bold);
  EXPECT_EQ(runs[2].text, "x");
  EXPECT_FALSE(runs[2].style.colour.has_value());
  EXPECT_EQ(runs[3].style.colour, (Colour{0, 0, 255}));
}

TEST(Markup, TagTable) {
  EXPECT_EQ(styleForTag("re").colour, (Colour{255, 0, 0}));
  EXPECT_EQ(styleForTag("s1").pointSize, 10);
  EXPECT_EQ(styleForTag("s2").pointSize, 12);
  EXPECT_TRUE(styleForTag("i").italic);
  EXPECT_TRUE(styleForTag("u").underline);
  // Names are compared exactly: a capital B is an unlisted tag.
  EXPECT_EQ(styleForTag("B"), RunStyle{});
  EXPECT_EQ(styleForTag("whatever"), RunStyle{});
}

TEST(Markup, ColourTagsReadHexDigitsLowByteRed) {
  EXPECT_EQ(styleForTag("c:FF").colour, (Colour{255, 0, 0}));
  EXPECT_EQ(styleForTag("c:FF0000").colour, (Colour{0, 0, 255}));
  EXPECT_EQ(styleForTag("c:#00ff00").colour, (Colour{0, 255, 0}));
  // More than six digits: the value wraps at 32 bits; the low three bytes count.
  EXPECT_EQ(styleForTag("c:123456789").colour, (Colour{0x89, 0x67, 0x45}));
}

TEST(Markup, SizeTagEndsAtItsClosingTag) {
  auto runs = parseMarkup("[s2]big[/s2] small");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].style.pointSize, 12);
  EXPECT_EQ(runs[1].style.pointSize, 8);
}

TEST(Markup, PlainAndEmptyLines) {
  EXPECT_TRUE(parseMarkup("").empty());
  auto runs = parseMarkup("Reading...");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].text, "Reading...");
  EXPECT_EQ(runs[0].style, RunStyle{});
}

// Brackets from file names must neither hang nor lose text.
TEST(Markup, UnbalancedBracketsEndAndKeepTheirText) {
  EXPECT_EQ(visibleText("Opening file [b]a]b[c.EVO[/b]"), "Opening file a]b[c.EVO");
  EXPECT_EQ(visibleText("a]b[c"), "a]b[c");
  EXPECT_EQ(visibleText("[b]no closing tag"), "no closing tag");
  EXPECT_TRUE(parseMarkup("[b]no closing tag")[0].style.bold);
  EXPECT_EQ(visibleText("stray [/b] closing"), "stray  closing");
  EXPECT_EQ(visibleText("[["), "[[");
  EXPECT_EQ(visibleText("[]]x"), "]x");
}

}  // namespace
}  // namespace vantrel
