// The one renderer of output statements: fields, formatted records and
// list-directed records, written into any record writer.
//
// A record writer (Out) has:
//   skip(n)          n blanks that are written only if text follows in the record
//   put(text)        text (pending blanks first)
//   fill(n, c)       n copies of c (pending blanks first)
//   put_verbatim(t)  text of a Verbatim item (a console keeps it unconverted)
//   end_record()     ends the record; pending blanks are dropped
// The writers are: a unit's 1024-byte buffer (record_output.cpp), the
// console (console.cpp) and a std::string (render.cpp, the public functions);
// the last two share StringRecordWriter.
#pragma once

#include <cmath>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "decimal.h"
#include "fixrec/edit_output.h"
#include "fixrec/format.h"
#include "fixrec/items.h"

namespace fixrec::detail {

// The part of a record writer into a std::string that every such writer
// shares: pending blanks counted by skip() and written before the next text.
// The writer adds put_verbatim() and end_record().
class StringRecordWriter {
public:
    explicit StringRecordWriter(std::string& out) : out_(out) {}
    void skip(std::size_t n) { pending_ += n; }
    void put(std::string_view s) {
        blanks();
        out_.append(s);
    }
    void fill(std::size_t n, char c) {
        blanks();
        out_.append(n, c);
    }

protected:
    void blanks() {
        if (pending_ == 0) return;
        out_.append(pending_, ' ');
        pending_ = 0;
    }
    void drop_blanks() { pending_ = 0; }

    std::string& out_;

private:
    std::size_t pending_ = 0;
};

[[noreturn]] inline void item_mismatch(std::string_view source) {
    throw std::invalid_argument("item does not match its descriptor in format " +
                                std::string(source));
}

// A number's text right-justified in w columns, or w asterisks when it is
// wider.
template <class Out>
void put_justified(Out& out, const char* text, std::size_t len, std::size_t w) {
    if (len > w) {
        out.fill(w, '*');
    } else {
        out.skip(w - len);
        out.put(std::string_view(text, len));
    }
}

// One data field.  `source` names the format in the message of a mismatch.
template <class Out>
void render_field(const Descriptor& d, const Item& item, std::string_view source, Out& out) {
    const auto w = static_cast<std::size_t>(d.w);
    switch (d.kind) {
        case DescKind::E:
        case DescKind::F: {
            if (item.kind() != Item::Kind::Real) item_mismatch(source);
            const float v = item.real();
            if (!std::isfinite(v)) {
                // The marker, then dots up to the width.
                const std::string_view marker = nonfinite_marker(v);
                if (marker.size() > w) {
                    out.fill(w, '*');
                } else {
                    out.put(marker);
                    out.fill(w - marker.size(), '.');
                }
                return;
            }
            char stack[160];
            std::unique_ptr<char[]> heap;  // only for more than 96 digits after the point
            char* buf = stack;
            if (edit_capacity(d.d) > sizeof stack) {
                heap = std::make_unique<char[]>(edit_capacity(d.d));
                buf = heap.get();
            }
            const std::size_t len = d.kind == DescKind::E ? edit_e(v, d.d, buf) : edit_f(v, d.d, buf);
            put_justified(out, buf, len, w);
            return;
        }
        case DescKind::I: {
            if (item.kind() != Item::Kind::Integer) item_mismatch(source);
            char buf[16];
            put_justified(out, buf, edit_i(item.integer(), buf), w);
            return;
        }
        case DescKind::A: {
            if (item.kind() != Item::Kind::Text) item_mismatch(source);
            const std::string_view s = item.text();
            const std::size_t aw = d.w == 0 ? s.size() : w;
            if (aw >= s.size()) out.skip(aw - s.size());
            const std::string_view shown = s.substr(0, aw);
            if (item.verbatim())
                out.put_verbatim(shown);
            else
                out.put(shown);
            return;
        }
        default:
            return;
    }
}

// One formatted output statement: the records that `items` make under `f`.
// After the last item the format is walked on to its next data descriptor
// (or its end), so trailing literals are written; items left over at the
// closing parenthesis start a new record with the format from its start.
template <class Out>
void render_statement(const FormatView& f, std::span<const Item> items, Out& out) {
    if (!items.empty() && f.data_count() == 0)
        throw std::invalid_argument("format without data descriptors: " + std::string(f.source()));
    std::size_t next = 0;
    while (true) {
        for (const Descriptor& d : f.descriptors()) {
            switch (d.kind) {
                case DescKind::Literal:
                    out.put(f.text(d));
                    break;
                case DescKind::Skip:
                    out.skip(static_cast<std::size_t>(d.w));
                    break;
                case DescKind::Slash:
                    out.end_record();
                    break;
                default:
                    if (next == items.size()) {
                        out.end_record();
                        return;
                    }
                    render_field(d, items[next++], f.source(), out);
                    break;
            }
        }
        if (next == items.size()) break;
        out.end_record();
    }
    out.end_record();
}

// The text of a list-directed record after its carriage-control blank:
// texts as they are, integers and reals right-justified in 15 columns, a
// blank between two numbers.  No end_record: the caller decides.
template <class Out>
void render_list(std::span<const Item> items, Out& out) {
    bool after_value = false;
    for (const Item& item : items) {
        char buf[64];
        std::size_t len = 0;
        switch (item.kind()) {
            case Item::Kind::Text:
                if (item.verbatim())
                    out.put_verbatim(item.text());
                else
                    out.put(item.text());
                after_value = false;
                continue;
            case Item::Kind::Real:
                len = edit_list_real(item.real(), buf);
                break;
            case Item::Kind::Integer:
                len = edit_i(item.integer(), buf);
                break;
        }
        const auto width = static_cast<std::size_t>(kListRealWidth);
        out.fill((after_value ? 1 : 0) + (len < width ? width - len : 0), ' ');
        out.put(std::string_view(buf, len));
        after_value = true;
    }
}

}  // namespace fixrec::detail
