// The message log: markup runs become character formats, tags vanish.

#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "app/Fonts.h"
#include "app/MessageLog.h"
#include "tests/app/suites.h"

namespace {

// The format of the character at `column` of line `line`.
QTextCharFormat formatAt(const MessageLog& log, int line, int column) {
  QTextBlock block = log.document()->findBlockByNumber(line);
  QTextCursor cursor(block);
  cursor.setPosition(block.position() + column + 1);  // the format left of the cursor
  return cursor.charFormat();
}

QString lineText(const MessageLog& log, int line) {
  return log.document()->findBlockByNumber(line).text();
}

// The log's sizes: the markup's 8, 10 and 12 points scaled to the
// desktop's fixed-pitch font size.
double points(double markup) {
  return markup * logPointSize() / 8.0;
}

bool isBold(const QTextCharFormat& f) {
  return f.fontWeight() >= QFont::Bold;
}
bool hasDefaultColour(const QTextCharFormat& f) {
  return !f.hasProperty(QTextFormat::ForegroundBrush);
}
QColor colourOf(const QTextCharFormat& f) {
  return f.foreground().color();
}

}  // namespace

class MarkupTest : public QObject {
  Q_OBJECT

 private slots:
  void boldOnlyInsideTheBoldTag() {
    MessageLog log;
    log.appendLine("[b]Dolby Digital[/b] audio stream ");
    QCOMPARE(lineText(log, 0), QStringLiteral("Dolby Digital audio stream "));
    for (int i = 0; i < 13; ++i)
      QVERIFY2(isBold(formatAt(log, 0, i)), qPrintable(QString::number(i)));
    for (int i = 13; i < 27; ++i)
      QVERIFY2(!isBold(formatAt(log, 0, i)), qPrintable(QString::number(i)));
    QVERIFY(hasDefaultColour(formatAt(log, 0, 0)));
    QCOMPARE(formatAt(log, 0, 0).fontPointSize(), points(8));
  }

  void blueNumbersAroundARegularCross() {
    MessageLog log;
    log.appendLine("   Size = [bl]1920[/bl]x[bl]1080[/bl]");
    QCOMPARE(lineText(log, 0), QStringLiteral("   Size = 1920x1080"));
    const QColor blue(0, 0, 255);
    for (int i : {10, 11, 12, 13, 15, 16, 17, 18}) QCOMPARE(colourOf(formatAt(log, 0, i)), blue);
    QVERIFY(hasDefaultColour(formatAt(log, 0, 14)));  // the "x"
    QVERIFY(hasDefaultColour(formatAt(log, 0, 3)));
    QVERIFY(!isBold(formatAt(log, 0, 10)));
  }

  void redTimeStampAndColourTags() {
    MessageLog log;
    log.appendLine("   First PTS = [re]00015F90[/re]");
    QCOMPARE(colourOf(formatAt(log, 0, 15)), QColor(255, 0, 0));
    log.appendLine("[c:FF]r[/c:FF][c:FF0000]b[/c:FF0000][c:#00FF00]g[/c:#00FF00]");
    QCOMPARE(lineText(log, 1), QStringLiteral("rbg"));
    QCOMPARE(colourOf(formatAt(log, 1, 0)), QColor(255, 0, 0));
    QCOMPARE(colourOf(formatAt(log, 1, 1)), QColor(0, 0, 255));
    QCOMPARE(colourOf(formatAt(log, 1, 2)), QColor(0, 255, 0));
  }

  void unknownTagsAndCapitalNamesArePlain() {
    MessageLog log;
    log.appendLine("[B]loud[/B] and [zz]odd[/zz] tail");
    QCOMPARE(lineText(log, 0), QStringLiteral("loud and odd tail"));
    for (int i = 0; i < 17; ++i) {
      const QTextCharFormat f = formatAt(log, 0, i);
      QVERIFY(!isBold(f));
      QVERIFY(!f.fontItalic());
      QVERIFY(!f.fontUnderline());
      QVERIFY(hasDefaultColour(f));
      QCOMPARE(f.fontPointSize(), points(8));
    }
  }

  void sizesItalicUnderline() {
    MessageLog log;
    log.appendLine("[s2]big[/s2]small [s1]mid[/s1][i]it[/i][u]un[/u]");
    QCOMPARE(formatAt(log, 0, 0).fontPointSize(), points(12));
    QCOMPARE(formatAt(log, 0, 3).fontPointSize(), points(8));
    QCOMPARE(formatAt(log, 0, 9).fontPointSize(), points(10));
    QVERIFY(formatAt(log, 0, 12).fontItalic());
    QVERIFY(!formatAt(log, 0, 12).fontUnderline());
    QVERIFY(formatAt(log, 0, 14).fontUnderline());
    QVERIFY(!formatAt(log, 0, 14).fontItalic());
  }

  void everyLineStartsInTheDefaultFormat() {
    // A tag left open styles the rest of its own line only.
    MessageLog log;
    log.appendLine("[b]open bold");
    log.appendLine("next");
    QVERIFY(isBold(formatAt(log, 0, 2)));
    QVERIFY(!isBold(formatAt(log, 1, 0)));
    QVERIFY(hasDefaultColour(formatAt(log, 1, 0)));
  }

  void bracketsThatAreNoTagsStillEnd() {
    MessageLog log;
    log.appendLine("Opening file [b]/media/a[1]/FEATURE_1.EVO[/b]");
    log.appendLine("half [open");
    QCOMPARE(log.lineCount(), 2);
    QVERIFY(lineText(log, 0).startsWith(QStringLiteral("Opening file ")));
    QCOMPARE(lineText(log, 1), QStringLiteral("half [open"));
  }

  void emptyLinesAndPlainLines() {
    MessageLog log;
    log.appendLine("Done.");
    log.appendLine("");
    log.appendLine("plain line");
    QCOMPARE(log.lineCount(), 3);
    QCOMPARE(log.document()->blockCount(), 3);
    QCOMPARE(lineText(log, 1), QString());
    QCOMPARE(lineText(log, 2), QStringLiteral("plain line"));
    QVERIFY(!isBold(formatAt(log, 2, 0)));
  }

  void anEmptyFirstLineCounts() {
    MessageLog log;
    log.appendLine("");
    log.appendLine("second");
    QCOMPARE(log.document()->blockCount(), 2);
    QCOMPARE(lineText(log, 1), QStringLiteral("second"));
  }

  void clearStartsAgainAtTheTop() {
    MessageLog log;
    log.appendLine("[b]one[/b]");
    log.appendLine("two");
    log.clearLines();
    log.appendLine("[bl]three[/bl]");
    QCOMPARE(log.document()->blockCount(), 1);
    QCOMPARE(lineText(log, 0), QStringLiteral("three"));
    QCOMPARE(colourOf(formatAt(log, 0, 0)), QColor(0, 0, 255));
  }

  void nonAsciiTextSurvives() {
    MessageLog log;
    log.appendLine("Opening file [b]Fil\xC3\xA9.EVO[/b]");
    QCOMPARE(lineText(log, 0), QStringLiteral("Opening file Fil\u00E9.EVO"));
  }

  void theLogFollowsItsEnd() {
    MessageLog log;
    log.resize(300, 120);
    log.show();
    for (int i = 0; i < 200; ++i) log.appendLine("line " + std::to_string(i));
    QCoreApplication::processEvents();
    QVERIFY(log.verticalScrollBar()->maximum() > 0);
    QCOMPARE(log.verticalScrollBar()->value(), log.verticalScrollBar()->maximum());
  }
};

static RegisterSuite<MarkupTest> registered("Markup");

#include "markup_test.moc"
