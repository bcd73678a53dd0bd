// The wait of the GUI thread: Qt's dispatcher runs until the thread's eventfd is readable,
// input arrived, or the time is up; the input is then handed to the host, outside Qt's event
// handlers.
#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include "qt_state.h"

namespace winplat::qt {
namespace {

QEventLoop* currentLoop = nullptr;

void wait(int fd, int timeoutMs) {
    DriverState& s = state();
    s.delivered = false;
    if (timeoutMs == 0 || fd < 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        runDelivered();
        return;
    }
    QEventLoop loop;
    // A wake-up or the timeout may already come during the first pass below, before the loop
    // runs; a quit then would be lost and the loop would sleep with nothing left to end it.
    bool woke = false;
    auto wake = [&] {
        woke = true;
        loop.quit();
    };
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &loop, wake);
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, wake);
    if (timeoutMs > 0) timer.start(timeoutMs);
    // Events that came before the loop started would otherwise wait for the next one.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!s.delivered && !woke) {
        QEventLoop* outer = std::exchange(currentLoop, &loop);
        loop.exec();
        currentLoop = outer;
    }
    runDelivered();
}

}  // namespace

void deliverLater(std::function<void()> call) {
    DriverState& s = state();
    s.pending.push_back(std::move(call));
    s.delivered = true;
    if (currentLoop) currentLoop->quit();
}

void runDelivered() {
    DriverState& s = state();
    std::vector<std::function<void()>> calls;
    calls.swap(s.pending);
    for (auto& call : calls) call();
}

void fillWaitFunctions(WinplatDriverFunctions& f) { f.wait = wait; }

}  // namespace winplat::qt
