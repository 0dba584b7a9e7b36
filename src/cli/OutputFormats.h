#pragma once
// The command-line counter's CSV, JSON and Prometheus outputs, read from the result tree. With
// --kind all (RunRecord::allKinds) each count and branch total is given per kind: CSV columns
// users, users_branch_total, ... in place of count and branch_total; JSON "counts",
// "branch_totals" and "totals" objects in place of "count", "branch_total" and "total";
// Prometheus samples per kind.

#include <string>

#include "cli/RunRecord.h"
#include "tree/CTextTreeCtrl.h"
#include "tree/TreeWalk.h"

namespace vantor {

// A header row and one row per result line, in preorder. A row's error_details holds its error
// lines, each followed by " -- " and its cause when there is one, separated by "; "; its filter
// the user's filter, empty when there was none; then the line's DN, the run's ISO 8601 timestamp,
// profile and program version.
std::string BuildCsv(const CTextTreeCtrl& tree, CTreeWalk& walk, const RunRecord& run);
// The result tree as nested objects, with error lines (their cause in "detail"), whether the
// run was cancelled, the user's filter (null when none), and the classes of an export that no rule
// counted ("not_counted"); each line's "dn" after its children, and after the lines the run's
// "timestamp" (ISO 8601), "profile" and "version".
std::string BuildJson(const CTextTreeCtrl& tree, CTreeWalk& walk, const RunRecord& run);
// node_exporter's text-file format: per result line a gauge of its count and one of its branch
// total, labelled with the line's DN and full name; then the whole count, the failed calls,
// whether the run was cancelled, and an info gauge naming mode, profile, filter and version.
// Every sample carries the directory and the kind.
std::string BuildPrometheus(const CTextTreeCtrl& tree, CTreeWalk& walk, const RunRecord& run);

}  // namespace vantor
