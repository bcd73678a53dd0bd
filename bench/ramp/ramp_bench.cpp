// Loading a gamma ramp on the X11 display: VLTSetDeviceGammaRamp against the command-line
// tools a user would run for the same effect, `xrandr --output <name> --gamma r:g:b` and
// `dispwin -c` (ArgyllCMS: reset the ramp), all on one Xorg with the dummy driver started here.
// Every call completes on the server before it returns (the platform waits for the server's
// answer; the tools exit after theirs). The tools are started with posix_spawn, without a
// shell. Goal: at least 10 times faster than the tools, since no process starts.
//
// The floor is the least any ramp load can cost: XRRSetCrtcGamma on the same CRTC with a table
// filled beforehand, then XSync, on a connection of the benchmark's own. Goal: within 2 times
// of the floor.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "vltutil.h"
#include "winplat.h"
#include "xorg_server.h"

extern char** environ;

namespace {

using Ramp = std::vector<WORD>;

Ramp curve(double gamma) {
    Ramp r(768);
    for (size_t i = 0; i < 768; ++i)
        r[i] = static_cast<WORD>(std::lround(65280.0 * std::pow((i % 256) / 255.0, 1.0 / gamma)));
    return r;
}

// Runs a program with its arguments and waits for it; its exit status.
int runTool(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

void VltSetDeviceGammaRamp(benchmark::State& state) {
    // Two curves in turn, so every call changes what the CRTC holds.
    Ramp ramps[2] = {curve(1.8), curve(2.4)};
    size_t n = 0;
    for (auto _ : state) {
        Ramp& r = ramps[n++ & 1];
        if (!VLTSetDeviceGammaRamp(nullptr, r.data(), 0)) {
            state.SkipWithError("VLTSetDeviceGammaRamp failed");
            break;
        }
    }
}

// XRRSetCrtcGamma and XSync on the CRTC of output DUMMY0, the two curves in turn.
void FloorSetCrtcGamma(benchmark::State& state) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("the X server does not answer");
        return;
    }
    Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    RRCrtc crtc = None;
    for (int o = 0; resources && o < resources->noutput && crtc == None; ++o) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[o]);
        if (output && std::string(output->name) == "DUMMY0") crtc = output->crtc;
        if (output) XRRFreeOutputInfo(output);
    }
    if (resources) XRRFreeScreenResources(resources);
    const int size = crtc != None ? XRRGetCrtcGammaSize(display, crtc) : 0;
    if (size <= 0) {
        state.SkipWithError("DUMMY0 has no CRTC with a gamma table");
        XCloseDisplay(display);
        return;
    }
    XRRCrtcGamma* tables[2] = {XRRAllocGamma(size), XRRAllocGamma(size)};
    const double gammas[2] = {1.8, 2.4};
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < size; ++i) {
            const auto v = static_cast<unsigned short>(
                std::lround(65535.0 * std::pow(i / double(size - 1), 1.0 / gammas[t])));
            tables[t]->red[i] = tables[t]->green[i] = tables[t]->blue[i] = v;
        }
    size_t n = 0;
    for (auto _ : state) {
        XRRSetCrtcGamma(display, crtc, tables[n++ & 1]);
        XSync(display, False);
    }
    XRRFreeGamma(tables[0]);
    XRRFreeGamma(tables[1]);
    XCloseDisplay(display);
}

void XrandrGamma(benchmark::State& state) {
    const std::vector<std::string> commands[2] = {
        {"/usr/bin/xrandr", "--output", "DUMMY0", "--gamma", "1.8:1.8:1.8"},
        {"/usr/bin/xrandr", "--output", "DUMMY0", "--gamma", "2.4:2.4:2.4"}};
    size_t n = 0;
    for (auto _ : state) {
        if (runTool(commands[n++ & 1]) != 0) {
            state.SkipWithError("xrandr failed");
            break;
        }
    }
}

void DispwinReset(benchmark::State& state) {
    if (access("/usr/bin/dispwin", X_OK) != 0) {
        state.SkipWithError("dispwin is not installed (argyll)");
        return;
    }
    for (auto _ : state) {
        if (runTool({"/usr/bin/dispwin", "-d", "1", "-c"}) != 0) {
            state.SkipWithError("dispwin failed");
            break;
        }
    }
}

BENCHMARK(VltSetDeviceGammaRamp)->MinTime(1.0)->UseRealTime();
BENCHMARK(FloorSetCrtcGamma)->MinTime(1.0)->UseRealTime();
BENCHMARK(XrandrGamma)->MinTime(2.0)->UseRealTime();
BENCHMARK(DispwinReset)->MinTime(2.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const spx::test::XServer& x = spx::test::XServer::instance();
    if (!x.skipReason().empty()) {
        std::printf("bench_ramp: no X server: %s\n", x.skipReason().c_str());
        return 0;
    }
    // A system root of its own, one monitor on the dummy driver.
    std::string root = (std::filesystem::temp_directory_path() / "spectrine-bench-ramp-XXXXXX").string();
    if (!mkdtemp(root.data())) return 1;
    setenv("SPECTRINE_ROOT", root.c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "x11", 1);
    setenv("DISPLAY", x.display().c_str(), 1);
    x.run("xrandr --output DUMMY0 --mode 1024x768 --pos 0x0 --primary --gamma 1:1:1");
    x.run("xrandr --query");

    spx::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double ours = reporter.ns("VltSetDeviceGammaRamp/min_time:1.000/real_time");
    const double floor = reporter.ns("FloorSetCrtcGamma/min_time:1.000/real_time");
    const double xrandr = reporter.ns("XrandrGamma/min_time:2.000/real_time");
    const double dispwin = reporter.ns("DispwinReset/min_time:2.000/real_time");
    std::printf("\nVLTSetDeviceGammaRamp %10.1f us per ramp\n", ours / 1000);
    if (ours > 0 && floor > 0)
        std::printf("floor (set + sync)    %10.1f us per ramp: VLTSetDeviceGammaRamp takes %.2fx "
                    "the floor (goal <= 2)\n",
                    floor / 1000, ours / floor);
    if (ours > 0 && xrandr > 0)
        std::printf("xrandr --gamma        %10.1f us per ramp: VLTSetDeviceGammaRamp %.1fx faster\n",
                    xrandr / 1000, xrandr / ours);
    if (ours > 0 && dispwin > 0)
        std::printf("dispwin -c            %10.1f us per ramp: VLTSetDeviceGammaRamp %.1fx faster\n",
                    dispwin / 1000, dispwin / ours);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return 0;
}
