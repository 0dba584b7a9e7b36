// Writing the text report of a large result tree: the walk, the branch totals of every line
// and the file, as Save and vantor-count do it.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "report/SaveFile.h"
#include "report/TextReport.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"

namespace vantor {
namespace {

HTREEITEM AddLine(CCountTreeCtrl& tree, HTREEITEM parent, const std::string& name, int count) {
    const std::string text = name + " " + std::to_string(count);
    TVINSERTSTRUCT record;
    record.hParent = parent;
    record.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    record.item.pszText = text.c_str();
    record.item.lParam = count;
    return tree.InsertItem(&record);
}

// A tree of lines shaped like a count by container: 50 regions of 10 sites of 100 units.
void BuildTree(CCountTreeCtrl& tree, int lines) {
    const HTREEITEM root = AddLine(tree, 0, "[Root]", 3);
    int made = 1;
    for (int region = 0; made < lines; ++region) {
        const HTREEITEM r = AddLine(tree, root, "Region " + std::to_string(region), 7);
        ++made;
        for (int site = 0; site < 10 && made < lines; ++site) {
            const HTREEITEM s = AddLine(tree, r, "Site " + std::to_string(site), 11);
            ++made;
            for (int unit = 0; unit < 100 && made < lines; ++unit, ++made) {
                AddLine(tree, s, "Unit & Team " + std::to_string(unit), unit);
            }
        }
    }
}

void BM_WriteReport(benchmark::State& state) {
    CCountTreeCtrl tree;
    BuildTree(tree, static_cast<int>(state.range(0)));
    CTreeWalk walk(tree);
    const std::string path = "/tmp/vantor-bench-report-" + std::to_string(::getpid()) + ".txt";
    for (auto _ : state) {
        const std::string report = BuildTextReport(tree, walk, 0, "December 07, 2026 9:30 AM");
        if (auto error = SaveFileReplacing(path, report)) {
            state.SkipWithError(error->c_str());
            break;
        }
        benchmark::DoNotOptimize(report.size());
    }
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteReport)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantor

BENCHMARK_MAIN();
