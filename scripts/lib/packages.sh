# Shared by the scripts: checks that the Debian packages a script needs are
# there.  When something is missing and the script runs as root, it installs
# it; as any other user it names what is missing and fails.
#
# ensure_packages (scripts/test, scripts/demo, scripts/bench): the build and
# the tests of the default preset:
#   cmake, g++, make                      the build
#   libgtest-dev, libgmock-dev            the tests
#   libxml2-utils                         xmllint, which the tests check the SVG pictures with
#   libbenchmark-dev                      the benchmarks
#   libboost-dev                          Boost.Math's quantiles and Boost.Random's Sobol sequence (swirl's samples)
#   libc-bin                              iconv, which scripts/demo shows the files with
#
# ensure_tools COMMAND=PACKAGE..., for what one script needs besides:
#   python3=python3                       scripts/bench prints its table with it
#   valgrind=valgrind                     scripts/bench --callgrind
#   clang++=clang                         scripts/fuzz (clang++ and its libFuzzer runtime)
#
# Never installed: clang by scripts/test (its fuzz smoke run is skipped
# without clang++), and gfortran, only for the GNU Fortran column that
# scripts/bench prints beside FIXREC's.

# Installs the packages named, or names them and fails when not root.
install_missing() {
    if [ $# -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: $* (run as root to install them)" >&2
        return 1
    fi
    echo "installing: $*"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "$@"
}

ensure_packages() {
    local missing=()
    command -v cmake >/dev/null 2>&1 || missing+=(cmake)
    command -v g++ >/dev/null 2>&1 || missing+=(g++)
    command -v make >/dev/null 2>&1 || missing+=(make)
    command -v iconv >/dev/null 2>&1 || missing+=(libc-bin)
    command -v xmllint >/dev/null 2>&1 || missing+=(libxml2-utils)
    [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
    [ -f /usr/include/gmock/gmock.h ] || missing+=(libgmock-dev)
    [ -f /usr/include/benchmark/benchmark.h ] || missing+=(libbenchmark-dev)
    [ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
    [ -f /usr/include/CLI/CLI.hpp ] || missing+=(libcli11-dev)
    [ -f /usr/include/boost/random/sobol.hpp ] || missing+=(libboost-dev)
    install_missing "${missing[@]}"
}

# ensure_tools COMMAND=PACKAGE...: the package of each command not found.
ensure_tools() {
    local missing=() pair
    for pair in "$@"; do
        command -v "${pair%%=*}" >/dev/null 2>&1 || missing+=("${pair#*=}")
    done
    install_missing "${missing[@]}"
}
