// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLAYHEAD_H
#define PLAYHEAD_H

#include <QWidget>

class QCustomPlot;

// A thin vertical line over the signal plot at the time now sounding. It is a
// child widget of its own, so that moving it repaints only the two strips it
// leaves and enters, from the plot's finished buffer: no curve or axis is
// rendered anew.
class Playhead : public QWidget
{
    Q_OBJECT

public:
    explicit Playhead(QCustomPlot *plot);

    // Over time t of the plot's time axis, across its axis rectangle; hidden
    // where t is off the axis.
    void moveTo(double t);
    // Hidden, leaving no trace at any scale.
    void leave();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QCustomPlot *const plot;
};

#endif // PLAYHEAD_H
