// SPDX-License-Identifier: GPL-3.0-or-later
// A randomised exerciser: a seeded generator drives the real window with all a lecturer can do,
// in any order, and checks after every event the promises that hold whatever was done before.
// The seed is printed first; QUARNEL_SEED replays a run and QUARNEL_EVENTS sets its length.
#include "equdistant.h"
#include "modecontroller.h"
#include "sound.h"
#include "testsupport.h"

#include <QtTest>
#include <QtWidgets>
#include <qcustomplot.h>

#include <functional>
#include <random>

using namespace TestSupport;
using E = QEvent;

// By Submode::Kind: its combo box entry and parameter page; the first two are discrete spectra.
const QStringList entries{"Волновой пакет", "Отдельные гармоники", "Гауссов",
                          "Прямоугольный",  "Произвольный",        "Лоренцовский"};
const int entryPages[] = {1, 0, 2, 2, 3, 2};
const Qt::Key steps[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};

// Every point within 0..5 Hz, give or take slack, and amplitude 0..1.
static bool inBand(const QCPGraph *graph, double slack = 0.0)
{
    return std::all_of(graph->data()->begin(), graph->data()->end(), [=](auto &p) {
        return p.key >= -slack && p.key <= 5.0 + slack && p.value >= 0.0 && p.value <= 1.0;
    });
}

class ExerciserTest : public QObject, WindowFixture
{
    Q_OBJECT

    QComboBox *combo = nullptr;
    QList<QPushButton *> buttons;
    QMap<QString, QAbstractSpinBox *> boxes;
    // Unlike the standard distributions, the engine gives the same sequence from a seed anywhere.
    std::mt19937_64 engine;
    qint64 events = 0;
    QString failure;
    QStringList recent;    // the last actions, for the failure message
    Qt::MouseButtons held; // the mouse as the user holds it, also while typing
    QPoint cursor;

private slots:
    void randomUse()
    {
        openWindow(true);
        // Smaller than the lecture screen: rendering is most of the time per event.
        window->resize(1024, 768);
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        combo = find<QComboBox>("comboBox");
        buttons = window->findChildren<QPushButton *>();
        QVERIFY(buttons.removeOne(find<QPushButton>("pushButton_4"))); // "Выход" ends the program
        for (QAbstractSpinBox *box : window->findChildren<QAbstractSpinBox *>())
            boxes[box->objectName()] = box;
        const quint64 seed = qEnvironmentVariableIsSet("QUARNEL_SEED")
                                 ? qEnvironmentVariable("QUARNEL_SEED").toULongLong()
                                 : QRandomGenerator::system()->generate64();
        const int asked = qEnvironmentVariableIntValue("QUARNEL_EVENTS");
        const qint64 wanted = asked > 0 ? asked : 20000;
        qInfo("seed %llu, %lld events (replay with QUARNEL_SEED=%llu)", seed, wanted, seed);
        engine.seed(seed);
        // Actions by weight, only clicks on the menu; the mouse jumps at a chance or moves so far.
        const std::pair<int, std::function<void()>> actions[] = {
            {4, [&] { use(buttons[below(buttons.size())]); }},
            {4,
             [&] {
                 perform(QString("pick %1").arg(below(combo->count())));
                 after("pick " + combo->currentText());
             }},
            {1, [&] { key(combo, chance(50) ? Qt::Key_Up : Qt::Key_Down); }},
            {12, [&] { use(boxes.values().at(below(boxes.size()))); }},
            {12, [&] { mouse("press", E::MouseButtonPress, 100, 0); }},
            {48, [&] { mouse("move", E::MouseMove, 20, 60); }},
            {14, [&] { mouse("release", E::MouseButtonRelease, 35, 0); }},
            {5, [&] { mouse("double click", E::MouseButtonDblClick, 0, 0); }}};
        while (events < wanted && failure.isEmpty()) {
            int roll = window->modeController() ? below(100) : 0, i = 0;
            while ((roll -= actions[i].first) >= 0)
                ++i;
            actions[i].second();
        }
        QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("seed %1, ").arg(seed) + failure));
    }

