#include "metadata/languages.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

TEST(Languages, LangcodeParts) {
  EXPECT_EQ(langcodeLanguage("fr:01"), "fr");
  EXPECT_EQ(langcodeExtension("fr:01"), "01");
  EXPECT_EQ(langcodeLanguage("en"), "en");
  EXPECT_EQ(langcodeExtension("en"), "");
  EXPECT_EQ(matroskaLanguage("*"), "und");
  EXPECT_EQ(matroskaLanguage("xx"), "");
  EXPECT_EQ(matroskaLanguage(""), "");
}

// Every two-letter code that mkvmerge knows maps to the three-letter code it
// lists beside it, and no other two-letter code maps to anything.
TEST(Languages, SameCodesAsMkvmerge) {
  if (!testing::haveTool("mkvmerge")) GTEST_SKIP() << "mkvmerge is not installed";
  std::string out;
  ASSERT_EQ(testing::runCommand("mkvmerge --list-languages", &out), 0);
  std::istringstream lines(out);
  int known = 0;
  for (std::string line; std::getline(lines, line);) {
    // "French | fra | fre | fr": name, ISO 639-3, ISO 639-2, ISO 639-1
    std::string columns[4];
    std::istringstream row(line);
    for (std::string& column : columns) {
      std::getline(row, column, '|');
      column.erase(0, column.find_first_not_of(' '));
      column.erase(column.find_last_not_of(' ') + 1);
    }
    if (columns[3].size() != 2 || columns[2].size() != 3) continue;
    EXPECT_EQ(matroskaLanguage(columns[3]), columns[2]) << line;
    ++known;
  }
  EXPECT_EQ(known, 184);
  int mapped = 0;
  for (char a = 'a'; a <= 'z'; ++a)
    for (char b = 'a'; b <= 'z'; ++b) mapped += !matroskaLanguage(std::string{a, b}).empty();
  EXPECT_EQ(mapped, known);
}

}  // namespace
}  // namespace vantrel
