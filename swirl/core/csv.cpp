#include "swirl/core/csv.h"

#include <string>

namespace swirl {

namespace {

bool needs_quotes(std::string_view f) {
    if (f.find_first_of(",\"\r\n") != std::string_view::npos) return true;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !f.empty() && (blank(f.front()) || blank(f.back()));
}

}  // namespace

void append_csv_field(std::string& out, std::string_view field, bool first) {
    if (!first) out += ',';
    if (!needs_quotes(field)) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void end_csv_row(std::string& out) {
    if (out.empty() || out.back() == '\n') out += "\"\"";
    out += "\r\n";
}

namespace {

// One forward scan over the text; `line` counts physical lines for messages.
class Reader {
public:
    explicit Reader(std::string_view text) : t_(text) {
        if (t_.starts_with("\xEF\xBB\xBF")) i_ = 3;
    }

    bool at_end() const { return i_ >= t_.size(); }

    // Reads one row; the caller has checked !at_end().
    std::vector<std::string> row() {
        row_line_ = line_;
        std::vector<std::string> cells;
        for (;;) {
            cells.push_back(field());
            if (at_end()) return cells;
            const char c = t_[i_++];
            if (c == ',') continue;
            if (c == '\r') {
                if (at_end() || t_[i_] != '\n') fail("a carriage return without a line feed");
                ++i_;
            }
            ++line_;  // c was the line end
            return cells;
        }
    }

    std::size_t row_line() const { return row_line_; }

    [[noreturn]] void fail(const std::string& what) const {
        throw CsvError("CSV line " + std::to_string(line_) + ": " + what);
    }

private:
    std::string field() {
        std::string f;
        if (at_end() || t_[i_] != '"') {
            while (!at_end() && t_[i_] != ',' && t_[i_] != '\r' && t_[i_] != '\n') {
                if (t_[i_] == '"') fail("a quote inside an unquoted field");
                f += t_[i_++];
            }
            return f;
        }
        ++i_;
        const std::size_t opened = line_;
        for (;;) {
            if (at_end()) fail("the quoted field opened on line " + std::to_string(opened) + " is not closed");
            const char c = t_[i_++];
            if (c == '"') {
                if (at_end() || t_[i_] != '"') break;
                ++i_;
            } else if (c == '\n') {
                ++line_;
            }
            f += c;
        }
        if (!at_end() && t_[i_] != ',' && t_[i_] != '\r' && t_[i_] != '\n')
            fail("text after the closing quote of a field");
        return f;
    }

    std::string_view t_;
    std::size_t i_ = 0;
    std::size_t line_ = 1;
    std::size_t row_line_ = 1;
};

}  // namespace

CsvTable read_csv(std::string_view text) {
    Reader r(text);
    if (r.at_end()) throw CsvError("CSV text is empty: no header row");
    CsvTable table;
    table.columns = r.row();
    while (!r.at_end()) {
        auto cells = r.row();
        if (cells.size() != table.columns.size())
            throw CsvError("CSV line " + std::to_string(r.row_line()) + ": " + std::to_string(cells.size()) +
                           " cells, the header has " + std::to_string(table.columns.size()));
        table.rows.push_back(std::move(cells));
    }
    return table;
}

CsvRecords read_csv_records(std::string_view text) {
    Reader r(text);
    if (r.at_end()) throw CsvError("CSV text is empty: no header row");
    CsvRecords records;
    records.columns = r.row();
    while (!r.at_end()) {
        records.rows.push_back(r.row());
        records.lines.push_back(r.row_line());
    }
    return records;
}

}  // namespace swirl
