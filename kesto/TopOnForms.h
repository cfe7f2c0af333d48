// SPDX-License-Identifier: GPL-2.0-or-later
// Keeps a window above all others, or lets it go back among them.
#pragma once

namespace forms {
class Form;
}

namespace kesto {

// Returns whether the window is now kept on top as asked.
bool setTopMost(forms::Form &window, bool flag);

} // namespace kesto
