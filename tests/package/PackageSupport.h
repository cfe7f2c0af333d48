// SPDX-License-Identifier: GPL-2.0-or-later
// What the package tests share: running tools found on the path, and the package that the
// build test made.
#pragma once

#include "console_run.h"

#include <string>
#include <vector>

// The full path of a program on the path, or empty.
std::string which(const std::string &name);

// Runs argv (its first element looked up on the path unless it holds a slash) in folder cwd.
RunResult run(const std::vector<std::string> &argv, const std::string &cwd = std::string(),
              const std::vector<std::pair<std::string, std::string>> &env = {});

// Why this machine cannot make or take apart a Debian package at all; empty when it can.
std::string whyNoDebianTools();

// The package file that the build test made, or empty when there is none.
std::string builtPackage();

// The programs that the build made, as their targets are named (gv for the GV stand-in).
std::vector<std::string> builtPrograms();

// The name a built program is installed under.
std::string installedName(const std::string &program);
