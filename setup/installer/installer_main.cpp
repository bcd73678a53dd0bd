// spectrine-install: lays out a system root for an installed suite folder and writes the
// installation settings into the suite key.
//   spectrine-install [--root DIR] [--suite DIR] [--sample-calibration]
// The root defaults to the platform's ($SPECTRINE_ROOT or ~/.local/share/spectrine); the suite
// folder defaults to the folder this program was started from. --sample-calibration then
// stores a sample calibration (typical values, not a measurement) for the first monitor,
// writes its profiles and presets and loads the ramp of the preset in force.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "install_steps.h"
#include "sample_calibration.h"

namespace fs = std::filesystem;

namespace {

int usage(const char* self) {
    std::fprintf(stderr, "Usage: %s [--root DIR] [--suite DIR] [--sample-calibration]\n", self);
    return 2;
}

std::string ownFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path().string() : exe.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    std::string root, suite = ownFolder();
    bool rootGiven = false, sample = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--sample-calibration") {
            sample = true;
        } else if ((arg == "--root" || arg == "--suite") && i + 1 < argc) {
            (arg == "--root" ? root : suite) = argv[++i];
            rootGiven = rootGiven || arg == "--root";
        } else {
            return usage(argv[0]);
        }
    }
    if (rootGiven && root.empty()) {
        std::fprintf(stderr, "%s: --root needs a folder\n", argv[0]);
        return usage(argv[0]);
    }
    // The platform reads the root from the environment at its first call; the installation
    // makes the folder once everything is checked.
    if (rootGiven) setenv("SPECTRINE_ROOT", fs::absolute(root).string().c_str(), 1);
    installer::Report report;
    const std::string suiteFolder = fs::absolute(suite).lexically_normal().string();
    bool ok = installer::installSuite(suiteFolder, report);
    if (ok && sample) ok = installer::storeSampleCalibration(suiteFolder, report);
    for (const auto& line : report.lines) std::printf("%s\n", line.c_str());
    if (!ok) {
        std::fprintf(stderr, "spectrine-install: %s\n", report.error.c_str());
        return 1;
    }
    return 0;
}
