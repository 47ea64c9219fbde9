#pragma once

#include <string_view>

namespace vantrel {

// The language part of a track's langcode ("fr:01" -> "fr"; "*" means not
// specified), as the playlist writes it.
std::string_view langcodeLanguage(std::string_view langcode);

// The code extension after the colon ("fr:01" -> "01"), empty when missing.
std::string_view langcodeExtension(std::string_view langcode);

// The ISO 639-2/B code that Matroska uses for a two-letter ISO 639-1 code:
// "fr" -> "fre", "de" -> "ger"; "und" for "*"; empty when the code is unknown.
std::string_view matroskaLanguage(std::string_view iso639_1);

}  // namespace vantrel
