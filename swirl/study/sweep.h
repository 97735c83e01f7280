// A parameter sweep: the cases of a Cartesian product of grids over a
// program's inputs, computed in memory on several threads and written as
// CSV rows in case order.
//
// Every value of a grid is first held as its field holds it (hold(): written
// by the report's edit, read back by the program's rule), so that a row is
// what the program computes for the data file with that value typed in; the
// row shows the value as it is then held.  A grid value is held once, not
// once per case: a grid of up to kTabulatedValues values is held when the
// sweep is set up, a longer one is checked then and held as its cases come
// (a table would cost memory in proportion to the grid, and checking a real
// input's long grid takes its bounds only).
//
// The table (RFC 4180, UTF-8, rows ending CR LF):
//   header   every input name, every scalar result name, status, reason,
//            messages, every verdict name
//   row      the inputs of the case (the integer of an integer input, the
//            shortest decimal that reads back to the float of a real one),
//            the results (empty cells when the case is invalid or its path
//            did not compute the result), "ok" or "invalid", the exit-3 line
//            of the run (empty when ok), the console lines of the case joined
//            by " | ", and the program's words of each verdict the case
//            reaches (empty when it does not); texts in UTF-8.
//
//   swirl::Sweep sweep(calc, base_inputs, grids, swirl::parse_shard("2/4"));
//   std::string text;
//   sweep.append_header(text);
//   sweep.run(0, [&](std::string_view rows) { text += rows; });
//
// A sweep over a case list (case_list.h) writes the same table, one row a
// row of the list, in the list's order.
//
// run() streams: a worker formats its rows into a buffer of its own with one
// reusable Outcome, and the blocks of rows reach `emit` in case order on the
// caller's thread, a bounded number of them in memory at a time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "swirl/core/grid.h"
#include "swirl/model/model.h"
#include "swirl/study/case_list.h"
#include "swirl/study/cases.h"

namespace swirl {

class Sweep {
public:
    // Grids longer than this are not tabulated (see above).
    static constexpr std::int64_t kTabulatedValues = std::int64_t{1} << 16;

    // `base` holds every input as the data file holds it (Calculator::read).
    // UsageError: no grid, a name that is not an input of the program (in
    // any case), an input varied twice, a grid value its field cannot hold,
    // more than 2^62 cases.
    Sweep(const Calculator& calc, std::span<const Value> base, std::span<const Grid> grids, Shard shard = {});
    // The rows of a case list (read by read_case_list for this program).
    Sweep(const Calculator& calc, std::span<const Value> base, CaseList cases, Shard shard = {});

    const Calculator& program() const { return table_.program(); }
    std::int64_t total() const { return table_.total(); }  // the cases of the whole product
    CaseRange cases() const { return table_.cases(); }     // those of this shard

    // The header row.
    void append_header(std::string& out) const { table_.append_header(out); }

    // Computes the cases of the shard with `jobs` threads (0: one per core)
    // and hands their rows to `emit` in case order, in blocks of whole rows.
    // `progress`, when given, is called on the caller's thread after each
    // block with the number of cases done.  An exception of `emit` ends the
    // run and is rethrown.  `cancel`, when given, is polled before each case
    // and each block: once it holds true no case starts and no row goes out,
    // and run() returns early.  Returns the cases whose rows went to `emit`
    // (those of the shard unless cancelled), always a whole number of blocks
    // from the first case.
    using Emit = CaseTable::Emit;
    using Progress = CaseTable::Progress;
    std::int64_t run(unsigned jobs, const Emit& emit, const Progress& progress = {},
                     const std::atomic<bool>* cancel = nullptr) const {
        return table_.run(jobs, emit, progress, cancel);
    }

    // The inputs of case `index` (0 <= index < total()) as the program gets
    // them.
    std::vector<Value> inputs_of(std::int64_t index) const { return table_.inputs_of(index); }

    // The grids (none for a case list) and the table under the sweep.
    const std::vector<Grid>& grids() const { return grids_; }
    const CaseTable& table() const { return table_; }

    // What makes two sweeps the same study, for a shard's manifest
    // (swirl/study/manifest.h): ("program", its name), ("input NAME", the
    // CSV text of the value FILE holds) for every input, and ("vary K",
    // "NAME=FROM:TO:COUNT[:log]") for each grid in order, the name as the
    // program spells it and the bounds as the shortest decimals of the
    // doubles they are; of a case list ("cases", its column names) and
    // ("case rows", their count and the SHA-256 of their values' texts).
    // The shard is not part of it.
    std::vector<std::pair<std::string, std::string>> identity() const;

private:
    std::vector<Grid> grids_;
    std::vector<std::pair<std::string, std::string>> list_identity_;  // of a case list
    CaseTable table_;
};

}  // namespace swirl
