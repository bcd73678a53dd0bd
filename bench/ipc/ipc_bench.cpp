// 10 000 synchronous SendMessageA round trips to a window of another process, against 10 000
// request/reply round trips over a bare Unix socket (SOCK_SEQPACKET, messages of the same
// size) between the same two processes, in the same run. Goal: within 2x of the bare socket.
//
// The program is both processes: started plainly it measures, and it starts itself with
// "--peer" through CreateProcessA as the second process, which owns the window and serves
// the bare socket when asked by a posted message.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "ratio_reporter.h"
#include "winplat.h"

namespace {

constexpr int kRoundTrips = 10000;
constexpr UINT kServeBareSocket = WM_USER + 1;

// The size of a message between the platform's processes.
struct Message {
    uint64_t words[7];
};

std::string barePath() {
    char root[4096];
    WinplatGetSystemRoot(root, sizeof root);
    return std::string(root) + "/bare.sock";
}

int peerListener = -1;

sockaddr_un addressOf(const std::string& path) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    return a;
}

LRESULT CALLBACK peerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER) return static_cast<LRESULT>(wParam + 1);
    if (msg == kServeBareSocket) {
        static int connection = accept(peerListener, nullptr, nullptr);
        Message m{};
        for (WPARAM i = 0; i < wParam; ++i) {
            if (read(connection, &m, sizeof m) != static_cast<ssize_t>(sizeof m)) break;
            ++m.words[0];
            if (write(connection, &m, sizeof m) != static_cast<ssize_t>(sizeof m)) break;
        }
        return 0;
    }
    if (msg == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int runPeer() {
    peerListener = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un a = addressOf(barePath());
    unlink(a.sun_path);
    if (bind(peerListener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(peerListener, 1) != 0) return 1;
    WNDCLASSA wc{};
    wc.lpfnWndProc = peerProc;
    wc.lpszClassName = "SpxBenchPeer";
    RegisterClassA(&wc);
    if (!CreateWindowExA(0, "SpxBenchPeer", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr))
        return 2;
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0)) DispatchMessageA(&m);
    return 0;
}

HWND peerWindow = nullptr;
int bareSocket = -1;

void CrossProcessSendMessage(benchmark::State& state) {
    for (auto _ : state) {
        for (int i = 0; i < kRoundTrips; ++i)
            if (SendMessageA(peerWindow, WM_USER, static_cast<WPARAM>(i), 0) != i + 1) {
                state.SkipWithError("a send was not answered");
                return;
            }
    }
}

void BareSocketRoundTrips(benchmark::State& state) {
    for (auto _ : state) {
        PostMessageA(peerWindow, kServeBareSocket, kRoundTrips, 0);
        Message m{};
        for (int i = 0; i < kRoundTrips; ++i) {
            m.words[0] = static_cast<uint64_t>(i);
            if (write(bareSocket, &m, sizeof m) != static_cast<ssize_t>(sizeof m) ||
                read(bareSocket, &m, sizeof m) != static_cast<ssize_t>(sizeof m) ||
                m.words[0] != static_cast<uint64_t>(i) + 1) {
                state.SkipWithError("a request was not answered");
                return;
            }
        }
    }
}

BENCHMARK(CrossProcessSendMessage)->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSocketRoundTrips)->MinTime(2.0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--peer") == 0) return runPeer();
    std::string root = (std::filesystem::temp_directory_path() / "spectrine-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) return 1;
    setenv("SPECTRINE_ROOT", root.c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "virtual", 1);

    std::string line = "\"" + std::filesystem::read_symlink("/proc/self/exe").string() + "\" --peer";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION peer{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &peer) ||
        WaitForInputIdle(peer.hProcess, 10000) != 0 || !(peerWindow = FindWindowA("SpxBenchPeer", nullptr))) {
        std::fprintf(stderr, "bench_ipc: the second process did not start\n");
        return 1;
    }
    bareSocket = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    sockaddr_un a = addressOf(barePath());
    if (connect(bareSocket, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return 1;

    benchmark::Initialize(&argc, argv);
    spx::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double ours = reporter.ns("CrossProcessSendMessage/min_time:2.000");
    double bare = reporter.ns("BareSocketRoundTrips/min_time:2.000");
    if (ours > 0 && bare > 0)
        std::printf("\n%d round trips to another process: SendMessageA %.1f ms vs bare socket %.1f ms: ratio %.2f "
                    "(goal: at most 2)\n",
                    kRoundTrips, ours, bare, ours / bare);

    PostMessageA(peerWindow, WM_CLOSE, 0, 0);
    WaitForSingleObject(peer.hProcess, 5000);
    CloseHandle(peer.hThread);
    CloseHandle(peer.hProcess);
    close(bareSocket);
    std::filesystem::remove_all(root);
    return 0;
}
