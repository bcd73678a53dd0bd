// Creating, filling and saving a monitor profile with kalvicm (the eleven tags the builders
// write: calt, cprt, K007, desc, wtpt, rXYZ, gXYZ, bXYZ and three 32-entry curves), against
// Little CMS building and saving an equivalent matrix/TRC profile. Prints both times and the
// ratio, for the whole job and for the part done in memory (kalvicm's profile object laid out
// into a buffer against Little CMS saving to memory), and the bare file-system cost of
// replacing a file of that size through a flushed temporary file and rename or by rewriting it
// in place.
//
//   iccwriter_bench [--dir=<folder for the files>] [Google Benchmark flags]
// Defaults: five repetitions in random interleaving, medians reported.
#include <benchmark/benchmark.h>
#include <lcms2.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>

#include "kalvicm.h"
#include "lcms_monitor_profile.h"
#include "profile.h"

namespace {

std::string g_dir;  // folder both peers write into

const char* const kCopyright = "Copyright (c) Kalvenmor";
const char* const kK007 = "Temperature:\t6500K\r\nGamma:\t\t2.2\r\nLighting:\t\tD50 Daylight";
const char* const kDesc = "Spectrine: Kalvenmor Model 17";

struct Colorant {
    const char* sig;
    cmsTagSignature lcmsSig;
    double x, y, z;
};
const Colorant kColorants[] = {{"wtpt", cmsSigMediaWhitePointTag, 0.9642, 1.0, 0.8249},
                               {"rXYZ", cmsSigRedColorantTag, 0.4361, 0.2225, 0.0139},
                               {"gXYZ", cmsSigGreenColorantTag, 0.3851, 0.7169, 0.0971},
                               {"bXYZ", cmsSigBlueColorantTag, 0.1431, 0.0606, 0.7141}};

std::vector<cmsUInt16Number> curve(double gamma) {
    std::vector<cmsUInt16Number> c(32);
    for (int i = 0; i < 32; ++i)
        c[i] = static_cast<cmsUInt16Number>(
            std::min(65535.0, std::trunc(65535 * std::pow(i / 31.0, gamma) + 0.5)));
    return c;
}
const std::vector<cmsUInt16Number> kCurves[3] = {curve(2.2), curve(2.1), curve(2.3)};

void kalvicmProfile(const std::string& path) {
    SpContext context = 0;
    SpInitialize(&context, nullptr, nullptr);
    SpProfileHandle p = nullptr;
    if (SpProfileCreate(context, &p) != SP_OK) std::abort();
    SpHeader h;
    SpProfileGetHeader(p, &h);
    SpProfileSetHeader(p, &h);
    int failures = 0;
    failures += SetDateTimeTag(p, "calt", h.dateTime[0], h.dateTime[1], h.dateTime[2],
                               h.dateTime[3], h.dateTime[4], h.dateTime[5]);
    failures += SetTextTag(p, "cprt", kCopyright);
    failures += SetTextDescTag(p, "K007", kK007);
    failures += SetTextDescTag(p, "desc", kDesc);
    for (const Colorant& c : kColorants)
        failures += SetXYZTag(p, c.sig, static_cast<int32_t>(c.x * 65536),
                              static_cast<int32_t>(c.y * 65536), static_cast<int32_t>(c.z * 65536));
    const char* trc[] = {"rTRC", "gTRC", "bTRC"};
    for (int i = 0; i < 3; ++i) failures += SetCurveTag(p, trc[i], kCurves[i].data(), 32);
    failures += SpProfileSaveToDisk(p, path.c_str());
    SpProfileFree(&p);
    SpTerminate(&context);
    if (failures) std::abort();
}

const spx::bench::MonitorProfileContent kLcmsContent = [] {
    spx::bench::MonitorProfileContent c;
    c.copyright = kCopyright;
    c.rawSummary = spx::bench::rawDescription(kK007);
    c.description = kDesc;
    c.white[0] = kColorants[0].x, c.white[1] = kColorants[0].y, c.white[2] = kColorants[0].z;
    for (int k = 0; k < 3; ++k) {
        c.colorants[k][0] = kColorants[k + 1].x;
        c.colorants[k][1] = kColorants[k + 1].y;
        c.colorants[k][2] = kColorants[k + 1].z;
        c.curves[k] = kCurves[k];
    }
    return c;
}();

// Saves to `path`, or to memory when it is null; returns the profile's length.
std::size_t lcmsProfile(const char* path) { return spx::bench::saveWithLittleCms(kLcmsContent, path); }

// The same profile with the library's profile object, laid out into memory.
std::size_t kalvicmInMemory() {
    kalvicm::Profile p({2003, 4, 5, 6, 7, 8});
    SpHeader h;
    p.getHeader(h);
    p.setHeader(h);
    p.addDateTime({'c', 'a', 'l', 't'}, {h.dateTime[0], h.dateTime[1], h.dateTime[2],
                                         h.dateTime[3], h.dateTime[4], h.dateTime[5]});
    p.addText({'c', 'p', 'r', 't'}, kCopyright);
    p.addTextDescription({'K', '0', '0', '7'}, kK007);
    p.addTextDescription({'d', 'e', 's', 'c'}, kDesc);
    for (const Colorant& c : kColorants)
        p.addXYZ({c.sig[0], c.sig[1], c.sig[2], c.sig[3]}, static_cast<int32_t>(c.x * 65536),
                 static_cast<int32_t>(c.y * 65536), static_cast<int32_t>(c.z * 65536));
    p.addCurve({'r', 'T', 'R', 'C'}, kCurves[0].data(), 32);
    p.addCurve({'g', 'T', 'R', 'C'}, kCurves[1].data(), 32);
    p.addCurve({'b', 'T', 'R', 'C'}, kCurves[2].data(), 32);
    std::vector<std::uint8_t> image(p.fileSize());
    p.writeImage(image);
    return image.size();
}

void BM_kalvicm_save(benchmark::State& state) {
    const std::string path = g_dir + "/kalvicm.icm";
    for (auto _ : state) kalvicmProfile(path);
}
BENCHMARK(BM_kalvicm_save)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_lcms2_save(benchmark::State& state) {
    const std::string path = g_dir + "/lcms2.icm";
    for (auto _ : state) lcmsProfile(path.c_str());
}
BENCHMARK(BM_lcms2_save)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_kalvicm_memory(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(kalvicmInMemory());
}
BENCHMARK(BM_kalvicm_memory)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_lcms2_memory(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(lcmsProfile(nullptr));
}
BENCHMARK(BM_lcms2_memory)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The file-system floor of saving a profile of that size: a new file flushed to disk and renamed
// over the old one (what kalvicm does), and the old file rewritten in place (what Little CMS
// does), both without building anything.
const std::vector<char> kFileBytes(892, 1);

void BM_files_replace(benchmark::State& state) {
    const std::string path = g_dir + "/replace.icm", temp = g_dir + "/~replace.tmp";
    for (auto _ : state) {
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0 || write(fd, kFileBytes.data(), kFileBytes.size()) < 0 || fsync(fd) != 0)
            std::abort();
        close(fd);
        if (rename(temp.c_str(), path.c_str()) != 0) std::abort();
    }
}
BENCHMARK(BM_files_replace)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_files_rewrite(benchmark::State& state) {
    const std::string path = g_dir + "/rewrite.icm";
    for (auto _ : state) {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (fd < 0 || write(fd, kFileBytes.data(), kFileBytes.size()) < 0) std::abort();
        close(fd);
    }
}
BENCHMARK(BM_files_rewrite)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Remembers each benchmark's real time per iteration for the closing comparison.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median")
                times[r.run_name.function_name] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    char repetitions[] = "--benchmark_repetitions=5";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args = {argv[0], repetitions, interleave, aggregates};  // flags may override
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--dir=", 6) == 0)
            g_dir = argv[i] + 6;
        else
            args.push_back(argv[i]);
    }
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;

    bool ownDir = false;
    if (g_dir.empty()) {
        std::string templ = (std::filesystem::temp_directory_path() / "iccbench-XXXXXX").string();
        if (!mkdtemp(templ.data())) return 1;
        g_dir = templ;
        ownDir = true;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (ownDir) std::filesystem::remove_all(g_dir);

    std::printf("\nfolder: %s\n", g_dir.c_str());
    for (const char* job : {"save", "memory"}) {
        const double ours = reporter.times[std::string("BM_kalvicm_") + job];
        const double peer = reporter.times[std::string("BM_lcms2_") + job];
        if (ours > 0 && peer > 0)
            std::printf("%-6s kalvicm %8.2f us, Little CMS %8.2f us per profile: ratio %.2f "
                        "(Little CMS time / kalvicm time; goal >= 3)\n",
                        job, ours, peer, peer / ours);
    }
    const double replace = reporter.times["BM_files_replace"];
    const double rewrite = reporter.times["BM_files_rewrite"];
    if (replace > 0 && rewrite > 0)
        std::printf("files  new file, flush, rename %.2f us; rewrite in place %.2f us\n",
                    replace, rewrite);
    benchmark::Shutdown();
    return 0;
}
