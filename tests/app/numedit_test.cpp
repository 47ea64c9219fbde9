// The numeric edit: typed characters are filtered, the value is read safely.

#include "app/NumEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "app/EditLimits.h"
#include "tests/app/suites.h"

class NumEditTest : public QObject {
  Q_OBJECT

 private slots:
  void startsAtZeroAndThirtyThreePixels() {
    TIntEdit edit;
    QCOMPARE(edit.text(), QStringLiteral("0"));
    QCOMPARE(edit.width(), 33);
    QCOMPARE(edit.Value(), 0);
  }

  void value_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("plain") << "300" << qint64(300);
    QTest::newRow("plus sign") << "+12" << qint64(12);
    QTest::newRow("minus") << "-7" << qint64(-7);
    QTest::newRow("empty") << "" << qint64(0);
    QTest::newRow("sign alone") << "-" << qint64(0);
    QTest::newRow("letters") << "3a" << qint64(0);
    QTest::newRow("largest") << "2147483647" << qint64(2147483647);
    QTest::newRow("too large") << "2147483648" << qint64(0);
    QTest::newRow("smallest") << "-2147483648" << qint64(-2147483648LL);
    QTest::newRow("hexadecimal") << "0x10" << qint64(0);
  }

  void value() {
    QFETCH(QString, text);
    QFETCH(qint64, value);
    TIntEdit edit;
    edit.setText(text);
    QCOMPARE(edit.Value(), value);
    QCOMPARE(edit.property("Value").toLongLong(), value);
  }

  void settingTheValueWritesDecimalText() {
    TIntEdit edit;
    edit.setValue(-42);
    QCOMPARE(edit.text(), QStringLiteral("-42"));
    edit.setProperty("Value", qint64(512));
    QCOMPARE(edit.text(), QStringLiteral("512"));
  }

  void typedLettersBeepAndLeaveTheText() {
    TIntEdit edit;
    edit.setText(QStringLiteral("30"));
    edit.setCursorPosition(2);
    QSignalSpy refused(&edit, &TIntEdit::characterRefused);
    QTest::keyClicks(&edit, QStringLiteral("x"));
    QCOMPARE(edit.text(), QStringLiteral("30"));
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.first().first().value<QChar>(), QChar(u'x'));
    QTest::keyClicks(&edit, QStringLiteral(" .,"));
    QCOMPARE(edit.text(), QStringLiteral("30"));
    QCOMPARE(refused.count(), 4);
  }

  void digitsSignsAndEditingKeysPass() {
    TIntEdit edit;
    edit.clear();
    QSignalSpy refused(&edit, &TIntEdit::characterRefused);
    QTest::keyClicks(&edit, QStringLiteral("-12+"));
    QCOMPARE(edit.text(), QStringLiteral("-12+"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("-12"));
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.text(), QStringLiteral("-1"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(refused.count(), 0);
    QCOMPARE(edit.Value(), -1);
  }

  void pastedTextIsNotFiltered() {
    TIntEdit edit;
    edit.clear();
    QApplication::clipboard()->setText(QStringLiteral("12ab"));
    QSignalSpy refused(&edit, &TIntEdit::characterRefused);
    QTest::keySequence(&edit, QKeySequence::Paste);
    if (edit.text().isEmpty()) QSKIP("No clipboard on this platform");
    QCOMPARE(edit.text(), QStringLiteral("12ab"));
    QCOMPARE(refused.count(), 0);
    QCOMPARE(edit.Value(), 0);
  }

  void typedLengthIsLimitedButStoredTextIsKept() {
    TIntEdit edit;
    limitTypedLength(&edit, 3);
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("1234"));
    QCOMPARE(edit.text(), QStringLiteral("123"));
    // A longer number set by the program stays whole and can be shortened.
    edit.setValue(5000);
    QCOMPARE(edit.text(), QStringLiteral("5000"));
    edit.setCursorPosition(4);
    QTest::keyClicks(&edit, QStringLiteral("1"));
    QCOMPARE(edit.text(), QStringLiteral("5000"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("500"));
  }

  void extensionEditsTakeFiveTypedCharacters() {
    QLineEdit edit;
    limitTypedLength(&edit, 5);
    QTest::keyClicks(&edit, QStringLiteral("abcdefg"));
    QCOMPARE(edit.text(), QStringLiteral("abcde"));
  }
};

static RegisterSuite<NumEditTest> registered("NumEdit");

#include "numedit_test.moc"
