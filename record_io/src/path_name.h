// A file name kept in place, without the heap.
#pragma once

#include <limits.h>

#include <cstddef>
#include <cstring>
#include <string_view>

namespace fixrec::detail {

// At most PATH_MAX - 1 bytes: a longer name is one the system cannot open
// or create anyway.
class PathName {
public:
    static constexpr std::size_t kCapacity = PATH_MAX;

    // False (and empty) when `s` does not fit.
    bool assign(std::string_view s) {
        if (s.size() >= kCapacity) {
            clear();
            return false;
        }
        std::memcpy(text_, s.data(), s.size());
        text_[s.size()] = '\0';
        size_ = s.size();
        return true;
    }
    // Appends; false (unchanged) when the result would not fit.
    bool append(std::string_view s) {
        if (size_ + s.size() >= kCapacity) return false;
        std::memcpy(text_ + size_, s.data(), s.size());
        size_ += s.size();
        text_[size_] = '\0';
        return true;
    }
    void clear() {
        size_ = 0;
        text_[0] = '\0';
    }
    // After writing into data() directly (a NUL-terminated text).
    void resync() { size_ = std::strlen(text_); }

    char* data() { return text_; }
    const char* c_str() const { return text_; }
    std::string_view view() const { return {text_, size_}; }
    bool empty() const { return size_ == 0; }

private:
    char text_[kCapacity]{};
    std::size_t size_ = 0;
};

}  // namespace fixrec::detail
