// Loading and counting a large LDIF export against the fastest look at the same file, counting
// its entries with grep, in one run; and the peak memory of the process. The file comes from
// make_big_ldif.py; its path is VANTOR_BENCH_LDIF. run_ldif_bench.sh runs it on two shapes.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "directory/ldif/LdifDirectory.h"
#include "run/CountRun.h"
#include "support/QuietHost.h"
#include "tree/CTextTreeCtrl.h"

namespace {

std::string BenchFile() {
    const char* path = std::getenv("VANTOR_BENCH_LDIF");
    return path != nullptr ? path : "/tmp/vantor-bench-1000000.ldif";
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_GrepCountDn(benchmark::State& state) {
    const std::string command = "grep -c '^dn:' '" + BenchFile() + "'";
    long long entries = 0;
    for (auto _ : state) {
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr || std::fscanf(pipe, "%lld", &entries) != 1) {
            state.SkipWithError("grep failed");
        }
        if (pipe != nullptr) {
            pclose(pipe);
        }
    }
    state.counters["entries"] = static_cast<double>(entries);
}

void BM_LoadAndCount(benchmark::State& state) {
    const std::string path = BenchFile();
    std::size_t containers = 0;
    std::int32_t users = 0;
    for (auto _ : state) {
        vantor::LdifLoadResult result = vantor::LoadLdifFile(path);
        if (!result) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        containers = result.directory->ContainerCount() - 1;
        vantor::CTextTreeCtrl tree;
        vantor::test::QuietHost host;  // users, by partition
        vantor::RunCount(*result.directory, tree, host, false);
        users = host.total;
    }
    state.counters["containers"] = static_cast<double>(containers);
    state.counters["users"] = users;
    state.counters["peak_MB"] = PeakMegabytes();
}

BENCHMARK(BM_GrepCountDn)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadAndCount)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
