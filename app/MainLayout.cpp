// The window's controls: names, captions, hints, start states and layout.

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <span>

#include "app/EditLimits.h"
#include "app/Fonts.h"
#include "app/JpegImage.h"
#include "app/Main.h"
#include "app/MessageLog.h"
#include "app/NumEdit.h"
#include "app/StatusBarPanel.h"
#include "common/text_format.h"

namespace {

constexpr int kExtensionLength = 5;
constexpr int kFastSizeLength = 3;
constexpr int kBoxRows = 8;

// A tool tip shows the part of a hint before its "|".
void setHint(QWidget* widget, const QString& hint) {
  widget->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
}

template <typename W>
W* named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QToolButton* folderButton(QWidget* parent, const char* name, const QString& hint) {
  auto* button = named(new QToolButton(parent), name);
  button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
  button->setAutoRaise(false);
  setHint(button, hint);
  return button;
}

QPushButton* pushButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint = {}) {
  auto* button = named(new QPushButton(caption, parent), name);
  if (!hint.isEmpty()) setHint(button, hint);
  return button;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, bool ticked,
                    const QString& hint = {}) {
  auto* box = named(new QCheckBox(caption, parent), name);
  box->setChecked(ticked);
  if (!hint.isEmpty()) setHint(box, hint);
  return box;
}

// Rows of eight boxes, filled column by column, and beside them the
// buttons that tick every box of the page that can be ticked, or none.
template <size_t N>
QWidget* boxPage(TfMain* window, std::array<QCheckBox*, N>& boxes, const char* prefix, int digits,
                 const QString& caption, const QString& boxHint) {
  auto* page = new QWidget(window);
  auto* grid = new QGridLayout(page);
  grid->setHorizontalSpacing(24);
  grid->setVerticalSpacing(2);
  for (size_t i = 0; i < N; ++i) {
    QString name =
        QString::fromLatin1(prefix) + QString::number(i).rightJustified(digits, QLatin1Char('0'));
    auto* box = new QCheckBox(caption, page);
    box->setObjectName(name);
    box->setEnabled(false);
    if (!boxHint.isEmpty()) setHint(box, boxHint);
    boxes[i] = box;
    grid->addWidget(box, int(i) % kBoxRows, int(i) / kBoxRows);
  }
  const int columns = int((N + kBoxRows - 1) / kBoxRows);
  grid->setColumnStretch(columns, 1);
  grid->setRowStretch(kBoxRows, 1);

  auto* ticks = new QVBoxLayout;
  ticks->setSpacing(4);
  const QString kind = QString::fromLatin1(prefix).mid(2);  // "Video", "Audio", "Sub"
  for (bool tick : {true, false}) {
    auto* button =
        new QPushButton(tick ? QStringLiteral("Tick &all") : QStringLiteral("Tick &none"), page);
    button->setObjectName((tick ? QStringLiteral("bTickAll") : QStringLiteral("bTickNone")) + kind);
    QObject::connect(button, &QPushButton::clicked, window, [window, &boxes, tick] {
      window->tickBoxes(std::span<QCheckBox* const>(boxes), tick);
    });
    ticks->addWidget(button);
  }
  ticks->addStretch(1);
  grid->addLayout(ticks, 0, columns + 1, kBoxRows + 1, 1);
  return page;
}

QLineEdit* extensionEdit(QWidget* parent, const char* name, const QString& text) {
  auto* edit = named(new QLineEdit(text, parent), name);
  limitTypedLength(edit, kExtensionLength);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("MMMMM")) + 12);
  return edit;
}

const char* const kAboutText =
    "<p><b>Vantrel 0.627b2</b></p>"
    "<p>Takes apart the program streams of optical video discs: HD DVD "
    "<tt>.EVO</tt>, DVD-Video <tt>.VOB</tt> and DVD-Audio <tt>.AOB</tt> files.</p>"
    "<p>Read EVO catalogues the video, audio and subpicture streams of a title; "
    "Demux writes the ticked streams to files of their own; Rebuild writes a "
    "leaner copy of the title; Read XPL and Read VTI report the disc's playlist "
    "and title set information.</p>"
    "<p>&copy; Corvane Software. The logo picture is decoded with libjpeg; "
    "the window is built with Qt.</p>";

}  // namespace

