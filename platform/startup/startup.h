// SPDX-License-Identifier: GPL-2.0-or-later
// What every program of the suite does before anything else: answer --help and --version as
// Linux users expect, and, for the window programs, choose the window system platform.
// Standard library only, so that the console tools can use it too.
#pragma once

#include <cstdio>
#include <optional>

namespace startup {

struct ProgramInfo
{
    const char *name;  // the program's name, used where argument 0 gives none
    const char *usage; // what follows the name on the usage line: "[/t] [FILE...]"
    const char *help;  // the rest of the --help text, ending in a newline
};

// The suite's version, as --version reports it.
const char *suiteVersion();

// The name the program was started by (the last part of argument 0), else info.name.
const char *shownName(const char *argv0, const ProgramInfo &info);

// Whether an argument asks for the help text or the version. It does when it is exactly
// "--help" or "--version" and names no existing file or folder: what exists is a name, as it
// is for every other argument of the suite's programs.
enum class Request { None, Help, Version };
Request requestOf(const char *arg);

// Writes the help text ("Usage: NAME USAGE", a blank line, the rest) or the version line.
// Returns false when the stream could not be written.
bool writeHelp(std::FILE *out, const char *argv0, const ProgramInfo &info);
bool writeVersion(std::FILE *out, const char *argv0, const ProgramInfo &info);

// When the first argument asks for the help text or the version, writes it to standard output
// and returns the exit status: 0, or 1 when standard output could not be written (with a
// message on standard error). Otherwise returns nothing and the program goes on; no other
// argument is looked at.
std::optional<int> answerInfoRequest(int argc, char **argv, const ProgramInfo &info);

// Chooses Qt's X11 platform (xcb) when QT_QPA_PLATFORM is not set, before the application
// object is made: the window programs place their windows and move the focus, which Wayland
// does not let a program do, so on a Wayland desktop they run through XWayland. Where no X
// server can be reached at all, Qt falls back to Wayland (when its plugin is installed), so
// that the program still opens, with its windows placed by the compositor. Programs started
// from here inherit the choice.
void chooseX11Platform();

// For window programs, first thing in main: answerInfoRequest, and when it did not answer,
// chooseX11Platform.
std::optional<int> startWindowProgram(int argc, char **argv, const ProgramInfo &info);

} // namespace startup
