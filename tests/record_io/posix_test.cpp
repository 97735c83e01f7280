// The POSIX layer's one policy: every kind of call interrupted by a signal
// (EINTR) is made again and the run ends as if nothing had happened; close
// is the exception, neither repeated nor a failure; short transfers
// continue.  Each case is a whole run through the library, with the call
// made to fail by the layer's fault plan.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

#include "console_capture.h"
#include "fixrec/fixrec.h"
#include "fixrec/posix.h"
#include "test_files.h"

namespace {

using namespace fixrec::literals;
using fixrec::Status;
using fixrec::posix::Call;
using fixrec::posix::Fault;
using fixrec::posix::FaultPlan;
using test_support::TempDir;

enum class Scenario { Scratch, InPlace, NewFile };

struct Outcome {
    int exit_code = -1;
    std::string console;
    std::string file;
    std::map<Call, long> attempts;
    bool operator==(const Outcome& o) const {  // the attempts are compared apart
        return exit_code == o.exit_code && console == o.console && file == o.file;
    }
};

const std::string kOld = [] {
    std::string s;
    for (int i = 0; i < 40; ++i) s += "header or value line number " + std::to_string(i) + "\r\n";
    return s;
}();

std::string g_path;

// Reads two lines, then rewrites the rest of the file (or makes a new one).
int body() {
    if (fixrec::open_old(1, g_path) == Status::Ok) {
        char header[80];
        for (int k = 0; k < 2; ++k)
            if (fixrec::read_fields(1, "(80A1)"_fmt, fixrec::each_char(header)) != Status::Ok) return 9;
    }
    for (int i = 0; i < 80; ++i) fixrec::write_line(1, "(I4,2X,E12.5,' value line of the report')"_fmt, {std::int32_t{i}, 0.5f * static_cast<float>(i)});
    fixrec::close_unit(1);
    return 0;
}

Outcome run(Scenario s, std::initializer_list<Fault> faults) {
    TempDir dir;
    g_path = (dir / "D.DAT").string();
    std::vector<std::string> args;
    if (s == Scenario::NewFile) {
        args.push_back(g_path);
        g_path = (dir / "MISSING.DAT").string();
    } else {
        test_support::write_bytes(g_path, kOld);
        if (s == Scenario::InPlace) ::link(g_path.c_str(), (dir / "LINK.DAT").c_str());
    }
    test_support::CaptureConsole console;
    Outcome o;
    {
        FaultPlan plan(faults);
        o.exit_code = fixrec::run_with(args, &console, body);
        for (int k = 0; k < static_cast<int>(Call::Count); ++k)
            o.attempts[static_cast<Call>(k)] = FaultPlan::attempts(static_cast<Call>(k));
    }
    o.console = console.out + console.err;
    o.file = test_support::read_bytes(dir / "D.DAT");
    return o;
}

const char* name(Scenario s) {
    return s == Scenario::Scratch ? "scratch file" : s == Scenario::InPlace ? "in place" : "new file";
}

TEST(PosixLayer, InterruptedCallsAreMadeAgain) {
    int kinds_seen = 0;
    for (const Scenario s : {Scenario::Scratch, Scenario::InPlace, Scenario::NewFile}) {
        const Outcome clean = run(s, {});
        ASSERT_EQ(clean.exit_code, 0) << clean.console;
        for (const auto& [call, count] : clean.attempts) {
            if (count == 0) continue;
            SCOPED_TRACE(::testing::Message() << name(s) << ", call kind " << static_cast<int>(call));
            ++kinds_seen;
            for (const long nth : {1L, count}) {
                const Outcome interrupted = run(s, {{call, nth, EINTR}});
                EXPECT_EQ(interrupted, clean) << interrupted.console;
                // close() is not made again: the descriptor is gone whatever it says.
                EXPECT_EQ(interrupted.attempts.at(call), count + (call == Call::Close ? 0 : 1));
            }
        }
    }
    EXPECT_GE(kinds_seen, 20);  // open, read, pread, write, pwrite, stat, rename, ... in the three ways
}

TEST(PosixLayer, ShortTransfersContinue) {
    for (const Scenario s : {Scenario::Scratch, Scenario::InPlace}) {
        SCOPED_TRACE(name(s));
        const Outcome clean = run(s, {});
        const Outcome shorter = run(s, {{Call::Read, 1, 0, 5}, {Call::Pread, 1, 0, 7},
                                        {Call::Write, 1, 0, 3}, {Call::Write, 2, 0, 1000},
                                        {Call::Pwrite, 1, 0, 11}});
        EXPECT_EQ(shorter, clean);
        EXPECT_GT(shorter.attempts.at(Call::Read), clean.attempts.at(Call::Read));
    }
}

TEST(PosixLayer, CountsRestartWithEachPlan) {
    {
        FaultPlan plan({});
        struct stat st{};
        EXPECT_EQ(fixrec::posix::lstat("/", st), 0);
        EXPECT_EQ(FaultPlan::attempts(Call::Lstat), 1);
    }
    FaultPlan plan({{Call::Lstat, 1, EACCES}});
    struct stat st{};
    EXPECT_EQ(FaultPlan::attempts(Call::Lstat), 0);
    EXPECT_EQ(fixrec::posix::lstat("/", st), EACCES);
    EXPECT_EQ(fixrec::posix::lstat("/", st), 0);
}

}  // namespace