void TfMain::buildWindow() {
  setWindowTitle(QStringLiteral("Vantrel 0.627b2"));
  // Without Tahoma the window keeps the desktop's font and follows it.
  if (windowFont() != QApplication::font()) setFont(windowFont());

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(6, 6, 6, 2);
  column->setSpacing(4);
  column->addWidget(buildTopRow());

  PageControl = named(new QTabWidget(central), "PageControl");
  PageControl->setDocumentMode(false);
  tsStatus = named(buildStatusPage(), "tsStatus");
  tsVideo = named(buildVideoPage(), "tsVideo");
  tsAudio = named(buildAudioPage(), "tsAudio");
  tsSubpicture = named(buildSubpicturePage(), "tsSubpicture");
  tsXPL = named(buildXplPage(), "tsXPL");
  tsOption = named(buildOptionPage(), "tsOption");
  tsAbout = named(buildAboutPage(), "tsAbout");
  PageControl->addTab(tsStatus, QStringLiteral("Status"));
  PageControl->addTab(tsVideo, QStringLiteral("Video"));
  PageControl->setTabToolTip(VideoPage, QStringLiteral("Check the desired video stream"));
  PageControl->addTab(tsAudio, QStringLiteral("Audio"));
  PageControl->setTabToolTip(AudioPage, QStringLiteral("Check the desired audio streams"));
  PageControl->addTab(tsSubpicture, QStringLiteral("Subpicture"));
  PageControl->setTabToolTip(SubpicturePage,
                             QStringLiteral("Check the desired subpicture streams"));
  PageControl->addTab(tsXPL, QStringLiteral("XPL"));
  PageControl->addTab(tsOption, QStringLiteral("Options"));
  PageControl->addTab(tsAbout, QStringLiteral("About"));
  PageControl->setCurrentIndex(StatusPage);
  column->addWidget(PageControl, 1);

  bottomRow_ = buildBottomRow();
  column->addWidget(bottomRow_);
  setCentralWidget(central);

  StatusPanel[0] = named(new StatusBarPanel(statusBar()), "StatusPanel0");
  StatusPanel[1] = named(new StatusBarPanel(statusBar()), "StatusPanel1");
  StatusPanel[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusBar()->addWidget(StatusPanel[0]);
  statusBar()->addWidget(StatusPanel[1], 1);
  statusBar()->setSizeGripEnabled(true);
  StatusPanel[0]->setPanelText(QStringLiteral("Ready"));
  StatusPanel[1]->setPanelText(QStringLiteral("Select or drop an EVO file to demux"));
  statusBar()->setToolTip(QStringLiteral(" Select or drop an EVO file to demux"));
  ProgressBar = named(new QProgressBar(statusBar()), "ProgressBar");
  ProgressBar->setTextVisible(false);
  ProgressBar->setFixedWidth(fontMetrics().averageCharWidth() * 16);
  ProgressBar->setMaximumHeight(fontMetrics().height());
  ProgressBar->hide();
  statusBar()->addPermanentWidget(ProgressBar);

  // Enter presses Read EVO, as the default button of the window; on a
  // focused push button it presses that button. A held key does not
  // repeat: each press would start the run again and rewrite its outputs.
  for (auto key : {Qt::Key_Return, Qt::Key_Enter}) {
    auto* enter = new QShortcut(QKeySequence(key), this);
    enter->setAutoRepeat(false);
    connect(enter, &QShortcut::activated, this, [this] {
      if (auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
          focused && !qobject_cast<QCheckBox*>(focused) && !qobject_cast<QRadioButton*>(focused)) {
        if (focused->isEnabled()) focused->click();
        return;
      }
      if (bReadEVO->isEnabled()) bReadEVO->click();
    });
  }
}

QWidget* TfMain::buildTopRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);

  eEVOfile = named(new QLineEdit(row), "eEVOfile");
  eEVOfile->setReadOnly(true);
  // The paths are shown, not typed: Tab and a disabled button's focus pass
  // them by, so that their text is not selected behind the user's back.
  eEVOfile->setFocusPolicy(Qt::ClickFocus);
  setHint(eEVOfile, QStringLiteral("Drop here the source EVO file|You cannot write here directly"));
  bbEVO = folderButton(row, "bbEVO", QStringLiteral("Browse an EVO (AOB, VOB) file"));
  bReadEVO = pushButton(row, "bReadEVO", QStringLiteral("Read &EVO"),
                        QStringLiteral("Read the source EVO file to detect streams"));
  bReadEVO->setDefault(true);

  eXPLfile = named(new QLineEdit(QStringLiteral("VPLST000.XPL"), row), "eXPLfile");
  eXPLfile->setReadOnly(true);
  eXPLfile->setFocusPolicy(Qt::ClickFocus);
  setHint(eXPLfile, QStringLiteral("Drop here the VPLST000.XPL"));
  eXPLfile->setMinimumWidth(
      eXPLfile->fontMetrics().horizontalAdvance(QStringLiteral("VPLST000.XPL")) + 16);
  bbXPL = folderButton(row, "bbXPL", QStringLiteral("Browse the HD DVD disc's VPLST000.XPL"));
  bbEVO->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  bbXPL->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  bReadXPL = pushButton(row, "bReadXPL", QStringLiteral("Read &XPL"),
                        QStringLiteral("Read the XPL file to detect stream infos"));

  layout->addWidget(eEVOfile, 3);
  layout->addWidget(bbEVO);
  layout->addWidget(bReadEVO);
  layout->addSpacing(8);
  layout->addWidget(eXPLfile, 1);
  layout->addWidget(bbXPL);
  layout->addWidget(bReadXPL);
  return row;
}

