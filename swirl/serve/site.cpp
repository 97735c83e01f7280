// The answers of the local page (site.h): the gate every request passes, then
// the endpoints over the library: data files opened and computed in memory,
// values held as swirl set holds them, saves through the library's
// replacement of the file.
#include "swirl/serve/site.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "fixrec/replacement_file.h"
#include "swirl/api/show_json.h"
#include "swirl/api/values.h"
#include "swirl/core/csv.h"
#include "swirl/core/grid.h"
#include "swirl/core/json_out.h"
#include "swirl/core/numbers.h"
#include "swirl/core/usage_error.h"
#include "swirl/design/render.h"
#include "swirl/design/solve.h"
#include "swirl/serve/assets.h"
#include "swirl/serve/request.h"
#include "swirl/study/figures.h"
#include "swirl/study/sweep.h"

namespace swirl::serve {

namespace {

using nlohmann::ordered_json;
namespace fs = std::filesystem;

// The radii a profile picture marks, as swirl plot marks them.
const std::vector<std::string> kProfileMarkers = {"R1", "RV", "RP", "RK"};

// A data file is small; anything larger is not one.
constexpr std::uintmax_t kLargestDataFile = 1 << 20;
// A curve of more points than a picture shows is refused.
constexpr std::int64_t kMostCurvePoints = 5000;

// An answer that ends a request: the status and one line for the person.
struct Refusal {
    int status;
    std::string message;
};

Response json_response(const ordered_json& doc, int status = 200) {
    Response r;
    r.status = status;
    r.body = dump_json(doc) + "\n";
    return r;
}

Response refusal_response(const Refusal& refusal) {
    ordered_json doc;
    doc["error"] = refusal.message;
    return json_response(doc, refusal.status);
}

// FNV-1a over the bytes, and where the file lies: a file replaced by another
// (a save makes a new inode) has another version even with the same bytes.
std::string version_of(const std::string& bytes, const struct stat& st) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    char text[96];
    std::snprintf(text, sizeof text, "%016llx-%llx-%llx-%lld.%09ld", static_cast<unsigned long long>(h),
                  static_cast<unsigned long long>(st.st_ino), static_cast<unsigned long long>(st.st_size),
                  static_cast<long long>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec));
    return text;
}

// A JSON body, or a 400 refusal.
ordered_json body_json(const Request& request) {
    try {
        ordered_json doc = ordered_json::parse(request.body);
        if (!doc.is_object()) throw Refusal{400, "the body is not a JSON object"};
        return doc;
    } catch (const ordered_json::parse_error&) {
        throw Refusal{400, "the body is not JSON"};
    }
}

std::string string_member(const ordered_json& doc, const char* key) {
    const auto it = doc.find(key);
    if (it == doc.end() || !it->is_string()) throw Refusal{400, std::string("\"") + key + "\" (a string) is missing"};
    return it->get<std::string>();
}

// A value as the page sends it: the text typed, or a JSON number.
std::string typed_text(const ordered_json& value) {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number_integer()) return std::to_string(value.get<long long>());
    if (value.is_number()) return dump_json(value);
    throw Refusal{400, "a value is neither text nor a number"};
}

// One typed value as its field takes it: the assignment, or why it is refused.
struct Typed {
    std::string name;
    std::string typed;
    std::optional<Assignment> assignment;
    std::string error;
};

std::vector<Typed> typed_values(const Calculator& calc, const ordered_json& doc) {
    std::vector<Typed> out;
    const auto it = doc.find("values");
    if (it == doc.end()) return out;
    if (!it->is_object()) throw Refusal{400, "\"values\" is not an object of NAME: VALUE"};
    for (const auto& [name, value] : it->items()) {
        Typed t{name, typed_text(value), std::nullopt, {}};
        try {
            const std::string text = name + "=" + t.typed;
            std::vector<Assignment> one = parse_assignments(calc, std::span<const std::string>(&text, 1));
            t.assignment = std::move(one.front());
        } catch (const UsageError& e) {
            t.error = e.what();
        }
        out.push_back(std::move(t));
    }
    return out;
}

