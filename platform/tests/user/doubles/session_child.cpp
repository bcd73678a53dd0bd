// The second process of the session tests: a program with one top-level window of the class
// and title given, and a child pane, that answers what the tests send and post.
//   winplat_gui_child <class> <title> [--show] [--hold FILE] [--exit CODE] [--report FILE]
// --show shows the window (SW_SHOWNORMAL, so the starter's show command applies); --hold keeps
// FILE open without sharing while the program runs; --exit ends at once with CODE; --report
// writes the command line and the arguments as received to FILE, one per line, first.
// Messages: WM_COMMAND id below 1000 ends the loop with that code; id 2001 shows a modal message
// box "SpxChildBox" first; the registered "SpxChildQuestion" answers wParam * 3 + 1; WM_USER + 1
// answers this process's number for "SpxChildQuestion"; WM_USER + 2 checks and rewrites the
// 1024-byte mapping "SpxChildMapping"; WM_USER + 3 never returns; WM_USER + 4 sends
// WM_USER + 5 (wParam) to the window in lParam and answers its result + 1; WM_USER + 6 makes
// the 1024-byte mapping "SpxChildOwned", fills it with 0x5A and keeps it; WM_USER + 7 enables
// (wParam TRUE) or disables the pane.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "winplat.h"

namespace {

UINT question = 0;

LRESULT CALLBACK childProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == question && question) return static_cast<LRESULT>(wParam * 3 + 1);
    switch (msg) {
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        if (id == 2001) {
            MessageBoxA(hwnd, "A modal message box of the second process", "SpxChildBox", MB_OK);
            return 0;
        }
        if (id < 1000) PostQuitMessage(static_cast<int>(id));
        return 0;
    }
    case WM_USER + 1:
        return question;
    case WM_USER + 2: {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "SpxChildMapping");
        if (!mapping) return 0;
        auto* bytes = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 1024));
        LRESULT matched = bytes ? 1 : 0;
        for (int i = 0; bytes && i < 1024; ++i)
            if (bytes[i] != static_cast<unsigned char>(i * 7)) matched = 0;
        for (int i = 0; bytes && i < 1024; ++i) bytes[i] = static_cast<unsigned char>(255 - i);
        if (bytes) UnmapViewOfFile(bytes);
        CloseHandle(mapping);
        return matched;
    }
    case WM_USER + 3:
        for (;;) pause();
    case WM_USER + 4:
        return SendMessageA(reinterpret_cast<HWND>(lParam), WM_USER + 5, wParam, 0) + 1;
    case WM_USER + 6: {
        HANDLE owned = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1024, "SpxChildOwned");
        void* bytes = owned ? MapViewOfFile(owned, FILE_MAP_ALL_ACCESS, 0, 0, 0) : nullptr;
        if (bytes) std::memset(bytes, 0x5A, 1024);
        return bytes ? 1 : 0;  // held until the process ends
    }
    case WM_USER + 7:
        EnableWindow(FindWindowExA(hwnd, nullptr, "SpxChildPane", nullptr), static_cast<BOOL>(wParam));
        return 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    bool show = false;
    HANDLE held = INVALID_HANDLE_VALUE;
    for (int i = 3; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--show")) {
            show = true;
        } else if (!std::strcmp(argv[i], "--exit") && i + 1 < argc) {
            return std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--hold") && i + 1 < argc) {
            held = CreateFileA(argv[++i], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (held == INVALID_HANDLE_VALUE) return 3;
        } else if (!std::strcmp(argv[i], "--report") && i + 1 < argc) {
            FILE* out = std::fopen(argv[++i], "w");
            if (!out) return 4;
            std::fprintf(out, "%s\n", GetCommandLineA());
            for (int a = 0; a < argc; ++a) std::fprintf(out, "%s\n", argv[a]);
            std::fclose(out);
        }
    }
    question = RegisterWindowMessageA("SpxChildQuestion");
    WNDCLASSA wc{};
    wc.lpfnWndProc = childProc;
    wc.lpszClassName = argv[1];
    if (!RegisterClassA(&wc)) return 5;
    HWND main = CreateWindowExA(0, argv[1], argv[2], WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr, nullptr,
                                nullptr);
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "SpxChildPane";
    RegisterClassA(&wc);
    if (!main || !CreateWindowExA(0, "SpxChildPane", "Pane", WS_CHILD, 0, 0, 50, 50, main, nullptr, nullptr, nullptr))
        return 6;
    if (show) ShowWindow(main, SW_SHOWNORMAL);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    return static_cast<int>(m.wParam);
}
