// Fortran-style format strings: "(2X,'LABEL',E12.5,'(м)')" -> a list of descriptors.
//
// A format is parsed once into a flat list: literals, nX skips, record ends ("/")
// and the data descriptors E, F, I, A with their widths.  Repeat counts are
// expanded ("80A1" becomes eighty A1 descriptors), so a statement walks the list
// from the left and hands out one data descriptor per item.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fixrec {

enum class DescKind : std::uint8_t {
    Literal,  // 'text': written unchanged (output only)
    Skip,     // nX: n positions to the right
    Slash,    // /: ends the current record
    E,        // Ew.d: real, exponent form
    F,        // Fw.d: real, fixed-point form
    I,        // Iw: integer
    A,        // Aw (w = 0 when written as bare A: the item's own length)
};

struct Descriptor {
    DescKind kind = DescKind::Literal;
    int w = 0;             // field width, or n of nX
    int d = 0;             // digits after the point (E, F)
    std::string_view text; // literal text, pointing into the owning Format

    bool is_data() const {
        return kind == DescKind::E || kind == DescKind::F || kind == DescKind::I ||
               kind == DescKind::A;
    }
};

class Format {
public:
    // Parses the format; a malformed format is a programming error and throws
    // std::invalid_argument naming the offending position.
    explicit Format(std::string_view source);


    const std::vector<Descriptor>& descriptors() const { return descs_; }
    std::string_view source() const { return source_; }
    int data_count() const { return data_count_; }
    // Columns of one input record that a statement can reach before reversion:
    // the sum of all skips and field widths.  Input records are kept only this far.
    std::size_t input_extent() const { return input_extent_; }

private:
    void parse();

    std::string source_;
    // Unescaped literal texts, referenced by descs_; shared and immutable, so that
    // copies and moves of a Format keep their views valid.
    std::shared_ptr<const std::string> literal_store_;
    std::vector<Descriptor> descs_;
    int data_count_ = 0;
    std::size_t input_extent_ = 0;
};

}  // namespace fixrec
