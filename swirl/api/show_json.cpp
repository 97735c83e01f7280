// The JSON documents of swirl show, shared by every front end that shows a
// data file (the command, the local page).
#include "swirl/api/show_json.h"

#include "swirl/core/cp866_text.h"

namespace swirl {

namespace {

using calculators::Outcome;
using calculators::ReadFailure;
using calculators::ValueType;
using nlohmann::ordered_json;

ordered_json json_value(const Field& field, const Value& value) {
    if (field.type == ValueType::Integer) return value.integer;
    return static_cast<double>(value.real);
}

ordered_json json_field(const Field& field, const Value& value, bool with_line, bool computed = true) {
    ordered_json j;
    if (with_line) j["line"] = field.line;
    j["name"] = field.name;
    j["value"] = computed ? json_value(field, value) : ordered_json(nullptr);
    j["printed"] = computed ? ordered_json(printed(field, value)) : ordered_json(nullptr);
    j["unit"] = to_utf8(field.unit);
    j["meaning"] = field.meaning;
    if (!with_line) {
        j["computed"] = computed;
        j["shown"] = field.shown == calculators::Shown::Console ? "console" : "report";
    }
    return j;
}

bool is_computed(const Outcome& out, std::size_t k) { return k < out.computed.size() && out.computed[k]; }

const std::string& verdict_text(const Outcome& out, std::size_t k) {
    static const std::string none;
    return k < out.verdicts.size() ? out.verdicts[k] : none;
}

}  // namespace

void add_warnings(ordered_json& doc, const std::vector<Finding>& findings) {
    if (findings.empty()) return;
    ordered_json& warnings = doc["warnings"] = ordered_json::array();
    for (const Finding& f : findings)
        warnings.push_back({{"kind", kind_name(f.kind)}, {"line", f.line}, {"input", f.input}, {"message", f.message}});
}

ordered_json show_document(const DataFile& file, std::span<const Value> inputs, const Outcome& out) {
    const Calculator& calc = *file.calc;
    ordered_json doc;
    doc["program"] = calc.name;
    doc["file"] = file.path;
    doc["status"] = out.valid ? "ok" : "invalid";
    ordered_json& in = doc["inputs"] = ordered_json::array();
    for (std::size_t k = 0; k < calc.inputs.size(); ++k) in.push_back(json_field(calc.inputs[k], inputs[k], true));
    ordered_json& res = doc["results"] = ordered_json::array();
    if (out.valid)
        for (std::size_t k = 0; k < calc.results.size(); ++k)
            res.push_back(json_field(calc.results[k], out.results[k], false, is_computed(out, k)));
    ordered_json& messages = doc["messages"] = ordered_json::array();
    for (const std::string& line : out.console) messages.push_back(to_utf8(line));
    if (!out.valid) doc["reason"] = to_utf8(out.failure);
    ordered_json& verdicts = doc["verdicts"] = ordered_json::array();
    if (out.valid)
        for (std::size_t k = 0; k < calc.verdicts.size(); ++k) {
            const std::string& text = verdict_text(out, k);
            ordered_json v;
            v["name"] = calc.verdicts[k].name;
            v["text"] = text.empty() ? ordered_json(nullptr) : ordered_json(to_utf8(text));
            v["meaning"] = calc.verdicts[k].meaning;
            verdicts.push_back(std::move(v));
        }
    if (out.valid && !out.tables.empty()) {
        ordered_json& profiles = doc["profiles"] = ordered_json::array();
        for (const auto& table : out.tables) {
            ordered_json t = ordered_json::array();
            for (const calculators::Column& column : table) {
                ordered_json c;
                c["name"] = column.name;
                c["unit"] = to_utf8(column.unit);
                ordered_json& values = c["values"] = ordered_json::array();
                for (const float v : column.values) values.push_back(static_cast<double>(v));
                t.push_back(std::move(c));
            }
            profiles.push_back(std::move(t));
        }
    }
    return doc;
}

ordered_json unreadable_document(const DataFile& file) {
    const ReadError& error = *file.error;
    const ReadFailure& f = error.where;
    ordered_json doc;
    doc["program"] = file.calc->name;
    doc["file"] = file.path;
    doc["status"] = "unreadable";
    ordered_json& failure = doc["failure"];
    failure["line"] = f.line;
    failure["field"] = f.field;
    failure["first_column"] = f.first_column;
    failure["last_column"] = f.last_column;
    failure["found"] = to_utf8(f.found);
    failure["end_of_file"] = f.end_of_file();
    failure["message"] = error.message;
    return doc;
}

}  // namespace swirl
