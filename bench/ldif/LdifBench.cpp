// Loading a large LDIF export against the fastest look at the same file, counting its entries
// with grep. The file comes from make_big_ldif.py; its path is VANTOR_BENCH_LDIF.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "directory/ldif/LdifDirectory.h"

namespace {

std::string BenchFile() {
    const char* path = std::getenv("VANTOR_BENCH_LDIF");
    return path != nullptr ? path : "/tmp/vantor-bench-1000000.ldif";
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

void BM_LoadLdifFile(benchmark::State& state) {
    const std::string path = BenchFile();
    std::size_t containers = 0;
    for (auto _ : state) {
        vantor::LdifLoadResult result = vantor::LoadLdifFile(path);
        if (!result) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        containers = result.directory->ContainerCount();
    }
    state.counters["containers"] = static_cast<double>(containers);
}

BENCHMARK(BM_GrepCountDn)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadLdifFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
