// SPDX-License-Identifier: GPL-3.0-or-later
#include "axisticker.h"

AxisTicker::AxisTicker(double step, int subTicks) : subTicks(subTicks)
{
    setTickStep(step);
    setScaleStrategy(ssNone);
}

int AxisTicker::getSubTickCount(double)
{
    return subTicks;
}
