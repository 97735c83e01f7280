// The state a run shares between the parts of FIXREC: the unit table and
// the console's position.  Nothing here allocates once a run is under way:
// connections are slots of a fixed table, names are kept in place, and the
// scratch strings only grow to the longest record seen.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fixrec/console.h"
#include "fixrec/format.h"
#include "fixrec/items.h"
#include "path_name.h"
#include "replacement.h"

namespace fixrec::detail {

inline constexpr std::size_t kBufferSize = 1024;
// Units connected at the same time.  The calculators use one.
inline constexpr std::size_t kMaxUnits = 16;
// The unit number of a free slot, and of a connection outside the table
// (replace_file).
inline constexpr int kNoUnit = INT32_MIN;

enum class Access : std::uint8_t { ReadWrite, ReadOnly, WriteOnly };

enum class Medium : std::uint8_t {
    File,          // an existing file (open_old)
    NewFile,       // the implicit connection: created when the report is complete
    MemoryInput,   // open_memory: records read from bytes in memory
    MemoryOutput,  // open_memory_output: the report appended to a string
};

struct Connection {
    int unit = kNoUnit;
    std::uint64_t serial = 0;  // order of connection: the end of a run closes in this order
    Medium medium = Medium::File;
    Access access = Access::ReadWrite;
    PathName name;  // leading and trailing blanks removed; empty for memory units
    int fd = -1;    // the file as opened; -1 for a new file and for memory units

    // Reading: window[pos..window_len) are unread; window[0] is byte
    // window_offset of the file.  The window is `buf` for a file, the whole
    // content for a memory unit.
    const char* window = nullptr;
    std::size_t window_len = 0;
    std::size_t pos = 0;
    off_t window_offset = 0;

    // Writing: buf[0..out_len) is report text not yet passed on.
    bool write_mode = false;
    std::size_t out_len = 0;
    std::string* memory_out = nullptr;  // MemoryOutput
    Report report;

    char buf[kBufferSize]{};

    bool connected() const { return unit != kNoUnit; }
    off_t position() const { return window_offset + static_cast<off_t>(pos); }
};

// Bytes [begin, end) of a console record that came from a Verbatim item.
struct ByteRange {
    std::size_t begin;
    std::size_t end;
};

struct Runtime {
    std::array<Connection, kMaxUnits> units{};
    std::uint64_t next_serial = 1;

    // The command line, for the implicit connection.
    std::vector<std::string> args;
    std::size_t next_arg = 0;

    // The console: the device (null: the standard streams) and where its
    // cursor is.
    ConsoleDevice* console = nullptr;
    long console_records = 0;
    bool console_line_open = false;  // the cursor is after record text
    bool console_used = false;       // a record or a prompt was sent

    // Storage reused by every statement.
    std::string console_record;
    std::vector<ByteRange> console_verbatim;
    std::string console_out;
    std::string input_record;  // a record that spans refills of the buffer

    // Interrupts held while reports are written.
    int reports_holding_signals = 0;
    sigset_t mask_before_hold{};
};

Runtime& runtime();

// The unit table.
Connection* find_unit(int unit);
// A free slot, marked as connected to `unit`; null when the table is full.
Connection* claim_slot(int unit);
// Closes the file and frees the slot (no report is finished or dropped).
void disconnect(Connection& c) noexcept;
// Drops the unit's report, if any, and disconnects it.
void discard_unit(Connection& c) noexcept;
// "unit N, file NAME" for diagnostics.
std::string describe(const Connection& c);

// The implicit connection of an output statement on a unit that is not
// connected: a new file named by the next command-line argument or at the
// prompt.  Throws Fatal when no name or no slot can be had.
Connection& connect_implicitly(int unit);

std::string_view trim_blanks(std::string_view s);

// The console (console.cpp).
ConsoleDevice& console_device();
// A new run's console: `device` (null: the standard streams), cursor at the start.
void console_begin_run(ConsoleDevice* device);
// After the last console output of a run: one CR LF ends its line.
void console_end_line();
// A formatted console statement.
void console_statement(const FormatView& format, std::span<const Item> items);
// Asks for a file name at the prompt until a non-blank one is given; throws
// Fatal at the end of the console input.
std::string ask_file_name(int unit);
// "File NAME already exists and was kept" on a line of its own.
void say_name_kept(std::string_view name);

}  // namespace fixrec::detail
