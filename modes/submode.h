// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SUBMODE_H
#define SUBMODE_H

#include <QPen>
#include <QVector>
#include <complex>
#include <functional>

class Baseband;
class QCPGraph;
class QCustomPlot;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

// One spectrum submode on the two plots of the work page. The controller keeps
// exactly one, feeds it the values of the page's controls through
// setParameter() and deletes it through this base.
class Submode
{
public:
    // Submode numbers; they are not in combo box order.
    enum Kind {
        WavePacket = 0,
        SeparateHarmonics = 1,
        Gaussian = 2,
        Rectangular = 3,
        Drawn = 4,
        Lorentzian = 5
    };

    Submode(int kind, QCustomPlot *spectrumPlot, QCustomPlot *signalPlot, QLabel *titleLabel);
    virtual ~Submode();

    // Recomputes the spectrum and the signal and replots both plots.
    virtual void redraw() = 0;
    // The parameter channel: index as the page's controls number them.
    virtual void setParameter(int index, double value) = 0;
    // The signal now shown as the real part of its complex baseband (see
    // Baseband), added into out at Baseband's grid; nothing for no signal.
    virtual void fillBaseband(QVector<std::complex<double>> &out) const = 0;
    // The same, sampled and ready to play.
    Baseband baseband() const;

    int submodeKind() const { return kind; }

    // "Огибающая": every submode shows, after each redraw, the envelope of
    // its signal, the widths of the spectrum and of the envelope and their
    // product; kept from one submode to the next.
    static void setEnvelopeShown(bool on) { envelopeShown = on; }
    static bool isEnvelopeShown() { return envelopeShown; }

protected:
    // Puts a value into one of the page's controls. A control that already
    // holds it is left alone: rewriting it would reformat the text under the
    // lecturer's cursor while a number is being typed ("1" turning into
    // "1.00" before the ".5" arrives). The box echoes the value back through
    // the window into setParameter(), which judges it again; the graphs are
    // not rebuilt in the echo, since its caller redraws once it is done.
    void setControl(QDoubleSpinBox *box, double value);
    void setControl(QSpinBox *box, int value);
    // Asks for the plot to be rendered once control is back in the event loop.
    // One user action can rebuild the graphs more than once (a drag move sets
    // two parameters); the plot is drawn once.
    static void replot(QCustomPlot *plot);
    // A new graph on the plot's default axes, drawn by the program's own
    // curve rasteriser (CurveGraph); the plot owns it.
    static QCPGraph *addGraph(QCustomPlot *plot);
    // Adds the signal curve to the signal plot, drawn with the signal pen; the
    // times must rise, as every submode builds them.
    void addSignalGraph(const QVector<double> &times, const QVector<double> &values) const;

    // What a submode knows of its envelope.
    struct EnvelopeShape
    {
        // E at each of the time samples; empty where there is no signal.
        QVector<double> magnitudes;
        // The envelope is drawn from this sample on.
        int firstShown = 0;
        // E(t) itself, where it is cheap, for the width of the envelope.
        std::function<double(double)> exact;
        // The spectrum's width: Δf, and where the marker runs at which level.
        double spectrumWidth = 0.0;
        double spectrumFrom = 0.0;
        double spectrumTo = 0.0;
        double spectrumLevel = 0.0;
        // Separate harmonics: the envelope repeats, its period is read out.
        bool periodic = false;
        double spacing = 0.0;
    };
    // Asked only while the envelope is shown, after the signal is made.
    virtual EnvelopeShape envelopeShape() const = 0;
    // The last step of every redraw: the envelope, the widths and the
    // readout as "Огибающая" says, or none of them.
    void drawEnvelope() const;

    const int kind;
    bool ready = false;
    // Inside setControl(): redraw() leaves the graphs to its caller.
    bool echoing = false;
    QCustomPlot *const spectrumPlot;
    QCustomPlot *const signalPlot;
    QVector<double> spectrumKeys;
    QVector<double> spectrumValues;
    QVector<double> timeSamples;
    QVector<double> signalSamples;
    QPen spectrumPen;
    QPen signalPen;
    QLabel *const titleLabel;

private:
    static bool envelopeShown;

    Q_DISABLE_COPY(Submode)
};

#endif // SUBMODE_H
