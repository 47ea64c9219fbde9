#pragma once

// Disc-shaped titles for any test program (tools/make_sample/disc_title.h),
// with the encoded streams cached in the build folder, so every test after
// the first that needs a stream reads it instead of running ffmpeg.
//
//   if (auto missing = testing::discToolsMissing(); !missing.empty()) GTEST_SKIP() << missing;
//   testing::TempDir dir;
//   sample::DiscLayout layout;
//   layout.titles = {sample::featureTitle(), sample::angleTitle(3)};
//   sample::DiscContent disc = testing::writeTestDisc(layout, dir.path());

#include <string>

#include "tools/make_sample/disc_title.h"

namespace vantrel::testing {

// Why no disc can be made here ("" when one can): ffmpeg or ffprobe missing.
std::string discToolsMissing();

// sample::writeDisc with the build folder's stream cache.
sample::DiscContent writeTestDisc(sample::DiscLayout layout, const std::string& folder);

}  // namespace vantrel::testing
