#include "app/JpegImage.h"

#include <jpeglib.h>

#include <QFile>
#include <csetjmp>
#include <cstdio>

namespace {

// Pictures beyond this are refused before any pixel memory is allocated.
constexpr JDIMENSION kMaxSide = 16384;

// libjpeg reports fatal errors through error_exit, which by default ends
// the process. Ours jumps back to the decoding step instead.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void onFatalError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr) {}  // warnings of a corrupt picture are not printed

// Each step below holds only plain C data between setjmp and a possible
// longjmp, so no destructor is ever skipped.
bool startDecoding(jpeg_decompress_struct& info, const QByteArray& data) {
  auto* errors = reinterpret_cast<ErrorManager*>(info.err);
  if (setjmp(errors->jump)) return false;
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()),
               static_cast<unsigned long>(data.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxSide ||
      info.image_height > kMaxSide)
    return false;
  info.out_color_space = JCS_RGB;
  return jpeg_start_decompress(&info) && info.output_components == 3;
}

bool readRows(jpeg_decompress_struct& info, unsigned char* bits, qsizetype bytesPerLine) {
  auto* errors = reinterpret_cast<ErrorManager*>(info.err);
  if (setjmp(errors->jump)) return false;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = bits + qsizetype(info.output_scanline) * bytesPerLine;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) return false;
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

QImage decodeJpeg(const QByteArray& data) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = onFatalError;
  errors.base.output_message = onMessage;
  jpeg_create_decompress(&info);

  QImage image;
  if (startDecoding(info, data)) {
    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB888);
    if (image.isNull() || !readRows(info, image.bits(), image.bytesPerLine())) image = QImage();
  }
  jpeg_destroy_decompress(&info);
  return image;
}

QImage logoImage() {
  QFile file(QStringLiteral(":/logo.jpg"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return decodeJpeg(file.readAll());
}
