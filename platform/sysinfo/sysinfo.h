// SPDX-License-Identifier: GPL-2.0-or-later
// The desktop work area (the part not covered by task bars) in twips, and the notice that the
// display settings changed.
#pragma once

#include <QObject>

namespace sysinfo {

struct WorkArea
{
    float left = 0, top = 0, width = 0, height = 0; // twips
};

class SystemInfo : public QObject
{
    Q_OBJECT
public:
    virtual WorkArea workArea() const = 0;

signals:
    void displayChanged();
};

// The primary screen's available geometry; follows screens being added, removed or resized.
class ScreenInfo : public SystemInfo
{
    Q_OBJECT
public:
    ScreenInfo();
    WorkArea workArea() const override;

private:
    void watchScreens();
};

} // namespace sysinfo
