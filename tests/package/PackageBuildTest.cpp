// SPDX-License-Identifier: GPL-2.0-or-later
// Makes the Debian package of this build with CPack, as "cpack -G DEB" does, into a folder of
// the tests' own; the package tests take it from there.
#include "PackageSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(Package, Builds)
{
    if (const std::string why = whyNoDebianTools(); !why.empty())
        GTEST_SKIP() << why;
    fs::remove_all(SUITE_PACKAGE_DIR);
    const RunResult r = run({SUITE_CPACK, "-G", "DEB", "--config", SUITE_CPACK_CONFIG, "-B", SUITE_PACKAGE_DIR});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_FALSE(builtPackage().empty()) << "cpack made no .deb file in " SUITE_PACKAGE_DIR "\n" << r.out;
}
