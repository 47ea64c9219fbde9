#include "metadata/tag_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

std::vector<std::string> scanAll(const std::string& text, size_t chunk = 0) {
  std::vector<std::string> lines;
  TagScanner scanner([&lines](std::string_view line) { lines.emplace_back(line); });
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  if (chunk == 0) chunk = text.size();
  for (size_t at = 0; at < text.size(); at += chunk)
    scanner.scan(bytes + at, std::min(chunk, text.size() - at));
  return lines;
}

TEST(TagScanner, IndentsByNestingAndUndoesClosingAndEmptyTags) {
  const std::string doc =
      "<?xml version=\"1.0\"?>\n<a x=\"1\">\n\t<b/>\n\t<c>\n\t\t<d></d>\n\t</c>\n</a>\n";
  EXPECT_EQ(scanAll(doc), (std::vector<std::string>{
                              "<?xml version=\"1.0\"?>",
                              "<a x=\"1\">",
                              "  <b/>",
                              "  <c>",
                              "    <d>",
                              "    </d>",
                              "  </c>",
                              "</a>",
                          }));
}

TEST(TagScanner, TagOverSeveralLinesBecomesOneLineWithOneBlankPerBreak) {
  const std::string doc = "<Title\r\n\t\tid=\"x\"\r\n  \t name=\"y\"\t>";
  // Each run of control bytes gives one blank; blanks typed in the file stay.
  EXPECT_EQ(scanAll(doc), (std::vector<std::string>{"<Title id=\"x\"    name=\"y\" >"}));
}

TEST(TagScanner, CommentAndDeclarations) {
  // A comment closes its level; a document type declaration is neither
  // closed by "/" nor "?", so every later tag sits one step deeper.
  const std::string doc = "<!-- note --><!DOCTYPE x><r><e/></r>";
  EXPECT_EQ(scanAll(doc), (std::vector<std::string>{
                              "<!-- note -->",
                              "<!DOCTYPE x>",
                              "  <r>",
                              "    <e/>",
                              "  </r>",
                          }));
}

TEST(TagScanner, ATagInsideACommentStillCountsAndAStrayGreaterThanEmitsALine) {
  // What the disc authors do: comment out a tag. The "-->" after the inner
  // tag's "/>" is outside any tag, yet its ">" still ends a (blank) line.
  const std::string doc = "<r>\n<!--<x a=\"1\"/>-->\n<y/></r>";
  EXPECT_EQ(scanAll(doc), (std::vector<std::string>{
                              "<r>",
                              "  <!--<x a=\"1\"/>",
                              "    ",
                              "  <y/>",
                              "</r>",
                          }));
}

TEST(TagScanner, SameLinesForEveryChunkSize) {
  // State that spans chunks: "</" split, "/>" split, "-->" split, line breaks.
  const std::string doc =
      "<?xml?>\n<!--c-->\n<P a=\"1\"\n b=\"2\">\n<Q>\n<R x=\"/\"/>\n</Q>\n<!-- <S/> -->\n</P>\n";
  const auto whole = scanAll(doc);
  for (size_t chunk = 1; chunk <= doc.size(); ++chunk)
    ASSERT_EQ(scanAll(doc, chunk), whole) << "chunk size " << chunk;
}

TEST(TagScanner, ClosingTagsAtTopLevelDoNotBreakTheLine) {
  // More closing than opening tags: the depth goes negative, no indentation,
  // and the tag keeps its "</" (only indentation is taken away).
  EXPECT_EQ(scanAll("</a></b><c>"), (std::vector<std::string>{"</a>", "</b>", "<c>"}));
}

TEST(TagScanner, DeepNestingKeepsLinesBounded) {
  std::string doc(100000, '<');
  doc += ">";
  for (int i = 0; i < 10; ++i) doc += "<x>";
  std::vector<std::string> lines;
  TagScanner scanner([&lines](std::string_view line) { lines.emplace_back(line); });
  scanner.scan(reinterpret_cast<const uint8_t*>(doc.data()), doc.size());
  ASSERT_EQ(lines.size(), 11u);
  for (size_t i = 1; i < lines.size(); ++i)
    EXPECT_EQ(lines[i].size(), size_t(TagScanner::kMaxIndentLevels) * 2 + 3);
  EXPECT_EQ(scanner.depth(), 100010);
}

TEST(TagScanner, BytesAboveAsciiAreKept) {
  const std::string doc = "<Chapter displayName=\"Caf\xC3\xA9\"/>";
  EXPECT_EQ(scanAll(doc), (std::vector<std::string>{doc}));
}

}  // namespace
}  // namespace vantrel
