// Store read and write of a short REG_SZ against the same operations done directly on SQLite
// with prepared statements (same journal mode and sync level). Prints the ratios at the end.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "ratio_reporter.h"
#include "vltutil.h"
#include "winplat.h"

namespace {

std::string makeRoot() {
    std::string templ = (std::filesystem::temp_directory_path() / "spectrine-bench-XXXXXX").string();
    if (!mkdtemp(templ.data())) std::abort();
    return templ;
}

const std::string& benchRoot() {
    static std::string root = [] {
        std::string r = makeRoot();
        setenv("SPECTRINE_ROOT", r.c_str(), 1);
        WinplatResetProcessState();
        return r;
    }();
    return root;
}

const char kText[] = "PnP VESA DDC - Plug and Play Monitor";

void StoreRead(benchmark::State& state) {
    benchRoot();
    WriteSpectrineRegString("Settings", "Monitor", kText);
    char buf[128];
    for (auto _ : state) {
        DWORD type = 0, size = sizeof buf;
        if (GetSpectrineRegValue("Settings", "Monitor", &type, reinterpret_cast<BYTE*>(buf), &size) != 0)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buf);
    }
}

void StoreWrite(benchmark::State& state) {
    benchRoot();
    for (auto _ : state) {
        if (WriteSpectrineRegValue("Settings", "Monitor", REG_SZ, reinterpret_cast<const BYTE*>(kText),
                                   sizeof kText) != 0)
            state.SkipWithError("write failed");
    }
}

// The peer: one table of values keyed by (key id, name), as a store of its own would use,
// with each value's last write time (a registry keeps one, so every write changes the row).
struct RawDb {
    sqlite3* db = nullptr;
    sqlite3_stmt* read = nullptr;
    sqlite3_stmt* write = nullptr;
    RawDb() {
        std::string path = benchRoot() + "/raw.db";
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                     "CREATE TABLE IF NOT EXISTS vals(id INTEGER PRIMARY KEY, key INTEGER, name TEXT COLLATE NOCASE,"
                     " type INTEGER, data BLOB, written INTEGER, UNIQUE(key, name));",
                     nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db, "SELECT type, data FROM vals WHERE key=?1 AND name=?2", -1, &read, nullptr);
        sqlite3_prepare_v2(db,
                           "INSERT INTO vals(key, name, type, data, written) VALUES(?1, ?2, ?3, ?4, ?5) "
                           "ON CONFLICT(key, name) DO UPDATE SET type=excluded.type, data=excluded.data, "
                           "written=excluded.written",
                           -1, &write, nullptr);
    }
    ~RawDb() {
        sqlite3_finalize(read);
        sqlite3_finalize(write);
        sqlite3_close(db);
    }
    int put() {
        sqlite3_bind_int64(write, 1, 42);
        sqlite3_bind_text(write, 2, "Monitor", -1, SQLITE_STATIC);
        sqlite3_bind_int(write, 3, 1);
        sqlite3_bind_blob(write, 4, kText, sizeof kText, SQLITE_STATIC);
        sqlite3_bind_int64(write, 5, std::chrono::system_clock::now().time_since_epoch().count());
        int rc = sqlite3_step(write);
        sqlite3_reset(write);
        return rc;
    }
};

void RawSqliteRead(benchmark::State& state) {
    RawDb raw;
    raw.put();
    char buf[128];
    for (auto _ : state) {
        sqlite3_bind_int64(raw.read, 1, 42);
        sqlite3_bind_text(raw.read, 2, "Monitor", -1, SQLITE_STATIC);
        if (sqlite3_step(raw.read) == SQLITE_ROW) {
            int n = sqlite3_column_bytes(raw.read, 1);
            std::memcpy(buf, sqlite3_column_blob(raw.read, 1), n < 128 ? n : 128);
        } else {
            state.SkipWithError("raw read failed");
        }
        sqlite3_reset(raw.read);
        benchmark::DoNotOptimize(buf);
    }
}

void RawSqliteWrite(benchmark::State& state) {
    RawDb raw;
    for (auto _ : state)
        if (raw.put() != SQLITE_DONE) state.SkipWithError("raw write failed");
}

BENCHMARK(StoreRead)->MinTime(1.0);
BENCHMARK(RawSqliteRead)->MinTime(1.0);
BENCHMARK(StoreWrite)->MinTime(1.0);
BENCHMARK(RawSqliteWrite)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    spx::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* ours, const char* peer) {
        const double a = reporter.ns(ours), b = reporter.ns(peer);
        if (a <= 0 || b <= 0) return;
        std::printf("%-10s %10.0f ns vs raw SQLite %10.0f ns: ratio %.2f\n", ours, a, b, a / b);
    };
    std::printf("\n");
    ratio("StoreRead/min_time:1.000", "RawSqliteRead/min_time:1.000");
    ratio("StoreWrite/min_time:1.000", "RawSqliteWrite/min_time:1.000");
    std::filesystem::remove_all(benchRoot());
    return 0;
}
