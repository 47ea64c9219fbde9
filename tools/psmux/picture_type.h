#pragma once

// Whether a video access unit is a reference picture (one that later
// pictures may predict from), read from its own bytes: the MPEG-2 picture
// coding type, the nal_ref_idc of the first H.264 slice, the VC-1 picture
// type. Navigation packs point at the packs where the first reference
// pictures of a video object unit end.

#include <cstddef>
#include <cstdint>

#include "tools/psmux/es_muxer.h"

namespace vantrel::psmux {

// MPEG-2: I and P pictures; H.264: a slice with nal_ref_idc other than 0;
// VC-1 (progressive advanced profile): I and P pictures, not B or BI.
// False when the unit holds no picture header; false for other codecs.
bool isReferencePicture(EsCodec codec, const uint8_t* data, size_t size);

}  // namespace vantrel::psmux
