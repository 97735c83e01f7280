// The three programs' tables for the shared tests of their Calculator, and
// the items of one table across the three, each with its program.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bilm_cases.h"
#include "calculator_cases.h"
#include "kerva_cases.h"
#include "zarn1_cases.h"

namespace calculator_cases {

inline std::vector<const Program*> programs() { return {&bilm(), &kerva(), &zarn1()}; }

inline std::string program_name(const ::testing::TestParamInfo<const Program*>& info) { return info.param->name; }

// An item of a program's table, with its program.
template <class T>
struct Of {
    const Program* program;
    const T* item;
};
template <class T>
void PrintTo(const Of<T>& c, std::ostream* os) {
    *os << c.program->name << " " << c.item->name;
}

// The items of `table` of every program; a test is named by both.
template <class T>
std::vector<Of<T>> every(const std::vector<T> Program::*table) {
    std::vector<Of<T>> out;
    for (const Program* p : programs())
        for (const T& item : p->*table) out.push_back({p, &item});
    return out;
}
template <class T>
std::string item_name(const ::testing::TestParamInfo<Of<T>>& info) {
    return std::string(info.param.program->name) + "_" + info.param.item->name;
}

}  // namespace calculator_cases
