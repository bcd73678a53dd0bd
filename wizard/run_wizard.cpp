// Start-up in its order: the installation check, the splash, accelerators, the palette, the
// fonts, the background window, then the main dialog (which saves and resets the ramps).
#include <memory>

#include "app_palette.h"
#include "background_window.h"
#include "fonts.h"
#include "huevista.h"
#include "install_check.h"
#include "instruction_panel.h"
#include "monitor_list.h"
#include "resource_ids.h"
#include "slider_control.h"
#include "splash.h"
#include "vltutil.h"
#include "wizard_dialog.h"

namespace huevista {
namespace {

bool logoDisabled() {
    int flag = 0;
    return ReadControlPanelInitscreen(&flag) && flag != 0;
}

class Accelerators {
public:
    explicit Accelerators(HINSTANCE instance) : table_(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS))) {}
    Accelerators(const Accelerators&) = delete;
    Accelerators& operator=(const Accelerators&) = delete;
    ~Accelerators() {
        if (table_) DestroyAcceleratorTable(table_);
    }
    HACCEL get() const { return table_; }

private:
    HACCEL table_;
};

}  // namespace

Invocation invocationOf(int argc, char** argv) {
    Invocation invocation;
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length > 0 && length < sizeof path) invocation.programPath = path;
    for (int i = 1; i < argc; ++i) invocation.arguments.emplace_back(argv[i]);
    return invocation;
}

int runWizard(const Invocation& invocation) {
    if (auto failure = checkInstallation(invocation.programPath)) {
        MessageBoxA(nullptr, describe(*failure).c_str(), baseNameOf(invocation.programPath).c_str(),
                    MB_OK | MB_ICONERROR);
        return kExitNotInstalled;
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    // "Disable logo during start up" skips the splash as the embedded start does.
    if (commandLineAllowsSplash(invocation.arguments) && !logoDisabled()) showSplash(instance, invocation.programPath);
    Accelerators accelerators(instance);
    registerInstructionClass(instance);
    registerSliderClass(instance);
    GdiHandle<HPALETTE> palette(createAppPalette(instance));
    Fonts fonts;
    const MonitorList monitors = MonitorList::fromStore();
    BackgroundWindow background(instance, monitors, fonts);
    WizardSetup setup;
    setup.instance = instance;
    setup.programPath = invocation.programPath;
    setup.fonts = &fonts;
    setup.palette = palette.get();
    setup.icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_HUEVISTA));
    setup.monitors = &monitors;
    setup.background = &background;
    WizardDialog wizard(setup);
    return wizard.run(accelerators.get());
}

}  // namespace huevista