std::vector<Assignment> accepted(const std::vector<Typed>& values) {
    std::vector<Assignment> out;
    for (const Typed& t : values)
        if (t.assignment) out.push_back(*t.assignment);
    return out;
}

// How the fields take the typed values, for the page to tell.
ordered_json typed_document(const Calculator& calc, const std::vector<Typed>& values) {
    ordered_json list = ordered_json::array();
    for (const Typed& t : values) {
        ordered_json j;
        j["name"] = t.assignment ? std::string(calc.inputs[t.assignment->input].name) : t.name;
        j["typed"] = t.typed;
        if (!t.assignment) {
            j["error"] = t.error;
        } else {
            const Field& field = calc.inputs[t.assignment->input];
            const Value& v = t.assignment->held.value;
            const bool integer = field.type == calculators::ValueType::Integer;
            j["value"] = integer ? ordered_json(v.integer) : ordered_json(static_cast<double>(v.real));
            j["printed"] = printed(field, v);
            // A value that underflows to zero is not what was typed either.
            const bool exact = t.assignment->held.exact &&
                               !(!integer && v.real == 0.0f && parse_plain_decimal(t.typed).value_or(0) != 0);
            j["exact"] = exact;
            if (!exact) j["holds"] = integer ? std::to_string(v.integer) : shortest(v.real);
        }
        list.push_back(std::move(j));
    }
    return list;
}

std::string base_name(const std::string& path) { return fs::path(path).filename().string(); }

}  // namespace

Site::Site(std::string dir, std::optional<std::string> program, std::string token)
    : dir_(std::move(dir)), program_(std::move(program)), token_(std::move(token)) {
    std::error_code ec;
    const fs::path canonical = fs::canonical(dir_, ec);
    if (ec || !fs::is_directory(canonical)) throw Failure(calculators::kExitUsage, dir_ + " is not a folder");
    dir_ = canonical.string();
}

namespace {

struct Context {
    const std::string& dir;
    const std::optional<std::string>& program;
    std::mutex& saving;
};

// The path of the folder's file `name`: a plain name, no link leading out.
std::string file_path(const Context& c, const std::string& name, bool must_exist = true) {
    const bool control = std::any_of(name.begin(), name.end(), [](char ch) {
        return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f;
    });
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos || control ||
        name.find('\\') != std::string::npos)
        throw Refusal{403, "not a file of the folder: " + name};
    const std::string path = c.dir + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        if (must_exist) throw Refusal{404, "there is no file " + name};
        return path;
    }
    if (S_ISLNK(st.st_mode)) {
        std::error_code ec;
        const fs::path target = fs::weakly_canonical(path, ec);
        const std::string t = target.string();
        if (ec || t.compare(0, c.dir.size() + 1, c.dir + "/") != 0)
            throw Refusal{403, name + " leads out of the folder"};
        if (!must_exist) return path;
        if (::stat(path.c_str(), &st) != 0) throw Refusal{404, name + " is a link to nothing"};
    }
    if (!S_ISREG(st.st_mode)) throw Refusal{403, name + " is not a file"};
    return path;
}

struct Opened {
    DataFile file;
    std::string version;
};

Opened open_file(const Context& c, const std::string& name) {
    const std::string path = file_path(c, name);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) throw Refusal{404, "there is no file " + name};
    if (static_cast<std::uintmax_t>(st.st_size) > kLargestDataFile) throw Refusal{422, name + " is too large for a data file"};
    std::string bytes;
    if (read_whole_file(path, bytes) != 0) throw Refusal{404, "cannot read " + name};
    const std::string version = version_of(bytes, st);
    try {
        return {data_file_from_bytes(std::move(bytes), name, c.program), version};
    } catch (const UsageError& e) {
        throw Refusal{422, e.what()};
    }
}

