// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace forms {

class Form;

// A timer whose Timer event runs every Interval milliseconds while it is enabled.
class Timer : public QObject
{
    Q_OBJECT
public:
    Timer(Form &form, const QString &name);
    QString Name() const { return objectName(); }
    int Interval() const { return interval_; }
    void setInterval(int ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);

    std::function<void()> Tick; // the Timer event

private:
    void apply();
    QTimer *timer_;
    int interval_ = 0;
    bool enabled_ = true;
};

} // namespace forms
