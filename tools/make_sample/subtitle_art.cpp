#include "tools/make_sample/subtitle_art.h"

#include <array>
#include <stdexcept>

namespace vantrel::sample {

namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kMargin = 2;  // room for the outline

struct Glyph {
  char c;
  std::array<const char*, kGlyphHeight> rows;
};

// clang-format off
constexpr Glyph kFont[] = {
  {'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
  {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
  {'C', {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."}},
  {'D', {"###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."}},
  {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
  {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
  {'G', {".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"}},
  {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
  {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
  {'J', {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."}},
  {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
  {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
  {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
  {'N', {"#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"}},
  {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
  {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
  {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
  {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
  {'S', {".####", "#....", "#....", ".###.", "....#", "....#", "####."}},
  {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
  {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
  {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
  {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."}},
  {'X', {"#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"}},
  {'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
  {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
  {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
  {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
  {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
  {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
  {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
  {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
  {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
  {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
  {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
  {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
  {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
  {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
  {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
};
// clang-format on

const Glyph& glyphOf(char c) {
  for (const Glyph& glyph : kFont) {
    if (glyph.c == c) return glyph;
  }
  throw std::invalid_argument(std::string("no glyph for character '") + c + "'");
}

}  // namespace

psmux::SubpictureBitmap renderCaption(std::string_view text, int scale) {
  if (text.empty() || scale < 1) throw std::invalid_argument("caption needs text and a scale of 1 or more");
  const int cell = (kGlyphWidth + 1) * scale;
  psmux::SubpictureBitmap bitmap(int(text.size()) * cell - scale + 2 * kMargin,
                                 kGlyphHeight * scale + 2 * kMargin);
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph& glyph = glyphOf(text[i]);
    for (int row = 0; row < kGlyphHeight; ++row) {
      for (int column = 0; column < kGlyphWidth; ++column) {
        if (glyph.rows[size_t(row)][column] != '#') continue;
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) {
            bitmap.at(kMargin + int(i) * cell + column * scale + dx, kMargin + row * scale + dy) = 1;
          }
        }
      }
    }
  }
  // Outline: background pixels next to the pattern.
  psmux::SubpictureBitmap outlined = bitmap;
  for (int y = 0; y < bitmap.height; ++y) {
    for (int x = 0; x < bitmap.width; ++x) {
      if (bitmap.at(x, y) != 0) continue;
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy) {
        for (int dx = -1; dx <= 1 && !near; ++dx) {
          int nx = x + dx, ny = y + dy;
          near = nx >= 0 && ny >= 0 && nx < bitmap.width && ny < bitmap.height && bitmap.at(nx, ny) == 1;
        }
      }
      if (near) outlined.at(x, y) = 2;
    }
  }
  return outlined;
}

psmux::AccessUnit captionUnit(std::string_view text, uint64_t pts, uint32_t duration) {
  psmux::SubpictureBitmap bitmap = renderCaption(text);
  psmux::SubpictureDisplay display;
  display.x = (352 - bitmap.width) / 2;
  display.y = 200 - bitmap.height;
  display.duration = duration;
  display.colors = {0, 15, 1, 0};  // transparent, white text, black outline
  display.contrast = {0, 15, 15, 0};
  psmux::AccessUnit unit;
  unit.data = psmux::encodeSubpictureUnit(bitmap, display);
  unit.pts = pts;
  unit.duration = duration;
  unit.randomAccess = true;
  return unit;
}

}  // namespace vantrel::sample
