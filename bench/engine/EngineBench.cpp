// Full counting runs through the engine over large scripted directories: the work queue, every
// node processed first in, first out, and every node deleted at the end.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "support/EngineFixture.h"

namespace vantor {
namespace {

constexpr std::uint32_t kObjectsPerContainer = 20;

// 50,000 containers on four levels (10, 100, 2,000 and 47,890) with 20 users each, 1,000,000
// in all, plus groups the filter must leave out. A third of the second level and a seventh of
// the third are partition roots.
MemoryDirectory& LargeTree() {
    static MemoryDirectory* const dir = [] {
        auto* d = new MemoryDirectory;
        d->SetSearchBatchSize(100);
        d->SetListBatchSize(100);
        const std::vector<std::size_t> levelSizes = {10, 100, 2'000, 47'890};
        std::vector<MemoryDirectory::EntryId> above{MemoryDirectory::kRoot};
        for (std::size_t level = 0; level < levelSizes.size(); ++level) {
            std::vector<MemoryDirectory::EntryId> current;
            for (std::size_t i = 0; i < levelSizes[level]; ++i) {
                std::string name = "L";
                name += std::to_string(level);
                name += '-';
                name += std::to_string(i);
                const auto id = d->AddContainer(above[i % above.size()], std::move(name));
                if ((level == 1 && i % 3 == 0) || (level == 2 && i % 7 == 0)) {
                    d->MarkPartitionRoot(id);
                }
                d->AddObjects(id, "User", kObjectsPerContainer);
                d->AddObjects(id, "Group", 3);
                current.push_back(id);
            }
            above = std::move(current);
        }
        return d;
    }();
    return *dir;
}

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void CountRun(benchmark::State& state, MemoryDirectory& dir, bool byPartition,
              long long expectedTotal) {
    std::size_t nodes = 0;
    for (auto _ : state) {
        test::EngineRun run(dir, "User", byPartition);
        run.Run();
        nodes = run.History().size();
        if (run.ShownTotal() != expectedTotal) {
            state.SkipWithError("the run counted a wrong total");
            break;
        }
    }
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["containers"] = static_cast<double>(dir.ContainerCount() - 1);
    state.counters["peak_rss_kb"] = static_cast<double>(PeakRssKb());
}

void BM_CountByContainer(benchmark::State& state) {
    MemoryDirectory& dir = LargeTree();
    CountRun(state, dir, false, (dir.ContainerCount() - 1) * kObjectsPerContainer);
}

void BM_CountByPartition(benchmark::State& state) {
    MemoryDirectory& dir = LargeTree();
    CountRun(state, dir, true, (dir.ContainerCount() - 1) * kObjectsPerContainer);
}

// One container of range(0) users searched ten at a time: memory must not follow the size.
void BM_CountOneContainer(benchmark::State& state) {
    MemoryDirectory dir;
    dir.SetSearchBatchSize(10);
    const auto objects = static_cast<std::uint32_t>(state.range(0));
    dir.AddObjects(dir.Path("big"), "User", objects);
    CountRun(state, dir, false, objects);
    state.counters["batches"] = static_cast<double>(objects / 10);
}

BENCHMARK(BM_CountByContainer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountByPartition)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountOneContainer)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantor

BENCHMARK_MAIN();
