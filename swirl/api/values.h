// What a front end does with an open data file: values set by name as their
// fields hold them, the new bytes written back through FIXREC's replacement
// file, and the program's computation on the inputs into an outcome.
//
//   swirl::DataFile file = swirl::open_data_file("BILM.DAT");
//   const auto changes = swirl::parse_assignments(*file.calc, {"Q=0.002"});
//   swirl::write_back(file, swirl::set_values(file, changes));
//   const calculators::Outcome out = swirl::compute(file);  // results, console, status, exit-3 line
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "swirl/api/data_file.h"
#include "swirl/model/edits.h"

namespace swirl {

// The bytes of `file` with each assignment's field written (assign(): every
// other byte kept, every other input reading as before).  Failure with exit
// 2 when the input section does not read (DataFile::unreadable), or when a
// finding would send the values to other inputs than those named
// (blocks_writing): "PATH: MESSAGE; nothing written".
std::string set_values(const DataFile& file, std::span<const Assignment> assignments);

// `bytes` become the content of the file at file.path, whole or not at all
// (fixrec::ReplacementFile: signals held until commit, owner and mode kept,
// links followed); nothing is written when they are the bytes it holds.
// Failure with exit 1 "PATH is as it was: why".
void write_back(const DataFile& file, std::string_view bytes);

// The program's computation on the file's inputs (Failure exit 2 when they
// do not read): results and which of them the run's path computed, the
// verdicts, the console lines, validity and the exit-3 line; the profile
// tables (ZARN1) when `profiles`.
calculators::Outcome compute(const DataFile& file, bool profiles = false);

// Exit 3: "PATH: the inputs make the computation of BILM invalid".
Failure computation_invalid(const DataFile& file);

}  // namespace swirl
