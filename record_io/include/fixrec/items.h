// Items of output statements and destinations of input statements.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace fixrec {

// Text bytes that are not the program's own code page 866 text: a file name
// as the user passed or typed it, in the user's own encoding.  A console that
// shows code page 866 text converted (a UTF-8 terminal) passes these bytes on
// as they are.  In a file they are written like any other text.
struct Verbatim {
    std::string_view bytes;
};

// One value of an output statement: a real, an integer or a text.
class Item {
public:
    enum class Kind : std::uint8_t { Real, Integer, Text };

    constexpr Item(float v) : kind_(Kind::Real), real_(v) {}                 // NOLINT(runtime/explicit)
    constexpr Item(std::int32_t v) : kind_(Kind::Integer), integer_(v) {}   // NOLINT(runtime/explicit)
    constexpr Item(std::string_view s) : kind_(Kind::Text), text_(s) {}     // NOLINT(runtime/explicit)
    constexpr Item(const char* s) : kind_(Kind::Text), text_(s) {}          // NOLINT(runtime/explicit)
    Item(const std::string& s) : kind_(Kind::Text), text_(s) {}             // NOLINT(runtime/explicit)
    constexpr Item(Verbatim v) : kind_(Kind::Text), verbatim_(true), text_(v.bytes) {}  // NOLINT
    // Every real of the suite is single precision: a double item is a mistake.
    Item(double) = delete;

    constexpr Kind kind() const { return kind_; }
    constexpr float real() const { return real_; }
    constexpr std::int32_t integer() const { return integer_; }
    constexpr std::string_view text() const { return text_; }
    // A text item made from Verbatim.
    constexpr bool verbatim() const { return verbatim_; }

private:
    Kind kind_;
    bool verbatim_ = false;
    float real_ = 0.0f;
    std::int32_t integer_ = 0;
    std::string_view text_;
};

// One destination of an input statement: a real, an integer, or characters.
class Dest {
public:
    enum class Kind : std::uint8_t { Real, Integer, Text };

    constexpr Dest(float& v) : kind_(Kind::Real), target_(&v), length_(1) {}           // NOLINT
    constexpr Dest(std::int32_t& v) : kind_(Kind::Integer), target_(&v), length_(1) {}  // NOLINT
    constexpr Dest(char& c) : kind_(Kind::Text), single_char_(true), target_(&c), length_(1) {}  // NOLINT
    constexpr Dest(std::span<char> s)  // NOLINT
        : kind_(Kind::Text), single_char_(s.size() == 1), target_(s.data()), length_(s.size()) {}

    constexpr Kind kind() const { return kind_; }
    float* real() const { return kind_ == Kind::Real ? static_cast<float*>(target_) : nullptr; }
    std::int32_t* integer() const {
        return kind_ == Kind::Integer ? static_cast<std::int32_t*>(target_) : nullptr;
    }
    char* text() const { return kind_ == Kind::Text ? static_cast<char*>(target_) : nullptr; }
    constexpr std::size_t length() const { return length_; }
    // One character, as each destination of "(80A1)" is.
    constexpr bool single_char() const { return single_char_; }

private:
    Kind kind_;
    bool single_char_ = false;
    void* target_;
    std::size_t length_;
};

// One destination per character of `chars`, for formats such as "(80A1)".
template <std::size_t N>
constexpr std::array<Dest, N> each_char(char (&chars)[N]) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<Dest, N>{Dest(chars[I])...};
    }(std::make_index_sequence<N>{});
}

}  // namespace fixrec
