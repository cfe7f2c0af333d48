// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/Timer.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/vb/vb.h"

#include <QTimer>

namespace forms {

Timer::Timer(Form &form, const QString &name) : QObject(&form), timer_(new QTimer(this))
{
    setObjectName(name);
    QObject::connect(timer_, &QTimer::timeout, this, [this] {
        if (Tick)
            runEvent(Tick);
    });
}

void Timer::setInterval(int ms)
{
    if (ms < 0 || ms > 65535)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    interval_ = ms;
    apply();
}

void Timer::setEnabled(bool on)
{
    enabled_ = on;
    apply();
}

void Timer::apply()
{
    // An interval of 0 stops the timer, as the run time's does.
    if (enabled_ && interval_ > 0)
        timer_->start(interval_);
    else
        timer_->stop();
}

} // namespace forms
