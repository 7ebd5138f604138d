#ifndef PLOT_H
#define PLOT_H

#include <qcustomplot.h>

// The spectrum and the signal plot of the work page: a QCustomPlot that lays
// itself out as soon as it is resized and renders at the pixel density of the
// screen it is shown on.
class Plot : public QCustomPlot
{
    Q_OBJECT

public:
    explicit Plot(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Renders at the screen's device pixel ratio from the next replot on.
    void followScreen();
};

#endif // PLOT_H
