// Formats parsed at compile time: the `_fmt` literal.
//
//     using namespace fixrec::literals;
//     constexpr fixrec::FormatView kHOLine =
//         R"fmt((2X,'ВЫСОТА ВОРОНКИ                   HO',E12.5,'(м)'))fmt"_fmt;
//
// The literal converts the UTF-8 source text to code page 866 (as `_cp`
// does) and runs the parser of fixrec/format.h on it while compiling.  The
// descriptors and the literal texts are stored in one static constant object
// per format, of exactly the size it needs; the literal yields a FormatView
// of it.  A malformed format is a compile error whose message names the
// fault and its position:
//
//     In instantiation of 'struct fixrec::format_compile::malformed_format<
//         fixrec::FormatError::PointExpected, 8>':
//     error: static assertion failed: malformed format: ...
//
// So a run parses nothing and allocates nothing for its formats.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "fixrec/cp866.h"
#include "fixrec/format.h"

namespace fixrec {
namespace format_compile {

// The parts of one format, sized to it.  Offsets, not pointers, tie the
// descriptors to their texts, so that a consteval function can build it.
template <std::size_t NDesc, std::size_t NPool, std::size_t NSource>
struct CompiledFormat {
    Descriptor descs[NDesc > 0 ? NDesc : 1]{};
    char pool[NPool > 0 ? NPool : 1]{};
    char source[NSource > 0 ? NSource : 1]{};
    int data_count = 0;
    std::size_t input_extent = 0;

    constexpr FormatView view() const {
        return {std::span<const Descriptor>(descs, NDesc), std::string_view(pool, NPool),
                std::string_view(source, NSource), data_count, input_extent};
    }
};

// Receives the parser's output into the arrays of a CompiledFormat.
struct ArraySink {
    Descriptor* descs;
    char* pool;
    std::size_t descs_used = 0;
    std::size_t pool_used = 0;

    constexpr std::size_t pool_size() const { return pool_used; }
    constexpr void text(std::string_view piece) {
        for (const char c : piece) pool[pool_used++] = c;
    }
    constexpr void descriptor(const Descriptor& d) { descs[descs_used++] = d; }
};

// Instantiated for a malformed format only, and then an error: its template
// arguments, which the compiler's message shows, name the fault and where
// it is.
template <FormatError E, std::size_t Position>
struct malformed_format {
    static_assert(E == FormatError::None,
                  "malformed format: the arguments of malformed_format<> name the fault and its position");
    static constexpr bool reported = true;
};

template <cp866_detail::Utf8Literal S>
consteval auto compile() {
    constexpr auto& encoded = cp866_detail::kEncoded<S>;
    constexpr std::string_view source(encoded.bytes, encoded.size);
    constexpr FormatSummary summary = check_format(source);
    if constexpr (summary.error != FormatError::None)
        static_assert(malformed_format<summary.error, summary.position>::reported);
    CompiledFormat<summary.descriptors, summary.pool_size, source.size()> out{};
    ArraySink sink{out.descs, out.pool};
    const FormatSummary parsed = format_parse::parse(source, sink);
    for (std::size_t i = 0; i < source.size(); ++i) out.source[i] = source[i];
    out.data_count = parsed.data_count;
    out.input_extent = parsed.input_extent;
    return out;
}

template <cp866_detail::Utf8Literal S>
inline constexpr auto kCompiled = compile<S>();

}  // namespace format_compile

namespace literals {
// "(2X,'ТЕКСТ',E12.5)"_fmt: the format in code page 866, parsed at compile time.
template <cp866_detail::Utf8Literal S>
consteval FormatView operator""_fmt() {
    return format_compile::kCompiled<S>.view();
}
}  // namespace literals

}  // namespace fixrec
