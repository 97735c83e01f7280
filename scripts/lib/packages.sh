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
#   slurm-wlm, munge                      the test of the guide's Slurm recipe (a one-node cluster)
#   parallel                              the test of the guide's GNU parallel recipe
#   libboost-dev                          Boost.Beast, the HTTP of swirl serve
#   chromium, nodejs, npm                 the browser test of swirl serve (playwright-core
#                                         from npm drives Debian's chromium: ensure_browser_test)
#   python3-dev, pybind11-dev             the Python module (python/), for Debian's /usr/bin/python3
#   python3-numpy, python3-pandas         its arrays and tables
#   python3-pytest, mypy                  its tests and the check of its stub
#   python3-distributed                   the Dask test (without its recommends: half a gigabyte)
#   libnlopt-dev, libnlopt-cxx-dev        NLopt, the optimiser of swirl optimize (C library, nlopt.hpp)
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

# The same without the packages' recommends.
install_missing_alone() {
    if [ $# -eq 0 ] || [ "$(id -u)" -ne 0 ]; then
        install_missing "$@"
        return
    fi
    echo "installing: $* (without recommends)"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "$@"
}

# Whether Debian's interpreter imports the module named.
python_has() {
    [ -x /usr/bin/python3 ] && /usr/bin/python3 -c "import $1" >/dev/null 2>&1
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
    [ -f /usr/include/nlopt.h ] || missing+=(libnlopt-dev)
    [ -f /usr/include/nlopt.hpp ] || missing+=(libnlopt-cxx-dev)
    command -v slurmctld >/dev/null 2>&1 || missing+=(slurm-wlm)
    command -v munged >/dev/null 2>&1 || missing+=(munge)
    command -v parallel >/dev/null 2>&1 || missing+=(parallel)
    [ -f /usr/include/boost/beast.hpp ] && [ -f /usr/include/boost/random/sobol.hpp ] || missing+=(libboost-dev)
    [ -x /usr/bin/chromium ] || missing+=(chromium)
    command -v node >/dev/null 2>&1 || missing+=(nodejs)
    command -v npm >/dev/null 2>&1 || missing+=(npm)
    compgen -G '/usr/include/python3*/Python.h' >/dev/null || missing+=(python3-dev)
    [ -f /usr/include/pybind11/pybind11.h ] || missing+=(pybind11-dev)
    python_has numpy || missing+=(python3-numpy)
    python_has pandas || missing+=(python3-pandas)
    python_has pytest || missing+=(python3-pytest)
    python_has mypy || missing+=(mypy)
    install_missing "${missing[@]}" || return 1
    local alone=()
    python_has distributed || alone+=(python3-distributed)
    install_missing_alone "${alone[@]}"
}

# ensure_tools COMMAND=PACKAGE...: the package of each command not found.
ensure_tools() {
    local missing=() pair
    for pair in "$@"; do
        command -v "${pair%%=*}" >/dev/null 2>&1 || missing+=("${pair#*=}")
    done
    install_missing "${missing[@]}"
}

# ensure_browser_test: playwright-core, at the version of its lock file, in
# tests/serve/browser/node_modules (it downloads no browser: the test starts
# Debian's chromium).
ensure_browser_test() {
    local dir=tests/serve/browser
    [ -d "$dir/node_modules/playwright-core" ] && return 0
    echo "installing playwright-core into $dir (npm ci)"
    npm ci --prefix "$dir" --no-audit --no-fund --loglevel=error
}
