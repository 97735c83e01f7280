// Record input: the next record of a unit, and the formatted input statement.
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "fixrec/edit_input.h"
#include "fixrec/fixrec.h"
#include "fixrec/posix.h"
#include "runtime.h"

namespace fixrec {

namespace detail {

namespace {

// The next 1024 bytes of a file into the window.  A memory unit's window is
// its whole content: it has no more.
bool refill(Connection& c) {
    c.window_offset += static_cast<off_t>(c.window_len);
    c.pos = c.window_len = 0;
    if (c.medium != Medium::File || c.fd < 0) return false;
    const ssize_t k = posix::read(c.fd, c.buf, kBufferSize);
    if (k <= 0) return false;
    c.window = c.buf;
    c.window_len = static_cast<std::size_t>(k);
    return true;
}

// Reads the next record up to and including its LF; `rec` views at most
// `keep` characters of its usable text (which a CR or the LF ends): in the
// window itself when the whole record is there, else copied into `store`.
// The view lasts until the next read from the unit.  False when the unit has
// no further byte; a last record without LF is a record all the same.
bool next_record(Connection& c, std::string& store, std::size_t keep, std::string_view& rec) {
    if (c.pos < c.window_len) {
        const char* start = c.window + c.pos;
        const std::size_t avail = c.window_len - c.pos;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
        if (lf != nullptr) {
            const auto seg = static_cast<std::size_t>(lf - start);
            const std::size_t look = std::min(seg, keep);
            const auto* cr = static_cast<const char*>(std::memchr(start, '\r', look));
            rec = std::string_view(start, cr != nullptr ? static_cast<std::size_t>(cr - start) : look);
            c.pos += seg + 1;
            return true;
        }
    }
    // The record continues beyond the window.
    store.clear();
    rec = {};
    bool any = false;
    bool text_done = false;
    while (true) {
        if (c.pos == c.window_len && !refill(c)) return any;
        any = true;
        const char* start = c.window + c.pos;
        const std::size_t avail = c.window_len - c.pos;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
        const std::size_t seg = lf != nullptr ? static_cast<std::size_t>(lf - start) : avail;
        if (!text_done) {
            const auto* cr = static_cast<const char*>(std::memchr(start, '\r', seg));
            const std::size_t usable = cr != nullptr ? static_cast<std::size_t>(cr - start) : seg;
            const std::size_t room = keep > store.size() ? keep - store.size() : 0;
            store.append(start, std::min(usable, room));
            if (cr != nullptr) text_done = true;
        }
        rec = store;
        c.pos += seg;
        if (lf != nullptr) {
            ++c.pos;
            return true;
        }
    }
}

Status to_status(InputStatus s) {
    if (s == InputStatus::Ok) return Status::Ok;
    if (s == InputStatus::EndOfFile) return Status::EndOfFile;
    if (s == InputStatus::RealOverflow) return Status::RealOverflow;
    return Status::BadField;
}

// One input record walked with the format: the current record and column.
struct Cursor {
    std::string_view rec;
    std::size_t col = 0;
    // n columns on, never past the end of the record.
    void advance(std::size_t n) { col = std::min(col + n, rec.size()); }
};

// An A field, or any field read into characters.
void read_text(Cursor& at, const Descriptor& d, const Dest& dest) {
    const std::size_t len = dest.length();
    const std::size_t aw = d.w == 0 ? len : static_cast<std::size_t>(d.w);
    if (aw >= len) at.advance(aw - len);
    const std::size_t take = std::min({aw, len, at.rec.size() - at.col});
    std::memcpy(dest.text(), at.rec.data() + at.col, take);
    std::memset(dest.text() + take, ' ', len - take);
    at.advance(std::min(aw, len));
}

// A run of A1 fields into single characters, as "(80A1)" reads a line: one
// character each, blanks after the end of the record.  Takes at most `run`
// fields, and stops at a destination that is not one character; returns
// how many it took (at least one).
std::size_t read_char_run(Cursor& at, std::size_t run, std::span<const Dest> dests) {
    const std::size_t n = std::min(run, dests.size());
    const std::size_t have = std::min(n, at.rec.size() - at.col);
    const char* src = at.rec.data() + at.col;
    std::size_t j = 0;
    for (; j < have && dests[j].single_char(); ++j) *dests[j].text() = src[j];
    at.col += j;
    if (j == have)
        for (; j < n && dests[j].single_char(); ++j) *dests[j].text() = ' ';
    return j;
}

// A numeric field: up to w characters, ended early by the end of the
// record or by a comma (which is consumed).
Status read_number(Cursor& at, const Descriptor& d, const Dest& dest) {
    const std::size_t avail = std::min(static_cast<std::size_t>(d.w), at.rec.size() - at.col);
    const char* start = at.rec.data() + at.col;
    const auto* comma = static_cast<const char*>(std::memchr(start, ',', avail));
    const std::size_t flen = comma != nullptr ? static_cast<std::size_t>(comma - start) : avail;
    const std::string_view field(start, flen);
    at.advance(comma != nullptr ? flen + 1 : flen);
    InputStatus s;
    if (dest.kind() == Dest::Kind::Real) {
        float v = 0.0f;
        s = read_real(field, d.kind == DescKind::I ? 0 : d.d, v);
        if (s == InputStatus::Ok) *dest.real() = v;
    } else {
        std::int32_t v = 0;
        s = read_integer(field, v);
        if (s == InputStatus::Ok) *dest.integer() = v;
    }
    return to_status(s);
}

Status input_statement(Connection& c, const FormatView& f, std::span<const Dest> dests) {
    if (!dests.empty() && f.data_count() == 0)
        throw std::invalid_argument("format without data descriptors: " + std::string(f.source()));
    std::string& store = runtime().input_record;
    const std::size_t keep = f.input_extent();
    Cursor at;
    if (!next_record(c, store, keep, at.rec)) return Status::EndOfFile;
    const std::span<const Descriptor> descs = f.descriptors();
    std::size_t next = 0;
    while (true) {
        for (std::size_t i = 0; i < descs.size(); ++i) {
            const Descriptor& d = descs[i];
            switch (d.kind) {
                case DescKind::Literal:
                    break;
                case DescKind::Skip:
                    at.advance(static_cast<std::size_t>(d.w));
                    break;
                case DescKind::Slash:
                    if (!next_record(c, store, keep, at.rec)) return Status::EndOfFile;
                    at.col = 0;
                    break;
                default: {
                    if (next == dests.size()) return Status::Ok;
                    const Dest& dest = dests[next];
                    if (d.kind == DescKind::A) {
                        if (d.w == 1 && dest.single_char()) {
                            const std::size_t taken = read_char_run(at, d.repeat_left, dests.subspan(next));
                            next += taken;
                            i += taken - 1;
                            break;
                        }
                        if (dest.kind() != Dest::Kind::Text)
                            throw std::invalid_argument("A field into a numeric destination");
                        ++next;
                        read_text(at, d, dest);
                        break;
                    }
                    ++next;
                    if (dest.kind() == Dest::Kind::Text) {  // a numeric field read as characters
                        read_text(at, d, dest);
                        break;
                    }
                    if (const Status s = read_number(at, d, dest); s != Status::Ok) return s;
                    break;
                }
            }
        }
        if (next == dests.size()) return Status::Ok;
        // Destinations remain at the closing parenthesis: next record, same format.
        if (!next_record(c, store, keep, at.rec)) return Status::EndOfFile;
        at.col = 0;
    }
}

}  // namespace

}  // namespace detail

namespace {

Status read_statement(int unit, const FormatView& format, std::span<const Dest> dests) {
    detail::Connection* c = detail::find_unit(unit);
    if (c == nullptr) return Status::NotConnected;
    if (c->write_mode) return Status::EndOfFile;  // a report being written has no further record
    return detail::input_statement(*c, format, dests);
}

}  // namespace

Status read_fields(int unit, FormatView format, std::span<const Dest> dests) {
    return read_statement(unit, format, dests);
}

Status read_fields(int unit, FormatView format, std::initializer_list<Dest> dests) {
    return read_statement(unit, format, std::span<const Dest>(dests.begin(), dests.size()));
}

}  // namespace fixrec
