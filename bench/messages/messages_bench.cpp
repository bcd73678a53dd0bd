// 100 000 PostMessageA + GetMessageA + DispatchMessageA round trips to a window, against
// QCoreApplication::postEvent and the delivery of as many events to a QObject, in the same run:
// one message at a time, and all posted before any is taken. Goal: at least as fast as Qt.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ratio_reporter.h"
#include "winplat.h"

namespace {

long long delivered = 0;

LRESULT CALLBACK countingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER) {
        delivered += static_cast<long long>(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class Counter : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        ++delivered;
        return true;
    }
};

HWND counterWindow() {
    static HWND w = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = countingProc;
        wc.lpszClassName = "SpxBenchCounter";
        RegisterClassA(&wc);
        return CreateWindowExA(0, "SpxBenchCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }();
    return w;
}

constexpr int kMessages = 100000;

// Each message goes around before the next is posted.
void PostGetDispatch(benchmark::State& state) {
    HWND w = counterWindow();
    MSG m;
    for (auto _ : state) {
        delivered = 0;
        for (int i = 0; i < kMessages; ++i) {
            PostMessageA(w, WM_USER, 1, 0);
            GetMessageA(&m, nullptr, 0, 0);
            DispatchMessageA(&m);
        }
        if (delivered != kMessages) state.SkipWithError("messages were lost");
    }
}

void QtPostDeliver(benchmark::State& state) {
    Counter counter;
    for (auto _ : state) {
        delivered = 0;
        for (int i = 0; i < kMessages; ++i) {
            QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
            QCoreApplication::sendPostedEvents();
        }
        if (delivered != kMessages) state.SkipWithError("events were lost");
    }
}

// All posted first, then all retrieved and delivered.
void PostAllThenGetDispatch(benchmark::State& state) {
    HWND w = counterWindow();
    MSG m;
    for (auto _ : state) {
        delivered = 0;
        for (int i = 0; i < kMessages; ++i) PostMessageA(w, WM_USER, 1, 0);
        for (int i = 0; i < kMessages; ++i) {
            GetMessageA(&m, nullptr, 0, 0);
            DispatchMessageA(&m);
        }
        if (delivered != kMessages) state.SkipWithError("messages were lost");
    }
}

void QtPostAllThenDeliver(benchmark::State& state) {
    Counter counter;
    for (auto _ : state) {
        delivered = 0;
        for (int i = 0; i < kMessages; ++i) QCoreApplication::postEvent(&counter, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents();
        if (delivered != kMessages) state.SkipWithError("events were lost");
    }
}

BENCHMARK(PostGetDispatch)->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(QtPostDeliver)->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(PostAllThenGetDispatch)->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(QtPostAllThenDeliver)->MinTime(2.0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::string root = (std::filesystem::temp_directory_path() / "spectrine-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) return 1;
    setenv("SPECTRINE_ROOT", root.c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    spx::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Times are in the benchmarks' unit, milliseconds.
    auto ratio = [&](const char* what, const char* ours, const char* peer) {
        double a = reporter.ns(std::string(ours) + "/min_time:2.000"), b = reporter.ns(std::string(peer) + "/min_time:2.000");
        if (a > 0 && b > 0)
            std::printf("%s: winplat %.1f ms vs Qt %.1f ms per 100000: ratio %.2f (goal: at most 1)\n", what, a, b,
                        a / b);
    };
    std::printf("\n");
    ratio("one at a time", "PostGetDispatch", "QtPostDeliver");
    ratio("all posted first", "PostAllThenGetDispatch", "QtPostAllThenDeliver");
    std::filesystem::remove_all(root);
    return 0;
}
