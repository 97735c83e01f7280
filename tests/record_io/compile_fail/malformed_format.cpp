// Must not compile: a malformed format in a _fmt literal is a compile error
// whose message names the fault (the test checks the compiler's output).
#include "fixrec/format_literal.h"

using namespace fixrec::literals;

constexpr fixrec::FormatView kValueLine = "(38X,E12)"_fmt;  // no ".d"

int main() { return kValueLine.data_count(); }
