// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering: every user action draws each plot exactly once, however many times it rebuilds
// the graphs on the way, and from the plot's static image exactly as a render of every layer;
// the piecewise curves look like QPainter stroking them in one piece.
#include "curvegraph.h"
#include "markeritem.h"
#include "testsupport.h"
#include "textitem.h"

#include <QtTest>
#include <qcustomplot.h>

#include <cmath>

using namespace TestSupport;

namespace {

int chroma(QRgb p)
{
    return std::max({qRed(p), qGreen(p), qBlue(p)}) - std::min({qRed(p), qGreen(p), qBlue(p)});
}

// One way: curve pixels of `from` (far from the white, black and grey of
// background, grid and text) with no curve pixel of the same hue within one
// pixel in `to`; the colour laid on the background, summed.
struct Comparison
{
    int curve = 0, unmatched = 0;
    double ink = 0;
};
Comparison compare(const QImage &from, const QImage &to)
{
    Comparison c;
    for (int y = 1; y + 1 < from.height(); ++y) {
        for (int x = 1; x + 1 < from.width(); ++x) {
            const QRgb p = from.pixel(x, y);
            bool matched = chroma(p) < 64;
            for (int d = 0; d < 9 && !matched; ++d) {
                const QRgb q = to.pixel(x + d % 3 - 1, y + d / 3 - 1);
                const int hue = std::abs(QColor(p).hsvHue() - QColor(q).hsvHue());
                matched = chroma(q) >= 64 && std::min(hue, 360 - hue) <= 20;
            }
            c.ink += chroma(p);
            c.curve += chroma(p) >= 64;
            c.unmatched += !matched;
        }
    }
    return c;
}

} // namespace

class RenderingTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        openWindow();
        renders[0] = renders[1] = 0;
        connect(spectrum, &QCustomPlot::afterReplot, this, [this] { ++renders[0]; });
        connect(signal, &QCustomPlot::afterReplot, this, [this] { ++renders[1]; });
    }

    // Each row: what comes before, then the event. A drag move sets frequency and amplitude, and
    // each box echoes back; the count reloads an example and selects harmonic 1 through three
    // boxes. Some must make the static image anew: the packet's time axis reset when it goes, a
    // legend appearing, growing and going, a resize. The menu draws nothing.
    void oneRenderPerPlotPerEvent_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("event");
        for (const char *row :
             {"discrete; press 0.2 1 | move 1.5 0.6",
              "discrete; settle; up f; settle; press 0.3 1; move 1.5 0.6; settle; move 2.5 0.3; "
              "settle; up harmonics; settle; up harmonics; settle; press 3.1 0.5 | move 4.9 1",
              "discrete; pick 1; press 4.01 1 | move 3.01 1", "discrete | up harmonics",
              "discrete; settle; up harmonics; settle; up harmonics | pick 1",
              "discrete; pick 1 | up B",
              "discrete; pick 1; settle; up N; settle; press 4.01 1; move 2.01 0.5; settle; up B "
              "| pick 0",
              "continuous | up w", "continuous; pick 2 | up f0",
              "continuous; settle; up w; settle; pick 1; settle; up f0; settle; pick 2 | down w",
              "continuous; pick 3; draw 0.5 0.2 1 0.6 | move 3.5 0.4",
              "continuous; pick 3; draw 0.5 0.2 1 0.6 | release 3.5 0.4",
              "continuous; pick 3 | wave", "continuous; pick 3; wave | clear",
              "continuous | pick 3", "discrete; pick 1 | menu",
              "continuous; pick 2; menu | continuous",
              "discrete; settle; resize 1500 900 | up harmonics",
              // "Огибающая": its markers and readout drawn with the graphs, not kept.
              "continuous | click envelopeButton", "continuous; click envelopeButton | up w",
              "continuous; click envelopeButton; pick 2 | click envelopeButton",
              "discrete; click envelopeButton | pick 1",
              "discrete; click envelopeButton; pick 1; press 4.01 1 | move 3.01 1",
              "continuous; click envelopeButton; pick 3; draw 0.5 0.2 1 0.6 | release 3.5 0.4"})
            QTest::newRow(row) << QString(row).section(" | ", 0, 0)
                               << QString(row).section(" | ", 1);
    }
    void oneRenderPerPlotPerEvent()
    {
        QFETCH(QString, before);
        QFETCH(QString, event);
        const int expected = event != "menu";
        perform(before + "; settle");
        renders[0] = renders[1] = 0;
        const int prepared = CurveGraph::preparedRenders();
        perform(event);
        // Nothing is drawn while the event is handled, each plot once after, and from its
        // static image as a render of every layer would draw it.
        QCOMPARE(renders[0] + renders[1], 0);
        settle();
        QCOMPARE(renders[0], expected);
        QCOMPARE(renders[1], expected);
        // The envelope's dashes, prepared while the event was handled, are those it draws.
        bool enveloped = false;
        for (int i = 0; i < signal->graphCount(); ++i)
            enveloped |= signal->graph(i)->name() == "envelope";
        QCOMPARE(CurveGraph::preparedRenders() - prepared, int(enveloped));
        const QString differs = expected ? differsFromFullRender() : QString();
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    void firstVisitRendersOnceWithGraphsBuiltBefore()
    {
        // The work page is laid out for the first time, which resizes both
        // plots; they are laid out before any render, so pixels convert at once.
        const QSize before = spectrum->size();
        perform("discrete");
        QVERIFY(spectrum->size() != before && renders[0] + renders[1] == 0);
        QCOMPARE(spectrum->axisRect()->outerRect(), spectrum->rect());
        perform("settle");
        QCOMPARE(renders[0] + renders[1], 2);
        perform("press 0.2 1; settle; move 1.5 0.6");
        QCOMPARE(keys(spectrum->graph(0)), Doubles{1.5});
        QCOMPARE(values(signal->graph(0)).at(500), 0.6); // t = 0, before the render
        QCOMPARE(renders[0], 2);
    }

    void piecewiseLooksLikePlainStroking_data()
    {
        QTest::addColumn<QString>("steps");
        for (const char *steps :
             {"discrete; set harmonics 2", "discrete; set harmonics 3", "discrete; pick 1",
              "continuous", "continuous; pick 1", "continuous; pick 3; wave",
              "continuous; click envelopeButton", "discrete; pick 1; click envelopeButton"})
            QTest::newRow(steps) << QString(steps);
    }
    void piecewiseLooksLikePlainStroking()
    {
        QFETCH(QString, steps);
        perform(steps + "; settle");
        for (QCustomPlot *plot : {spectrum, signal}) {
            QImage shown[2]; // plain, piecewise
            for (const bool plain : {true, false}) {
                QVERIFY(qobject_cast<CurveGraph *>(plot->graph(0)) &&
                        plot->graph(0)->antialiased());
                CurveGraph::setPlainStroking(plain);
                plot->replot(QCustomPlot::rpImmediateRefresh);
                CurveGraph::setPlainStroking(false);
                shown[!plain] = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
            }
            const Comparison there = compare(shown[0], shown[1]),
                             back = compare(shown[1], shown[0]);
            // Every signal is a coloured curve, so the matching is not vacuous; a seam or a
            // notch at every join loses a few per cent of the ink.
            QVERIFY2((plot == spectrum || there.curve > 1000) && there.unmatched == 0 &&
                         back.unmatched == 0 && std::fabs(back.ink / there.ink - 1) < 0.01,
                     qPrintable(QString::asprintf(
                         "%s: curve %d, unmatched %d/%d, ink %.4f", qPrintable(plot->objectName()),
                         there.curve, there.unmatched, back.unmatched, back.ink / there.ink)));
        }
    }

    // The program's text items are set glyph by glyph; they must look and lie
    // where QCustomPlot's own would, for each alignment and padding.
    void textsSetAsQCustomPlotSetsThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("textAlignment");
        const int top = Qt::AlignTop | Qt::AlignHCenter;
        QTest::newRow("readout") << "Δf = 0.30 Гц   Δt = 4.24 с   Δf·Δt = 1.27"
                                 << int(Qt::AlignRight | Qt::AlignTop) << top;
        QTest::newRow("label") << "Δt > 20 с" << int(Qt::AlignLeft | Qt::AlignBottom)
                               << int(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("kerned") << "AVAW To" << int(Qt::AlignCenter) << int(Qt::AlignRight);
        QTest::newRow("shaped") << "fi ffl" << int(Qt::AlignCenter) << top;
    }
    void textsSetAsQCustomPlotSetsThem()
    {
        QFETCH(QString, text);
        QFETCH(int, alignment);
        QFETCH(int, textAlignment);
        QImage shown[2];
        QPointF corners[2][2];
        for (const bool ours : {false, true}) {
            QCustomPlot plot;
            plot.resize(600, 120);
            QCPItemText *const item = ours ? new TextItem(&plot) : new QCPItemText(&plot);
            item->setFont(QFont(QStringLiteral("Sans Serif"), 15));
            item->setText(text);
            item->position->setType(QCPItemPosition::ptAbsolute);
            item->position->setCoords(300.4, 60.6);
            item->setPositionAlignment(Qt::Alignment(alignment));
            item->setTextAlignment(Qt::Alignment(textAlignment));
            item->setPadding(QMargins(10, 6, 10, 6));
            item->setBrush(Qt::white);
            item->setPen(QPen(Qt::black));
            shown[ours] = plot.toPixmap().toImage();
            corners[ours][0] = item->topLeft->pixelPosition();
            corners[ours][1] = item->bottomRight->pixelPosition();
        }
        QCOMPARE(corners[1][0], corners[0][0]);
        QCOMPARE(corners[1][1], corners[0][1]);
        QVERIFY(shown[1] == shown[0]);
    }

    // The width markers are filled as one outline; they must cover what QCustomPlot strokes,
    // either way round, with heads that meet, at any height within a pixel.
    void markersDrawnAsQCustomPlotDrawsThem_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("level");
        QTest::newRow("rightwards") << 100.0 << 420.0 << 60.0;
        QTest::newRow("leftwards") << 455.3 << 80.6 << 40.5;
        QTest::newRow("heads meet") << 300.0 << 318.0 << 70.25;
    }
    void markersDrawnAsQCustomPlotDrawsThem()
    {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, level);
        QImage shown[2];
        for (const bool ours : {false, true}) {
            QCustomPlot plot;
            plot.resize(600, 120);
            QCPItemLine *const item = ours ? new MarkerItem(&plot) : new QCPItemLine(&plot);
            item->setPen(QPen(Qt::black, 2));
            item->setHead(QCPLineEnding(QCPLineEnding::esSpikeArrow, 12, 12));
            item->setTail(QCPLineEnding(QCPLineEnding::esSpikeArrow, 12, 12));
            for (QCPItemPosition *const end : {item->start, item->end})
                end->setType(QCPItemPosition::ptAbsolute);
            item->start->setCoords(from, level);
            item->end->setCoords(to, level);
            plot.xAxis->setVisible(false);
            plot.yAxis->setVisible(false);
            plot.xAxis->grid()->setVisible(false);
            plot.yAxis->grid()->setVisible(false);
            shown[ours] = plot.toPixmap().toImage().convertToFormat(QImage::Format_RGB32);
        }
        // Ink: how dark each pixel is; a pixel is off where the two differ by more than a
        // quarter of black.
        double ink[2] = {};
        int off = 0;
        for (int y = 0; y < shown[0].height(); ++y) {
            for (int x = 0; x < shown[0].width(); ++x) {
                const int a = 255 - qGray(shown[0].pixel(x, y)),
                          b = 255 - qGray(shown[1].pixel(x, y));
                ink[0] += a;
                ink[1] += b;
                off += std::abs(a - b) > 64;
            }
        }
        QVERIFY2(
            ink[0] > 255 * 2 * std::fabs(to - from) && off <= 4 &&
                std::fabs(ink[1] / ink[0] - 1) < 0.01,
            qPrintable(QString::asprintf("ink %.0f / %.0f, %d pixels off", ink[1], ink[0], off)));
    }

    // Where a marker was, the static image is put back: moved by a few pixels, nothing of
    // it is left, heads and miters included.
    void movedMarkerLeavesNothingBehind()
    {
        perform("discrete; settle");
        auto *const marker = new MarkerItem(spectrum);
        marker->setLayer(QStringLiteral("legend"));
        marker->setPen(QPen(Qt::black, 2));
        marker->setHead(QCPLineEnding(QCPLineEnding::esSpikeArrow, 12, 12));
        marker->setTail(QCPLineEnding(QCPLineEnding::esSpikeArrow, 12, 12));
        const QRect rect = spectrum->axisRect()->rect();
        for (const QPoint &by : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 12)}) {
            for (QCPItemPosition *const end : {marker->start, marker->end})
                end->setType(QCPItemPosition::ptAbsolute);
            marker->start->setCoords(rect.left() + 400.3 + by.x(), rect.top() + 60.5 + by.y());
            marker->end->setCoords(rect.left() + 700.3 + by.x(), rect.top() + 60.5 + by.y());
            spectrum->replot(QCustomPlot::rpQueuedReplot);
            QCOMPARE(differsFromFullRender(), QString());
        }
    }

private:
    int renders[2] = {}; // of the spectrum and the signal plot
};

QTEST_MAIN(RenderingTest)
#include "tst_rendering.moc"
