// SPDX-License-Identifier: GPL-3.0-or-later
// Times every kind of lecture interaction on the real window, offscreen, from
// delivering the event to both plots having drawn it, and compares that with
// one bare render of both plots holding the same graphs, taken right after each
// event so that both see the same machine load. The same graphs are then
// rendered once more per plot, with the program's curve rasteriser and with
// QPainter stroking each curve in one piece as before it, to show what the
// rasteriser saves. Prints one table; exits 1 when an interaction renders a
// plot other than once, costs more than the bar, or renders slower than with
// plain stroking, or when a dense zigzag does not render fast enough.
//
// A size WxH@F is a screen of WxH pixels on a desktop scaled by F: the window
// is W/F x H/F logical pixels, measured in a process of its own started with
// QT_SCALE_FACTOR=F, and its rows join the table.
//
//   quarnel_bench [--events N] [--warmup N] [--sizes WxH,WxH@F] [--only TEXT]
#include "audiosink.h"
#include "curvegraph.h"
#include "mainwindow.h"
#include "playhead.h"
#include "plot.h"
#include "sound.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

// Median latency may exceed the bare render of the same graphs by this much.
constexpr double LatencyBar = 1.25;
// With "Огибающая" down, the median against the same interaction with it up.
constexpr double EnvelopeBar = 1.15;
// Median latency against a full render of both plots (every layer drawn anew,
// no static image), at 1920x1080 and at larger screens; a drag at 3840x2160
// within one frame of a 60 Hz projector. The stroke's renders are small to
// begin with: they only must not be slower than full renders.
constexpr double ShareBar1080 = 0.65;
constexpr double ShareBarLarger = 0.7;
constexpr double StrokeShareBar = 1.05;
constexpr double FrameBar = 1000.0 / 60.0;
// Plain stroking over the program's rasteriser, both plots, for the dense
// zigzag signals (the wave packet and the amplitude modulation at their
// defaults); every other state must not render slower than with plain
// stroking, beyond the noise of a shared machine.
constexpr double SpeedUpBar = 2.5;
constexpr double NotSlowerBar = 0.95;
// A playhead frame against a bare render of the signal plot, and the share of
// one core that playing takes while nothing else changes.
constexpr double PlayheadBar = 0.2;
constexpr double SoundCpuBar = 0.10;

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns on every resize of a large window.
void dropPlatformNoise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    previousHandler(type, context, message);
}

// Runs the event loop until nothing is pending: queued replots, layout
// requests, update requests and the paint events they lead to.
void settle()
{
    QAbstractEventDispatcher *const dispatcher = QAbstractEventDispatcher::instance();
    while (dispatcher->processEvents(QEventLoop::AllEvents)) {
    }
}

double percentile(std::vector<double> samples, double p)
{
    if (samples.empty())
        return std::nan("");
    std::sort(samples.begin(), samples.end());
    const double rank = p * (samples.size() - 1);
    const size_t below = size_t(std::floor(rank));
    const size_t above = std::min(below + 1, samples.size() - 1);
    return samples[below] + (samples[above] - samples[below]) * (rank - below);
}

// Counts what each plot does: replots (afterReplot) and paint events.
class PlotWatch : public QObject
{
public:
    explicit PlotWatch(QCustomPlot *plot) : plot(plot)
    {
        connect(plot, &QCustomPlot::afterReplot, this, [this] { ++renders; });
        plot->installEventFilter(this);
    }
    void reset() { renders = paints = 0; }

    QCustomPlot *const plot;
    int renders = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == plot && event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The window at one size, with the handful of controls the interactions use.
class Stage
{
public:
    explicit Stage(QSize size) : window(std::make_unique<MainWindow>())
    {
        window->setAutoFillBackground(true);
        window->setPalette(MainWindow::lecturePalette());
        window->resize(size / window->devicePixelRatioF());
        window->show();
        settle();
        spectrum = std::make_unique<PlotWatch>(widget<QCustomPlot>("widget"));
        signal = std::make_unique<PlotWatch>(widget<QCustomPlot>("widget_2"));
    }

    template <class T> T *widget(const char *name) const
    {
        T *const found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }

