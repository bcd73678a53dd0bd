// Sorts an INF file of 100 000 generated model lines (with duplicates differing in letter
// case) into the chain with the monorder program, and the same lines with `sort -f -u` into a
// file, alternately in the same run; prints the median times and their ratio.
//
// Usage: monorder_bench [lines] [runs]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Runs a program in `folder` with the C locale; returns its exit status.
int run(const fs::path& folder, const std::vector<std::string>& arguments) {
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        setenv("LC_ALL", "C", 1);
        if (!freopen("/dev/null", "w", stdout)) _exit(127);
        std::vector<char*> argv;
        for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double timedRun(const fs::path& folder, const std::vector<std::string>& arguments) {
    const auto start = std::chrono::steady_clock::now();
    const int status = run(folder, arguments);
    const auto end = std::chrono::steady_clock::now();
    if (status != 0) {
        std::fprintf(stderr, "%s failed with status %d\n", arguments[0].c_str(), status);
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<std::string> generateLines(size_t count) {
    static const char* makers[] = {"Acme", "Brightline", "Corvid", "Dalton", "Eastlake",
                                   "Fairview", "Glenmore", "Halden", "Ironbridge", "Juniper"};
    std::mt19937 random(20240501);
    std::vector<std::string> lines;
    lines.reserve(count);
    const size_t distinct = count - count / 6;  // one line in six repeats an earlier model
    char line[256];
    for (size_t i = 0; i < distinct; ++i) {
        const char* maker = makers[random() % 10];
        std::snprintf(line, sizeof line,
                      "%s %c%c-%05u=%s, %c%c-%05u, %u, %u, 1, 0.%04u, 0.%04u, 0.%04u, 0.%04u, "
                      "0.%04u, 0.%04u, 0.%02u",
                      maker, 'A' + static_cast<int>(random() % 26), 'A' + static_cast<int>(random() % 26),
                      static_cast<unsigned>(random() % 100000), maker, 'A', 'B',
                      static_cast<unsigned>(i), 1000 + static_cast<unsigned>(random() % 1500),
                      750 + static_cast<unsigned>(random() % 1000), 6000 + static_cast<unsigned>(random() % 900),
                      3000 + static_cast<unsigned>(random() % 500), 2000 + static_cast<unsigned>(random() % 1100),
                      5800 + static_cast<unsigned>(random() % 1300), 1450 + static_cast<unsigned>(random() % 100),
                      500 + static_cast<unsigned>(random() % 800), 20 + static_cast<unsigned>(random() % 10));
        lines.emplace_back(line);
    }
    while (lines.size() < count) {
        std::string copy = lines[random() % distinct];
        for (char& c : copy)
            if (random() % 2) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        lines.push_back(copy);
    }
    std::shuffle(lines.begin(), lines.end(), random);
    return lines;
}

// Distinct model lines of the chain in `folder` (the numbered files repeat one line each).
size_t chainModels(const fs::path& folder) {
    std::set<std::string> models;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("spectrine", 0) != 0) continue;
        std::ifstream in(entry.path());
        std::string line;
        bool inMonitors = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line[0] == '[')
                inMonitors = line == "[Monitors]";
            else if (inMonitors && line != " ")  // the blank line before the trailer
                models.insert(line);
        }
    }
    return models.size();
}

size_t countLines(const fs::path& file) {
    std::ifstream in(file);
    size_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 9;
    std::string templ = (fs::temp_directory_path() / "monorder-bench-XXXXXX").string();
    if (!mkdtemp(templ.data())) return 1;
    const fs::path folder = templ;

    const auto lines = generateLines(count);
    {
        std::ofstream inf(folder / "models.inf"), plain(folder / "lines.txt");
        inf << "[Version]\nSignature=$CHICAGO$\n\n[Monitors]\n";
        for (const auto& line : lines) {
            inf << line << '\n';
            plain << line << '\n';
        }
        inf << "\n[Strings]\nProvider=Bench\n";
    }

    std::vector<double> sorter, peer;
    for (int i = 0; i < runs; ++i) {
        sorter.push_back(timedRun(folder, {MONORDER_CLI, "models.inf"}));
        peer.push_back(timedRun(folder, {"sort", "-f", "-u", "lines.txt", "-o", "sorted.txt"}));
    }
    const size_t ours = chainModels(folder), theirs = countLines(folder / "sorted.txt");
    const double a = median(sorter), b = median(peer);
    std::printf("monorder bench: %zu model lines (%zu distinct ignoring case), %d runs each, "
                "median wall time\n",
                count, theirs, runs);
    std::printf("  monorder (sort + write chain):   %8.2f ms  (%zu models in the chain)\n", a, ours);
    std::printf("  sort -f -u (LC_ALL=C) to a file: %8.2f ms\n", b);
    std::printf("  ratio monorder / sort:           %8.2f  (goal: <= 2)\n", a / b);
    fs::remove_all(folder);
    return ours == theirs ? 0 : 2;
}
