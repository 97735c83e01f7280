// Whether a file is well-formed XML, told by xmllint (Debian package
// libxml2-utils), which the tests depend on like GoogleTest: found when the
// build is configured (XMLLINT_PATH), and a test that has none to ask fails.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace test_support {

inline void expect_well_formed_xml(const std::filesystem::path& file) {
    constexpr std::string_view xmllint = XMLLINT_PATH;
    if (xmllint.empty() || xmllint.ends_with("-NOTFOUND")) {
        ADD_FAILURE() << "no xmllint when the build was configured (Debian package libxml2-utils): "
                      << file << " not checked";
        return;
    }
    const std::string command = "'" + std::string(xmllint) + "' --noout '" + file.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << file;
}

}  // namespace test_support
