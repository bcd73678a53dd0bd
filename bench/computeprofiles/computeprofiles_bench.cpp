// One whole ComputeProfiles run with flags 0x03 on the virtual display (calibration and
// description line read, four profiles written and registered, the default made and handed to
// the plug-ins, the ramp computed) against Little CMS building and saving the same four
// matrix/TRC profiles (their tags read back from the files ComputeProfiles wrote) into the same
// folder. Median of 50 single runs each, in random interleaving; prints the ratio, and the
// file-system floor of replacing the four files crash-safely as ComputeProfiles does (new files
// beside the old ones, flushed to disk together, renamed over them) measured alongside, with the
// same bytes, nothing built. Little CMS writes its files in place and does not flush them.
//
//   bench_computeprofiles [Google Benchmark flags]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "lcms_monitor_profile.h"
#include "profforge.h"
#include "ratio_reporter.h"
#include "vltutil.h"
#include "winplat.h"
#include "winplat_files.h"

namespace {

namespace fs = std::filesystem;

std::string g_root;
const double kGammas[3] = {2.2, 2.2, 2.2};
const char* const kFamily[4] = {"Spectrine95.icm", "Kalvenmor Model 17 6500K G2.2.icm", "Netvivid.icc",
                                "Pantone.icc"};
std::vector<spx::bench::MonitorProfileContent> g_peer;
std::vector<std::string> g_bytes;  // the four files ComputeProfiles wrote

std::string colourFolder() { return g_root + "/WINDOWS/SYSTEM/COLOR/"; }

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// An installed suite with one calibrated monitor, as the wizard leaves it.
void installSuite() {
    std::string templ = (fs::temp_directory_path() / "spectrine-bench-XXXXXX").string();
    if (!mkdtemp(templ.data())) std::abort();
    g_root = templ;
    setenv("SPECTRINE_ROOT", g_root.c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    WinplatResetProcessState();
    fs::create_directories(g_root + "/WINDOWS/SYSTEM/COLOR");
    fs::create_directories(g_root + "/suite");
    fs::copy_file(WHITEPOINT_INI, g_root + "/suite/huevista.ini");
    writeText(g_root + "/suite/monitors.inf",
              "[Monitors]\nKalvenmor Model 17=Kalvenmor, Model 17, 1280, 960, 1, 0.6400, 0.3300, "
              "0.3000, 0.6000, 0.1500, 0.0600, 0.25\n");
    const DWORD one = 1;
    if (!WriteSpectrineRegString("Settings", "AppFile", (g_root + "/suite/huevista").c_str()) ||
        !WriteSpectrineRegString("Settings", "InfFile", (g_root + "/suite/monitors.inf").c_str()) ||
        !WriteSpectrineRegString("Settings", "Monitor", "Kalvenmor Model 17") ||
        WriteSpectrineRegValue("Settings", "ScaleToD50", REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4) ||
        WriteSpectrineRegValue("Settings", "NoDateInProfileName", REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4) ||
        !WriteSpectrineCalibrationLighting(3) ||
        !WriteSpectrineCalibrationName("Monitor", "bench", 0.31272, 0.329, 2.3, 2.2, 2.1, 0.01, 0.02, 0.03, 0.98,
                                       1.0, 0.95))
        std::abort();
}

// What Little CMS writes for the peer: the tags of a profile ComputeProfiles wrote.
spx::bench::MonitorProfileContent contentOf(const std::string& path) {
    cmsHPROFILE h = cmsOpenProfileFromFile(path.c_str(), "r");
    if (!h) std::abort();
    spx::bench::MonitorProfileContent c;
    char text[512];
    cmsMLUgetASCII(static_cast<cmsMLU*>(cmsReadTag(h, cmsSigCopyrightTag)), "en", "US", text, sizeof text);
    c.copyright = text;
    cmsMLUgetASCII(static_cast<cmsMLU*>(cmsReadTag(h, cmsSigProfileDescriptionTag)), "en", "US", text,
                   sizeof text);
    c.description = text;
    const auto k007 = static_cast<cmsTagSignature>(0x4B303037);
    c.rawSummary.resize(cmsReadRawTag(h, k007, nullptr, 0));
    cmsReadRawTag(h, k007, c.rawSummary.data(), static_cast<cmsUInt32Number>(c.rawSummary.size()));
    const auto* white = static_cast<cmsCIEXYZ*>(cmsReadTag(h, cmsSigMediaWhitePointTag));
    c.white[0] = white->X, c.white[1] = white->Y, c.white[2] = white->Z;
    const cmsTagSignature colorants[] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
    const cmsTagSignature curves[] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int k = 0; k < 3; ++k) {
        const auto* xyz = static_cast<cmsCIEXYZ*>(cmsReadTag(h, colorants[k]));
        c.colorants[k][0] = xyz->X, c.colorants[k][1] = xyz->Y, c.colorants[k][2] = xyz->Z;
        const auto* curve = static_cast<cmsToneCurve*>(cmsReadTag(h, curves[k]));
        const cmsUInt16Number* table = cmsGetToneCurveEstimatedTable(curve);
        c.curves[k].assign(table, table + cmsGetToneCurveEstimatedTableEntries(curve));
    }
    cmsCloseProfile(h);
    return c;
}

void BM_ComputeProfiles(benchmark::State& state) {
    WORD ramp[768];
    for (auto _ : state)
        if (ComputeProfiles(nullptr, "Bench", kGammas, 6500, ramp, 0x03, 0) != 1)
            state.SkipWithError("ComputeProfiles failed");
}

void BM_LittleCmsFourProfiles(benchmark::State& state) {
    const std::string prefix = colourFolder() + "lcms-";
    for (auto _ : state)
        for (size_t i = 0; i < g_peer.size(); ++i)
            spx::bench::saveWithLittleCms(g_peer[i], (prefix + kFamily[i]).c_str());
}

// The file-system floor of ComputeProfiles's crash-safe save of the four profiles: the same
// bytes written beside four files of the folder, flushed to disk together and renamed over them.
void BM_FourFilesReplaced(benchmark::State& state) {
    const std::string prefix = colourFolder() + "floor-";
    for (auto _ : state) {
        winplat::FileReplacement files[4];
        for (int i = 0; i < 4; ++i)
            if (files[i].write((prefix + kFamily[i]).c_str(), g_bytes[i]) != ERROR_SUCCESS) std::abort();
        if (winplat::flushTogether(files) != ERROR_SUCCESS) std::abort();
        for (auto& file : files)
            if (file.commit() != ERROR_SUCCESS) std::abort();
    }
}

// The same, each file flushed on its own before the next is written.
void BM_FourFilesReplacedOneByOne(benchmark::State& state) {
    const std::string prefix = colourFolder() + "floor-";
    for (auto _ : state)
        for (int i = 0; i < 4; ++i)
            if (winplat::replaceFile((prefix + kFamily[i]).c_str(), g_bytes[i]) != ERROR_SUCCESS) std::abort();
}

}  // namespace

