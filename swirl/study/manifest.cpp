#include "swirl/study/manifest.h"

#include <algorithm>
#include <map>

#include <nlohmann/json.hpp>

#include "swirl/core/json_out.h"

namespace swirl {

namespace {

using Json = nlohmann::ordered_json;

std::string shard_text(Shard s) { return std::to_string(s.k) + "/" + std::to_string(s.n); }

const Json& member(const Json& doc, const char* name, Json::value_t kind) {
    const auto it = doc.find(name);
    if (it == doc.end()) throw ManifestError(std::string("it has no \"") + name + "\"");
    const bool ok = kind == Json::value_t::number_integer ? it->is_number_integer() : it->type() == kind;
    if (!ok) throw ManifestError(std::string("its \"") + name + "\" is " + it->type_name());
    return *it;
}

std::int64_t integer(const Json& doc, const char* name) {
    return member(doc, name, Json::value_t::number_integer).get<std::int64_t>();
}

std::string text(const Json& doc, const char* name) {
    return member(doc, name, Json::value_t::string).get<std::string>();
}

}  // namespace

std::string manifest_path(std::string_view table) { return std::string(table) + ".json"; }

std::string manifest_text(const Manifest& m) {
    Json identity = Json::object();
    for (const auto& [key, value] : m.identity) {
        if (identity.contains(key)) throw std::invalid_argument("the identity of a study has " + key + " twice");
        identity[key] = value;
    }
    Json doc = Json::object();
    doc["manifest"] = "swirl shard";
    doc["format"] = kManifestFormat;
    doc["study"] = m.study;
    doc["identity"] = std::move(identity);
    doc["shard"] = shard_text(m.shard);
    doc["cases"] = Json{{"begin", m.cases.begin}, {"end", m.cases.end}, {"total", m.total}};
    doc["header"] = m.header;
    doc["rows"] = m.rows;
    doc["sha256"] = m.sha256;
    return dump_json(doc) + "\n";
}

Manifest parse_manifest(std::string_view text_) {
    Json doc;
    try {
        doc = Json::parse(text_);
    } catch (const Json::exception&) {
        throw ManifestError("it is not JSON");
    }
    if (!doc.is_object() || doc.value("manifest", Json()) != "swirl shard")
        throw ManifestError("it is not a manifest of a shard");
    if (integer(doc, "format") != kManifestFormat)
        throw ManifestError(std::string("its format ") + std::to_string(integer(doc, "format")) + " is not " +
                            std::to_string(kManifestFormat));
    Manifest m;
    m.study = text(doc, "study");
    for (const auto& [key, value] : member(doc, "identity", Json::value_t::object).items()) {
        if (!value.is_string()) throw ManifestError("its identity's \"" + key + "\" is not a text");
        m.identity.emplace_back(key, value.get<std::string>());
    }
    try {
        m.shard = parse_shard(text(doc, "shard"));
    } catch (const UsageError& e) {
        throw ManifestError(std::string("its shard: ") + e.what());
    }
    const Json& cases = member(doc, "cases", Json::value_t::object);
    m.cases = {integer(cases, "begin"), integer(cases, "end")};
    m.total = integer(cases, "total");
    m.header = text(doc, "header");
    m.rows = integer(doc, "rows");
    m.sha256 = text(doc, "sha256");
    if (m.total < 0) throw ManifestError("its total is below 0");
    const CaseRange expected = shard_range(m.total, m.shard);
    if (m.cases.begin != expected.begin || m.cases.end != expected.end || m.rows != m.cases.end - m.cases.begin)
        throw ManifestError(std::string("its cases and rows are not those of shard ") + shard_text(m.shard) + " of " +
                            std::to_string(m.total) + " cases");
    return m;
}

void TableDigest::add(std::string_view bytes) {
    if (in_header_) {
        const std::size_t end = bytes.find('\n');
        header_.append(bytes.substr(0, end));
        if (end == std::string_view::npos) return;
        in_header_ = false;
        bytes.remove_prefix(end + 1);
    }
    if (bytes.empty()) return;
    digest_.add(bytes);
    rows_ += std::count(bytes.begin(), bytes.end(), '\n');
    after_ += static_cast<std::int64_t>(bytes.size());
    last_ = bytes.back();
}

std::string TableDigest::header() const {
    std::string h = header_;
    if (!in_header_ && !h.empty() && h.back() == '\r') h.pop_back();
    return h;
}

Manifest TableDigest::manifest(std::string study, Identity identity, Shard shard, CaseRange cases,
                               std::int64_t total) const {
    return {std::move(study), std::move(identity), shard, cases, total, header(), rows_, sha256()};
}

std::vector<std::size_t> order_shards(std::span<const std::string> names, std::span<const Manifest> parts) {
    if (parts.empty()) throw UsageError("no part to merge");
    // What every part of one study shares, as one text; the most common one
    // is the study (the first part's among equals), the others are foreign.
    const auto key = [](const Manifest& m) {
        std::string k = m.study + '\n' + std::to_string(m.shard.n) + '\n' + std::to_string(m.total) + '\n' + m.header;
        for (const auto& [name, value] : m.identity) k += '\n' + name + '\n' + value;
        return k;
    };
    std::map<std::string, std::size_t> count;
    for (const Manifest& m : parts) ++count[key(m)];
    std::size_t ref = 0;
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (count[key(parts[i])] > count[key(parts[ref])]) ref = i;
    const Manifest& r = parts[ref];
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Manifest& m = parts[i];
        if (key(m) == key(r)) continue;
        const auto differs = [&](const std::string& what, const std::string& here, const std::string& there) {
            throw UsageError(names[i] + " is a shard of another study: its " + what + " is " + here + ", " +
                             names[ref] + "'s " + there);
        };
        if (m.study != r.study) differs("study", m.study, r.study);
        const std::size_t n = std::max(m.identity.size(), r.identity.size());
        for (std::size_t j = 0; j < n; ++j) {
            static const std::pair<std::string, std::string> kNone{"", "none"};
            const auto& [a, av] = j < m.identity.size() ? m.identity[j] : kNone;
            const auto& [b, bv] = j < r.identity.size() ? r.identity[j] : kNone;
            if (a != b) {
                if (!a.empty()) differs(a, av, b.empty() ? "none" : "not given");
                differs(b, "not given", bv);
            }
            if (av != bv) differs(a, av, bv);
        }
        if (m.shard.n != r.shard.n)
            differs("shard count", std::to_string(m.shard.n), std::to_string(r.shard.n));
        if (m.total != r.total) differs("total of cases", std::to_string(m.total), std::to_string(r.total));
        differs("header", m.header, r.header);
    }
    // The parts by shard number: none twice, none missing.
    std::vector<std::pair<std::int64_t, std::size_t>> by_k;
    for (std::size_t i = 0; i < parts.size(); ++i) by_k.emplace_back(parts[i].shard.k, i);
    std::stable_sort(by_k.begin(), by_k.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::size_t j = 1; j < by_k.size(); ++j)
        if (by_k[j].first == by_k[j - 1].first)
            throw UsageError(names[by_k[j - 1].second] + " and " + names[by_k[j].second] + " are both shard " +
                             shard_text(parts[by_k[j].second].shard));
    if (static_cast<std::int64_t>(by_k.size()) != r.shard.n) {
        const auto absent = r.shard.n - static_cast<std::int64_t>(by_k.size());
        std::string gaps;
        int shown = 0;
        std::int64_t next = 1;  // the first shard number not yet accounted for
        for (std::size_t j = 0; j <= by_k.size() && shown < 5; ++j) {
            const std::int64_t upto = j < by_k.size() ? by_k[j].first : r.shard.n + 1;
            for (; next < upto && shown < 5; ++next, ++shown) gaps += (shown > 0 ? ", " : "") + std::to_string(next);
            next = upto + 1;
        }
        if (absent > shown) gaps += ", ...";
        throw UsageError((absent == 1 ? "shard " : "shards ") + gaps + " of " + std::to_string(r.shard.n) +
                         (absent == 1 ? " is" : " are") + " missing (" + std::to_string(parts.size()) + " part" +
                         (parts.size() == 1 ? "" : "s") + " given)");
    }
    std::vector<std::size_t> order;
    for (const auto& [k, i] : by_k) order.push_back(i);
    return order;
}

}  // namespace swirl
