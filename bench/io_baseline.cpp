// The least a calculator run has to do, as a floor for instruction counts:
// read 1 KB of a data file and write 10 KB to a file, with plain POSIX calls
// and nothing else, linked the way the calculators are.  scripts/bench runs it
// under callgrind beside a real calculator run.
//
// Usage: io_baseline INPUT OUTPUT
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>

namespace {

constexpr std::size_t kIn = 1024;
constexpr std::size_t kOut = 10 * 1024;

bool write_all(int fd, const char* p, std::size_t n) {
    while (n > 0) {
        const ssize_t k = ::write(fd, p, n);
        if (k <= 0) return false;
        p += k;
        n -= static_cast<std::size_t>(k);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    char in[kIn];
    const int ifd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    if (ifd < 0) return 1;
    std::size_t got = 0;
    while (got < kIn) {
        const ssize_t k = ::read(ifd, in + got, kIn - got);
        if (k <= 0) break;
        got += static_cast<std::size_t>(k);
    }
    ::close(ifd);
    if (got == 0) return 1;

    // Ten kilobytes made of the input repeated.
    static char out[kOut];
    for (std::size_t i = 0; i < kOut; ++i) out[i] = in[i % got];
    const int ofd = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (ofd < 0) return 1;
    const bool ok = write_all(ofd, out, kOut);
    return ::close(ofd) == 0 && ok ? 0 : 1;
}
