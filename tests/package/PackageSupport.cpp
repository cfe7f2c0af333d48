// SPDX-License-Identifier: GPL-2.0-or-later
// Running tools and finding the package for the package tests.
#include "PackageSupport.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

std::string which(const std::string &name)
{
    const char *path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate))
            return candidate;
    }
    return std::string();
}

RunResult run(const std::vector<std::string> &argv, const std::string &cwd,
              const std::vector<std::pair<std::string, std::string>> &env)
{
    RunRequest request;
    request.exe = argv.front().find('/') == std::string::npos ? which(argv.front()) : argv.front();
    if (request.exe.empty()) {
        RunResult missing;
        missing.status = 127;
        missing.err = argv.front() + ": not found on the path";
        return missing;
    }
    request.argv = argv;
    request.cwd = cwd;
    request.env_set = env;
    request.env_unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    return run_program(request);
}

std::string whyNoDebianTools()
{
    if (which("dpkg-deb").empty())
        return "dpkg-deb is missing: this is not a Debian system, so no Debian package can be made";
    return std::string();
}

std::string builtPackage()
{
    if (!fs::is_directory(SUITE_PACKAGE_DIR))
        return std::string();
    for (const auto &entry : fs::directory_iterator(SUITE_PACKAGE_DIR))
        if (entry.path().extension() == ".deb")
            return entry.path().string();
    return std::string();
}

std::vector<std::string> builtPrograms()
{
    std::vector<std::string> programs;
    std::istringstream list(SUITE_PROGRAMS);
    for (std::string p; std::getline(list, p, ',');)
        if (!p.empty())
            programs.push_back(p);
    return programs;
}

std::string installedName(const std::string &program) { return program == "gv" ? "tavlo-gv" : program; }
