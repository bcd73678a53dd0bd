// An installed suite in a test's system root, as the installer lays it out: the wizard's folder
// with the white point reference file, the monitor INF chain and the standard presets, and the
// "AppFile" and "InfFile" settings naming them. The wizard's program file itself need not exist:
// the tests start the wizard in process with this path as its own.
#pragma once

#include <string>

namespace huevista::test {

struct FakeSuite {
    std::string folder;   // <root>/suite
    std::string program;  // <root>/suite/huevista
    std::string ini;      // huevista.ini
    std::string inf;      // spectrine.inf
    std::string presets;  // Preset.inf
};

// Writes the files and the settings; the shipped huevista.ini and Preset.inf are copied.
FakeSuite installFakeSuite(const std::string& root);
// The preset in force as an installation leaves it: gamma 2.2 at 6500 K ("Current"); false
// when it could not be written.
bool writeInstalledCurrentPreset();
// Replaces a file's content.
void writeText(const std::string& path, const std::string& content);
std::string readText(const std::string& path);

}  // namespace huevista::test