    void click(const char *buttonName) { widget<QPushButton>(buttonName)->click(); }

    // The screen's size in pixels, and the scale factor when it is not 1.
    QString name() const
    {
        const double factor = window->devicePixelRatioF();
        const QSize screen = window->size() * factor;
        QString text = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
        if (factor != 1)
            text += QStringLiteral("@") + QString::number(factor);
        return text;
    }

    // A user's pick, which also re-creates the submode already shown.
    void pick(int index)
    {
        QComboBox *const box = widget<QComboBox>("comboBox");
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    void key(const char *spinBoxName, int key)
    {
        QWidget *const box = widget<QAbstractSpinBox>(spinBoxName);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &press);
        QCoreApplication::sendEvent(box, &release);
    }

    QPoint pixel(double x, double y) const
    {
        const QCustomPlot *const plot = spectrum->plot;
        return QPoint(qRound(plot->xAxis->coordToPixel(x)), qRound(plot->yAxis->coordToPixel(y)));
    }

    void mouse(QEvent::Type type, double x, double y)
    {
        QCustomPlot *const plot = spectrum->plot;
        const QPoint at = pixel(x, y);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(plot->mapTo(plot->window(), at)),
                          QPointF(plot->mapToGlobal(at)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(plot, &event);
    }

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<PlotWatch> spectrum;
    std::unique_ptr<PlotWatch> signal;
};

// One kind of interaction: how to reach its state, what to do unmeasured
// before each event, and the event itself. Where the event would otherwise
// find nothing to change, the unmeasured step first undoes the last one, so
// every event changes what is drawn and every event draws the same graphs:
// a mixture of two states that render at different costs would put both
// medians on the boundary between them and make their ratio mere noise.
struct Interaction
{
    QString name;
    std::function<void(Stage &)> enter;
    std::function<void(Stage &, int)> prepare;
    std::function<void(Stage &, int)> act;
    // Part of the bar; the others are shown for the record.
    bool inBar = true;
    int expectedRenders = 1;
    // The state after the event is a dense zigzag that must render SpeedUpBar
    // times faster than with plain stroking.
    bool dense = false;

    bool isStroke() const { return name.startsWith(QLatin1String("drawn")); }
    bool isDrag() const { return name.endsWith(QLatin1String("drag move")); }
};

// Samples are kept by name, so that a new measurement (a bare render of one
// plot, a second rasteriser) is one more series plus one more column.
struct Row
{
    QString size;
    const Interaction *interaction = nullptr;
    // Measured with "Огибающая" down, against the same with it up.
    bool envelope = false;
    const Row *up = nullptr;
    std::map<QString, std::vector<double>> series;

