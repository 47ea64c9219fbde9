// The logo: decoded with libjpeg from the built-in picture.

#include <QBuffer>
#include <QFile>
#include <QTest>

#include "app/JpegImage.h"
#include "tests/app/suites.h"

namespace {
QByteArray builtInLogo() {
  QFile file(QStringLiteral(":/logo.jpg"));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

class LogoTest : public QObject {
  Q_OBJECT

 private slots:
  void theBuiltInLogoDecodes() {
    const QImage logo = logoImage();
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.size(), QSize(126, 30));
    // Not a blank picture: the disc and the lettering differ from the ground.
    QVERIFY(logo.pixelColor(15, 5) != logo.pixelColor(3, 27));
  }

  void libjpegAgreesWithQtsOwnReader() {
    const QByteArray bytes = builtInLogo();
    QImage reference;
    if (!reference.loadFromData(bytes, "JPEG")) QSKIP("Qt has no JPEG reader here");
    const QImage ours = decodeJpeg(bytes);
    reference = reference.convertToFormat(QImage::Format_RGB888);
    QCOMPARE(ours.size(), reference.size());
    int worst = 0;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x) {
        const QColor a = ours.pixelColor(x, y), b = reference.pixelColor(x, y);
        worst = std::max({worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                          std::abs(a.blue() - b.blue())});
      }
    QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
  }

  void badPicturesGiveANullImage() {
    QVERIFY(decodeJpeg(QByteArray()).isNull());
    QVERIFY(decodeJpeg(QByteArray("not a picture at all")).isNull());
    QVERIFY(decodeJpeg(QByteArray(4096, '\xFF')).isNull());
    QByteArray header("\xFF\xD8\xFF\xE0", 4);
    QVERIFY(decodeJpeg(header).isNull());
  }

  void aTruncatedPictureEndsSafely() {
    const QByteArray bytes = builtInLogo();
    for (qsizetype cut : {qsizetype(2), qsizetype(20), bytes.size() / 3, bytes.size() - 10}) {
      const QImage image = decodeJpeg(bytes.left(cut));
      if (!image.isNull()) QCOMPARE(image.size(), QSize(126, 30));
    }
  }

  void implausibleSizesAreRefused() {
    // Patch the frame header of the logo to claim 60000 x 60000 pixels.
    QByteArray bytes = builtInLogo();
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    QVERIFY(sof > 0);
    bytes[sof + 5] = char(0xEA);
    bytes[sof + 6] = char(0x60);
    bytes[sof + 7] = char(0xEA);
    bytes[sof + 8] = char(0x60);
    QVERIFY(decodeJpeg(bytes).isNull());
  }
};

static RegisterSuite<LogoTest> registered("Logo");

#include "logo_test.moc"
