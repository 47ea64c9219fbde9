// The settings store: read once at start-up, written once at close.

#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <optional>

#include "app/EditLimits.h"
#include "app/Main.h"
#include "app/NumEdit.h"
#include "app/SettingsKeys.h"

namespace st = vantrel::settings;

namespace {

// Reads stored values by type. A value of the wrong type (text where a
// number belongs, a list, binary data) counts as absent and is reported,
// so that its control keeps its default and start-up goes on.
class SettingsReader {
 public:
  SettingsReader(QSettings& store, std::function<void(const char*)> onInvalid)
      : store_(store), onInvalid_(std::move(onInvalid)) {}

  std::optional<int> integer(const char* name) {
    if (!store_.contains(QLatin1String(name))) return std::nullopt;
    if (auto value = asInteger(store_.value(QLatin1String(name)))) return value;
    onInvalid_(name);
    return std::nullopt;
  }

  std::optional<bool> boolean(const char* name) {
    if (!store_.contains(QLatin1String(name))) return std::nullopt;
    const QVariant stored = store_.value(QLatin1String(name));
    if (auto value = asInteger(stored)) return *value != 0;
    if (stored.typeId() == QMetaType::Bool) return stored.toBool();
    if (stored.typeId() == QMetaType::QString) {
      const QString word = stored.toString();
      if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
      if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    }
    onInvalid_(name);
    return std::nullopt;
  }

  std::optional<QString> string(const char* name) {
    if (!store_.contains(QLatin1String(name))) return std::nullopt;
    const QVariant stored = store_.value(QLatin1String(name));
    if (stored.typeId() == QMetaType::QString) return stored.toString();
    onInvalid_(name);
    return std::nullopt;
  }

 private:
  // A 32-bit signed number: stored as one (a registry value) or as its
  // decimal text (a settings file keeps every value as text).
  static std::optional<int> asInteger(const QVariant& stored) {
    bool ok = false;
    switch (stored.typeId()) {
      case QMetaType::Int:
      case QMetaType::UInt:
      case QMetaType::LongLong:
      case QMetaType::ULongLong: {
        const qlonglong value = stored.toLongLong(&ok);
        if (ok && value >= INT32_MIN && value <= INT32_MAX) return int(value);
        return std::nullopt;
      }
      case QMetaType::QString: {
        const int value = stored.toString().toInt(&ok, 10);
        if (ok) return value;
        return std::nullopt;
      }
      default:
        return std::nullopt;
    }
  }

  QSettings& store_;
  std::function<void(const char*)> onInvalid_;
};

// The date-time type of the store: a little-endian IEEE double counting days
// since 30 December 1899, the fraction being the time of day.
QByteArray storedDateTime(const QDateTime& when) {
  const double days = double(QDate(1899, 12, 30).daysTo(when.date())) +
                      double(when.time().msecsSinceStartOfDay()) / 86'400'000.0;
  const quint64 bits = qToLittleEndian(std::bit_cast<quint64>(days));
  return QByteArray(reinterpret_cast<const char*>(&bits), sizeof bits);
}

}  // namespace

void TfMain::noteInvalidSetting(const char* name) {
  log("[re]Invalid data type for '" + std::string(name) +
      "'[/re] - the setting keeps its default.");
}

