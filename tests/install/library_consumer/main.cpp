// library_consumer NAME=VALUE: the bundled example of BILM from its bytes,
// the value set as its field holds it, the computation, and the depth of the
// funnel printed as `swirl show` prints it: "HO .15931E+00".  Nothing is
// written to a file.  Exit code 0, or the Failure's code (64 a refused
// assignment) with its line.
#include <iostream>
#include <string>
#include <vector>

#include "swirl/api/data_file.h"
#include "swirl/api/values.h"

int main(int argc, char** argv) try {
    if (argc != 2) {
        std::cerr << "usage: library_consumer NAME=VALUE\n";
        return 64;
    }
    const calculators::Calculator* bilm = swirl::find_program("BILM");
    if (bilm == nullptr) {
        std::cerr << "library_consumer: no program BILM\n";
        return 10;
    }
    const swirl::DataFile example = swirl::data_file_from_bytes(std::string(bilm->example), "BILM.DAT");
    const std::vector<std::string> texts{argv[1]};
    const std::string bytes = swirl::set_values(example, swirl::parse_assignments(*example.calc, texts));
    const swirl::DataFile file = swirl::data_file_from_bytes(bytes, "BILM.DAT");

    const calculators::Outcome out = swirl::compute(file);
    if (!out.valid) throw swirl::computation_invalid(file);
    for (std::size_t k = 0; k < file.calc->results.size(); ++k)
        if (file.calc->results[k].name == "HO") {
            std::cout << "HO " << swirl::printed(file.calc->results[k], out.results[k]) << '\n';
            return 0;
        }
    std::cerr << "library_consumer: BILM has no result HO\n";
    return 10;
} catch (const swirl::Failure& e) {
    std::cerr << e.what() << '\n';
    return e.code();
} catch (const swirl::UsageError& e) {
    std::cerr << e.what() << '\n';
    return 64;
}
