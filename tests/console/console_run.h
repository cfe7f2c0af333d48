// SPDX-License-Identifier: GPL-2.0-or-later
/*
 * console_run.h - runs the built console programs for the tests: a fresh
 * folder, a process with chosen arguments, environment and standard input,
 * and its captured standard output, standard error and exit status.
 */
#pragma once

#include <string>
#include <utility>
#include <vector>

struct RunRequest
{
    std::string exe;               /* the file that is executed */
    std::vector<std::string> argv; /* argument 0 included */
    std::string cwd;               /* folder the program runs in */
    std::string stdin_path;        /* empty: /dev/null */
    std::vector<std::pair<std::string, std::string>> env_set;
    std::vector<std::string> env_unset;
};

struct RunResult
{
    std::string out, err;
    int status = -1; /* exit status, -1 when a signal ended it */
    int signal = 0;
};

RunResult run_program(const RunRequest &request);

// The full path of a built program (fenrik, prosko).
std::string program_path(const std::string &name);

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);

// A fresh folder under the system's temporary folder, removed by the destructor.
class ScratchDir
{
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Where expected and actual bytes first differ, with a hex dump of both around it; empty if equal.
std::string describe_difference(const std::string &expected, const std::string &actual);