ordered_json file_document(const DataFile& file) {
    if (!file.reads()) {
        ordered_json doc = unreadable_document(file);
        add_warnings(doc, file.findings);
        return doc;
    }
    const calculators::Outcome out = compute(file, file.calc->profiles);
    ordered_json doc = show_document(file, file.values, out);
    add_warnings(doc, file.findings);
    return doc;
}

// The file as the typed values make it, in memory.
DataFile with_values(const DataFile& file, const std::vector<Typed>& values) {
    const std::vector<Assignment> changes = accepted(values);
    if (changes.empty()) return file;
    return data_file_from_bytes(set_values(file, changes), file.path, std::string(file.calc->name));
}

Response files(const Context& c) {
    ordered_json doc;
    doc["folder"] = c.dir;
    ordered_json& programs_doc = doc["programs"] = ordered_json::array();
    for (const Calculator* calc : programs()) programs_doc.push_back(calc->name);
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(c.dir, ec)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    ordered_json& list = doc["files"] = ordered_json::array();
    for (const std::string& name : names) {
        try {
            const Opened o = open_file(c, name);
            ordered_json j;
            j["name"] = name;
            j["program"] = o.file.calc->name;
            j["status"] = o.file.reads() ? "ok" : "unreadable";
            if (!o.file.reads()) j["error"] = o.file.error->message;
            list.push_back(std::move(j));
        } catch (const Refusal&) {
            // Not a data file of a program (a table, a folder, a link out).
        } catch (const Failure&) {
        }
    }
    return json_response(doc);
}

// {name, version, show} of a file as it is now.
Response file_response(const std::string& name, const Opened& o) {
    ordered_json doc;
    doc["name"] = name;
    doc["version"] = o.version;
    doc["show"] = file_document(o.file);
    return json_response(doc);
}

Response file(const Context& c, const std::string& query) {
    const std::string name = query_value(query, "name").value_or("");
    return file_response(name, open_file(c, name));
}

// The file of the request's "name" as its "values" make it, in memory; a
// file that does not read or a value its field cannot hold is refused.
DataFile changed_file(const Context& c, const ordered_json& body) {
    const Opened o = open_file(c, string_member(body, "name"));
    if (!o.file.reads()) throw Refusal{422, o.file.unreadable().what()};
    const std::vector<Typed> values = typed_values(*o.file.calc, body);
    for (const Typed& t : values)
        if (!t.assignment) throw Refusal{422, t.error};
    return with_values(o.file, values);
}

Response compute_values(const Context& c, const ordered_json& body) {
    const Opened o = open_file(c, string_member(body, "name"));
    if (!o.file.reads()) throw Refusal{422, o.file.unreadable().what()};
    const std::vector<Typed> values = typed_values(*o.file.calc, body);
    const DataFile changed = with_values(o.file, values);
    ordered_json doc;
    doc["values"] = typed_document(*o.file.calc, values);
    doc["show"] = file_document(changed);
    return json_response(doc);
}

Response save(const Context& c, const ordered_json& body) {
    const std::string name = string_member(body, "name");
    const std::string version = string_member(body, "version");
    const std::lock_guard<std::mutex> lock(c.saving);
    const Opened o = open_file(c, name);
    if (o.version != version)
        throw Refusal{409, name + " changed on disk since the page read it: nothing written; reload it"};
    if (!o.file.reads()) throw Refusal{422, o.file.unreadable().what()};
    const std::vector<Typed> values = typed_values(*o.file.calc, body);
    for (const Typed& t : values)
        if (!t.assignment) throw Refusal{422, t.error + "; nothing written"};
    DataFile target = o.file;
    target.path = file_path(c, name);
    write_back(target, set_values(o.file, accepted(values)));
    return file_response(name, open_file(c, name));
}

