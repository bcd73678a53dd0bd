// Benchmarks of the wizard: the wizard started in process as its program starts it, and the
// benchmark's work run once inside the wizard's own loop as soon as its main dialog exists;
// the wizard is closed after it.
#pragma once

#include <QApplication>

#include <functional>
#include <string>
#include <utility>

#include "huevista.h"
#include "winplat.h"

namespace spx::bench {

namespace detail {
inline std::function<void(HWND)> wizardWork;
inline HWND wizardWindow = nullptr;

inline void CALLBACK runWizardWork(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (wizardWork) wizardWork(wizardWindow);
    DestroyWindow(wizardWindow);
}

inline void onWizardDialog(HWND dialog, HINSTANCE, LPCSTR name, void*) {
    if (name != MAKEINTRESOURCEA(102)) return;
    wizardWindow = dialog;
    SetTimer(nullptr, 0, 10, runWizardWork);
}
}  // namespace detail

// Runs the wizard of `program` with `work` given its main dialog; false when no GUI driver ran
// it.
inline bool runInWizard(const std::string& program, std::function<void(HWND)> work) {
    detail::wizardWork = std::move(work);
    WinplatSetDialogHook(detail::onWizardDialog, nullptr);
    huevista::runWizard({program, {"-Embedding"}});
    WinplatSetDialogHook(nullptr, nullptr);
    detail::wizardWork = nullptr;
    return QApplication::instance() != nullptr;
}

}  // namespace spx::bench
