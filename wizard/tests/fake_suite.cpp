#include "fake_suite.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "vltutil.h"

namespace huevista::test {

void writeText(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

bool writeInstalledCurrentPreset() {
    PresetRecord current{};
    current.size = PRESETRECORD_SIZE;
    current.gammaRed = current.gammaGreen = current.gammaBlue = 2.2;
    current.temperature = 6500;
    current.flags = PRESET_STANDARD;
    std::snprintf(current.description, sizeof current.description, "%s", "Standard");
    return WriteSpectrinePreset("Current", &current) != 0;
}

FakeSuite installFakeSuite(const std::string& root) {
    FakeSuite suite;
    suite.folder = root + "/suite";
    suite.program = suite.folder + "/huevista";
    suite.ini = suite.folder + "/huevista.ini";
    suite.inf = suite.folder + "/spectrine.inf";
    suite.presets = suite.folder + "/Preset.inf";
    std::filesystem::create_directories(suite.folder);
    writeText(suite.ini, readText(SUITE_DATA "/huevista.ini"));
    writeText(suite.presets, readText(SUITE_DATA "/Preset.inf"));
    writeText(suite.inf,
              "[Monitors]\r\n"
              "CRT Average=Generic, CRT Average, 1280, 960, 1, 0.6250, 0.3400, 0.2850, 0.6050, 0.1500, 0.0650, 0.27\r\n"
              "LCD Average=Generic, LCD Average, 1330, 1064, 1, 0.6400, 0.3300, 0.3000, 0.6000, 0.1500, 0.0600, 0.26\r\n");
    WriteSpectrineRegString("Settings", "AppFile", suite.program.c_str());
    WriteSpectrineRegString("Settings", "InfFile", suite.inf.c_str());
    return suite;
}

}  // namespace huevista::test
