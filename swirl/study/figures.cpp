#include "swirl/study/figures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "fixrec/ascii.h"
#include "swirl/core/cp866_text.h"
#include "swirl/core/numbers.h"
#include "swirl/core/usage_error.h"
#include "swirl/core/usage_text.h"

namespace swirl {

namespace {

constexpr std::size_t kMaxCurves = 7;  // the colours of the palette
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string joined(const std::vector<std::string>& names, std::string_view separator) {
    std::string s;
    for (const std::string& n : names) s.append(s.empty() ? "" : separator).append(n);
    return s;
}

// The index of the column of that name (any case); UsageError listing them.
std::size_t column_index(const CsvTable& table, std::string_view name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        if (fixrec::equal_ignoring_case(table.columns[i], name)) return i;
    const std::string hint = did_you_mean(name, table.columns);
    throw UsageError("the table has no column " + std::string(name) + " (" + (hint.empty() ? "" : hint + " ") +
                     "its columns: " + joined(table.columns, ", ") + ")");
}

// The field of a program's input or result of that name.
const Field* field_named(const Calculator& calc, std::string_view name) {
    for (const Field& f : calc.inputs)
        if (f.name == name) return &f;
    for (const Field& f : calc.results)
        if (f.name == name) return &f;
    return nullptr;
}

std::string unit_of(const Calculator* calc, std::string_view name) {
    if (calc == nullptr) return {};
    const Field* f = field_named(*calc, name);
    return f == nullptr ? std::string() : to_utf8(f->unit);
}

// A cell as a number: empty is a gap (NaN); anything but a plain decimal is
// an error naming the place.
double number(const std::string& cell, const std::string& column, std::size_t row) {
    if (cell.empty()) return kNaN;
    if (const auto v = parse_plain_decimal(cell)) return *v;
    throw CsvError("row " + std::to_string(row + 1) + ", column " + column + ": \"" + cell + "\" is not a number");
}

// A float as the decimal it stands for (its shortest text), as a sweep's
// table gives it: 0.1f is drawn at 0.1, not at 0.10000000149, which would
// take the axis on to the next tick.
double decimal_of(float f) {
    const auto v = parse_plain_decimal(shortest(f));
    return v ? *v : kNaN;
}

}  // namespace

const Calculator* sweep_program(const std::vector<std::string>& columns) {
    for (const Calculator* c : programs()) {
        std::vector<std::string_view> expected;
        for (const Field& f : c->inputs) expected.push_back(f.name);
        for (const Field& f : c->results) expected.push_back(f.name);
        for (std::string_view s : {"status", "reason", "messages"}) expected.push_back(s);
        // A table of a sweep from before the verdicts had columns ends here.
        const std::size_t without_verdicts = expected.size();
        for (const calculators::VerdictField& v : c->verdicts) expected.push_back(v.name);
        if (std::equal(columns.begin(), columns.end(), expected.begin(), expected.end()) ||
            std::equal(columns.begin(), columns.end(), expected.begin(), expected.begin() + without_verdicts))
            return c;
    }
    return nullptr;
}

namespace {

// The other varied inputs: columns other than those plotted whose cells
// differ from row to row (inputs only when the program is known).
std::vector<std::size_t> other_varied(const CsvTable& table, std::size_t xc, const std::vector<std::size_t>& yc,
                                      const Calculator* calc) {
    std::vector<std::size_t> others;
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c == xc || std::find(yc.begin(), yc.end(), c) != yc.end()) continue;
        const std::string& name = table.columns[c];
        if (calc != nullptr ? c >= calc->inputs.size()
                            : name == "status" || name == "reason" || name == "messages")
            continue;
        const std::string& first = table.rows.front()[c];
        if (std::any_of(table.rows.begin(), table.rows.end(), [&](const auto& r) { return r[c] != first; }))
            others.push_back(c);
    }
    return others;
}

// The rows by combination of the other varied inputs, in order of
// appearance, and the name of each combination ("Q = 0.01 м3/с, ...").
struct Groups {
    std::vector<std::vector<std::size_t>> rows;
    std::vector<std::string> names;
};