QWidget* TfMain::buildStatusPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  auto* row = new QHBoxLayout;
  bClear = pushButton(page, "bClear", QStringLiteral("C&lear"));
  cbAutoClear = checkBox(page, "cbAutoClear", QStringLiteral("Auto clear"), false);
  row->addWidget(bClear);
  row->addWidget(cbAutoClear);
  row->addStretch(1);
  layout->addLayout(row);
  reMessage = named(new MessageLog(page), "reMessage");
  layout->addWidget(reMessage, 1);
  return page;
}

QWidget* TfMain::buildVideoPage() {
  return boxPage(this, cbVideo, "cbVideo", 1, QStringLiteral("Video stream"), {});
}

QWidget* TfMain::buildAudioPage() {
  return boxPage(this, cbAudio, "cbAudio", 2, QStringLiteral("Audio stream"), {});
}

QWidget* TfMain::buildSubpicturePage() {
  return boxPage(this, cbSub, "cbSub", 2, QStringLiteral("Subpicture"),
                 QStringLiteral("Check the desired subpicture streams"));
}

QWidget* TfMain::buildXplPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  auto* row = new QHBoxLayout;
  bWriteChaps = pushButton(page, "bWriteChaps", QStringLiteral("&Write chapters"));
  bWriteChaps->setEnabled(false);
  row->addWidget(bWriteChaps);
  row->addStretch(1);
  layout->addLayout(row);

  splXPL = named(new QSplitter(Qt::Horizontal, page), "splXPL");
  splXPL->setChildrenCollapsible(false);
  tvXPL = named(new QTreeWidget(splXPL), "tvXPL");
  tvXPL->setHeaderHidden(true);
  tvXPL->setSelectionMode(QAbstractItemView::ExtendedSelection);
  tvXPL->setMinimumWidth(50);
  tvXPL->header()->setStretchLastSection(false);
  tvXPL->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  setHint(tvXPL, QStringLiteral("Infos from your XPL file"));
  mXPL = named(new QPlainTextEdit(splXPL), "mXPL");
  mXPL->setReadOnly(true);
  mXPL->setLineWrapMode(QPlainTextEdit::NoWrap);
  mXPL->setFont(fixedFont());
  mXPL->setMinimumWidth(50);
  setHint(mXPL, QStringLiteral("This is your XPL file (part of it)"));
  splXPL->addWidget(tvXPL);
  splXPL->addWidget(mXPL);
  splXPL->setStretchFactor(0, 0);
  splXPL->setStretchFactor(1, 1);
  // The stored tree width is applied once the splitter has its real size.
  splXPL->installEventFilter(this);
  layout->addWidget(splXPL, 1);
  return page;
}

