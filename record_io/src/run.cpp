// The run: its start, its normal end, its end after a Fatal, and the whole
// life of a program around a body.
#include <string>
#include <utility>

#include "fixrec/fixrec.h"
#include "runtime.h"

namespace fixrec {

namespace {

// The connected unit that was connected first; null when none is.
detail::Connection* oldest_unit() {
    detail::Connection* oldest = nullptr;
    for (detail::Connection& c : detail::runtime().units)
        if (c.connected() && (oldest == nullptr || c.serial < oldest->serial)) oldest = &c;
    return oldest;
}

void discard_all_units() {
    for (detail::Connection& c : detail::runtime().units)
        if (c.connected()) detail::discard_unit(c);
}

}  // namespace

void begin_run(std::vector<std::string> args, ConsoleDevice* console) {
    // Also the console may be a file (output sent to one): past the size
    // limit a message is lost, as on a closed console, and the run goes on.
    detail::ignore_file_size_signal();
    discard_all_units();
    detail::Runtime& r = detail::runtime();
    r.args = std::move(args);
    r.next_arg = 0;
    // A record that spans two fillings of a unit's buffer is gathered here;
    // it is given its room now rather than in the middle of a reading.
    if (r.input_record.capacity() < detail::kBufferSize) r.input_record.reserve(detail::kBufferSize);
    detail::console_begin_run(console);
}

void end_run() {
    while (detail::Connection* c = oldest_unit()) close_unit(c->unit);
    detail::console_end_line();
}

void abort_run(const Fatal& failure) {
    discard_all_units();
    // The diagnostic starts on a new line.
    detail::console_end_line();
    // ASCII and the name of a file as the user gave it: never converted.
    detail::console_device().write_err_verbatim(std::string(failure.what()) + "\n");
}

int run_with(std::vector<std::string> args, ConsoleDevice* console, int (*body)()) {
    begin_run(std::move(args), console);
    try {
        const int code = body();
        end_run();
        return code;
    } catch (const Fatal& failure) {
        abort_run(failure);
        return failure.exit_code;
    }
}

int run_main(int argc, char** argv, int (*body)()) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return run_with(std::move(args), nullptr, body);
}

}  // namespace fixrec