    double median(const char *name) const { return percentile(at(name), 0.5); }
    double p95(const char *name) const { return percentile(at(name), 0.95); }
    std::vector<double> at(const char *name) const
    {
        const auto it = series.find(QString::fromLatin1(name));
        return it == series.end() ? std::vector<double>() : it->second;
    }
    double ratio() const { return median("latency") / median("bare"); }
    double share() const { return median("latency") / median("full"); }
    bool large() const { return !size.startsWith(QLatin1String("1920x1080")); }
    bool meetsShareBar() const
    {
        if (interaction->isStroke())
            return share() <= StrokeShareBar;
        if (large() && interaction->isDrag() && median("latency") > FrameBar)
            return false;
        return share() <= (large() ? ShareBarLarger : ShareBar1080);
    }
    double speedUp() const { return median("barePlain") / median("bare"); }
    bool meetsRenderBar() const
    {
        return speedUp() >= (interaction->dense ? SpeedUpBar : NotSlowerBar);
    }
    // "1" when every event rendered that many, otherwise "min-max".
    QString counts(const char *name) const
    {
        const std::vector<double> c = at(name);
        if (c.empty())
            return QStringLiteral("-");
        const auto [lo, hi] = std::minmax_element(c.begin(), c.end());
        return *lo == *hi ? QString::number(*lo) : QStringLiteral("%1-%2").arg(*lo).arg(*hi);
    }
    bool rendersAsExpected() const
    {
        for (const char *name : {"spectrumRenders", "signalRenders"}) {
            for (double c : at(name)) {
                if (c != interaction->expectedRenders)
                    return false;
            }
        }
        return true;
    }
    double overUp() const { return up ? median("latency") / up->median("latency") : 1.0; }
    bool meetsBar() const
    {
        if (envelope) // judged against the same with the button up
            return rendersAsExpected() && overUp() <= EnvelopeBar;
        return rendersAsExpected() && ratio() <= LatencyBar && meetsRenderBar() && meetsShareBar();
    }
};

struct Column
{
    QString header;
    int width;
    std::function<QString(const Row &)> cell;
};

QString ms(double v)
{
    return QString::number(v, 'f', 2);
}

// "plain/new" medians of one plot's bare render.
QString pair(const Row &r, const char *plain, const char *piecewise)
{
    return QString::number(r.median(plain), 'f', 1) + QLatin1Char('/') +
           QString::number(r.median(piecewise), 'f', 1);
}

const std::vector<Column> &columns()
{
    static const std::vector<Column> all = {
        {QStringLiteral("window"), 12, [](const Row &r) { return r.size; }},
        {QStringLiteral("interaction"), 30,
         [](const Row &r) {
             return r.envelope ? QStringLiteral("  + envelope") : r.interaction->name;
         }},
        {QStringLiteral("median ms"), 10, [](const Row &r) { return ms(r.median("latency")); }},
        {QStringLiteral("p95 ms"), 8, [](const Row &r) { return ms(r.p95("latency")); }},
        {QStringLiteral("handler ms"), 10, [](const Row &r) { return ms(r.median("handler")); }},
        {QStringLiteral("bare ms"), 8, [](const Row &r) { return ms(r.median("bare")); }},
        {QStringLiteral("ratio"), 6,
         [](const Row &r) { return QString::number(r.ratio(), 'f', 2); }},
        {QStringLiteral("full ms"), 8, [](const Row &r) { return ms(r.median("full")); }},
        {QStringLiteral("all layers ms"), 13,
         [](const Row &r) { return ms(r.median("allLayers")); }},
        {QStringLiteral("share"), 6,
         [](const Row &r) {
             return QString::number(r.share(), 'f', 2) +
                    QLatin1String(r.meetsShareBar() ? "" : "!");
         }},
        {QStringLiteral("renders spectrum/signal"), 24,
         [](const Row &r) {
             return r.counts("spectrumRenders") + QStringLiteral(" / ") + r.counts("signalRenders");
         }},
        {QStringLiteral("paints"), 8,
         [](const Row &r) {
             return r.counts("spectrumPaints") + QStringLiteral("/") + r.counts("signalPaints");
         }},
        {QStringLiteral("spectrum plain/new"), 18,
         [](const Row &r) { return pair(r, "spectrumPlain", "spectrumNew"); }},
        {QStringLiteral("signal plain/new"), 16,
         [](const Row &r) { return pair(r, "signalPlain", "signalNew"); }},
        {QStringLiteral("bare plain ms"), 13,
         [](const Row &r) { return ms(r.median("barePlain")); }},
        {QStringLiteral("speed-up"), 8,
         [](const Row &r) {
             return QString::number(r.speedUp(), 'f', 2) +
                    QLatin1String(r.interaction->dense ? "*" : "");
         }},
        {QStringLiteral("down/up"), 7,
         [](const Row &r) {
             return r.envelope ? QString::number(r.overUp(), 'f', 2) +
                                     QLatin1String(r.overUp() <= EnvelopeBar ? "" : "!")
                               : QStringLiteral("-");
         }},
        {QStringLiteral("bar"), 6,
         [](const Row &r) {
             if (!r.interaction->inBar)
                 return QString(r.rendersAsExpected() ? QStringLiteral("(ok)")
                                                      : QStringLiteral("(!)"));
             return QString(r.meetsBar() ? QStringLiteral("ok") : QStringLiteral("FAIL"));
         }},
    };
    return all;
}

std::vector<Interaction> interactions()
{
    // Separate harmonics: count 1 puts harmonic 1 at (0.2, 1.0).
    const auto harmonics = [](Stage &s) {
        s.click("pushButton_2");
        s.pick(0);
    };
    const auto packet = [](Stage &s) {
        s.click("pushButton_2");
        s.pick(1);
    };
    const auto line = [](int entry) {
        return [entry](Stage &s) {
            s.click("pushButton_3");
            s.pick(entry);
        };
    };
    const auto drawn = [](Stage &s) {
        s.click("pushButton_3");
        s.pick(3);
    };
    const auto stepDown = [](const char *box) {
        return [box](Stage &s, int) { s.key(box, Qt::Key_Down); };
    };
    const auto stepUp = [](const char *box) {
        return [box](Stage &s, int) { s.key(box, Qt::Key_Up); };
    };
    // A stroke's points, left to right, wavy in height.
    const auto strokePoint = [](int j) {
        return QPointF(0.2 + 0.08 * j, 0.5 + 0.3 * std::sin(j * 0.4));
    };
    constexpr int StrokeMoves = 50;

    return {
        // Harmonic 1 of the single cosine sits at 0.2 Hz: 0.1 to 0.2 Hz.
        {QStringLiteral("harmonics: spin step"), harmonics, stepDown("doubleSpinBox_3"),
         stepUp("doubleSpinBox_3")},
        {QStringLiteral("harmonics: drag move"),
         [harmonics](Stage &s) {
             harmonics(s);
             settle();
             s.mouse(QEvent::MouseButtonPress, 0.2, 1.0);
         },
         [](Stage &s, int) { s.mouse(QEvent::MouseMove, 1.5, 0.6); },
         [](Stage &s, int) { s.mouse(QEvent::MouseMove, 1.6, 0.7); }},
        // 19 to 20 harmonics.
        {QStringLiteral("wave packet: spin step"), packet, stepDown("spinBox"), stepUp("spinBox"),
         true, 1, true},
        // The amplitude-modulation example: harmonic 1's amplitude 0.4 to 0.5.
        {QStringLiteral("modulation: spin step"),
         [harmonics](Stage &s) {
             harmonics(s);
             s.key("spinBox_2", Qt::Key_Up);
             s.key("spinBox_2", Qt::Key_Up);
         },
         stepDown("doubleSpinBox_4"), stepUp("doubleSpinBox_4"), true, 1, true},
        {QStringLiteral("wave packet: drag move"),
         [packet](Stage &s) {
             packet(s);
             settle();
             // The 20 harmonics 0.02 Hz apart around 4 Hz; grab the one at 4.01.
             s.mouse(QEvent::MouseButtonPress, 4.01, 1.0);
         },
         // The held harmonic follows the mouse: the centre goes 3.0 to 3.1 Hz.
         [](Stage &s, int) { s.mouse(QEvent::MouseMove, 3.01, 1.0); },
         [](Stage &s, int) { s.mouse(QEvent::MouseMove, 3.11, 1.0); }},
        // The width one step up from its default.
        {QStringLiteral("gaussian: spin step"), line(0), stepDown("doubleSpinBox_2"),
         stepUp("doubleSpinBox_2")},
        {QStringLiteral("rectangular: spin step"), line(1), stepDown("doubleSpinBox_2"),
         stepUp("doubleSpinBox_2")},
        {QStringLiteral("lorentzian: spin step"), line(2), stepDown("doubleSpinBox_2"),
         stepUp("doubleSpinBox_2")},
        {QStringLiteral("drawn: stroke move"), drawn,
         [strokePoint](Stage &s, int i) {
             // A new stroke every StrokeMoves events keeps it inside 0..5 Hz.
             if (i % StrokeMoves == 0) {
                 s.click("pushButton_5");
                 const QPointF p = strokePoint(0);
                 s.mouse(QEvent::MouseButtonPress, p.x(), p.y());
             }
         },
         [strokePoint](Stage &s, int i) {
             const QPointF p = strokePoint(i % StrokeMoves + 1);
             s.mouse(QEvent::MouseMove, p.x(), p.y());
         }},
        {QStringLiteral("drawn: stroke release"), drawn,
         [strokePoint](Stage &s, int) {
             s.click("pushButton_5");
             QPointF p = strokePoint(0);
             s.mouse(QEvent::MouseButtonPress, p.x(), p.y());
             for (int j = 1; j <= StrokeMoves; ++j) {
                 p = strokePoint(j);
                 s.mouse(QEvent::MouseMove, p.x(), p.y());
             }
         },
         [strokePoint](Stage &s, int) {
             const QPointF p = strokePoint(StrokeMoves);
             s.mouse(QEvent::MouseButtonRelease, p.x(), p.y());
         }},
        // From separate harmonics to the wave packet.
        {QStringLiteral("combo box pick"), [](Stage &s) { s.click("pushButton_2"); },
         [](Stage &s, int) { s.pick(0); }, [](Stage &s, int) { s.pick(1); }},
        // From the menu to separate harmonics, and back.
        {QStringLiteral("spectrum button (check)"), [](Stage &) {},
         [](Stage &s, int) { s.click("pushButton"); },
         [](Stage &s, int) { s.click("pushButton_2"); }, false},
        {QStringLiteral("\"Меню\" button (check)"), [](Stage &) {},
         [](Stage &s, int) { s.click("pushButton_2"); },
         [](Stage &s, int) { s.click("pushButton"); }, false, 0},
    };
}

// With envelope, the same interaction is measured a second time, with
// "Огибающая" down, event for event in turn with the first (in alternating
// order), so that both see the same load; the second row comes back second.
std::vector<Row> measure(Stage &stage, const Interaction &interaction, int warmup, int events,
                         bool withEnvelope)
{
    std::vector<Row> rows(withEnvelope ? 2 : 1);
    for (Row &row : rows) {
        row.size = stage.name();
        row.interaction = &interaction;
    }
    if (withEnvelope)
        rows[1].envelope = true;
    QPushButton *const envelope = stage.widget<QPushButton>("envelopeButton");
    envelope->setChecked(false);

    // Each kind starts from the menu page, as a lecturer would.
    if (stage.window->modeController())
        stage.click("pushButton");
    settle();
    interaction.enter(stage);
    settle();

    QElapsedTimer clock;
    for (int n = 0; n < (warmup + events) * int(rows.size()); ++n) {
        const int i = n / int(rows.size());
        // Up then down at even events, down then up at odd ones; the index
        // the interaction sees runs on, so that a stroke keeps moving right.
        Row &row = rows[rows.size() == 1 ? 0 : (n % 2) ^ (i % 2)];
        const auto record = [&](int event, const char *name, double value) {
            if (event >= warmup)
                row.series[QString::fromLatin1(name)].push_back(value);
        };
        if (envelope->isChecked() != row.envelope) {
            envelope->setChecked(row.envelope);
            settle();
        }
        interaction.prepare(stage, n);
        settle();

        stage.spectrum->reset();
        stage.signal->reset();
        clock.start();
        interaction.act(stage, n);
        // The event's own handling (graphs rebuilt, pages switched), before the render.
        record(i, "handler", clock.nsecsElapsed() * 1e-6);
        settle();
        record(i, "latency", clock.nsecsElapsed() * 1e-6);
        record(i, "spectrumRenders", stage.spectrum->renders);
        record(i, "signalRenders", stage.signal->renders);
        record(i, "spectrumPaints", stage.spectrum->paints);
        record(i, "signalPaints", stage.signal->paints);
        // Where the event's render went, both plots together.
        double start = 0, layers = 0, paint = 0;
        for (const PlotWatch *watch : {stage.spectrum.get(), stage.signal.get()}) {
            const Plot::Timings t = static_cast<const Plot *>(watch->plot)->lastTimings();
            start += t.start;
            layers += t.layers;
            paint += t.paint;
        }
        record(i, "start", start);
        record(i, "layers", layers);
        record(i, "paint", paint);

        // The same graphs, rendered and painted once more with nothing to compute,
        // then with plain stroking, then each plot alone both ways.
        const auto bare = [&](std::initializer_list<QCustomPlot *> plots, bool plain) {
            CurveGraph::setPlainStroking(plain);
            clock.start();
            for (QCustomPlot *plot : plots)
                plot->replot();
            settle();
            const double elapsed = clock.nsecsElapsed() * 1e-6;
            CurveGraph::setPlainStroking(false);
            return elapsed;
        };
        QCustomPlot *const spectrum = stage.spectrum->plot;
        QCustomPlot *const signal = stage.signal->plot;
        // Whichever goes first in a pair pays for what the other left behind
        // (caches, a pending flush); alternate the order.
        for (const bool plain : {i % 2 == 1, i % 2 == 0})
            record(i, plain ? "barePlain" : "bare", bare({spectrum, signal}, plain));
        // Every layer drawn anew, as QCustomPlot renders by itself, and as
        // the program's plots do without their static image.
        for (const bool stock : {i % 2 == 1, i % 2 == 0}) {
            for (QCustomPlot *plot : {spectrum, signal}) {
                static_cast<Plot *>(plot)->setStockRendering(stock);
                static_cast<Plot *>(plot)->setStaticImageUsed(false);
            }
            record(i, stock ? "full" : "allLayers", bare({spectrum, signal}, false));
        }
        for (QCustomPlot *plot : {spectrum, signal}) {
            static_cast<Plot *>(plot)->setStockRendering(false);
            static_cast<Plot *>(plot)->setStaticImageUsed(true);
        }
        for (const bool plain : {i % 2 == 1, i % 2 == 0})
            record(i, plain ? "spectrumPlain" : "spectrumNew", bare({spectrum}, plain));
        for (const bool plain : {i % 2 == 1, i % 2 == 0})
            record(i, plain ? "signalPlain" : "signalNew", bare({signal}, plain));
    }
    envelope->setChecked(false);
    settle();
    return rows;
}

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec * 1e-9;
}

// A playhead crossing the signal plot of the amplitude-modulation example, a
// frame at a time, against a bare render of the same plot; at the first size
// also the processor time that playing takes, on a device that takes the
// samples in real time, while nothing else changes. One line of text.
QString measureSound(Stage &stage, int frames, bool withCpu, bool &met)
{
    stage.click("pushButton_2");
    stage.key("spinBox_2", Qt::Key_Up);
    stage.key("spinBox_2", Qt::Key_Up);
    settle();
    QCustomPlot *const signal = stage.signal->plot;
    std::vector<double> frame, bare;
    {
        Playhead playhead(signal);
        QElapsedTimer clock;
        for (int i = 0; i < frames; ++i) {
            clock.start();
            playhead.moveTo(-10.0 + 20.0 * i / frames);
            settle();
            frame.push_back(clock.nsecsElapsed() * 1e-6);
            clock.start();
            signal->replot();
            settle();
            bare.push_back(clock.nsecsElapsed() * 1e-6);
        }
    }
    const double ratio = percentile(frame, 0.5) / percentile(bare, 0.5);
    met = met && ratio <= PlayheadBar;
    QString line = QStringLiteral("%1: a playhead frame %2 ms, a bare render of the signal plot %3 "
                                  "ms, ratio %4 (bar %5)")
                       .arg(stage.name())
                       .arg(ms(percentile(frame, 0.5)))
                       .arg(ms(percentile(bare, 0.5)))
                       .arg(QString::number(ratio, 'f', 3))
                       .arg(PlayheadBar);
    if (withCpu) {
        // Seconds of processor time per second, idle and playing.
        const auto share = [](int seconds) {
            const double start = cpuSeconds();
            QElapsedTimer clock;
            clock.start();
            QEventLoop loop;
            QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
            loop.exec();
            return (cpuSeconds() - start) / (clock.nsecsElapsed() * 1e-9);
        };
        const double idle = share(3);
        stage.click("soundButton");
        const double playing = share(5);
        stage.click("soundButton");
        settle();
        met = met && playing - idle <= SoundCpuBar;
        line += QStringLiteral("; playing takes %1 % of one core more than idle (%2 % against "
                               "%3 %; bar %4 %)")
                    .arg(QString::number((playing - idle) * 100, 'f', 1))
                    .arg(QString::number(playing * 100, 'f', 1))
                    .arg(QString::number(idle * 100, 'f', 1))
                    .arg(SoundCpuBar * 100);
    }
    stage.click("pushButton");
    settle();
    return line;
}

QString padded(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '), false) + QLatin1Char(' ');
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program does, but at 1 unless told: the offscreen screen's
    // 100 dpi would scale the window by 1.04.
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "1");
    MainWindow::prepareDisplayScaling();
    previousHandler = qInstallMessageHandler(dropPlatformNoise);
    QApplication app(argc, argv);
    // "Звук" plays on a device that takes the samples in real time, wherever
    // the benchmark runs.
    AudioSink::setNullDevice(true);

