#include "platform/ui/qt/qt_pump.h"

#include <QtCore/QAbstractEventDispatcher>
#include <QtCore/QCoreApplication>
#include <QtCore/QThread>
#include <QtCore/QTimer>

namespace platform::ui::qt {

QtPump::QtPump(MessageLoop& loop, std::function<void()> beforeEvents)
    : loop_(loop),
      beforeEvents_(std::move(beforeEvents)),
      dispatcher_(QAbstractEventDispatcher::instance(QThread::currentThread())) {
  loop_.setPump(this);
}

QtPump::~QtPump() {
  loop_.setPump(nullptr);  // no thread wakes us after this
}

void QtPump::processPending() {
  if (beforeEvents_) beforeEvents_();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (beforeEvents_) beforeEvents_();
}

void QtPump::wait(std::optional<std::chrono::steady_clock::time_point> deadline) {
  if (beforeEvents_) beforeEvents_();
  if (woken_.exchange(false)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  QTimer limit;
  if (deadline) {
    auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      return;
    }
    limit.setTimerType(Qt::PreciseTimer);
    limit.setSingleShot(true);
    limit.start(static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
  }
  // Returns once it handled at least one event: ours, the timer's or a wake from another thread.
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  woken_.store(false);
}

void QtPump::wake() {
  woken_.store(true);
  if (dispatcher_) dispatcher_->wakeUp();
}

}  // namespace platform::ui::qt
