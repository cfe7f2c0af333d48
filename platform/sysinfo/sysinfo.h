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

// A work area fixed by the caller, for tests and for running without a screen.
class FixedWorkArea : public SystemInfo
{
    Q_OBJECT
public:
    FixedWorkArea(float left, float top, float width, float height) : area_{left, top, width, height} {}
    WorkArea workArea() const override { return area_; }
    // Changes the area and sends the display-change notice.
    void change(const WorkArea &a)
    {
        area_ = a;
        emit displayChanged();
    }

private:
    WorkArea area_;
};

} // namespace sysinfo
