// SPDX-License-Identifier: GPL-3.0-or-later
// Times ways of rasterising one thick antialiased curve, the choice behind
// CurveGraph: the wave packet's and the amplitude modulation's signal at
// their defaults, as pixel polylines of the signal plot at both window sizes,
// drawn into an image with a red width-3 pen. Prints the median of each.
//
//   quarnel_strokes [--repeats N]
#include "curvegraph.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr double TwoPi = 6.283185307179586;

// The signal on the plot's pixel grid: t from -10 to 10 s across the width,
// -1.1 to 1.2 down the height, as the signal plot's axes place it.
QVector<QPointF> curve(QSize plot, const std::function<double(double)> &signal)
{
    QVector<QPointF> points;
    for (int j = 0; j < 1001; ++j) {
        const double t = j * 0.02 - 10.0;
        points << QPointF(60 + (t + 10) / 20.1 * (plot.width() - 70),
                          10 + (1.2 - signal(t)) / 2.3 * (plot.height() - 50));
    }
    return points;
}

double packet(double t)
{
    double s = 0;
    for (int k = 0; k < 20; ++k)
        s += std::cos((3.81 + 0.02 * k) * TwoPi * t);
    return s / 20;
}

double modulation(double t)
{
    return (0.5 * std::cos(2.9 * TwoPi * t) + std::cos(3.0 * TwoPi * t) +
            0.5 * std::cos(3.1 * TwoPi * t)) /
           3;
}

// CurveGraph's own drawing, reached from outside a plot's render.
class Probe : public CurveGraph
{
public:
    using CurveGraph::CurveGraph;
    using CurveGraph::drawLinePlot;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int repeats =
        args.size() > 2 && args[1] == QLatin1String("--repeats") ? qMax(1, args[2].toInt()) : 25;

    QCustomPlot plot;
    Probe graph(plot.xAxis, plot.yAxis);
    const QPen pen(QBrush(Qt::red), 3, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    const auto with = [&pen](Qt::PenCapStyle cap) {
        QPen p = pen;
        p.setCapStyle(cap);
        return p;
    };

    using Draw = std::function<void(QCPPainter &, const QVector<QPointF> &)>;
    const auto segments = [](const QVector<QPointF> &points) {
        QVector<QLineF> lines;
        for (int i = 1; i < points.size(); ++i)
            lines << QLineF(points[i - 1], points[i]);
        return lines;
    };
    const std::vector<std::pair<QString, Draw>> ways = {
        {QStringLiteral("polyline, square caps, bevel joins (plain)"),
         [&](QCPPainter &p, const QVector<QPointF> &c) {
             p.setPen(pen);
             p.drawPolyline(c.constData(), c.size());
         }},
        {QStringLiteral("drawLine per segment, round caps"),
         [&](QCPPainter &p, const QVector<QPointF> &c) {
             p.setPen(with(Qt::RoundCap));
             for (int i = 1; i < c.size(); ++i)
                 p.drawLine(c[i - 1], c[i]);
         }},
        {QStringLiteral("drawLines batch, round caps"),
         [&](QCPPainter &p, const QVector<QPointF> &c) {
             p.setPen(with(Qt::RoundCap));
             p.drawLines(segments(c));
         }},
        {QStringLiteral("polylines of 8 points, round caps"),
         [&](QCPPainter &p, const QVector<QPointF> &c) {
             p.setPen(with(Qt::RoundCap));
             for (int i = 0; i + 1 < c.size(); i += 7)
                 p.drawPolyline(c.constData() + i, std::min(8, int(c.size()) - i));
         }},
        {QStringLiteral("drawLines batch, square caps (notched)"),
         [&](QCPPainter &p, const QVector<QPointF> &c) {
             p.setPen(pen);
             p.drawLines(segments(c));
         }},
        {QStringLiteral("drawLines batch, flat caps, + round dots"),
         [&](QCPPainter &p, const QVector<QPointF> &c) {
             p.setPen(with(Qt::FlatCap));
             p.drawLines(segments(c));
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::red);
             for (const QPointF &v : c)
                 p.drawEllipse(v, 1.5, 1.5);
         }},
        {QStringLiteral("CurveGraph: flat lines + join polygons"),
         [&](QCPPainter &p, const QVector<QPointF> &c) {
             p.setPen(pen);
             graph.drawLinePlot(&p, c);
         }},
    };

    QTextStream out(stdout);
    out << "Rasterising one width-3 antialiased curve of 1001 points, Qt " << qVersion()
        << ", median of " << repeats << " (ms)\n\n";
    out << QStringLiteral("%1").arg(QStringLiteral("way"), -44);
    const QList<QSize> plots{{1898, 477}, {3818, 1017}};
    for (const QSize &size : plots) {
        for (const char *name : {"packet", "modulation"})
            out << QStringLiteral("%1").arg(QStringLiteral("%1 %2x%3")
                                                .arg(QLatin1String(name))
                                                .arg(size.width())
                                                .arg(size.height()),
                                            -22);
    }
    out << '\n';
    for (const auto &[name, draw] : ways) {
        out << QStringLiteral("%1").arg(name, -44);
        for (const QSize &size : plots) {
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            for (const auto &signal : {packet, modulation}) {
                const QVector<QPointF> points = curve(size, signal);
                std::vector<double> times;
                for (int r = 0; r < repeats; ++r) {
                    image.fill(Qt::transparent);
                    QCPPainter painter(&image);
                    painter.setAntialiasing(true);
                    QElapsedTimer clock;
                    clock.start();
                    draw(painter, points);
                    painter.end();
                    times.push_back(clock.nsecsElapsed() * 1e-6);
                }
                std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
                out << QStringLiteral("%1").arg(QString::number(times[times.size() / 2], 'f', 2),
                                                -22);
            }
        }
        out << '\n';
    }
    return 0;
}
