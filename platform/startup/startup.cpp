// SPDX-License-Identifier: GPL-2.0-or-later
// --help, --version and the choice of the window system platform.
#include "platform/startup/startup.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace startup {

const char *suiteVersion() { return SUITE_VERSION; }

const char *shownName(const char *argv0, const ProgramInfo &info)
{
    if (!argv0 || !*argv0)
        return info.name;
    const char *slash = std::strrchr(argv0, '/');
    const char *base = slash ? slash + 1 : argv0;
    return *base ? base : info.name;
}

Request requestOf(const char *arg)
{
    if (!arg)
        return Request::None;
    Request request = Request::None;
    if (std::strcmp(arg, "--help") == 0)
        request = Request::Help;
    else if (std::strcmp(arg, "--version") == 0)
        request = Request::Version;
    struct stat st;
    if (request != Request::None && stat(arg, &st) == 0)
        return Request::None;
    return request;
}

bool writeHelp(std::FILE *out, const char *argv0, const ProgramInfo &info)
{
    const bool bare = !info.usage || !*info.usage;
    std::fprintf(out, "Usage: %s%s%s\n\n%s", shownName(argv0, info), bare ? "" : " ", bare ? "" : info.usage,
                 info.help);
    return std::fflush(out) == 0 && !std::ferror(out);
}

bool writeVersion(std::FILE *out, const char *argv0, const ProgramInfo &info)
{
    std::fprintf(out, "%s (Tavlo suite) %s\n", shownName(argv0, info), suiteVersion());
    return std::fflush(out) == 0 && !std::ferror(out);
}

std::optional<int> answerInfoRequest(int argc, char **argv, const ProgramInfo &info)
{
    if (argc < 2)
        return std::nullopt;
    const char *argv0 = argv[0];
    bool written = false;
    switch (requestOf(argv[1])) {
    case Request::None: return std::nullopt;
    case Request::Help: written = writeHelp(stdout, argv0, info); break;
    case Request::Version: written = writeVersion(stdout, argv0, info); break;
    }
    if (written)
        return 0;
    std::fprintf(stderr, "%s: cannot write to standard output: %s\n", shownName(argv0, info), std::strerror(errno));
    return 1;
}

void chooseX11Platform()
{
    const char *chosen = std::getenv("QT_QPA_PLATFORM");
    if (!chosen || !*chosen)
        setenv("QT_QPA_PLATFORM", "xcb;wayland", 1);
}

std::optional<int> startWindowProgram(int argc, char **argv, const ProgramInfo &info)
{
    if (const std::optional<int> status = answerInfoRequest(argc, argv, info))
        return status;
    chooseX11Platform();
    return std::nullopt;
}

} // namespace startup