Groups groups_of(const CsvTable& table, const std::vector<std::size_t>& others, const Calculator* calc) {
    Groups groups;
    std::map<std::vector<std::string>, std::size_t> group_of;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        std::vector<std::string> key;
        for (std::size_t c : others) key.push_back(table.rows[r][c]);
        const auto [it, added] = group_of.try_emplace(key, groups.rows.size());
        if (added) {
            groups.rows.emplace_back();
            std::vector<std::string> parts;
            for (std::size_t k = 0; k < others.size(); ++k) {
                const std::string& name = table.columns[others[k]];
                const std::string unit = unit_of(calc, name);
                parts.push_back(name + " = " + key[k] + (unit.empty() ? "" : " " + unit));
            }
            groups.names.push_back(joined(parts, ", "));
        }
        groups.rows[it->second].push_back(r);
    }
    return groups;
}

// How many plotted columns each unit has; UsageError when a panel would
// hold more curves than a legend tells apart.
std::map<std::string, std::size_t> columns_of_units(const CsvTable& table, const std::vector<std::size_t>& yc,
                                                    const std::vector<std::size_t>& others, std::size_t groups,
                                                    const Calculator* calc) {
    std::map<std::string, std::size_t> columns_of_unit;
    std::size_t most = 0;
    for (std::size_t c : yc) most = std::max(most, ++columns_of_unit[unit_of(calc, table.columns[c])]);
    if (groups * most > kMaxCurves) {
        std::vector<std::string> names;
        for (std::size_t c : others) names.push_back(table.columns[c]);
        throw UsageError("the sweep also varies " + joined(names, ", ") + ": " + std::to_string(groups * most) +
                         " curves in one panel, more than the " + std::to_string(kMaxCurves) +
                         " a legend tells apart; plot fewer columns of one unit or a sweep of fewer values");
    }
    return columns_of_unit;
}

// What the panels of a sweep's figure are drawn from.
struct Curves {
    const CsvTable& table;
    const std::vector<std::size_t>& yc;
    const Groups& groups;
    const std::map<std::string, std::size_t>& columns_of_unit;
    const std::vector<double>& x;
    const Calculator* calc;
};

// One panel per unit, in the order the columns are named, and in each one
// curve a plotted column and combination of the other varied inputs; an
// invalid case is a gap.  Returns the names of each panel's columns.
std::vector<std::vector<std::string>> add_panels(plot::Figure& figure, const Curves& c, bool logy) {
    const auto status = std::find(c.table.columns.begin(), c.table.columns.end(), "status");
    const std::size_t sc = static_cast<std::size_t>(status - c.table.columns.begin());
    std::vector<std::string> panel_units;
    std::vector<std::vector<std::string>> panel_names;
    for (std::size_t k = 0; k < c.yc.size(); ++k) {
        const std::string& name = c.table.columns[c.yc[k]];
        const std::string unit = unit_of(c.calc, name);
        const auto at = std::find(panel_units.begin(), panel_units.end(), unit);
        const auto p = static_cast<std::size_t>(at - panel_units.begin());
        if (at == panel_units.end()) {
            panel_units.push_back(unit);
            panel_names.emplace_back();
            figure.panels.push_back({.left = {"", unit, logy}});
        }
        panel_names[p].push_back(name);
        for (std::size_t g = 0; g < c.groups.rows.size(); ++g) {
            plot::Series s;
            // The column is named by the panel's axis when it is alone there.
            s.name = c.groups.rows.size() == 1      ? name
                     : c.columns_of_unit.at(unit) == 1 ? c.groups.names[g]
                                                    : name + ", " + c.groups.names[g];
            for (std::size_t r : c.groups.rows[g]) {
                s.x.push_back(c.x[r]);
                const bool invalid = sc < c.table.columns.size() && c.table.rows[r][sc] == "invalid";
                s.y.push_back(invalid ? kNaN : number(c.table.rows[r][c.yc[k]], name, r));
            }
            figure.panels[p].series.push_back(std::move(s));
        }
    }
    return panel_names;
}

}  // namespace

