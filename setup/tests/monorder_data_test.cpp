// The suite's monitor INF files: every model record is well formed and physically sensible,
// and the chain sorted from them answers every model through the platform's INI reader.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "monorder_testing.h"
#include "win32.h"

namespace {

namespace fs = std::filesystem;
using monorder::test::linesOf;
using monorder::test::SorterTest;

struct Chromaticity {
    double x, y;
};

struct MonitorRecord {
    std::string manufacturer, model;
    int width = 0, height = 0, one = 0;
    Chromaticity red{}, green{}, blue{};
    double pitch = 0;
};

std::vector<std::string> splitFields(const std::string& record) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = record.find(", ", start);
        fields.push_back(record.substr(start, comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 2;
    }
}

bool parseNumber(const std::string& text, double& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string format(const char* fmt, double value) {
    char text[32];
    std::snprintf(text, sizeof text, fmt, value);
    return text;
}

// Parses "%s, %s, %d, %d, %d, %4.4f x 6, %2.2f", insisting on exactly those formats.
bool parseRecord(const std::string& record, MonitorRecord& out, std::string& why) {
    const auto fields = splitFields(record);
    if (fields.size() != 12) {
        why = "has " + std::to_string(fields.size()) + " fields";
        return false;
    }
    out.manufacturer = fields[0];
    out.model = fields[1];
    int* integers[] = {&out.width, &out.height, &out.one};
    for (int i = 0; i < 3; ++i) {
        const std::string& f = fields[2 + i];
        const auto [end, error] = std::from_chars(f.data(), f.data() + f.size(), *integers[i]);
        if (error != std::errc() || end != f.data() + f.size()) {
            why = "field " + std::to_string(3 + i) + " is no integer: " + f;
            return false;
        }
    }
    double values[7];
    for (int i = 0; i < 7; ++i) {
        const std::string& f = fields[5 + i];
        const char* fmt = i < 6 ? "%4.4f" : "%2.2f";
        if (!parseNumber(f, values[i]) || format(fmt, values[i]) != f) {
            why = "field " + std::to_string(6 + i) + " is not " + fmt + ": " + f;
            return false;
        }
    }
    out.red = {values[0], values[1]};
    out.green = {values[2], values[3]};
    out.blue = {values[4], values[5]};
    out.pitch = values[6];
    return true;
}

double cross(Chromaticity o, Chromaticity a, Chromaticity b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

struct Range {
    double low, high;
    bool holds(double v) const { return v >= low && v <= high; }
};

// Primaries of each kind of display, as ranges around the typical values.
struct Gamut {
    Range rx, ry, gx, gy, bx, by;
};
const Gamut kP22{{0.60, 0.64}, {0.33, 0.35}, {0.27, 0.32}, {0.58, 0.62}, {0.14, 0.16}, {0.06, 0.08}};
const Gamut kPanel{{0.63, 0.69}, {0.30, 0.345}, {0.20, 0.31}, {0.59, 0.72}, {0.14, 0.16}, {0.045, 0.075}};
const Gamut kNotebook{{0.57, 0.61}, {0.33, 0.36}, {0.30, 0.34}, {0.54, 0.59}, {0.15, 0.16}, {0.10, 0.14}};

std::string dataPath(const std::string& name) { return std::string(MONORDER_DATA_DIR) + "/" + name; }

// key -> record of the "[Monitors]" lines of one data file, read as plain text.
std::vector<std::pair<std::string, std::string>> modelsOf(const std::string& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::pair<std::string, std::string>> models;
    bool inMonitors = false;
    for (const std::string& line : linesOf(text.str())) {
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            inMonitors = line == "[Monitors]";
            continue;
        }
        if (!inMonitors) continue;
        const size_t eq = line.find('=');
        models.emplace_back(line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1));
    }
    return models;
}

void checkRecords(const std::string& file, const Gamut& gamut, Range pitch) {
    const auto models = modelsOf(dataPath(file));
    EXPECT_GE(models.size(), 4u) << file;
    const Chromaticity d65{0.3127, 0.3290};
    for (const auto& [key, record] : models) {
        SCOPED_TRACE(file + ": " + key);
        MonitorRecord r;
        std::string why;
        ASSERT_TRUE(parseRecord(record, r, why)) << why;
        EXPECT_EQ(key.find_first_of("\\/:*?\"<>|"), std::string::npos) << "would be altered";
        EXPECT_EQ(r.one, 1);
        EXPECT_NE(key.find(r.model), std::string::npos) << "key names the model";
        // Image size in hundredths of an inch: 10 to 30 inches wide, 4:3 to 16:9.
        EXPECT_GE(r.width, 1000);
        EXPECT_LE(r.width, 3000);
        const double aspect = static_cast<double>(r.width) / r.height;
        EXPECT_GE(aspect, 1.24);
        EXPECT_LE(aspect, 1.79);
        EXPECT_TRUE(gamut.rx.holds(r.red.x) && gamut.ry.holds(r.red.y)) << "red";
        EXPECT_TRUE(gamut.gx.holds(r.green.x) && gamut.gy.holds(r.green.y)) << "green";
        EXPECT_TRUE(gamut.bx.holds(r.blue.x) && gamut.by.holds(r.blue.y)) << "blue";
        // The white of the display lies inside its primaries' triangle, counter-clockwise
        // red -> green -> blue as on the chromaticity diagram.
        EXPECT_GT(cross(r.red, r.green, d65), 0);
        EXPECT_GT(cross(r.green, r.blue, d65), 0);
        EXPECT_GT(cross(r.blue, r.red, d65), 0);
        EXPECT_TRUE(pitch.holds(r.pitch)) << r.pitch;
    }
}

TEST(MonorderData, CrtModelsHaveP22Phosphors) { checkRecords("crt.inf", kP22, {0.20, 0.28}); }

TEST(MonorderData, FlatPanelModelsHaveSrgbOrWideGamutPrimaries) {
    checkRecords("lcd.inf", kPanel, {0.11, 0.30});
}

TEST(MonorderData, NotebookModelsHaveSmallGamutPanels) {
    checkRecords("notebook.inf", kNotebook, {0.19, 0.29});
}

TEST(MonorderData, AveragesOfEachKind) {
    std::map<std::string, std::string> models;
    for (const auto& [key, record] : modelsOf(dataPath("generic.inf"))) models[key] = record;
    const struct {
        const char* key;
        Chromaticity red, green, blue;
    } cases[] = {
        {"CRT Average", {0.625, 0.340}, {0.285, 0.605}, {0.150, 0.065}},       // P22
        {"LCD Average", {0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}},       // sRGB
        {"Notebook Average", {0.585, 0.345}, {0.325, 0.555}, {0.155, 0.125}},  // ~45 % NTSC
        {"Wide Gamut LCD Average", {0.680, 0.310}, {0.205, 0.700}, {0.150, 0.055}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        ASSERT_EQ(models.count(c.key), 1u);
        MonitorRecord r;
        std::string why;
        ASSERT_TRUE(parseRecord(models[c.key], r, why)) << why;
        EXPECT_EQ(r.manufacturer, "Generic");
        EXPECT_EQ(r.model, c.key);
        const Chromaticity got[] = {r.red, r.green, r.blue}, want[] = {c.red, c.green, c.blue};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(got[i].x, want[i].x, 1e-9);
            EXPECT_NEAR(got[i].y, want[i].y, 1e-9);
        }
    }
}

class MonorderDataChain : public SorterTest {};

// Every data file goes through the sorter; the chain holds every model once, and the INI
// reader answers each model key with its record.
TEST_F(MonorderDataChain, SortedChainAnswersEveryModel) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(MONORDER_DATA_DIR))
        if (entry.path().extension() == ".inf") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 2u);

    std::map<std::string, std::string> expected;
    std::set<std::string> foldedKeys;
    for (const std::string& file : files) {
        EXPECT_EQ(printedBy([&] { EXPECT_EQ(SortMonitors(file.c_str()), 0); }), "") << file;
        for (const auto& [key, record] : modelsOf(file)) {
            std::string folded = key;
            for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            EXPECT_TRUE(foldedKeys.insert(folded).second) << "key listed twice: " << key;
            expected[key] = record;
        }
    }
    ASSERT_EQ(WriteResult(nullptr), 0);
    EXPECT_GE(expected.size(), 60u);

    size_t answered = 0;
    for (const auto& [key, record] : expected) {
        SCOPED_TRACE(key);
        std::string found;
        for (int k = 0; k < MONORDER_MAX_FILES && found.empty(); ++k) {
            const std::string name = k == 0 ? "spectrine.inf" : "spectrine" + std::to_string(k) + ".inf";
            char value[256];
            GetPrivateProfileStringA("Monitors", key.c_str(), "", value, sizeof value,
                                     rootPath(name).c_str());
            found = value;
        }
        EXPECT_EQ(found, record);
        answered += found == record;
    }
    EXPECT_EQ(answered, expected.size());
}

}  // namespace
