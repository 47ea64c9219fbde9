#include "app/Main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QLayout>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "app/MessageLog.h"
#include "app/NumEdit.h"
#include "app/StatusBarPanel.h"
#include "common/text_format.h"
#include "drivers/operations.h"

TfMain* fMain = nullptr;

namespace {

constexpr int kClientWidth = 653;
constexpr int kClientHeight = 341;

QString fromStd(const std::string& text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A caption is shown as it is: "&" is no keyboard accelerator here.
QString literalCaption(const std::string& caption) {
  return fromStd(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The separator that the locale puts between hours and minutes.
char localeTimeSeparator(const QLocale& locale) {
  const QString format = locale.timeFormat(QLocale::ShortFormat);
  qsizetype i = 0;
  while (i < format.size() && format[i] != u'h' && format[i] != u'H') ++i;
  while (i < format.size() && (format[i] == u'h' || format[i] == u'H')) ++i;
  if (i < format.size() && format[i].unicode() < 0x80 && !format[i].isLetterOrNumber())
    return char(format[i].unicode());
  return ':';
}

char localeDecimalSeparator(const QLocale& locale) {
  const QString point = locale.decimalPoint();
  return point.size() == 1 && point[0].unicode() < 0x80 ? char(point[0].unicode()) : '.';
}

// The program's icon: the installed theme's, else the built-in sizes.
QIcon programIcon() {
  QIcon builtIn;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    builtIn.addFile(QStringLiteral(":/icons/%1/org.corvane.Vantrel.png").arg(size),
                    QSize(size, size));
  return QIcon::fromTheme(QStringLiteral("org.corvane.Vantrel"), builtIn);
}

}  // namespace

TfMain::TfMain(QStringList arguments, OperationSet operations, QWidget* parent)
    : QMainWindow(parent),
      arguments_(std::move(arguments)),
      operations_(std::move(operations)),
      ws_(*this),
      chooser_(makeDialogFileChooser()) {
  fMain = this;
  events_ = new UiEventQueue([this](UiEvent& event) { applyEvent(event); }, this);
  errorReport_ = [this](const QString& message) {
    QMessageBox::critical(this, QStringLiteral("HD DVD Vantrel"), message);
  };

  buildWindow();
  setWindowIcon(programIcon());
  connectControls();
  // The layout sets the smallest size; the first size is the usual one
  // unless the desktop's fonts need more.
  layout()->activate();
  resize(QSize(kClientWidth, kClientHeight).expandedTo(minimumSizeHint()));
  // The whole window takes dropped files: no control may catch them first.
  for (QWidget* child : findChildren<QWidget*>()) child->setAcceptDrops(false);
  setAcceptDrops(true);

  showBoxes(ws_.boxes, true);
  showButtons(ws_.buttons);
}

TfMain::~TfMain() {
  events_->stop();
  if (worker_) {
    // The window goes away with an operation still running: stop it and
    // wait, since it works on this window's Workspace.
    closing_ = true;
    ws_.session.state.CancelRequested = true;
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
  }
  if (fMain == this) fMain = nullptr;
}

void TfMain::connectControls() {
  connect(reMessage, &MessageLog::saveRequested, this, &TfMain::saveLog);
  connect(bbEVO, &QToolButton::clicked, this, &TfMain::bbEVOClick);
  connect(bbXPL, &QToolButton::clicked, this, &TfMain::bbXPLClick);
  connect(bbWorkdir, &QToolButton::clicked, this, &TfMain::bbWorkdirClick);
  connect(bReadEVO, &QPushButton::clicked, this, &TfMain::bReadEVOClick);
  connect(bReadXPL, &QPushButton::clicked, this, &TfMain::bReadXPLClick);
  connect(bDemux, &QPushButton::clicked, this, &TfMain::bDemuxClick);
  connect(bRebuild, &QPushButton::clicked, this, &TfMain::bRebuildClick);
  connect(bReadVTI, &QPushButton::clicked, this, &TfMain::bReadVTIClick);
  connect(bWriteChaps, &QPushButton::clicked, this, &TfMain::bWriteChapsClick);
  connect(bCancel, &QPushButton::clicked, this, &TfMain::bCancelClick);
  connect(bClear, &QPushButton::clicked, this, &TfMain::bClearClick);
  connect(cbFastCheck, &QCheckBox::toggled, this, &TfMain::cbFastCheckClick);
  // A running chain reads it when each file ends.
  connect(cbContinue, &QCheckBox::toggled, this, [this](bool on) { ws_.options.continueChain = on; });
  for (QCheckBox* box : cbVideo) connect(box, &QCheckBox::clicked, this, &TfMain::cbVideoClick);
  for (QCheckBox* box : cbAudio) connect(box, &QCheckBox::clicked, this, &TfMain::cbVideoClick);
  for (QCheckBox* box : cbSub) connect(box, &QCheckBox::clicked, this, &TfMain::cbVideoClick);
}

void TfMain::FormActivate() {
  if (activated_) return;
  activated_ = true;
  RegRead();
  vantrel::Resetcbs(ws_.boxes, ws_.buttons, ws_.paths.eEVOfile);
  showBoxes(ws_.boxes);
  showButtons(ws_.buttons);
  const QLocale locale;
  vantrel::setDecimalSeparator(localeDecimalSeparator(locale));
  vantrel::setTimeSeparator(localeTimeSeparator(locale));
  // The command line is served once the window is up.
  if (arguments_.size() == 1) QTimer::singleShot(0, this, &TfMain::startFromCommandLine);
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    if (watched == splXPL && !treeLaidOut_ && splXPL->width() > 0) {
      treeLaidOut_ = true;
      const int rest = std::max(50, splXPL->width() - pendingTreeWidth_ - splXPL->handleWidth());
      splXPL->setSizes({pendingTreeWidth_, rest});
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

int TfMain::treeWidth() const {
  return treeLaidOut_ ? splXPL->sizes().value(0, pendingTreeWidth_) : pendingTreeWidth_;
}

void TfMain::closeEvent(QCloseEvent* event) {
  if (closing_ && worker_) {  // already granted: the window goes when the run has stopped
    event->ignore();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  if (worker_) {
    // The run stops at its next chunk; the window closes when it has ended.
    closing_ = true;
    ws_.session.state.CancelRequested = true;
    statusBar()->showMessage(QStringLiteral("Closing when the running operation has stopped..."));
    event->ignore();
    return;
  }
  closing_ = false;
  FormClose();
  event->accept();
}

bool TfMain::FormCloseQuery() {
  // A run that ended while the question was open no longer keeps the window.
  return askToStop() != StopAnswer::No;
}

void TfMain::FormClose() {
  RegWrite();
}

void TfMain::cbFastCheckClick() {
  ieFastSize->setEnabled(cbFastCheck->isChecked());
}

void TfMain::bClearClick() {
  reMessage->clearLines();
}

void TfMain::tickBoxes(std::span<QCheckBox* const> boxes, bool ticked) {
  for (QCheckBox* box : boxes)
    if (box->isEnabled()) box->setChecked(ticked);
  cbVideoClick();
}

void TfMain::saveLog() {
  const QString folder = eWorkdir->text().isEmpty()
                             ? QFile::decodeName(QByteArray::fromStdString(ws_.paths.EVOdir))
                             : eWorkdir->text();
  const auto path = chooser_->chooseLogFile(this, folder);
  if (!path) return;
  QSaveFile file(*path);
  QByteArray text = reMessage->toPlainText().toUtf8();
  if (!text.isEmpty() && !text.endsWith('\n')) text.append('\n');
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
    if (errorReport_)
      errorReport_(QStringLiteral("Cannot write file \"%1\". %2").arg(*path, file.errorString()));
  }
}

void TfMain::cbVideoClick() {
  // While a run works on the Workspace the tick only changes the box; the
  // next run takes it over when it starts.
  if (worker_) return;
  takeTicksFromBoxes();
  vantrel::updateOperationButtons(ws_.boxes, ws_.buttons, ws_.paths.eEVOfile);
  showButtons(ws_.buttons);
}

// --- Mirroring the core's model -------------------------------------------

void TfMain::showButtons(const vantrel::OperationButtons& buttons) {
  shownButtons_ = buttons;
  bReadEVO->setEnabled(buttons.readEVO);
  bReadXPL->setEnabled(buttons.readXPL);
  bDemux->setEnabled(buttons.demux);
  bRebuild->setEnabled(buttons.rebuild);
  bCancel->setEnabled(buttons.cancel || cancelFromEngine_);
  bWriteChaps->setEnabled(buttons.writeChaps);
  bbEVO->setEnabled(buttons.browseEVO);
  bbXPL->setEnabled(buttons.browseXPL);
}

void TfMain::showBoxes(const vantrel::StreamBoxes& boxes, bool all) {
  auto mirror = [](QCheckBox* widget, const vantrel::StreamBox& box) {
    widget->setText(literalCaption(box.caption));
    widget->setToolTip(fromStd(box.hint).section(QLatin1Char('|'), 0, 0));
    widget->setEnabled(box.enabled);
    widget->setChecked(box.ticked);
  };
  // Only boxes the model changed are touched, so that a tick the user set
  // during a run survives the run's reports.
  for (size_t i = 0; i < cbVideo.size(); ++i)
    if (!(boxes.video[i] == shownBoxes_.video[i]) || all) mirror(cbVideo[i], boxes.video[i]);
  for (size_t i = 0; i < cbAudio.size(); ++i)
    if (!(boxes.audio[i] == shownBoxes_.audio[i]) || all) mirror(cbAudio[i], boxes.audio[i]);
  for (size_t i = 0; i < cbSub.size(); ++i)
    if (!(boxes.subpicture[i] == shownBoxes_.subpicture[i]) || all)
      mirror(cbSub[i], boxes.subpicture[i]);
  shownBoxes_ = boxes;
}

void TfMain::takeTicksFromBoxes() {
  for (size_t i = 0; i < cbVideo.size(); ++i) ws_.boxes.video[i].ticked = cbVideo[i]->isChecked();
  for (size_t i = 0; i < cbAudio.size(); ++i) ws_.boxes.audio[i].ticked = cbAudio[i]->isChecked();
  for (size_t i = 0; i < cbSub.size(); ++i) ws_.boxes.subpicture[i].ticked = cbSub[i]->isChecked();
  shownBoxes_ = ws_.boxes;
}

void TfMain::showPaths() {
  eEVOfile->setText(fromStd(ws_.paths.eEVOfile));
  eXPLfile->setText(fromStd(ws_.paths.eXPLfile));
}

void TfMain::showPlaylist() {
  QStringList lines;
  lines.reserve(qsizetype(playlist_.mXPL.size()));
  for (const std::string& line : playlist_.mXPL) lines.push_back(fromStd(line));
  mXPL->setPlainText(lines.join(QLatin1Char('\n')));

  tvXPL->clear();
  std::function<void(QTreeWidgetItem*, const vantrel::TreeNode&)> addChildren =
      [&](QTreeWidgetItem* item, const vantrel::TreeNode& node) {
        for (const vantrel::TreeNode& child : node.children)
          addChildren(new QTreeWidgetItem(item, QStringList{fromStd(child.text)}), child);
      };
  for (const vantrel::TreeNode& node : playlist_.tvXPL)
    addChildren(new QTreeWidgetItem(tvXPL, QStringList{fromStd(node.text)}), node);
  tvXPL->expandAll();
}

void TfMain::setStatusPanel(int panel, const QString& text) {
  if (panel != 0 && panel != 1) return;
  StatusPanel[size_t(panel)]->setPanelText(text);
  if (panel == 1) {
    statusBar()->setToolTip(text);
    showProgress(text);
  }
}

void TfMain::showProgress(const QString& detail) {
  // The engine's progress text: "<done>/<size> Mbytes, Remaining time: ...".
  static const QRegularExpression progress(QStringLiteral("(\\d+)/(\\d+) Mbytes, Remaining time"));
  const QRegularExpressionMatch match = progress.match(detail);
  if (!match.hasMatch() || !worker_) {
    ProgressBar->hide();
    return;
  }
  const int size = std::max(1, match.captured(2).toInt());
  ProgressBar->setRange(0, size);
  ProgressBar->setValue(std::min(size, match.captured(1).toInt()));
  ProgressBar->show();
}

void TfMain::applyEvent(UiEvent& event) {
  std::visit(
      [this](auto& e) {
        using E = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<E, ui_event::LogLine>) {
          reMessage->appendLine(e.line);
        } else if constexpr (std::is_same_v<E, ui_event::ClearLog>) {
          reMessage->clearLines();
        } else if constexpr (std::is_same_v<E, ui_event::StatusText>) {
          setStatusPanel(e.panel, fromStd(e.text));
        } else if constexpr (std::is_same_v<E, ui_event::ShowPage>) {
          if (e.index >= 0 && e.index < PageControl->count()) PageControl->setCurrentIndex(e.index);
        } else if constexpr (std::is_same_v<E, ui_event::CancelEnabled>) {
          cancelFromEngine_ = e.enabled;
          bCancel->setEnabled(e.enabled || shownButtons_.cancel);
        } else if constexpr (std::is_same_v<E, ui_event::Controls>) {
          showBoxes(e.boxes);
          showButtons(e.buttons);
        }
      },
      event);
}

// --- DriverHost ------------------------------------------------------------

void TfMain::log(std::string_view line) {
  events_->post(ui_event::LogLine{std::string(line)});
}

void TfMain::slog(std::string_view text, int panel) {
  events_->post(ui_event::StatusText{std::string(text), panel});
}

void TfMain::clearLog() {
  events_->post(ui_event::ClearLog{});
}

void TfMain::showPage(int index) {
  events_->post(ui_event::ShowPage{index});
}

void TfMain::pump() {
  // A granted close must not be undone by a pass that clears the flag when
  // it starts (the automatic Demux after Read EVO).
  if (closing_) ws_.session.state.CancelRequested = true;
}

void TfMain::setCancelEnabled(bool enabled) {
  if (enabled && closing_) ws_.session.state.CancelRequested = true;
  events_->post(ui_event::CancelEnabled{enabled});
}

void TfMain::controlsChanged(const vantrel::StreamBoxes& boxes,
                             const vantrel::OperationButtons& buttons) {
  events_->post(ui_event::Controls{boxes, buttons});
}

bool TfMain::askYesNo(std::string_view question) {
  if (QThread::currentThread() != thread()) {
    // Only the window's own thread may show a dialog; No is the safe answer.
    qWarning("A question was asked from a worker thread: %.*s", int(question.size()),
             question.data());
    return false;
  }
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), fromStd(std::string(question)),
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}