    int warmup = 3;
    int events = 30;
    QStringList sizes{QStringLiteral("1920x1080"), QStringLiteral("3840x2160"),
                      QStringLiteral("3840x2160@2")};
    QString only;
    // Set in the process that measures the sizes of one scale factor for
    // another: it prints its rows only.
    bool rowsOnly = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); i += 2) {
        if (args[i] == QLatin1String("--rows")) {
            rowsOnly = true;
            --i;
        } else if (i + 1 == args.size()) {
            break;
        } else if (args[i] == QLatin1String("--events")) {
            events = qMax(1, args[i + 1].toInt());
        } else if (args[i] == QLatin1String("--warmup")) {
            warmup = qMax(0, args[i + 1].toInt());
        } else if (args[i] == QLatin1String("--only")) {
            only = args[i + 1];
        } else if (args[i] == QLatin1String("--sizes")) {
            sizes = args[i + 1].split(QLatin1Char(','), Qt::SkipEmptyParts);
        } else {
            std::fprintf(stderr, "usage: quarnel_bench [--events N] [--warmup N] "
                                 "[--sizes WxH,WxH@F,...] [--only TEXT]\n");
            return 2;
        }
    }

    QElapsedTimer total;
    total.start();
    const std::vector<Interaction> kinds = interactions();
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    QStringList lines, plotSizes, soundLines, breakdownLines;
    bool met = true;
    for (const QString &size : sizes) {
        const QStringList screenAndFactor = size.split(QLatin1Char('@'));
        const QStringList wh = screenAndFactor[0].split(QLatin1Char('x'));
        const double sizeFactor = screenAndFactor.size() > 1 ? screenAndFactor[1].toDouble() : 1;
        if (wh.size() != 2 || sizeFactor <= 0) {
            std::fprintf(stderr, "bad size %s\n", qPrintable(size));
            return 2;
        }
        if (sizeFactor != factor) {
            // QT_SCALE_FACTOR is read once, when the application starts.
            QProcess scaled;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(sizeFactor));
            scaled.setProcessEnvironment(environment);
            scaled.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            scaled.start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--rows"), QStringLiteral("--events"),
                          QString::number(events), QStringLiteral("--warmup"),
                          QString::number(warmup), QStringLiteral("--only"), only,
                          QStringLiteral("--sizes"), size});
            scaled.waitForFinished(-1);
            met = met && scaled.exitStatus() == QProcess::NormalExit && scaled.exitCode() == 0;
            for (const QString &line :
                 QString::fromUtf8(scaled.readAllStandardOutput()).split(QLatin1Char('\n'))) {
                if (line.startsWith(QLatin1String("plots ")))
                    plotSizes << line.mid(6);
                else if (line.startsWith(QLatin1String("sound ")))
                    soundLines << line.mid(6);
                else if (line.startsWith(QLatin1String("breakdown ")))
                    breakdownLines << line.mid(10);
                else if (!line.isEmpty())
                    lines << line;
            }
            continue;
        }
        Stage stage(QSize(wh[0].toInt(), wh[1].toInt()));
        for (const Interaction &interaction : kinds) {
            if (!interaction.name.contains(only))
                continue;
            std::vector<Row> rows = measure(stage, interaction, warmup, events, interaction.inBar);
            if (rows.size() == 2)
                rows[1].up = &rows[0];
            for (const Row &each : rows) {
                QString line;
                for (const Column &column : columns())
                    line += padded(column.cell(each), column.width);
                lines << line.trimmed();
                met = met && (each.interaction->inBar ? each.meetsBar() : each.rendersAsExpected());
            }
            const Row &row = rows.front();
            if (row.interaction->isDrag())
                breakdownLines << QStringLiteral(
                                      "%1 %2: median %3 ms = static part copied %4 + graphs, "
                                      "axes and legend drawn %5 + shown on screen %6 + the rest "
                                      "(event, layout, Qt) %7; full render %8 ms, all layers %9 ms")
                                      .arg(row.size, row.interaction->name,
                                           ms(row.median("latency")), ms(row.median("start")),
                                           ms(row.median("layers")), ms(row.median("paint")))
                                      .arg(ms(row.median("latency") - row.median("start") -
                                              row.median("layers") - row.median("paint")),
                                           ms(row.median("full")), ms(row.median("allLayers")));
        }
        if (only.isEmpty() || QStringLiteral("playhead").contains(only))
            soundLines << measureSound(stage, events, soundLines.isEmpty() && !rowsOnly, met);
        plotSizes << QStringLiteral("%1: plots %2x%3 and %4x%5 logical pixels")
                         .arg(stage.name())
                         .arg(stage.spectrum->plot->width())
                         .arg(stage.spectrum->plot->height())
                         .arg(stage.signal->plot->width())
                         .arg(stage.signal->plot->height());
    }

    QTextStream out(stdout);
    if (rowsOnly) {
        for (const QString &line : plotSizes)
            out << "plots " << line << '\n';
        for (const QString &line : soundLines)
            out << "sound " << line << '\n';
        for (const QString &line : breakdownLines)
            out << "breakdown " << line << '\n';
        out << lines.join(QLatin1Char('\n')) << '\n';
        return met ? 0 : 1;
    }
    out << "Quarnel interaction benchmark: Qt " << qVersion() << ", QCustomPlot "
        << QCUSTOMPLOT_VERSION_STR << ", platform " << QGuiApplication::platformName() << ", "
        << events << " events per interaction after " << warmup << " warm-up\n";
    for (const QString &line : plotSizes)
        out << line << '\n';
    out << "window: the screen's pixels, @F a desktop scaled by F\n"
           "latency: event delivered until nothing is pending (handler: until the event's "
           "handling returns, the render not included); bare: replot of both plots "
           "holding the same graphs, until nothing is pending; ratio = median / bare median\n"
           "full: both plots rendered as QCustomPlot does by itself, every layer drawn anew "
           "into transparent buffers blended over a fill, as before the static image; all "
           "layers: the program's own buffer without its static image; share = median / full "
           "median (bar "
        << ShareBar1080 << " at 1920x1080, " << ShareBarLarger << " larger, " << StrokeShareBar
        << " for a stroke; a drag at 3840x2160 within " << QString::number(FrameBar, 'f', 1)
        << " ms)\n"
           "plain: the same bare render with every curve stroked by QPainter in one piece; "
           "spectrum, signal: one plot's bare render, ms; speed-up = bare plain / bare "
           "(* dense zigzag, bar "
        << SpeedUpBar << "; others " << NotSlowerBar
        << ")\n"
           "+ envelope: the interaction above with the envelope button down, event for event in "
           "turn "
           "with it up; down/up = median / the median with it up (bar "
        << EnvelopeBar << ")\n\n";
    QString header;
    for (const Column &column : columns())
        header += padded(column.header, column.width);
    out << header.trimmed() << '\n' << lines.join(QLatin1Char('\n')) << '\n';
    if (!breakdownLines.isEmpty())
        out << "\nwhere a drag's time goes (medians)\n"
            << breakdownLines.join(QLatin1Char('\n')) << '\n';
    if (!soundLines.isEmpty())
        out << "\nsound\n" << soundLines.join(QLatin1Char('\n')) << '\n';
    out << "\nbar (1 render per plot per event, median <= " << LatencyBar
        << " x bare, with the envelope button down <= " << EnvelopeBar
        << " x up, speed-up >= " << SpeedUpBar << " dense / " << NotSlowerBar
        << " others; share of the full render as above; a playhead frame <= " << PlayheadBar
        << " x the signal plot's bare render, "
        << "playing <= " << SoundCpuBar * 100 << " % of a core): " << (met ? "met" : "NOT met")
        << "; total " << QString::number(total.elapsed() / 1000.0, 'f', 1) << " s\n";
    return met ? 0 : 1;
}
