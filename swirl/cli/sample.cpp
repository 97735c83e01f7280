// swirl sample FILE --vary NAME=DIST(...) ... --count N: the program computed
// for N cases drawn from distributions of its inputs, one CSV row a case.
#include <charconv>
#include <memory>

#include "data_files.h"
#include "output_file.h"
#include "study_table.h"
#include "swirl/study/sample.h"

namespace swirl {

namespace {

std::uint64_t parse_seed(const std::string& text) {
    std::uint64_t v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size())
        throw UsageError("--seed " + text + ": a whole number from 0 to 18446744073709551615");
    return v;
}

std::int64_t parse_count(const std::string& text) {
    std::int64_t v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || v < 1)
        throw UsageError("--count " + text + ": a whole number of cases, 1 or more");
    return v;
}

}  // namespace

void add_sample(CLI::App& app, Action& action) {
    struct Options {
        std::string file;
        std::vector<std::string> vary;
        std::string count;
        std::string design = "random";
        std::string seed = std::to_string(Sample::kDefaultSeed);
        TableOptions table;
        std::optional<std::string> program;
    };
    auto o = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "sample",
        "Compute the program for COUNT cases whose inputs are drawn from distributions; one CSV row a case.\n"
        "The table is a sweep's with a first column case (0, 1, ...). Each value is taken as its field holds it; "
        "every other input as FILE holds it. The same seed gives the same table on any machine and for any --jobs. "
        "FILE is never written.\n"
        "Examples:\n"
        "  swirl sample KERVA.DAT --vary \"QH=normal(1000,50)\" --vary \"ROG=uniform(1.14,1.26)\" --count 1000 "
        "--design lhs -o u.csv\n"
        "  swirl summary u.csv --spec \"ETA1>=76\"");
    command->add_option("FILE", o->file, "the data file that holds every other input")->required();
    command->add_option("--vary", o->vary,
                        "NAME=DIST: uniform(LO,HI), normal(MEAN,SD), lognormal(MEDIAN,GSD), triangular(LO,MODE,HI) "
                        "or const(V), each optionally truncated: normal(MEAN,SD)[LO,HI].  Repeat for each input.")
        ->take_all();
    command->add_option("--count", o->count, "the number of cases")->type_name("N")->required();
    command->add_option("--design", o->design,
                        "random (independent), lhs (a Latin hypercube) or sobol (a Sobol sequence, digitally "
                        "shifted by the seed); default random");
    command->add_option("--seed", o->seed, "the seed of the random numbers (default 1)")->type_name("S");
    add_table_options(*command, o->table, "sample");
    add_program_option(*command, o->program);
    command->callback([&action, o] {
        action = [o] {
            std::vector<SampledInput> vary;
            for (const std::string& text : o->vary) vary.push_back(parse_sampled_input(text));
            const std::int64_t count = parse_count(o->count);
            const Design design = parse_design(o->design);
            const std::uint64_t seed = parse_seed(o->seed);
            const Shard shard = parse_shard(o->table.shard);
            const DataFile file = open_data_file(o->file, o->program);
            if (is_same_file(o->file, o->table.out))
                throw UsageError("the output " + o->table.out + " is the data file itself, which a sample never writes");
            warn(file);
            const Sample sample(*file.calc, file.inputs(), vary, count, design, seed, shard);
            return write_study_table(sample.table(), o->table, o->file, "sample", sample.identity(), shard);
        };
    });
}

}  // namespace swirl
