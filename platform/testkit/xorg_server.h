// A real X server for the tests of the X11 display: Xorg with the dummy video driver, started
// once per test program with the configuration kept beside the platform tests
// (platform/tests/xorg/dummy.conf: outputs DUMMY0 to DUMMY15, each with a CRTC with gamma).
// Tests set the outputs they need with xrandr and read ramps back with ArgyllCMS dispwin.
// Header only, so a module's tests use it without linking anything more.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <fstream>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

namespace spx::test {

inline std::string findProgram(const std::vector<std::string>& candidates) {
    for (const auto& c : candidates)
        if (access(c.c_str(), X_OK) == 0) return c;
    return {};
}

// The last `count` lines of a text file.
inline std::string lastLines(const std::string& path, size_t count) {
    std::ifstream in(path);
    std::string line, last;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    for (size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i)
        last += lines[i] + "\n";
    return last;
}

// One X server for the test program; every test sets the outputs it needs. When the server
// cannot run here, skipReason() says why (tests skip with it).
class XServer {
public:
    static XServer& instance() {
        static XServer server;
        return server;
    }
    ~XServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& skipReason() const { return skipReason_; }
    const std::string& display() const { return display_; }  // ":n"
    const std::string& dir() const { return dir_; }

    // Runs an X client program against the server; its exit code. Output goes to clients.log.
    int run(const std::string& command) const {
        std::string line = "DISPLAY=" + display_ + " " + command + " >>" + dir_ + "/clients.log 2>&1";
        return std::system(line.c_str());
    }

    // The ramp dispwin reads from display `number` (from 1), saved to `file`: 768 values in
    // 0..1, red, green then blue; empty when dispwin fails.
    std::vector<double> dispwinRamp(int number, const std::string& file) const {
        if (run("dispwin -d " + std::to_string(number) + " -s " + file) != 0) return {};
        std::ifstream in(file);
        std::string line;
        std::vector<double> red, green, blue;
        bool data = false;
        while (std::getline(in, line)) {
            if (line.rfind("BEGIN_DATA", 0) == 0 && line.rfind("BEGIN_DATA_FORMAT", 0) != 0) {
                data = true;
                continue;
            }
            if (line.rfind("END_DATA", 0) == 0) data = false;
            if (!data) continue;
            std::istringstream fields(line);
            fields.imbue(std::locale::classic());
            double i, r, g, b;
            if (fields >> i >> r >> g >> b) red.push_back(r), green.push_back(g), blue.push_back(b);
        }
        std::vector<double> all = red;
        all.insert(all.end(), green.begin(), green.end());
        all.insert(all.end(), blue.begin(), blue.end());
        return all;
    }

private:
    XServer() {
        namespace fs = std::filesystem;
        std::string xorg = findProgram({"/usr/lib/xorg/Xorg", "/usr/bin/Xorg"});
        if (xorg.empty()) {
            skipReason_ = "Xorg is not installed (xserver-xorg-core)";
            return;
        }
        if (access("/usr/lib/xorg/modules/drivers/dummy_drv.so", R_OK) != 0) {
            skipReason_ = "the dummy video driver is not installed (xserver-xorg-video-dummy)";
            return;
        }
        if (findProgram({"/usr/bin/xrandr"}).empty()) {
            skipReason_ = "xrandr is not installed (x11-xserver-utils)";
            return;
        }
        std::string config = XORG_DUMMY_CONF;
        if (access(config.c_str(), R_OK) != 0) {
            skipReason_ = "the server configuration " + config + " is missing";
            return;
        }
        std::string templ = (fs::temp_directory_path() / "spectrine-xorg-XXXXXX").string();
        if (!mkdtemp(templ.data())) {
            skipReason_ = "no temporary folder for the X server";
            return;
        }
        dir_ = templ;
        fs::create_directories(dir_ + "/conf.d");
        // The server takes the first free display number and writes it to a pipe when it
        // accepts connections, so test programs running side by side never collide.
        int ready[2];
        if (pipe(ready) != 0) {
            skipReason_ = "no pipe for the X server";
            return;
        }
        std::string log = dir_ + "/Xorg.log";
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            int fd = open((dir_ + "/Xorg.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
            }
            // The server ends with the test program, even when that one dies.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            setsid();
            std::string displayFd = std::to_string(ready[1]);
            execl(xorg.c_str(), xorg.c_str(), "-displayfd", displayFd.c_str(), "-config",
                  config.c_str(), "-configdir", (dir_ + "/conf.d").c_str(), "-noreset",
                  "-nolisten", "tcp", "-logfile", log.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        std::string number;
        pollfd wait{ready[0], POLLIN, 0};
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline && number.find('\n') == std::string::npos) {
            if (poll(&wait, 1, 200) <= 0) continue;
            char buffer[16];
            ssize_t n = read(ready[0], buffer, sizeof buffer);
            if (n <= 0) break;  // the server ended without a display
            number.append(buffer, static_cast<size_t>(n));
        }
        close(ready[0]);
        if (number.find('\n') == std::string::npos) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
            skipReason_ = "Xorg could not start here: " + lastLines(dir_ + "/Xorg.out", 8) +
                          lastLines(log, 8);
            return;
        }
        display_ = ":" + number.substr(0, number.find('\n'));
        if (run("xrandr --query") == 0) return;
        skipReason_ = "Xorg on " + display_ + " does not answer: " + lastLines(log, 8);
    }

    pid_t pid_ = -1;
    std::string display_;
    std::string dir_;
    std::string skipReason_;
};

// Points this process at the test X server ($DISPLAY, and the x11 display backend) for the
// life of the object; $DISPLAY is restored afterwards (the fixture restores the backend choice).
class XServerDisplayScope {
public:
    explicit XServerDisplayScope(const XServer& server) {
        if (const char* d = std::getenv("DISPLAY")) saved_ = d, hadDisplay_ = true;
        setenv("DISPLAY", server.display().c_str(), 1);
        setenv("SPECTRINE_DISPLAY", "x11", 1);
    }
    ~XServerDisplayScope() {
        if (hadDisplay_)
            setenv("DISPLAY", saved_.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    XServerDisplayScope(const XServerDisplayScope&) = delete;
    XServerDisplayScope& operator=(const XServerDisplayScope&) = delete;

private:
    std::string saved_;
    bool hadDisplay_ = false;
};

}  // namespace spx::test