void TfMain::RegRead() {
  QSettings store(QLatin1String(st::kOrganization), QLatin1String(st::kApplication));
  if (store.allKeys().isEmpty()) return;  // first run: every control keeps its default
  SettingsReader read(store, [this](const char* name) { noteInvalidSetting(name); });

  // Size before position, the window state last, so that a maximised
  // window keeps the normal bounds stored with it.
  const auto width = read.integer(st::kWidth);
  const auto height = read.integer(st::kHeight);
  if (width || height) resize(width.value_or(this->width()), height.value_or(this->height()));
  const auto top = read.integer(st::kTop);
  const auto left = read.integer(st::kLeft);
  if (top || left) move(left.value_or(x()), top.value_or(y()));
  if (const auto state = read.integer(st::kWindowState)) {
    if (*state == st::kStateMinimised) setWindowState(windowState() | Qt::WindowMinimized);
    if (*state == st::kStateMaximised) setWindowState(windowState() | Qt::WindowMaximized);
  }
  if (const auto tree = read.integer(st::kTreeWidth)) {
    pendingTreeWidth_ = std::max(50, *tree);
    treeLaidOut_ = false;
  }

  if (auto v = read.string(st::kAudioExt)) setProgramText(eAudioExt, *v);
  if (auto v = read.string(st::kVideoExt)) setProgramText(eVideoExt, *v);
  if (auto v = read.string(st::kSubExt)) setProgramText(eSubExt, *v);
  if (auto v = read.string(st::kWorkdir)) setProgramText(eWorkdir, *v);
  if (auto v = read.string(st::kEVOdir)) ws_.paths.EVOdir = QFile::encodeName(*v).toStdString();
  if (auto v = read.string(st::kXPLdir)) ws_.paths.XPLdir = QFile::encodeName(*v).toStdString();

  if (auto v = read.boolean(st::kContinue)) cbContinue->setChecked(*v);
  if (auto v = read.boolean(st::kFastCheck)) cbFastCheck->setChecked(*v);
  if (auto v = read.boolean(st::kCountFrames)) cbCountFr->setChecked(*v);
  if (auto v = read.boolean(st::kDetails)) cbDetails->setChecked(*v);
  if (auto v = read.boolean(st::kAutoRead)) cbAutoRead->setChecked(*v);
  // A stored true ticks its radio button (clearing the others); false
  // leaves the group as it is.
  if (auto v = read.boolean(st::kAutoDemux); v && *v) rbAutoDemux->setChecked(true);
  if (auto v = read.boolean(st::kAutoRebuild); v && *v) rbAutoRebuild->setChecked(true);
  if (auto v = read.boolean(st::kAutoClear)) cbAutoClear->setChecked(*v);
  if (auto v = read.integer(st::kFastSize)) ieFastSize->setValue(*v);
  if (auto v = read.integer(st::kAngle)) ieAngle->setValue(std::clamp(*v, 1, 9));
  if (auto v = read.boolean(st::kAdvPck)) cbRBAdvanced->setChecked(*v);
  if (auto v = read.boolean(st::kAdjustPTS)) cbAdjustPTS->setChecked(*v);
  if (auto v = read.boolean(st::kReadVTI)) cbReadVTI->setChecked(*v);
}

void TfMain::RegWrite() {
  QSettings store(QLatin1String(st::kOrganization), QLatin1String(st::kApplication));
  if (!store.isWritable()) return;

  const int state = isMaximized()   ? st::kStateMaximised
                    : isMinimized() ? st::kStateMinimised
                                    : st::kStateNormal;
  store.setValue(QLatin1String(st::kWindowState), state);
  // A maximised window keeps the normal bounds of an earlier run.
  if (state != st::kStateMaximised) {
    store.setValue(QLatin1String(st::kTop), y());
    store.setValue(QLatin1String(st::kLeft), x());
    store.setValue(QLatin1String(st::kWidth), width());
    store.setValue(QLatin1String(st::kHeight), height());
  }
  auto flag = [&](const char* name, bool on) { store.setValue(QLatin1String(name), on ? 1 : 0); };
  store.setValue(QLatin1String(st::kTreeWidth), treeWidth());
  store.setValue(QLatin1String(st::kAudioExt), eAudioExt->text());
  store.setValue(QLatin1String(st::kVideoExt), eVideoExt->text());
  store.setValue(QLatin1String(st::kSubExt), eSubExt->text());
  store.setValue(QLatin1String(st::kWorkdir), eWorkdir->text());
  store.setValue(QLatin1String(st::kEVOdir),
                 QFile::decodeName(QByteArray::fromStdString(ws_.paths.EVOdir)));
  store.setValue(QLatin1String(st::kXPLdir),
                 QFile::decodeName(QByteArray::fromStdString(ws_.paths.XPLdir)));
  flag(st::kContinue, cbContinue->isChecked());
  flag(st::kFastCheck, cbFastCheck->isChecked());
  flag(st::kCountFrames, cbCountFr->isChecked());
  flag(st::kDetails, cbDetails->isChecked());
  flag(st::kAutoRead, cbAutoRead->isChecked());
  flag(st::kAutoDemux, rbAutoDemux->isChecked());
  flag(st::kAutoRebuild, rbAutoRebuild->isChecked());
  flag(st::kAutoClear, cbAutoClear->isChecked());
  store.setValue(QLatin1String(st::kFastSize), int(ieFastSize->Value()));
  store.setValue(QLatin1String(st::kAngle), int(ieAngle->Value()));
  flag(st::kAdvPck, cbRBAdvanced->isChecked());
  flag(st::kAdjustPTS, cbAdjustPTS->isChecked());
  flag(st::kReadVTI, cbReadVTI->isChecked());
  if (!store.contains(QLatin1String(st::kInstall)))
    store.setValue(QLatin1String(st::kInstall), storedDateTime(QDateTime::currentDateTime()));
  store.sync();
}