QWidget* TfMain::buildOptionPage() {
  auto* page = new QWidget(this);
  auto* columns = new QHBoxLayout(page);
  columns->setContentsMargins(8, 6, 8, 6);
  columns->setSpacing(18);

  // The left column grows with the window; the right one keeps its natural
  // width beside it.
  auto* leftColumn = new QWidget(page);
  auto* left = new QVBoxLayout(leftColumn);
  left->setContentsMargins(0, 0, 0, 0);
  left->setSpacing(3);
  left->addWidget(
      named(new QLabel(QStringLiteral("Extensions (video, audio, subtitle)"), page), "lVideoExt"));
  auto* extensions = new QHBoxLayout;
  eVideoExt = extensionEdit(page, "eVideoExt", QStringLiteral("mpv"));
  eAudioExt = extensionEdit(page, "eAudioExt", QStringLiteral("mpa"));
  eSubExt = extensionEdit(page, "eSubExt", QStringLiteral("sup"));
  setHint(eSubExt, QStringLiteral("This is real .sup format, don't change!"));
  extensions->addWidget(eVideoExt);
  extensions->addWidget(eAudioExt);
  extensions->addWidget(eSubExt);
  extensions->addStretch(1);
  left->addLayout(extensions);

  left->addWidget(named(new QLabel(QStringLiteral("Output folder"), page), "lWorkdir"));
  auto* folder = new QHBoxLayout;
  eWorkdir = named(new QLineEdit(page), "eWorkdir");
  setHint(eWorkdir, QStringLiteral("Destination directory for the demuxed streams"));
  bbWorkdir = folderButton(page, "bbWorkdir", QStringLiteral("Browse folder"));
  folder->addWidget(eWorkdir, 1);
  folder->addWidget(bbWorkdir);
  left->addLayout(folder);

  cbContinue =
      checkBox(page, "cbContinue", QStringLiteral("Continue with the next EVO"), true,
               QStringLiteral("Demux or Rebuild continues with FEATURE_2.EVO (if it exists) after "
                              "finishing FEATURE_1.EVO"));
  cbAdjustPTS =
      checkBox(page, "cbAdjustPTS", QStringLiteral("Adjust PTS of the EVOs to follow"), false);
  left->addWidget(cbContinue);
  left->addWidget(cbAdjustPTS);

  auto* fast = new QHBoxLayout;
  fast->setSpacing(4);
  cbFastCheck = checkBox(page, "cbFastCheck", QStringLiteral("Fast EVO checking"), true,
                         QStringLiteral("Read EVO checks only the first part of the file"));
  ieFastSize = named(new TIntEdit(page), "ieFastSize");
  ieFastSize->setValue(300);
  limitTypedLength(ieFastSize, kFastSizeLength);
  ieFastSize->setFixedWidth(
      std::max(33, ieFastSize->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 10));
  setHint(ieFastSize, QStringLiteral("Size of the fast check (in MBs)"));
  fast->addWidget(cbFastCheck);
  fast->addSpacing(6);
  fast->addWidget(named(new QLabel(QStringLiteral("check only the first"), page), "Label1"));
  fast->addWidget(ieFastSize);
  fast->addWidget(named(new QLabel(QStringLiteral("MB"), page), "lFast"));
  fast->addStretch(1);
  left->addLayout(fast);

  cbCountFr = checkBox(
      page, "cbCountFr", QStringLiteral("Count frames"), true,
      QStringLiteral("Works only if the process hasn't cancelled (even by Fast EVO checking)"));
  cbDetails = checkBox(page, "cbDetails", QStringLiteral("Detailed info"), true,
                       QStringLiteral("Detailed information about streams"));
  left->addWidget(cbCountFr);
  // The angle shares the row of "Detailed info", so the page keeps its height.
  auto* details = new QHBoxLayout;
  details->setSpacing(4);
  ieAngle = named(new TIntEdit(page), "ieAngle");
  ieAngle->setValue(1);
  limitTypedLength(ieAngle, 1);
  ieAngle->setFixedWidth(
      std::max(25, ieAngle->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 10));
  setHint(ieAngle, QStringLiteral("Demux and Rebuild keep this angle of interleaved angle blocks"));
  details->addWidget(cbDetails);
  details->addSpacing(12);
  details->addWidget(named(new QLabel(QStringLiteral("Angle"), page), "lAngle"));
  details->addWidget(ieAngle);
  details->addStretch(1);
  left->addLayout(details);
  left->addStretch(1);

  auto* right = new QVBoxLayout;
  right->setSpacing(3);
  cbAutoRead = checkBox(page, "cbAutoRead", QStringLiteral("Auto read"), true,
                        QStringLiteral("Read the file automatically after browse"));
  cbReadVTI = checkBox(page, "cbReadVTI", QStringLiteral("Read .VTI file"), true,
                       QStringLiteral("Read .VTI file if exist"));
  cbRBAdvanced = checkBox(page, "cbRBAdvanced", QStringLiteral("Rebuild ADV_PCKs"), false,
                          QStringLiteral("Rebuild the Adcanced packs"));
  right->addWidget(cbAutoRead);
  right->addWidget(cbReadVTI);
  right->addWidget(cbRBAdvanced);

  auto* group = named(new QGroupBox(page), "gbAuto");
  auto* radios = new QVBoxLayout(group);
  radios->setSpacing(2);
  radios->setContentsMargins(8, 6, 8, 6);
  rbNoAuto = named(new QRadioButton(QStringLiteral("No auto process"), group), "rbNoAuto");
  rbAutoDemux = named(new QRadioButton(QStringLiteral("Auto Demux"), group), "rbAutoDemux");
  setHint(rbAutoDemux, QStringLiteral("Demux starts automatically after Read EVO"));
  rbAutoRebuild = named(new QRadioButton(QStringLiteral("Auto Rebuild"), group), "rbAutoRebuild");
  setHint(rbAutoRebuild, QStringLiteral("Rebuild starts automatically after Read EVO"));
  rbNoAuto->setChecked(true);
  radios->addWidget(rbNoAuto);
  radios->addWidget(rbAutoDemux);
  radios->addWidget(rbAutoRebuild);
  group->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
  right->addSpacing(4);
  right->addWidget(group);
  right->addStretch(1);

  columns->addWidget(leftColumn, 3);
  columns->addLayout(right, 0);
  columns->addStretch(1);
  return page;
}

