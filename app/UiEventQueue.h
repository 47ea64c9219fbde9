#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <variant>

#include "workspace/stream_boxes.h"

// What an operation tells the window. Operations run on a worker thread, so
// these are copied into a queue and applied on the user-interface thread in
// the order they were told.
namespace ui_event {
struct LogLine {
  std::string line;
};
struct ClearLog {};
struct StatusText {
  std::string text;
  int panel = 0;
};
struct ShowPage {
  int index = 0;
};
struct CancelEnabled {
  bool enabled = false;
};
struct Controls {
  vantrel::StreamBoxes boxes;
  vantrel::OperationButtons buttons;
};
}  // namespace ui_event

using UiEvent = std::variant<ui_event::LogLine, ui_event::ClearLog, ui_event::StatusText,
                             ui_event::ShowPage, ui_event::CancelEnabled, ui_event::Controls>;

// A queue from any thread to the thread of this object. post() from that
// thread applies the event at once when nothing is waiting, so the window's
// own lines keep their order with the worker's. The queue is drained in
// slices of a few milliseconds, so that a flood of lines never keeps the
// window from painting or serving clicks.
class UiEventQueue : public QObject {
  Q_OBJECT

 public:
  using Apply = std::function<void(UiEvent&)>;
  UiEventQueue(Apply apply, QObject* parent);

  void post(UiEvent event);
  // Applies everything waiting now (user-interface thread only).
  void flush();
  // Drops every later post; used when the window goes away.
  void stop();

 private:
  void drain();
  bool applyNext();

  Apply apply_;
  std::mutex mutex_;
  std::deque<UiEvent> pending_;
  bool drainPosted_ = false;
  bool stopped_ = false;
};
