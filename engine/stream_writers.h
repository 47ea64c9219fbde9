#pragma once

#include <cstdint>

#include "common/file_io.h"
#include "engine/stream_table.h"

namespace vantrel {

// Where a demux pass writes each slot: the output of a slot whose box is
// ticked and whose file was created at the start of the run; null elsewhere.
// The driver that created the outputs owns them.
using PayloadTargets = PerKind<OutputFile*>;

// ".sup" records: "SP", the presentation time (little-endian 32-bit, 90 kHz),
// 0 (little-endian 32-bit), then the subpicture data.
inline constexpr size_t kSupHeaderSize = 10;

// The record time: the packet's PTS minus the smallest first PTS of the last
// scan, modulo 2^32. When that scan found no first PTS ("Detailed info" off,
// or no stream met) there is nothing to rebase on, so the PTS is kept as is.
uint32_t supRecordTime(uint32_t pts, uint32_t minFirstPts);

void writeSupHeader(OutputFile& out, uint32_t time);

}  // namespace vantrel