Response new_file(const Context& c, const ordered_json& body) {
    const std::string program = string_member(body, "program");
    const std::string name = string_member(body, "name");
    const Calculator* calc = find_program(program);
    if (calc == nullptr) throw Refusal{400, unknown_program(program)};
    const std::lock_guard<std::mutex> lock(c.saving);
    const std::string path = file_path(c, name, false);
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) throw Refusal{409, name + " already exists: nothing written"};
    try {
        fixrec::replace_file(path, calc->example);
    } catch (const fixrec::Fatal& e) {
        throw Refusal{500, name + " not written: " + e.what()};
    }
    ordered_json doc;
    doc["name"] = name;
    doc["program"] = calc->name;
    return json_response(doc, 201);
}

Response svg_response(const plot::Figure& figure) {
    Response r;
    r.content_type = "image/svg+xml";
    try {
        r.body = plot::render_svg(figure);
    } catch (const plot::PlotError& e) {
        throw Refusal{422, std::string("nothing to draw: ") + e.what()};
    }
    return r;
}

Response draw(const Context& c, const ordered_json& body) {
    const std::string name = string_member(body, "name");
    const DataFile changed = changed_file(c, body);
    const Calculator& calc = *changed.calc;
    if (!body.contains("x")) {
        if (!calc.profiles) throw Refusal{422, std::string(calc.name) + " computes no profiles to draw"};
        const calculators::Outcome out = compute(changed, true);
        if (!out.valid) throw Refusal{422, name + ": the inputs make the computation invalid"};
        return svg_response(profile_figure(calc, changed.values, out, kProfileMarkers,
                                           base_name(name) + ": radial profiles (" + std::string(calc.name) + ")"));
    }
    Grid grid;
    grid.name = string_member(body, "x");
    const auto number = [&](const char* key) {
        const auto it = body.find(key);
        if (it == body.end() || !it->is_number()) throw Refusal{400, std::string("\"") + key + "\" (a number) is missing"};
        return it->get<double>();
    };
    grid.from = number("from");
    grid.to = number("to");
    const double count = number("count");
    if (!(count >= 2 && count <= static_cast<double>(kMostCurvePoints)))
        throw Refusal{422, "a curve has 2 to " + std::to_string(kMostCurvePoints) + " points"};
    grid.count = static_cast<std::int64_t>(count);
    grid.log = body.value("log", false);
    SweepPlot request;
    request.x = grid.name;
    request.y = {string_member(body, "y")};
    request.logx = grid.log;
    request.source = base_name(name);
    std::string table;
    const std::vector<Grid> grids{grid};
    const Sweep sweep(calc, changed.values, grids);
    sweep.append_header(table);
    sweep.run(1, [&](std::string_view rows) { table += rows; });
    return svg_response(sweep_figure(read_csv(table), request));
}

// A search for the input value at which a result passes a target, as swirl
// solve --json prints it for the file the typed values make.
Response solve_for(const Context& c, const ordered_json& body) {
    const std::string name = string_member(body, "name");
    const DataFile changed = changed_file(c, body);
    const Calculator& calc = *changed.calc;
    SolveProblem problem;
    problem.calc = &calc;
    problem.base = changed.values;
    problem.find = parse_range(string_member(body, "find"), "find");
    problem.target = parse_target(string_member(body, "target"));
    if (const auto scan = body.find("scan"); scan != body.end()) {
        if (scan->is_string() && scan->get<std::string>() == "all") problem.scan = SolveProblem::kScanAll;
        else if (scan->is_number_integer()) problem.scan = scan->get<std::int64_t>();
        else throw Refusal{400, "\"scan\" is a number of points or \"all\""};
    }
    const SolveResult result = solve(problem);
    return json_response(solve_json(calc, name, problem, result));
}

Response asset(const Asset& a) {
    Response r;
    r.content_type = std::string(a.content_type);
    r.body = std::string(a.body);
    return r;
}

}  // namespace

