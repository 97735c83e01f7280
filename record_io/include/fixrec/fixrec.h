// FIXREC: fixed-column record I/O for the data files of the calculators.
//
// A calculator names its data file by a unit number, reads its input section
// with formatted input statements, and writes its report back into the same
// file with formatted output statements.  The record layout is the one of
// Fortran-style formats: "(38X,E12.5)" reads columns 39-50 of a line,
// "(2X,'LABEL',E12.5,'(м)')" writes a labelled value line.  Texts are code page
// 866 bytes; records in files end with CR LF.
//
// Failures of opening and reading come back as statuses.  A failure while
// writing the report cannot be recovered: the statement throws fixrec::Fatal,
// which run_main() turns into a "run-time error" diagnostic and exit code 1.
// The report replaces the data file as a whole or not at all, also when the
// file-size limit is reached or an interrupt arrives while it is written.
//
// The smaller headers included here:
//   fixrec/status.h          Status, RunTimeError, Fatal
//   fixrec/items.h           Item, Dest, Verbatim, each_char
//   fixrec/format.h          FormatView, Format (parsed at run time), the parser
//   fixrec/format_literal.h  the _fmt literal (parsed at compile time)
//   fixrec/cp866.h           the _cp literal, append_utf8
//   fixrec/console.h         ConsoleDevice, utf8_locale
//   fixrec/render.h          render_record and friends: the bytes without a unit
//   fixrec/replacement_file.h  ReplacementFile, replace_file: any file replaced whole
//   fixrec/posix.h           (not included here) the system calls and their fault plan
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fixrec/console.h"
#include "fixrec/cp866.h"
#include "fixrec/format.h"
#include "fixrec/format_literal.h"
#include "fixrec/items.h"
#include "fixrec/render.h"
#include "fixrec/replacement_file.h"
#include "fixrec/status.h"

namespace fixrec {

// ---------------------------------------------------------------------------
// Units.

constexpr int kConsoleUnit = -1;  // the unit written `*` in the programs

// Connects `unit` to the existing file `name` (leading and trailing blanks are
// not part of it).  Tries read-write, then read only, then write only; never
// creates the file and never prints anything.  Connecting a unit to the file
// it is already connected to changes nothing.
[[nodiscard]] Status open_old(int unit, std::string_view name);

// Connects `unit` to bytes in memory for reading: input statements read
// records from `bytes` exactly as from a file with that content.  The bytes
// must outlive the connection.  An output statement on the unit fails as on
// a file that can only be read.
[[nodiscard]] Status open_memory(int unit, std::string_view bytes);

// Connects `unit` to `report` for writing: output statements append their
// records to it (CR LF ends), exactly the bytes a file would get, and
// close_unit completes it.  A report dropped after a Fatal leaves `report` as
// it was.  Input statements find no record.  `report` must outlive the
// connection.
[[nodiscard]] Status open_memory_output(int unit, std::string& report);

// Disconnects `unit`, completing a report written on it.  Closing a unit
// that is not connected does nothing.
void close_unit(int unit);

// ---------------------------------------------------------------------------
// Statements.

// One formatted input statement: reads the next record of `unit` into `dests`.
[[nodiscard]] Status read_fields(int unit, FormatView format, std::span<const Dest> dests);
[[nodiscard]] Status read_fields(int unit, FormatView format, std::initializer_list<Dest> dests);

// One formatted output statement on `unit`.  The first output statement after
// a connection starts the report (the file is cut at the current position).
// `unit` may be kConsoleUnit for a formatted console statement.
void write_line(int unit, FormatView format, std::span<const Item> items);
void write_line(int unit, FormatView format, std::initializer_list<Item> items = {});

// One list-directed output statement on the console.
void write_console(std::initializer_list<Item> items);
void write_console(std::span<const Item> items);

// ---------------------------------------------------------------------------
// The run: console, command line, and the end of the run.

// Starts a run: every unit disconnected, the console fresh, `args` the
// command-line arguments after the program name.  `console` (not owned) may
// be null for the standard streams, whose encoding is chosen here: each
// stream is checked for a terminal once per run.
void begin_run(std::vector<std::string> args, ConsoleDevice* console = nullptr);

// Ends a run normally: closes every connected unit and ends the console line.
// A failure while closing throws Fatal.
void end_run();

// Ends a run after a Fatal: drops every pending report without touching the
// data files, writes the diagnostic, ends the console line.
void abort_run(const Fatal& failure);

// The whole life of a program: begin_run, body, end_run; a Fatal anywhere
// becomes its diagnostic and exit code.  Returns the exit code.
int run_main(int argc, char** argv, int (*body)());

// Same, with explicit arguments and console (for in-process runs).
int run_with(std::vector<std::string> args, ConsoleDevice* console, int (*body)());

}  // namespace fixrec
