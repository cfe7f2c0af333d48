// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Program.h"

#include <cassert>

namespace forms {

namespace {

Program *&top()
{
    static Program *p = nullptr;
    return p;
}

} // namespace

Program::Program() : previous_(top()) { top() = this; }

Program::~Program()
{
    assert(top() == this && "programs end in the reverse order of their making");
    top() = previous_;
}

Program &Program::current()
{
    if (!top())
        new Program; // kept to the end of the process: its windows may outlive any scope
    return *top();
}

} // namespace forms
