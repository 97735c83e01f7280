// The command line of a calculator.
//
// The calculators have no options for their work: the data file has a fixed
// name, and an argument only names the file that takes a report which cannot
// go into the data file.  A single argument -h, --help or --version is the
// exception: it is answered on stdout (a short usage, or the version) with
// exit code 0, and no file is created, opened or read.  Any other argument
// that starts with '-' ('-' alone, and these three beside other arguments,
// included) is refused: a line naming it and the usage line on stderr, exit
// code 64, and again no file touched.  Other arguments keep their meaning.
#pragma once

#include <string_view>

namespace calculators {

struct Calculator;

// The whole life of a calculator: answers -h, --help or --version alone,
// refuses any other option, otherwise runs calculator.run on its data file in
// the current directory.  Returns the exit code.
int run(int argc, char** argv, const Calculator& calculator);

}  // namespace calculators