plot::Figure sweep_figure(const CsvTable& table, const SweepPlot& request) {
    if (request.y.empty()) throw UsageError("name at least one column to plot with --y");
    const std::size_t xc = column_index(table, request.x);
    std::vector<std::size_t> yc;
    for (const std::string& name : request.y) yc.push_back(column_index(table, name));
    if (table.rows.empty()) throw UsageError("the table has no rows to plot");
    const Calculator* calc = sweep_program(table.columns);

    const std::vector<std::size_t> others = other_varied(table, xc, yc, calc);
    Groups groups = groups_of(table, others, calc);
    const std::map<std::string, std::size_t> columns_of_unit =
        columns_of_units(table, yc, others, groups.rows.size(), calc);

    const std::string& x_name = table.columns[xc];
    std::vector<double> x(table.rows.size());
    for (std::size_t r = 0; r < table.rows.size(); ++r) x[r] = number(table.rows[r][xc], x_name, r);
    for (auto& g : groups.rows)
        std::stable_sort(g.begin(), g.end(), [&](std::size_t a, std::size_t b) {
            return x[a] < x[b] || (!std::isnan(x[a]) && std::isnan(x[b]));
        });

    plot::Figure figure;
    figure.x = {x_name, unit_of(calc, x_name), request.logx};
    const std::vector<std::vector<std::string>> panel_names =
        add_panels(figure, {table, yc, groups, columns_of_unit, x, calc}, request.logy);
    std::vector<std::string> all;
    for (std::size_t p = 0; p < figure.panels.size(); ++p) {
        figure.panels[p].left.title = joined(panel_names[p], ", ");
        all.insert(all.end(), panel_names[p].begin(), panel_names[p].end());
    }
    figure.title = (request.source.empty() ? "" : request.source + ": ") + joined(all, ", ") + " against " + x_name;
    return figure;
}

plot::Figure profile_figure(const Calculator& calc, std::span<const Value> inputs,
                            const calculators::Outcome& outcome, const std::vector<std::string>& markers,
                            std::string title) {
    plot::Figure figure;
    figure.title = std::move(title);
    for (const std::vector<calculators::Column>& table : outcome.tables) {
        // A table without rows (no V and P when the equations of motion
        // were not solved) has no panel; the figure's notes say why.
        if (table.size() < 2 || table.front().values.empty()) continue;
        const calculators::Column& r = table.front();
        if (figure.panels.empty()) figure.x = {std::string(r.name), to_utf8(r.unit)};
        plot::Panel panel;
        std::vector<std::string> left, right;
        for (std::size_t c = 1; c < table.size(); ++c) {
            const calculators::Column& col = table[c];
            // The first quantity on the left axis, the second on the right one
            // (U and W, of one unit but sizes apart, each on a scale of its
            // own), any further one with the first of its unit.
            const bool on_left = c == 1 || (c > 2 && col.unit == table[1].unit);
            plot::Series s{std::string(col.name), {}, {}, on_left ? plot::Side::left : plot::Side::right};
            const std::size_t n = std::min(r.values.size(), col.values.size());
            for (std::size_t i = 0; i < n; ++i) {
                s.x.push_back(decimal_of(r.values[i]));
                s.y.push_back(decimal_of(col.values[i]));
            }
            (on_left ? left : right).emplace_back(col.name);
            (on_left ? panel.left : panel.right).unit = to_utf8(col.unit);
            panel.series.push_back(std::move(s));
        }
        panel.left.title = joined(left, ", ");
        panel.right.title = joined(right, ", ");
        figure.panels.push_back(std::move(panel));
    }
    for (const std::string& name : markers) {
        for (std::size_t i = 0; i < calc.inputs.size(); ++i)
            if (calc.inputs[i].name == name && i < inputs.size())
                figure.markers.push_back({decimal_of(inputs[i].real), name});
        for (std::size_t i = 0; i < calc.results.size(); ++i)
            if (calc.results[i].name == name && i < outcome.results.size() && i < outcome.computed.size() &&
                outcome.computed[i])
                figure.markers.push_back({decimal_of(outcome.results[i].real), name});
    }
    figure.notes = warnings(calc, outcome);
    return figure;
}

std::vector<std::string> warnings(const Calculator& calc, const calculators::Outcome& outcome) {
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < calc.verdicts.size() && k < outcome.verdicts.size(); ++k)
        if (calc.verdicts[k].warning && !outcome.verdicts[k].empty())
            lines.push_back(std::string(calc.verdicts[k].meaning) + ": " + to_utf8(outcome.verdicts[k]));
    return lines;
}

}  // namespace swirl
