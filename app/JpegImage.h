#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a JPEG picture with libjpeg. Returns a null image when the bytes
// are not a JPEG that libjpeg can read (truncated, garbage, CMYK) or when the
// picture is implausibly large; never ends the program.
QImage decodeJpeg(const QByteArray& data);

// The window's logo, decoded from the picture built into the program.
QImage logoImage();
