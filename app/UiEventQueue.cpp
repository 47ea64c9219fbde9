#include "app/UiEventQueue.h"

#include <QElapsedTimer>
#include <QThread>

namespace {
// How long one slice of draining may take before the loop serves other events.
constexpr qint64 kSliceMilliseconds = 25;
}  // namespace

UiEventQueue::UiEventQueue(Apply apply, QObject* parent)
    : QObject(parent), apply_(std::move(apply)) {}

void UiEventQueue::post(UiEvent event) {
  std::unique_lock lock(mutex_);
  if (stopped_) return;
  if (QThread::currentThread() == thread()) {
    if (pending_.empty()) {
      lock.unlock();
      apply_(event);
      return;
    }
    pending_.push_back(std::move(event));  // a drain is already on its way
    return;
  }
  pending_.push_back(std::move(event));
  if (!drainPosted_) {
    drainPosted_ = true;
    QMetaObject::invokeMethod(this, &UiEventQueue::drain, Qt::QueuedConnection);
  }
}

bool UiEventQueue::applyNext() {
  std::unique_lock lock(mutex_);
  if (pending_.empty()) return false;
  UiEvent event = std::move(pending_.front());
  pending_.pop_front();
  lock.unlock();
  apply_(event);
  return true;
}

void UiEventQueue::flush() {
  while (applyNext()) {
  }
}

void UiEventQueue::drain() {
  QElapsedTimer slice;
  slice.start();
  while (slice.elapsed() < kSliceMilliseconds && applyNext()) {
  }
  std::lock_guard lock(mutex_);
  if (pending_.empty() || stopped_) {
    drainPosted_ = false;
    return;
  }
  QMetaObject::invokeMethod(this, &UiEventQueue::drain, Qt::QueuedConnection);
}

void UiEventQueue::stop() {
  std::lock_guard lock(mutex_);
  stopped_ = true;
  pending_.clear();
}
