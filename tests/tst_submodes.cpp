// SPDX-License-Identifier: GPL-3.0-or-later
// The spectra of the work page, their signals and what the mouse and the boxes do to them.
#include "modecontroller.h"
#include "spline.h"
#include "submode.h"
#include "testsupport.h"

#include <QLabel>
#include <QSpinBox>
#include <QtTest>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <tuple>

using namespace TestSupport;

namespace {
const double Pi = 3.141592653589793, TwoPi = 2 * Pi;

// As the boxes and the tests' points are written: "0.3", not 0.30000000000000004.
QString num(double v)
{
    return QString::number(std::round(v * 100) / 100);
}

// The largest distance of a signal graph from the mean of a_k cos(2 pi f_k t) on the grid of
// 1001 samples from -10 to 10 s; infinite for another grid.
double cosineMeanError(const QCPGraph *signal, const Doubles &f, const Doubles &a)
{
    const Doubles t = keys(signal), s = values(signal);
    double worst = t.size() == 1001 && t.at(500) == 0.0 ? 0.0 : qInf();
    for (int i = 0; i < t.size(); ++i) {
        double mean = 0.0;
        for (int k = 0; k < f.size(); ++k)
            mean += a[k] * std::cos(TwoPi * f[k] * t[i]) / f.size();
        for (double e : {std::fabs(t[i] - (i * 0.02 - 10.0)), std::fabs(s[i] - mean)})
            worst = std::max(worst, std::isnan(e) ? qInf() : e);
    }
    return worst;
}

} // namespace

class SubmodesTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init() { openWindow(); }

    // A lecturer's actions (named before the first colon) and what the page shows: see run().
    void actions_data()
    {
        QTest::addColumn<QString>("script");
        for (
            const QString row :
            {// Picks restore defaults; typed keys are not rewritten ("1" into "1.00").
             "Gaussian and Lorentzian: continuous; set f0 1.7; set w 2.2; pick 0; = 3 0.6 at 270 "
             "330; pens = #ff0000ff/3 #9eff0000/2 dashed #ffff0000/3; label_9 = Гауссов спектр; "
             "label_2 = Ширина по уровню e<sup>-1</sup>; type f0 0; "
             "= 0 0.6 at 30; type f0 3; type w 1.5; = 3 1.5 at 225 375; param 7 1; param 1 7; "
             "param 0 -2; = 0 3 at 150; set f0 1.7; set w 2.2; pick 2; = 3 0.3 at 285 315; label_9 "
             "= Лоренцовский спектр; type f0 5; type w 1; = 5 1 at 450",
             // The edges follow exact double comparisons of i * 0.01 with f0 -+ 0.5 * w.
             "rectangle: continuous; set f0 1.7; set w 2.2; pick 1; = 3 0.4 280..320; label_9 = "
             "Прямоугольный спектр; label_2 = Ширина; type f0 1; type w 0.3; = 1 0.3 85..114; type "
             "f0 3; type w 0.01; = 3 0.01 300..300; type f0 0; type w 0.4; = 0 0.4 0..20; type f0 "
             "5; type w 1; = 5 1 450..500; type f0 2.5; type w 3; = 2.5 3 100..400",
             // A count below the selection narrows the harmonic box, whose echo selects anew.
             "count loads its example, discarding edits: discrete; set harmonics 3; set k 3; type "
             "f 4.4; set a 0; = 2.9:0.5 3:1 4.4:0*; pens = #ff000000/3 #ff0000ff/3 #ffff0000/3 "
             "#ffff0000/3; set harmonics 1; = 0.2:1*; label_9 = "
             "Гармонический сигнал; legend = 1; set harmonics 3; set k 3; set a 0; set harmonics "
             "2; = 1:1* 1.1:1; label_9 = Картина биений; legend = 1 2; set k 2; type f 4.4; set a "
             "0; = 1:1 4.4:0*; set harmonics 3; = 2.9:0.5* 3:1 3.1:0.5; label_9 = Амплитудная "
             "модуляция; legend = 1 2 3; set harmonics 1; set a 0; type harmonics 3; = 2.9:0.5* "
             "3:1 3.1:0.5",
             // Asked twice: then no echo of the boxes could cover for a missing bound.
             "harmonics held to the boxes' ranges: discrete; param 0 7; param 1 9; param 2 8; "
             "param 3 -0.5; = 2.9:0.5 3:1 5:0*; param 0 7; param 1 9; param 2 8; param 3 -0.5; = "
             "2.9:0.5 3:1 5:0*; param 0 0; param 1 -4; = 0.2:1*; param 0 0; param 1 2; = 0.2:1*",
             "harmonic within 0.05, the highest-numbered wins: discrete; set harmonics 2; edge 1.1 "
             "1 0.05; press edge 1; move 2 0.5; release 2 0.5; = 1:1* 1.1:1; press edge; = 1:1 "
             "1.1:1*; move 1 1; release 1 1; press 1.04 1; move 3 0.2; = 1:1 3:0.2*",
             "harmonic dragged on the grid, stopped at the edges: discrete; move 3 0.5; press 0.2 "
             "1; move 1.34 0.56; = 1.3:0.6*; move 2.46 0.24; = 2.5:0.2*; move 6 1.5; = 5:1*; move "
             "-0.4 -0.3; = 0:0*; move 0.71 0.33; release 0.71 0.33; move 3.5 0.9; = 0.7:0.3*",
             "leaving takes the legend, leaves the time axis at 10: discrete; set harmonics 3; "
             "time = -10 10.1; pick 1; legend = hidden; menu; = menu 20; time = -10 10; discrete; "
             "= 0.2:1*; legend = 1; menu; legend = hidden",
             // A wide packet left in the boxes keeps its centre in a new packet.
             "refused packet values come back: discrete; pick 1; = 20 4 0.02; pens = #ff0000ff/1 "
             "#ffff0000/3; type A 4.7; set A "
             "4.8; = 20 4.7 0.02; set A 4; set B 0.05; type B 0.1; = 20 4 0.05; fit 20 2.5 0.1; "
             "set N 50; = 20 2.5 0.1; fit 45 2.5 0.1; pick 1; = 20 2.5 0.02; set A 4.9; = 20 2.5 "
             "0.02; set B 0.05; pick 1; = 20 4 0.02",
             // Of six within reach of 4 Hz 3.975 is held: a pointer at 4.235 shifts by 0.3.
             "packet within 0.03, the lowest wins: discrete; pick 1; set N 1; edge 4 0 0.03; press "
             "edge 1; move 3.02 0.5; release 3 0.5; = 1 4 0.02; press edge; move 3.02 0.5; release "
             "3 0.5; = 1 3 0.02; fit 20 4 0.01; stroke 4 0.5 4.235 0.5; = 20 4.3 0.01",
             // 4.19 holds 4.17; 4.8 would leave 5 Hz. A count typed down to the held index ends it.
             "packet dragged on the grid, refused as a whole: discrete; pick 1; press 4.19 1; move "
             "4.7 0.9; = 20 4.5 0.02; move 5 0.9; move 6 0.9; = 20 4.5 0.02; move 4.47 0.9; move "
             "4.47 0.9; = 20 4.3 0.02; move -1 0.9; = 20 4.3 0.02; move 0.5 0.9; move 0.3 0.9; = "
             "20 0.3 0.02; release 0.3 0.9; move 2 0.9; stroke 3 0.5 4 0.5; = 20 0.3 0.02; press "
             "0.23 1; type N 5; move 1 1; set N 20; move 1 1; = 20 0.3 0.02",
             // 0.4 - 0.1 = 0.30000000000000004 fits, the box's 0.3 does not.
             "packet dragged to a rounded refusal: discrete; pick 1; type N 1; type A 0.4; type B "
             "0.1; type N 7; = 7 0.4 0.1; stroke 0.1 0.5 0 0.5; = 7 0.4 0.1; type A 0.2; = 7 0.4 "
             "0.1",
             "strokes keep points further right, end on the border, or show as impulses: "
             "continuous; pick 3; = hint; draw 1 0.2 0.5 0.9 2.5 1.04 1.5 0.3 2.5 0.5; = 1:0.2 "
             "2.5:1; move 5.3 -0.1; move 5.6 -0.02; = 1:0.2 2.5:1 5:0; release 5 0; = curve; pick "
             "0; = 3 0.6 at 270 330; pick 3; stroke 2.5 0.6; = impulses 2.5:0.6; clear; stroke "
             "-0.1 0.6; = impulses 0:0.6; clear; stroke 1 0.6 4 0.6 3 0.6 0.5 0.6; = impulses "
             "1:0.6 4:0.6",
             // Clearing mid-stroke (by keyboard) starts it afresh; a stray release ends none.
             "second stroke waits for clearing: continuous; pick 3; stroke 0.5 0.1 1 0.7 1.5 0.3 2 "
             "0.8; stroke 3 0.9 3.5 0.2 4 0.9; = curve; param 0 0.5; = curve; clear; =; draw 3 0.9 "
             "3.5 0.2 4 0.9; = 3:0.9 3.5:0.2 4:0.9; release 4 0.9; = curve; clear; draw 2 0.5 3 "
             "0.5; clear; move 1 0.3; move 1.5 0.6; = 1:0.3 1.5:0.6; release 1.5 0.6; = impulses "
             "1:0.3 1.5:0.6; clear; release 1 0.5; press 2 0.5; clear; release 2 0.5; stroke 3 0.9 "
             "3.5 0.2 4 0.9; = curve",
             "spline below 0: continuous; pick 3; stroke 0.4 0.1 0.9 0.95 1.3 0.05 2.6 0.6 2.7 "
             "0.65; = curve below 0; clear; stroke 0.5 0.02 1 0.02 1.45 0.02 1.5 1 1.55 0.02 2 "
             "0.02 3 0.02; = curve below 0; clear; stroke 1 -0.1 2 0 4 -0.1; = curve at 0"})
            QTest::newRow(qPrintable(row.section(": ", 0, 0))) << row.section(": ", 1);
        // The packet's fit rule: the defaults at both ends; odd counts touch 0 and 5 Hz, even
        // ones keep a step clear; 1 anywhere; 50 narrow; 49 and 20 wide.
        QString fits = "discrete; pick 1";
        for (const QString fit :
             {"20 0.3 0.02 1", "20 0.2 0.02 0", "20 4.7 0.02 1", "20 4.8 0.02 0", "3 0.1 0.1 1",
              "5 4.8 0.1 1", "2 0.1 0.1 0", "1 0 0.01 1", "1 5 0.1 1", "50 0.6 0.02 1",
              "50 0.5 0.02 0", "50 4.4 0.02 1", "50 4.5 0.02 0", "49 2.5 0.1 1", "49 2.7 0.1 0",
              "20 2.5 0.1 1"}) {
            const QStringList w = fit.split(' '); // N A B, and whether it fits
            fits += QString("; fit %1 %2 %3; = %1 %4 %3")
                        .arg(w[0], w[1], w[2], w[3] == "1" ? w[1] : "2.5");
        }
        QTest::newRow("the packet's fit rule") << fits;
    }
    void actions()
    {
        QFETCH(QString, script);
        run(script);
    }

    // "Огибающая" down ("+" clicks it): under the signal +-E(t) from the lines' formulas, or
    // |sum of a e^(2 pi i f t)| of the spectrum shown (scaled as the signal), never below
    // |signal|; the markers at e^-1 of each peak; the readout as given, or with the widths
    // measured here on those curves. "-": nothing of it, on either plot.
    void envelope_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("readout");
        QStringList rows{
            "continuous; +; set w 0.3 = Δf = 0.30 Гц   Δt = 4.24 с   Δf·Δt = 1.27",
            "continuous; +; set w 0.05 = Δf = 0.0500 Гц   Δt > 20 с",
            "continuous; +",
            "continuous; pick 2; +; set w 0.1",
            "continuous; pick 2; +",
            "discrete; +; pick 1",
            "discrete; pick 1; +; set N 5",
            "discrete; pick 1; +; set N 50",
            "continuous; pick 3; +; stroke 1 0.02 1.5 0.3 2 0.9 2.5 0.4 3 0.05",
            "discrete; + = огибающая постоянна",
            "discrete; +; set harmonics 2 = T = 10.0 с   δf = 0.10 Гц",
            "discrete; +; set harmonics 2; set k 2; type f 1.4 = T = 2.5 с   δf = 0.40 Гц",
            "discrete; +; set harmonics 3; set k 2; set a 0 = T = 5.0 с   δf = 0.20 Гц",
            "continuous; +; menu; discrete = огибающая постоянна",
            "continuous; +; + = -",
            "continuous; +; pick 3 = -",
            "continuous; pick 3; +; draw 1 0.5 2 0.6 = -",
            "continuous; pick 3; +; stroke 1 0 2 0 3 0 = -"};
        for (const char *w : {"0.1", "0.3", "1"})
            for (const char *pick : {"0", "1"})
                rows << QString("continuous; pick %1; +; set f0 2.5; set w %2").arg(pick, w);
        for (const QString &row : rows)
            QTest::newRow(qPrintable(row)) << row.section(" = ", 0, 0) << row.section(" = ", 1);
    }
    void envelope()
    {
        QFETCH(QString, steps);
        QFETCH(QString, readout);
        perform(steps.replace("+", "click envelopeButton") + "; settle");
        const auto *const text = signal->findChild<QCPItemText *>("widthReadout");
        const auto *const fMark = spectrum->findChild<QCPItemLine *>("spectrumWidthMarker");
        const auto *const tMark = signal->findChild<QCPItemLine *>("signalWidthMarker");
        if (readout == "-") {
            QVERIFY(!text && !fMark && !tMark && signal->graphCount() <= 1);
            return;
        }
        QVERIFY(text && signal->graphCount() == 3);
        const int kind = window->modeController()->currentSubmode()->submodeKind();
        // The spectrum as shown, and E(t) from it or from the line's formula.
        Doubles f, a;
        for (const QCPGraph *g : spectrum->xAxis->graphs())
            f << keys(g).mid(0, 501), a << values(g).mid(0, 501);
        const bool drawn = kind == Submode::Drawn, line = kind == Submode::Gaussian ||
                                                          kind == Submode::Rectangular ||
                                                          kind == Submode::Lorentzian;
        const double w = value("w"), e = 0.36787944117144233;
        double scale = 1.0 / f.size();
        const auto sum = [&](double t) {
            std::complex<double> b;
            for (int k = 0; k < f.size(); ++k)
                b += std::polar(a[k], TwoPi * f[k] * t);
            return b;
        };
        const Doubles t = keys(signal->graph(0)), s = values(signal->graph(0));
        if (drawn) {
            scale = 0;
            for (const double x : t)
                scale = std::max(scale, std::fabs(sum(x).real()));
            scale = 1 / scale;
        }
        const auto expected = [&](double x) {
            const double g = Pi * w * x;
            return kind == Submode::Gaussian      ? std::exp(-g * g / 4)
                   : kind == Submode::Rectangular ? (x == 0 ? 1.0 : std::fabs(std::sin(g) / g))
                   : kind == Submode::Lorentzian
                       ? (x < 0 ? 0.0 : std::exp(-g / std::sqrt(std::exp(1.0) - 1)))
                       : scale * std::abs(sum(x));
        };
        const Doubles upper = values(signal->graph(1)), lower = values(signal->graph(2));
        const int first = t.size() - upper.size();
        QVERIFY(keys(signal->graph(1)) == t.mid(first) && first == (kind == 5 ? 500 : 0));
        for (int j = 0; j < upper.size(); ++j)
            QVERIFY2(std::fabs(upper[j] - expected(t[first + j])) < 1e-3 * expected(0) &&
                         lower[j] == -upper[j] && upper[j] >= std::fabs(s[first + j]),
                     qPrintable(QString::number(t[first + j])));
        for (int i : {1, 2})
            QVERIFY(signal->graph(i)->pen().style() == Qt::DashLine &&
                    !signal->legend->hasItemWithPlottable(signal->graph(i)));
        // The widths: the line's own, the packet's N steps, the drawn curve measured; the
        // envelope's half-width on each side of its peak at t = 0.
        const auto [peak, from, to] = drawn ? around(f, a) : std::tuple(1.0, 0.0, 0.0);
        const double df = drawn ? to - from : line ? w : f.size() * value("B");
        double dt = 0;
        for (const int side : {-1, 1}) {
            double in = 0, out = 0;
            while ((out += side * 0.01) * side < 10 && expected(out) >= e * expected(0))
                in = out;
            for (int i = 0; i < 40 && out * side < 10; ++i)
                (expected((in + out) / 2) >= e * expected(0) ? in : out) = (in + out) / 2;
            dt += side * in + (out * side >= 10 ? qInf() : 0);
        }
        if (readout.isEmpty())
            readout = dt < 20 ? QString("Δf = %1 Гц   Δt = %2 с   Δf·Δt = %3")
                                    .arg(df, 0, 'f', 2)
                                    .arg(dt, 0, 'f', 2)
                                    .arg(df * dt, 0, 'f', 2)
                              : QString();
        const QStringList shown = text->text().split(' '), wanted = readout.split(' ');
        const double close = drawn ? 0.03 : 0.01;
        QCOMPARE(shown.size(), wanted.size());
        for (int i = 0; i < shown.size(); ++i)
            QVERIFY2(shown[i] == wanted[i] ||
                         std::fabs(shown[i].toDouble() / wanted[i].toDouble() - 1) < close,
                     qPrintable(text->text() + " against " + readout));
        // Markers where there are widths: at e^-1 of the peak, as wide as read out.
        QCOMPARE(!fMark, !readout.contains("Δf"));
        QCOMPARE(!tMark, !readout.contains("Δt ="));
        if (fMark)
            QVERIFY(std::fabs(fMark->start->coords().y() - e * peak) < 1e-9 &&
                    fMark->end->coords().y() == fMark->start->coords().y() &&
                    std::fabs((fMark->end->coords().x() - fMark->start->coords().x()) / df - 1) <
                        close);
        if (tMark)
            QVERIFY(std::fabs(tMark->start->coords().y() - e * expected(0)) < 1e-3 &&
                    std::fabs((tMark->end->coords().x() - tMark->start->coords().x()) / dt - 1) <
                        close);
    }

