// Rendering into a std::string, without a unit and without the run.
#include "fixrec/render.h"

#include "renderer.h"

namespace fixrec {

namespace {

// A record writer appending to a string; records end with CR LF.
class StringWriter : public detail::StringRecordWriter {
public:
    using StringRecordWriter::StringRecordWriter;
    void put_verbatim(std::string_view s) { put(s); }
    void end_record() {
        drop_blanks();
        out_.append("\r\n");
    }
};

std::string one_field(const Descriptor& d, const Item& item) {
    std::string out;
    render_field(d, item, out);
    return out;
}

}  // namespace

void render_field(const Descriptor& d, const Item& item, std::string& out) {
    StringWriter writer(out);
    detail::render_field(d, item, {}, writer);
}

void render_record(FormatView format, std::span<const Item> items, std::string& out) {
    StringWriter writer(out);
    detail::render_statement(format, items, writer);
}

void render_console_record(std::span<const Item> items, std::string& out) {
    StringWriter writer(out);
    detail::render_list(items, writer);
}

std::string_view carriage_control(char control, bool first) {
    switch (control) {
        case '0': return first ? "\r\n" : "\r\n\r\n";
        case '1': return "\r\n\f\r \r";
        case '+': return "\r";
        default: return first ? "" : "\r\n";
    }
}

std::string format_e(float value, int w, int d) { return one_field({DescKind::E, w, d}, value); }
std::string format_f(float value, int w, int d) { return one_field({DescKind::F, w, d}, value); }
std::string format_i(std::int32_t value, int w) { return one_field({DescKind::I, w, 0}, value); }

}  // namespace fixrec
