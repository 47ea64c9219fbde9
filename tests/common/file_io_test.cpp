#include "common/file_io.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <sys/stat.h>

#include "engine/field_readers.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::TempDir;

TEST(FileLayer, OpenErrorsCarryThePathAndTheSystemReason) {
  TempDir dir;
  try {
    InputFile::open(dir.file("missing.EVO"));
    FAIL();
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + dir.file("missing.EVO") + "\". No such file or directory");
  }
  try {
    OutputFile::create(dir.file("no/such/folder/x.mpv"));
    FAIL();
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + dir.file("no/such/folder/x.mpv") +
                                         "\". No such file or directory");
  }
}

// A folder or a FIFO given as a source is refused at once (a FIFO would
// otherwise block the open until a writer appears).
TEST(FileLayer, OnlyRegularFilesAreSources) {
  TempDir dir;
  EXPECT_THROW(InputFile::open(dir.path()), FileError);
  const std::string fifo = dir.file("pipe.EVO");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_THROW(InputFile::open(fifo), FileError);
  EXPECT_FALSE(fileExists(dir.path()));
  EXPECT_TRUE(folderExists(dir.path()));
}

TEST(FileLayer, BufferedWritesKeepOrderAcrossTheBufferSize) {
  TempDir dir;
  std::vector<uint8_t> expected;
  {
    auto out = OutputFile::create(dir.file("o"));
    for (size_t n : {10ul, 70000ul, 3ul, 65536ul, 1ul, 200000ul, 5000ul}) {
      std::vector<uint8_t> piece(n, uint8_t(n));
      out->write(piece.data(), n);
      expected.insert(expected.end(), piece.begin(), piece.end());
    }
    // Written again: in the file, in the buffer, and across the two.
    const int64_t buffered = out->bytesWritten() - 5000;
    for (int64_t at : {int64_t(5), buffered + 100, buffered - 50}) {
      const std::vector<uint8_t> again(100, 0xEE);
      out->writeAt(at, again.data(), again.size());
      std::fill_n(expected.begin() + at, again.size(), 0xEE);
    }
    EXPECT_EQ(out->bytesWritten(), int64_t(expected.size()));
    out->close();
    EXPECT_EQ(out->bytesStored(), int64_t(expected.size()));
  }
  EXPECT_EQ(testing::readFileBytes(dir.file("o")), expected);
}

TEST(FileLayer, AFullDiskIsReportedOnWriteOrClose) {
  auto out = OutputFile::create("/dev/full");
  uint8_t byte = 1;
  out->write(&byte, 1);  // buffered
  EXPECT_EQ(out->bytesStored(), 0);
  try {
    out->close();
    FAIL();
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Cannot write file \"/dev/full\". No space left on device");
  }
  // What the file holds, not what it was handed.
  EXPECT_EQ(out->bytesWritten(), 1);
  EXPECT_EQ(out->bytesStored(), 0);
}

TEST(FieldReaders, BigEndianFieldsAndZeroPastTheEnd) {
  TempDir dir;
  auto in = InputFile::open(dir.write("f", std::vector<uint8_t>{0x12, 0x34, 0x12, 0x34, 0x56, 0x78,
                                                                0xAB, 0xCD, 0xEF, 0x01}));
  EXPECT_EQ(readword(*in), 0x1234u);
  EXPECT_EQ(readlword(*in), 0x12345678u);
  EXPECT_EQ(readlword(*in), 0xABCDEF01u);
  EXPECT_EQ(readlword(*in), 0u);  // nothing left
  EXPECT_EQ(in->position(), in->size());
}

TEST(FieldReaders, StringsStopAtTheFirstZero) {
  TempDir dir;
  auto in = InputFile::open(dir.write("s", std::string("\0\0\0ABC  DE\0ADVANCED-VTS", 23)));
  EXPECT_EQ(readstring(*in, 3), "");
  EXPECT_EQ(readstring(*in, 5), "ABC  ");  // all n characters, blanks included
  EXPECT_EQ(readstring(*in, 3), "DE");     // a zero in the last place
  EXPECT_EQ(readstring(*in, 12), "ADVANCED-VTS");
  EXPECT_EQ(readstring(*in, 4), "");  // past the end
}

}  // namespace
}  // namespace vantrel
