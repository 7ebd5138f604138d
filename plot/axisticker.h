// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef AXISTICKER_H
#define AXISTICKER_H

#include <qcustomplot.h>

// Ticks at a fixed step with a fixed number of sub-ticks between two ticks.
// QCPAxisTickerFixed alone derives the sub-tick count from the step, so an
// axis ticked every 2.5 s would not get the four sub-ticks the plots need.
class AxisTicker : public QCPAxisTickerFixed
{
public:
    AxisTicker(double step, int subTicks);

    int subTickCount() const { return subTicks; }

protected:
    int getSubTickCount(double tickStep) override;

private:
    const int subTicks;
};

#endif // AXISTICKER_H
