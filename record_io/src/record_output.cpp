// Record output: records assembled straight into a unit's 1024-byte buffer,
// and the formatted output statement.
#include <cstdint>
#include <cstring>

#include "fixrec/fixrec.h"
#include "renderer.h"
#include "runtime.h"

namespace fixrec {

namespace detail {

namespace {

// The record writer of a unit: bytes go into its buffer, which is passed on
// to the report whenever it is full.  Records end with CR LF.
class UnitWriter {
public:
    explicit UnitWriter(Connection& c) : c_(c) {}

    void skip(std::size_t n) { pending_ += n; }

    void put(std::string_view s) {
        // Most puts are a short run of blanks and a field or a label that
        // fit: one fixed-size copy of blanks, one copy of the text.
        if (pending_ <= kBlankRun && c_.out_len + kBlankRun + s.size() < kBufferSize) {
            char* p = c_.buf + c_.out_len;
            std::memcpy(p, kBlanks, kBlankRun);
            copy(p + pending_, s.data(), s.size());
            c_.out_len += pending_ + s.size();
            pending_ = 0;
            return;
        }
        blanks();
        append(s.data(), s.size());
    }

    void fill(std::size_t n, char ch) {
        blanks();
        while (n > 0) {
            const std::size_t k = std::min(n, kBufferSize - c_.out_len);
            std::memset(c_.buf + c_.out_len, ch, k);
            advance(k);
            n -= k;
        }
    }

    void put_verbatim(std::string_view s) { put(s); }

    void end_record() {
        pending_ = 0;
        put("\r\n");
    }

private:
    static constexpr std::size_t kBlankRun = 32;
    static constexpr char kBlanks[kBlankRun + 1] = "                                ";

    // A copy of n bytes; the fields, units and line ends of a report are
    // short, and two overlapping 8-byte moves are cheaper than a call.
    static void copy(char* dst, const char* src, std::size_t n) {
        if (n >= 8 && n <= 16) {
            std::uint64_t a;
            std::uint64_t b;
            std::memcpy(&a, src, 8);
            std::memcpy(&b, src + n - 8, 8);
            std::memcpy(dst, &a, 8);
            std::memcpy(dst + n - 8, &b, 8);
        } else if (n == 2) {
            std::memcpy(dst, src, 2);
        } else {
            std::memcpy(dst, src, n);
        }
    }

    void blanks() {
        const std::size_t n = pending_;
        pending_ = 0;
        if (n > 0) fill(n, ' ');
    }

    void append(const char* p, std::size_t n) {
        while (n > 0) {
            const std::size_t k = std::min(n, kBufferSize - c_.out_len);
            std::memcpy(c_.buf + c_.out_len, p, k);
            advance(k);
            p += k;
            n -= k;
        }
    }

    // A full buffer goes to the report.
    void advance(std::size_t k) {
        c_.out_len += k;
        if (c_.out_len == kBufferSize) flush_report(c_);
    }

    Connection& c_;
    std::size_t pending_ = 0;
};

}  // namespace

}  // namespace detail

namespace {

void output_statement(int unit, const FormatView& format, std::span<const Item> items) {
    using namespace detail;
    if (unit == kConsoleUnit) {
        console_statement(format, items);
        return;
    }
    Connection* c = find_unit(unit);
    if (c == nullptr) c = &connect_implicitly(unit);
    if (!c->write_mode) begin_report(*c);
    UnitWriter writer(*c);
    render_statement(format, items, writer);
}

}  // namespace

void write_line(int unit, FormatView format, std::span<const Item> items) {
    output_statement(unit, format, items);
}

void write_line(int unit, FormatView format, std::initializer_list<Item> items) {
    output_statement(unit, format, std::span<const Item>(items.begin(), items.size()));
}

}  // namespace fixrec