QWidget* TfMain::buildAboutPage() {
  auto* text = new QTextBrowser(this);
  text->setOpenLinks(false);
  text->setFrameShape(QFrame::NoFrame);
  text->document()->setDocumentMargin(10);
  text->setHtml(QString::fromLatin1(kAboutText));
  return text;
}

QWidget* TfMain::buildBottomRow() {
  auto* row = new QWidget(this);
  auto* grid = new QGridLayout(row);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(4);
  bDemux = pushButton(row, "bDemux", QStringLiteral("&Demux"),
                      QStringLiteral("Demux the source EVO to streams"));
  QFont bold = bDemux->font();
  bold.setBold(true);
  bDemux->setFont(bold);
  bRebuild = pushButton(row, "bRebuild", QStringLiteral("Re&build"));
  bReadVTI = pushButton(row, "bReadVTI", QStringLiteral("Read &VTI"));
  bCancel = pushButton(row, "bCancel", QStringLiteral("&Cancel"),
                       QStringLiteral("You can stop the actual process"));
  bCancel->setShortcut(QKeySequence(Qt::Key_Escape));

  auto* left = new QHBoxLayout;
  left->setSpacing(4);
  left->addWidget(bDemux);
  left->addWidget(bRebuild);
  left->addWidget(bReadVTI);
  left->addStretch(1);

  imLogo = named(new QLabel(row), "imLogo");
  setHint(imLogo, QStringLiteral("HD DVD logo :-)"));
  const QImage logo = logoImage();
  if (!logo.isNull()) {
    imLogo->setPixmap(QPixmap::fromImage(logo));
    imLogo->setFixedSize(logo.size());
  } else {
    imLogo->hide();
  }

  // Two sides of equal stretch keep the logo in the middle of the window
  // while there is room; when there is not, the buttons push it aside.
  grid->addLayout(left, 0, 0);
  grid->addWidget(imLogo, 0, 1, Qt::AlignCenter);
  grid->addWidget(bCancel, 0, 2, Qt::AlignRight | Qt::AlignVCenter);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(2, 1);
  return row;
}