private:
    // The highest sample and where the curve crosses e^-1 of it either side, between samples.
    static std::tuple<double, double, double> around(const Doubles &x, const Doubles &y)
    {
        const int top = std::max_element(y.begin(), y.end()) - y.begin();
        int lo = top, hi = top;
        const double level = 0.36787944117144233 * y[top];
        while (lo > 0 && y[lo - 1] >= level)
            --lo;
        while (hi + 1 < y.size() && y[hi + 1] >= level)
            ++hi;
        const auto cross = [&](int i, int j) {
            return x[i] + (x[j] - x[i]) * (y[i] - level) / (y[i] - y[j]);
        };
        return {y[top], lo ? cross(lo, lo - 1) : x[0],
                hi + 1 < y.size() ? cross(hi, hi + 1) : x[hi]};
    }

    // Carries out perform()'s steps and these: "= text" checks state(), "name = text" shown();
    // "fit N A B" sets the packet by a road on which every change fits; "edge f a r" finds the last
    // pixel right of a marker within reach r, where "press edge d" and "move edge d" put the mouse
    // d pixels further.
    void run(const QString &script)
    {
        for (const QString &step : script.split(';')) {
            QStringList w = step.simplified().split(' ');
            const QString what = w.takeFirst();
            Doubles v;
            for (const QString &word : w)
                v << word.toDouble();
            if (QTest::currentTestFailed())
                return;
            if (what == "=" || w.value(0) == "=")
                QCOMPARE(what == "=" ? state() : shown(what), w.mid(what != "=").join(' '));
            else if (w.value(0) == "edge")
                mouse(what == "press" ? QEvent::MouseButtonPress : QEvent::MouseMove,
                      edge + QPoint(int(v.value(1)), 0));
            else if (what == "edge")
                for (edge = at(v[0], v[1]);
                     std::hypot(spectrum->xAxis->pixelToCoord(edge.x() + 1) - v[0],
                                spectrum->yAxis->pixelToCoord(edge.y()) - v[1]) < v[2];)
                    edge.rx()++;
            else if (what == "fit")
                perform(QString("set N 1; set A 2.5; set B %3; set N %1; set A %2")
                            .arg(w[0], w[1], w[2]));
            else if (what == "stroke")
                run("draw " + w.join(' ') + "; release " + w.mid(w.size() - 2).join(' '));
            else if (what == "release" && signal->graphCount() == 0) {
                // the points that make the curve, for state()
                knots = {keys(spectrum->graph(0)), values(spectrum->graph(0))};
                perform(step);
            } else
                perform(step);
        }
    }
    double value(const char *name) const { return box(name)->property("value").toDouble(); }

    // A box's value or a label's text; also "pens" (of every graph of both plots), "legend"
    // (its entries) and "time" (the signal plot's time axis).
    QString shown(const QString &name) const
    {
        QStringList out;
        for (const QCustomPlot *plot : {spectrum, signal})
            for (const QCPGraph *g : plot->xAxis->graphs())
                out << g->pen().color().name(QColor::HexArgb) + "/" + num(g->pen().widthF()) +
                           (g->pen().style() == Qt::DashLine ? " dashed" : "");
        if (name == "pens")
            return out.join(' ');
        out.clear();
        for (int i = 0; name == "legend" && i < spectrum->legend->itemCount(); ++i)
            out << spectrum->graph(i)->name();
        if (name == "legend")
            return spectrum->legend->visible() ? out.join(' ') : "hidden";
        if (name == "time")
            return num(signal->xAxis->range().lower) + " " + num(signal->xAxis->range().upper);
        const auto *const label = qobject_cast<QLabel *>(box(name));
        return label ? label->text() : num(value(qPrintable(name)));
    }

    // The page in one line: "hint" while it shows; harmonics f:a (the selected one
    // starred); the packet's "N A B"; a line's "f0 w" and where it meets the dashed
    // level ("at i j") or the rectangle's run of ones ("i..j"); drawn points f:a, or
    // "curve" ("below 0", "at 0"). "(disagrees)" when the rest of the page does not.
    QString state() const
    {
        const Submode *const mode =
            window->modeController() ? window->modeController()->currentSubmode() : nullptr;
        const int kind = mode ? mode->submodeKind() : -1, k = value("k") - 1;
        Doubles f, a, t, y;
        for (const QCustomPlot *plot : {spectrum, signal})
            for (const QCPGraph *g : plot->xAxis->graphs())
                (plot == spectrum ? f : t) << keys(g), (plot == spectrum ? a : y) << values(g);
        const int n = f.size();
        const bool harmonics = kind == Submode::SeparateHarmonics,
                   points = kind == Submode::Drawn && t.isEmpty();
        QStringList out{find<QLabel>("label_28")->isVisible() ? "hint" : ""};
        if (points && spectrum->graph(0)->lineStyle() == QCPGraph::lsImpulse)
            out << "impulses";
        for (int i = 0; i < n && (harmonics || points); ++i)
            out << num(f[i]) + ":" + num(a[i]) + (harmonics && i == k ? "*" : "");
        bool agrees = true;
        if (harmonics) { // the boxes show the selected one; the signal is the mean of the cosines
            agrees = value("harmonics") == n && find<QSpinBox>("spinBox_3")->maximum() == n &&
                     value("f") == f.value(k) && value("a") == a.value(k) &&
                     cosineMeanError(signal->graph(0), f, a) < 1e-12;
        } else if (kind == Submode::WavePacket) {
            out << shown("N") << shown("A") << shown("B");
            agrees = n == value("N") && y.value(500) == 1.0 &&
                     cosineMeanError(signal->graph(0), f, a) < 1e-9;
            for (int i = 0; i < n; ++i)
                agrees &= a[i] == 1.0 &&
                          std::fabs(f[i] - value("A") - (i - (n - 1) / 2.0) * value("B")) < 1e-9;
        } else if (kind == Submode::Drawn && !points) {
            const auto [low, high] = std::minmax_element(a.begin(), a.end());
            out << "curve" << (*low < 0 ? "below 0" : *low == *high ? "at 0" : "");
            agrees = curveAgrees(f, a, t, y);
        } else if (mode && !points) {
            // The spectrum every 0.01 Hz, 1 at f0; the analytic signal every 0.02 s, with sigma =
            // w / (2 sqrt 2) for the Gaussian and g = w / (2 sqrt(e - 1)) for the Lorentzian.
            const double f0 = value("f0"), w = value("w"), level = 0.36787944117144233;
            const int shape = kind == Submode::Gaussian ? 0 : kind == Submode::Rectangular ? 1 : 2;
            const auto one = std::find(a.begin(), a.end(), 1.0) - a.begin(),
                       ones = std::count(a.begin(), a.end(), 1.0);
            out << shown("f0") << shown("w")
                << (shape == 1 ? QString("%1..%2").arg(one).arg(one + ones - 1) : "at");
            agrees = n == (shape == 1 ? 501 : 507) && t.size() == 1001 && y[500] == 1.0 &&
                     a[qRound(f0 * 100)] == 1.0 &&
                     f.mid(501) == (shape == 1 ? Doubles() : Doubles{0, 1, 2, 3, 4, 5}) &&
                     a.mid(501) == Doubles(n - 501, level);
            for (int i = 0; i < qMin(n, 501); ++i) {
                agrees &= f[i] == i * 0.01 &&
                          (shape != 1 || a[i] == (one <= i && i < one + ones ? 1.0 : 0.0));
                if (shape != 1 && std::fabs(a[i] - level) < 1e-12)
                    out << QString::number(i);
            }
            for (int i = 0; i < t.size(); ++i) {
                const double g = Pi * w * t[i],
                             envelope[] = {std::exp(-g * g / 4), i == 500 ? 1.0 : std::sin(g) / g,
                                           t[i] < 0 ? 0.0
                                                    : std::exp(-g / std::sqrt(std::exp(1.0) - 1))};
                agrees &= std::fabs(t[i] - (i * 0.02 - 10.0)) < 1e-12 &&
                          std::fabs(y[i] - envelope[shape] * std::cos(TwoPi * f0 * t[i])) < 1e-12;
            }
        } else if (!mode) {
            out << "menu" << QString::number(n);
        }
        return (out.join(' ') + (agrees ? "" : " (disagrees)")).simplified();
    }

    // The drawn curve: the natural spline through the stroke's points every 0.01 Hz, 0
    // outside them; the signal: the sum of the samples' cosines, scaled to a peak of 1.
    bool curveAgrees(const Doubles &f, const Doubles &a, const Doubles &t, const Doubles &y) const
    {
        struct
        {
            Doubles x, a, b, c, d;
            double at(double f) const { return Spline::valueAt(x, a, b, c, d, f); }
        } s{knots.first, knots.second, {}, {}, {}};
        Spline::fitNatural(s.x, s.a, s.b, s.c, s.d);
        const int m = s.x.size();
        if (f.size() != 501 || t.size() != 4097 || m < 3)
            return false;
        bool agrees = true;
        for (int i = 0; agrees && i <= 500; ++i)
            agrees &=
                f[i] == i * 0.01 && a[i] == (s.x[0] <= f[i] && f[i] <= s.x[m - 1] ? s.at(f[i]) : 0);
        // Through every point, interval j (about x[j]) meeting the slope and curvature of
        // interval j - 1; from the ends the curvature grows as d e (exact for a cubic).
        for (int j = 0; agrees && j < m; ++j) {
            const double h = s.x[j] - s.x[qMax(j - 1, 0)],
                         close = 1e-9 * (1 + std::fabs(s.b[j]) + std::fabs(s.c[j]));
            agrees &= std::fabs(s.at(s.x[j]) - s.a[j]) < 1e-12 &&
                      (j < 2 ||
                       (std::fabs(s.b[j] - s.c[j] * h + s.d[j] * h * h / 2 - s.b[j - 1]) < close &&
                        std::fabs(s.c[j] - s.d[j] * h - s.c[j - 1]) < close));
        }
        for (const int end : {0, m - 1}) {
            const double x = s.x[end], e = (s.x[end ? end - 1 : 1] - x) / 10,
                         d = s.d[end ? end : 1];
            agrees &= std::fabs((s.at(x) - 2 * s.at(x + e) + s.at(x + 2 * e)) / e / e - d * e) <
                      1e-4 * (1 + std::fabs(d));
        }
        Doubles sum(t.size(), 0.0);
        for (int j = 0; agrees && j < t.size(); ++j)
            for (int i = 0; i <= 500; ++i)
                sum[j] += a[i] * std::cos(TwoPi * i * 0.01 * t[j]);
        const auto [low, high] = std::minmax_element(sum.begin(), sum.end());
        const auto [lowest, highest] = std::minmax_element(y.begin(), y.end());
        const double largest = std::max(-*low, *high);
        for (int j = 0; agrees && j < t.size(); ++j)
            agrees &= t[j] == (j - 2048) * 0.0244140625 &&
                      std::fabs(y[j] - (largest > 0 ? sum[j] / largest : 0)) < 1e-9;
        return agrees && std::max(-*lowest, *highest) == (largest > 0 ? 1.0 : 0.0);
    }

    QPoint edge;
    QPair<Doubles, Doubles> knots; // of the last stroke, as drawn before its release
};

QTEST_MAIN(SubmodesTest)
#include "tst_submodes.moc"