BENCHMARK(BM_FourFilesReplaced)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(50);
BENCHMARK(BM_FourFilesReplacedOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(50);
BENCHMARK(BM_ComputeProfiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(50);
BENCHMARK(BM_LittleCmsFourProfiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(50);

int main(int argc, char** argv) {
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args = {argv[0], interleave, aggregates};
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;

    installSuite();
    WORD ramp[768];
    if (ComputeProfiles(nullptr, "Bench", kGammas, 6500, ramp, 0x03, 0) != 1) std::abort();
    for (const char* name : kFamily) {
        g_peer.push_back(contentOf(colourFolder() + name));
        std::ifstream in(colourFolder() + name, std::ios::binary);
        g_bytes.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    spx::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    size_t ourBytes = 0, peerBytes = 0;
    for (const char* name : kFamily) {
        ourBytes += fs::file_size(colourFolder() + name);
        std::error_code ec;
        peerBytes += fs::file_size(colourFolder() + "lcms-" + name, ec);
    }
    const char* suffix = "/iterations:1/repeats:50/real_time_median";
    // Times in the benchmarks' unit, milliseconds.
    const double ours = reporter.ns(std::string("BM_ComputeProfiles") + suffix);
    const double peer = reporter.ns(std::string("BM_LittleCmsFourProfiles") + suffix);
    const double floor = reporter.ns(std::string("BM_FourFilesReplaced") + suffix);
    const double oneByOne = reporter.ns(std::string("BM_FourFilesReplacedOneByOne") + suffix);
    if (ours > 0 && peer > 0)
        std::printf("\nComputeProfiles 0x03 %.3f ms, Little CMS four profiles %.3f ms (medians of 50): "
                    "ratio %.2f (ComputeProfiles / Little CMS; goal <= 2)\n"
                    "four files flushed together and renamed into place, nothing built: %.3f ms "
                    "(flushed one by one: %.3f ms); ComputeProfiles beyond that %.3f ms\n"
                    "bytes written: ComputeProfiles %zu, Little CMS %zu (in place, not flushed)\n",
                    ours, peer, ours / peer, floor, oneByOne, ours - floor, ourBytes, peerBytes);
    fs::remove_all(g_root);
    benchmark::Shutdown();
    return 0;
}
