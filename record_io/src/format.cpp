#include "fixrec/format.h"

#include <stdexcept>
#include <string>

namespace fixrec {

namespace {

// Collects what the parser hands out into the parts a Format owns.
struct Collector {
    std::string& pool;
    std::vector<Descriptor>& descs;
    std::size_t pool_size() const { return pool.size(); }
    void text(std::string_view piece) { pool.append(piece); }
    void descriptor(const Descriptor& d) { descs.push_back(d); }
};

}  // namespace

Format::Format(std::string_view source) : source_(source) {
    const FormatSummary checked = check_format(source_);
    if (checked.error != FormatError::None) {
        throw std::invalid_argument("malformed format \"" + source_ + "\" at position " +
                                    std::to_string(checked.position) + ": " +
                                    describe(checked.error));
    }
    pool_.reserve(checked.pool_size);
    descs_.reserve(checked.descriptors);
    Collector collector{pool_, descs_};
    const FormatSummary parsed = format_parse::parse(source_, collector);
    data_count_ = parsed.data_count;
    input_extent_ = parsed.input_extent;
}

}  // namespace fixrec