private:
    int below(int n) { return n <= 1 ? 0 : int(engine() % quint64(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double real(double lo, double hi) { return lo + (hi - lo) * double(engine() >> 11) * 0x1p-53; }
    bool chance(int percent) { return below(100) < percent; }
    QString drawn(const QString &alphabet, int lo, int hi)
    {
        QString text;
        for (int i = between(lo, hi); i > 0; --i)
            text += alphabet.at(below(alphabet.size()));
        return text;
    }
    QPoint near(int d) { return {between(-d, d), between(-d, d)}; }
    QPoint in(QRect r) { return {between(r.left(), r.right()), between(r.top(), r.bottom())}; }
    // Left half the time, else right, middle or back.
    Qt::MouseButton anyButton() { return Qt::MouseButton(1 << std::max(0, below(6) - 2)); }
    static bool close(double x, double y) { return std::fabs(x - y) <= 1e-9; }
    double value(const char *box) const { return boxes.value(box)->property("value").toDouble(); }

    // Counts one delivered event and checks the invariants after it; the first broken one is kept.
    void after(const QString &what)
    {
        recent = recent.mid(recent.size() - 15) << what;
        if (++events % 25 == 0) // queued replots and paints run now and then, as between clicks
            QCoreApplication::processEvents();
        if (const QString broken = failure.isEmpty() ? violation() : QString(); !broken.isEmpty())
            failure = QStringLiteral("event %1: %2\nlast actions:\n  ").arg(events).arg(broken) +
                      recent.join("\n  ");
    }

    void key(QWidget *widget, Qt::Key key, const QString &text = QString())
    {
        widget->setFocus();
        QTest::sendKeyEvent(QTest::Click, widget, key, text, Qt::NoModifier);
        const QString now = widget->property(widget == combo ? "currentText" : "text").toString();
        after(widget->objectName() + ' ' + QKeySequence(key).toString() + " → \"" + now + '"');
    }

    // A button is clicked. A spin box is stepped, typed into or both: a number at or a step inside
    // a bound, where the fit rule decides, inside or outside, or digits, signs, letters, Cyrillic
    // too, and separators, few or many, maybe none; after clearing or not, ended or left so.
    void use(QWidget *control)
    {
        if (!control->isVisible() || !control->isEnabled())
            return;
        if (auto *const button = qobject_cast<QPushButton *>(control)) {
            QTest::mouseClick(button, Qt::LeftButton);
            return after("click " + button->objectName() + " \"" + button->text() + '"');
        }
        for (int i = chance(40) ? between(1, 5) : 0, step = below(4); i > 0; --i)
            key(control, steps[step]);
        if (chance(40))
            return;
        const double lo = control->property("minimum").toDouble();
        const double hi = control->property("maximum").toDouble();
        const double numbers[] = {chance(50) ? lo + below(3) * 0.1 : hi - below(3) * 0.1,
                                  real(lo, hi),
                                  chance(50) ? lo - real(0, 100) : hi + real(0, 1000)};
        const int decimals = below(4);
        const QString text =
            chance(40) ? QString::number(numbers[below(3)], 'f', decimals)
                       : drawn("+-.,eEXйцфы 01234567890123456789", 0, chance(75) ? 8 : 40);
        if (chance(80)) {
            control->findChild<QLineEdit *>()->selectAll();
            key(control, Qt::Key_Delete);
        }
        for (const QChar c : text) // as the keyboard layout sends a letter, Cyrillic too
            key(control, Qt::Key(c.toUpper().unicode()), c);
        if (chance(80))
            key(control, chance(80) ? Qt::Key_Enter : Qt::Key_Tab);
    }

    // Mouse events on the spectrum plot; a jump lands near something drawn, on a side of the axis
    // rectangle or in it, on the plot or, but for a press, far off. A release mostly lets go of a
    // held button; a move carries the held ones.
    void mouse(const char *what, E::Type type, int jump, int spread)
    {
        const QRect r = spectrum->axisRect()->rect();
        const int side = below(8 - (type == E::MouseButtonPress)), graphs = spectrum->graphCount();
        const QCPGraph *const graph = graphs ? spectrum->graph(below(graphs)) : nullptr;
        QPoint p = in(side < 6 ? r : spectrum->rect() + (QMargins() + 3000 * (side - 6)));
        if (side < 4)
            (side < 2 ? p.rx() : p.ry()) =
                QVector<int>{r.left(), r.right(), r.top(), r.bottom()}[side];
        if (graph && !graph->data()->isEmpty() && chance(40)) {
            const auto point = graph->data()->at(below(graph->data()->size()));
            p = pixelOf(spectrum, point->key, point->value) + near(chance(50) ? 1 : 8);
        }
        cursor = chance(jump) ? p + near(3) : cursor + near(spread);
        Qt::MouseButton button = type == E::MouseMove ? Qt::NoButton : anyButton();
        for (int i = 0; i < 6 && type == E::MouseButtonRelease && held && !(held & button); ++i)
            button = anyButton();
        QVector<E::Type> types{type};
        if (type == E::MouseButtonDblClick) // after a click, and let go again
            types = {E::MouseButtonPress, E::MouseButtonRelease, type, E::MouseButtonRelease};
        for (const E::Type t : types) {
            held = t == E::MouseButtonRelease ? held & ~button : held | button;
            QMouseEvent event(t, cursor, spectrum->mapToGlobal(cursor), button, held, {});
            QCoreApplication::sendEvent(spectrum, &event);
        }
        after(QString::asprintf("%s, button 0x%x at (%d, %d), held 0x%x", what, button, cursor.x(),
                                cursor.y(), int(held)));
    }

    // The first invariant broken now; empty while all hold.
    QString violation() const
    {
        const ModeController *const controller = window->modeController();
        const Submode *const submode = controller ? controller->currentSubmode() : nullptr;
        const int kind = submode ? submode->submodeKind() : -1, n = spectrum->graphCount();
        const int count = int(value("spinBox")), chosen = int(value("spinBox_3")) - 1;
        const double a = value("doubleSpinBox_9"), b = value("doubleSpinBox_10");
        const Doubles f = n ? keys(spectrum->graph(0)) : Doubles();
        // A packet fits the band and has N harmonics of amplitude 1, B apart around A.
        bool packet = n == 1 && values(spectrum->graph(0)) == Doubles(count, 1.0) &&
                      inBand(spectrum->graph(0), 1e-9) && Equdistant::fits(count, a, b);
        for (int i = 0; packet && i < count; ++i)
            packet = close(f[i], a + (i - (count - 1) / 2.0) * b);
        // One to three harmonics, a point each in the band, the chosen one where its boxes put it
        // to the last bits or so: a QDoubleSpinBox hands on a step's sum unrounded (0.9 + 0.1 < 1).
        bool harmonics = n >= 1 && n <= 3 && value("spinBox_2") == n && chosen >= 0 && chosen < n;
        for (int g = 0; harmonics && g < n; ++g)
            harmonics = spectrum->graph(g)->dataCount() == 1 && inBand(spectrum->graph(g));
        harmonics = harmonics &&
                    close(keys(spectrum->graph(chosen))[0], value("doubleSpinBox_3")) &&
                    close(values(spectrum->graph(chosen))[0], value("doubleSpinBox_4"));
        // A drawn spectrum rises strictly in the band until its signal is made; that peaks at 1.
        bool finite = true, rising = n == 1 && inBand(spectrum->graph(0));
        for (int i = 1; i < f.size(); ++i)
            rising = rising && f[i] > f[i - 1];
        double peak = 0.0;
        for (const double x : signal->graphCount() ? values(signal->graph(0)) : Doubles())
            peak = std::max(peak, std::fabs(x));
        const bool drawn = n == 1 && (signal->graphCount() ? peak == 1.0 || peak == 0.0 : rising);
        for (const QCustomPlot *plot : {spectrum, signal})
            for (int g = 0; g < plot->graphCount(); ++g)
                for (const QCPGraphData &p : *plot->graph(g)->data())
                    finite = finite && std::isfinite(p.key) && std::isfinite(p.value);
        const bool playing = window->soundOutput()->isPlaying();
        const std::pair<bool, const char *> invariants[] = {
            {finite, "a plot holds a point that is not finite"},
            {playing == find<QPushButton>("soundButton")->isChecked() &&
                 playing == signal->findChild<QWidget *>("playhead")->isVisible(),
             "sound, its button and the playhead, hidden on the menu, disagree"},
            {find<QStackedWidget>("stackedWidget")->currentIndex() == int(bool(controller)) &&
                 !controller == !submode && combo->count() == (submode ? (kind < 2 ? 2 : 4) : 0) &&
                 combo->currentText() == entries.value(kind) &&
                 (!submode ||
                  find<QStackedWidget>("stackedWidget_2")->currentIndex() == entryPages[kind]),
             "page, combo box or parameter page of another submode"},
            {spectrum->legend->visible() == (kind == Submode::SeparateHarmonics) &&
                 (find<QWidget>("label_28")->isHidden() || kind == Submode::Drawn),
             "legend shown other than for separate harmonics, or hint other than for drawing"},
            {kind != Submode::WavePacket || packet, "packet not drawn as its boxes say"},
            {kind != Submode::SeparateHarmonics || harmonics,
             "harmonics not drawn as their boxes say"},
            {kind != Submode::Drawn || drawn, "drawn spectrum or its signal out of shape"}};
        for (const auto &[holds, broken] : invariants)
            if (!holds)
                return QStringLiteral("%1 (submode %2)").arg(broken).arg(kind);
        return QString();
    }
};

QTEST_MAIN(ExerciserTest)
#include "tst_exerciser.moc"
