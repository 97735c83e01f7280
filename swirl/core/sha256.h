// SHA-256 (FIPS 180-4) of a stream of bytes, for the checksum a shard's
// manifest keeps of its rows: `tail -n +2 part.csv | sha256sum` prints the
// same digest.
//
//   swirl::Sha256 h;
//   h.add("abc");
//   h.hex();   // "ba7816bf..."
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace swirl {

class Sha256 {
public:
    Sha256();
    void add(std::string_view bytes);
    // The digest of everything added, as 64 lower-case hex digits.  The
    // object stays usable: more bytes may be added and hex() asked again.
    std::string hex() const;

private:
    void block(const unsigned char* p);

    std::array<std::uint32_t, 8> state_;
    std::array<unsigned char, 64> pending_{};
    std::size_t used_ = 0;     // bytes in pending_
    std::uint64_t length_ = 0; // bytes added
};

}  // namespace swirl