Response Site::route(const Request& request, const std::string& path, const std::string& query) {
    const Context c{dir_, program_, saving_};
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (path == "/" || path == "/index.html" || path == "/app.js" || path == "/app.css") {
        if (!get) throw Refusal{405, "only GET here"};
        return asset(path == "/app.js" ? app_js() : path == "/app.css" ? app_css() : index_html());
    }
    if (path == "/favicon.ico") {
        Response none;
        none.status = 204;
        return none;
    }
    if (path == "/api/files" || path == "/api/file") {
        if (!get) throw Refusal{405, "only GET here"};
        return path == "/api/files" ? files(c) : file(c, query);
    }
    if (path == "/api/compute" || path == "/api/save" || path == "/api/new" || path == "/api/plot" ||
        path == "/api/solve") {
        if (!post) throw Refusal{405, "only POST here"};
        const ordered_json body = body_json(request);
        if (path == "/api/compute") return compute_values(c, body);
        if (path == "/api/save") return save(c, body);
        if (path == "/api/new") return new_file(c, body);
        if (path == "/api/solve") return solve_for(c, body);
        return draw(c, body);
    }
    throw Refusal{404, "no such page: " + path};
}

Response Site::handle(const Request& request) {
    const std::string cookie_name = "swirl_token_" + std::to_string(port_);
    Response response;
    try {
        // The names this server goes by; anything else is another site.
        const std::string port = std::to_string(port_);
        const std::string hosts[] = {"127.0.0.1:" + port, "localhost:" + port, "[::1]:" + port};
        const std::string* host = header(request, "host");
        if (host == nullptr || std::find(std::begin(hosts), std::end(hosts), lower(*host)) == std::end(hosts))
            throw Refusal{403, "this server answers only to 127.0.0.1:" + port + " or localhost:" + port};

        const std::size_t q = request.target.find('?');
        const std::string path = request.target.substr(0, q);
        const std::string query = q == std::string::npos ? std::string() : request.target.substr(q + 1);
        const std::optional<std::string> given = query_value(query, "token");
        const std::optional<std::string> cookie = cookie_value(request, cookie_name);
        const bool by_query = given && same_secret(*given, token_);
        if (!by_query && !(cookie && same_secret(*cookie, token_)))
            throw Refusal{403, "open the address that swirl serve printed (with its token)"};

        if (request.method == "POST") {
            const std::string* type = header(request, "content-type");
            if (type == nullptr || lower(type->substr(0, type->find(';'))) != "application/json")
                throw Refusal{403, "a change is a POST of JSON (Content-Type: application/json)"};
            const std::string* origin = header(request, "origin");
            bool own = false;
            for (const std::string& h : hosts) own = own || (origin != nullptr && lower(*origin) == "http://" + h);
            if (!own) throw Refusal{403, "a change comes from this server's own page only (Origin)"};
        }
        response = route(request, path, query);
        if (by_query)
            response.headers["Set-Cookie"] = cookie_name + "=" + token_ + "; Path=/; HttpOnly; SameSite=Strict";
    } catch (const Refusal& r) {
        response = refusal_response(r);
    } catch (const Failure& f) {
        response = refusal_response({f.code() == calculators::kExitUsage ? 400 : 422, f.what()});
    } catch (const UsageError& e) {
        response = refusal_response({422, e.what()});
    } catch (const CsvError& e) {
        response = refusal_response({422, e.what()});
    } catch (const std::exception& e) {
        response = refusal_response({500, e.what()});
    }
    response.headers["Content-Security-Policy"] =
        "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
        "form-action 'none'; frame-ancestors 'none'; base-uri 'none'";
    response.headers["X-Content-Type-Options"] = "nosniff";
    response.headers["Referrer-Policy"] = "no-referrer";
    response.headers["Cache-Control"] = "no-store";
    return response;
}

}  // namespace swirl::serve
