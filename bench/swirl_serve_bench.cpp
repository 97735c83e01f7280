// The answers of swirl serve's page without the sockets: one recompute
// request (POST /api/compute with a typed value) of each program's example,
// as the page sends it while someone types.  Requests a second on one core
// are 1 / the time per iteration.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "swirl/model/model.h"
#include "swirl/serve/site.h"

namespace {

struct Folder {
    std::filesystem::path path;
    Folder() {
        path = std::filesystem::temp_directory_path() / ("swirl-serve-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        for (const swirl::Calculator* calc : swirl::programs())
            std::ofstream(path / (std::string(calc->name) + ".DAT"), std::ios::binary) << calc->example;
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

void BM_Recompute(benchmark::State& state, const char* program, const char* value) {
    static Folder folder;
    swirl::serve::Site site(folder.path.string(), std::nullopt, "0123456789abcdef0123456789abcdef");
    site.set_port(8866);
    swirl::serve::Request request;
    request.method = "POST";
    request.target = "/api/compute";
    request.headers = {{"host", "127.0.0.1:8866"},
                       {"cookie", "swirl_token_8866=0123456789abcdef0123456789abcdef"},
                       {"origin", "http://127.0.0.1:8866"},
                       {"content-type", "application/json"}};
    request.body = std::string("{\"name\": \"") + program + ".DAT\", \"values\": {" + value + "}}";
    for (auto _ : state) {
        const swirl::serve::Response r = site.handle(request);
        if (r.status != 200) state.SkipWithError(r.body.c_str());
        benchmark::DoNotOptimize(r.body.data());
    }
}

BENCHMARK_CAPTURE(BM_Recompute, BILM, "BILM", "\"Q\": \"0.002\"")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Recompute, KERVA, "KERVA", "\"D50\": \"2e-5\"")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Recompute, ZARN1, "ZARN1", "\"G\": \"0.07\"")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
