// A randomised exerciser: a seeded generator drives the real window with
// everything a lecturer can do (buttons, combo entries, typing and stepping in
// the spin boxes, mouse strokes on the spectrum plot, in any order and with
// any button) and checks after every event the promises that must hold
// whatever was done before. The seed is printed; QUARNEL_SEED replays a run
// and QUARNEL_EVENTS sets its length.
#include "audiosink.h"
#include "equdistant.h"
#include "modecontroller.h"
#include "sound.h"
#include "submode.h"
#include "testsupport.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStackedWidget>
#include <QtTest>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

using namespace TestSupport;

namespace {

// The combo box entries of each spectrum kind in order, the submode each
// makes and the page of the parameter panel that belongs to it.
struct Entry
{
    const char *text;
    int kind;
    int page;
};
const QVector<Entry> discreteEntries{{"Отдельные гармоники", Submode::SeparateHarmonics, 0},
                                     {"Волновой пакет", Submode::WavePacket, 1}};
const QVector<Entry> continuousEntries{{"Гауссов", Submode::Gaussian, 2},
                                       {"Прямоугольный", Submode::Rectangular, 2},
                                       {"Лоренцовский", Submode::Lorentzian, 2},
                                       {"Произвольный", Submode::Drawn, 3}};

const Qt::MouseButton anyButton[] = {Qt::LeftButton,  Qt::LeftButton,   Qt::LeftButton,
                                     Qt::RightButton, Qt::MiddleButton, Qt::BackButton};

// The engine gives the same sequence from a seed on every toolchain (the
// standard distributions do not), so a seed printed by CI replays anywhere.
struct Generator : std::mt19937_64
{
    using std::mt19937_64::mt19937_64;
    int below(int n) { return n <= 1 ? 0 : int((*this)() % quint64(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double real(double lo, double hi) { return lo + (hi - lo) * double((*this)() >> 11) * 0x1p-53; }
    bool chance(int percent) { return below(100) < percent; }
    QString drawn(const QString &alphabet, int lo, int hi)
    {
        QString text;
        for (int i = between(lo, hi); i > 0; --i)
            text += alphabet.at(below(alphabet.size()));
        return text;
    }
};

// QTest's own typing knows only ASCII; a Cyrillic letter arrives as the
// keyboard layout would send it.
void typeCharacter(QWidget *widget, QChar c)
{
    if (c.unicode() < 128)
        return QTest::keyClick(widget, char(c.unicode()));
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(widget, &event);
    }
}

template <class Test> bool everyPoint(const QCPGraph *graph, Test test)
{
    return std::all_of(graph->data()->constBegin(), graph->data()->constEnd(), test);
}

// Frequencies within 0..5 Hz, amplitudes within 0..1.
bool inBand(const QCPGraph *graph)
{
    return everyPoint(graph, [](const QCPGraphData &p) {
        return p.key >= 0.0 && p.key <= 5.0 && p.value >= 0.0 && p.value <= 1.0;
    });
}

quint64 environmentNumber(const char *name, quint64 fallback)
{
    bool ok = false;
    const quint64 value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}

} // namespace

class ExerciserTest : public QObject, WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        // "Звук" plays on a device that takes the samples in real time.
        AudioSink::setNullDevice(true);
        openWindow();
        AudioSink::setNullDevice(false);
        // Smaller than the lecture screen: rendering is most of the time per event.
        window->resize(1024, 768);
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        combo = find<QComboBox>("comboBox");
        pages = find<QStackedWidget>("stackedWidget");
        hint = find<QLabel>("label_28");
        // "Выход" is left out: it ends the program.
        for (const char *name : {"pushButton_2", "pushButton_3", "pushButton_6", "pushButton_7",
                                 "pushButton", "pushButton_5", "soundButton"})
            buttons << find<QPushButton>(name);
        for (const char *name :
             {"spinBox_2", "spinBox_3", "doubleSpinBox_3", "doubleSpinBox_4", "spinBox",
              "doubleSpinBox_9", "doubleSpinBox_10", "doubleSpinBox", "doubleSpinBox_2"})
            spinBoxes << find<QAbstractSpinBox>(name);
        QVERIFY(combo && pages && hint && !buttons.contains(nullptr) &&
                !spinBoxes.contains(nullptr));
    }

    void randomUse()
    {
        seed = environmentNumber("QUARNEL_SEED", QRandomGenerator::system()->generate64());
        const qint64 wanted = qint64(environmentNumber("QUARNEL_EVENTS", 20000));
        qInfo("seed %llu, %lld events (replay with QUARNEL_SEED=%llu)", seed, wanted, seed);
        random.seed(seed);
        while (events < wanted && failure.isEmpty()) {
            // On the menu pages only the buttons are there to use.
            const int roll = pages->currentIndex() == 1 ? random.below(100) : 0;
            if (roll < 12)
                clickButton();
            else if (roll < 24)
                pickOrKey();
            else if (roll < 44)
                typeIntoSpinBox();
            else if (roll < 56)
                stepSpinBox();
            else
                strokeOnSpectrum();
        }
        qInfo("%lld events", events);
        if (!failure.isEmpty())
            QFAIL(qPrintable(failure));
    }

    // What the exerciser found, each pinned on its own.
    void packetDraggedToARoundedRefusalStaysInside();

private:
    // Counts one delivered event and checks the invariants after it; false
    // once one failed (the failure message is then set).
    bool after(const QString &what)
    {
        recent << what;
        if (recent.size() > 16)
            recent.removeFirst();
        // Queued replots and paints run regularly, as between a user's clicks.
        if (++events % 25 == 0)
            QCoreApplication::processEvents();
        const QString broken = violation();
        if (!broken.isEmpty() && failure.isEmpty())
            failure = QStringLiteral("seed %1, event %2: %3\nlast actions:\n  %4")
                          .arg(seed)
                          .arg(events)
                          .arg(broken, recent.join(QStringLiteral("\n  ")));
        return failure.isEmpty();
    }

    bool key(QWidget *widget, Qt::Key key)
    {
        QTest::keyClick(widget, key);
        const auto *const box = qobject_cast<QAbstractSpinBox *>(widget);
        return after(QStringLiteral("%1: %2 (now \"%3\")")
                         .arg(widget->objectName(), QKeySequence(key).toString(),
                              box ? box->text() : combo->currentText()));
    }

    template <class T> T *anyUsable(const QList<T *> &all)
    {
        QList<T *> usable;
        for (T *widget : all) {
            if (widget->isVisible() && widget->isEnabled())
                usable << widget;
        }
        return usable.isEmpty() ? nullptr : usable.at(random.below(usable.size()));
    }

    void clickButton()
    {
        if (QPushButton *const button = anyUsable(buttons)) {
            QTest::mouseClick(button, Qt::LeftButton);
            after(QStringLiteral("click %1 \"%2\"").arg(button->objectName(), button->text()));
        }
    }

    void pickOrKey()
    {
        if (!combo->isVisible() || combo->count() == 0)
            return;
        if (random.chance(20)) {
            combo->setFocus();
            key(combo, random.chance(50) ? Qt::Key_Up : Qt::Key_Down);
            return;
        }
        const int index = random.below(combo->count());
        pick(combo, index);
        after(QStringLiteral("pick entry %1").arg(index));
    }

    void typeIntoSpinBox()
    {
        QAbstractSpinBox *const box = anyUsable(spinBoxes);
        if (!box)
            return;
        const double lo = box->property("minimum").toDouble();
        const double hi = box->property("maximum").toDouble();
        const QString digits = QStringLiteral("0123456789");
        QString text;
        switch (random.below(9)) {
        case 0:
        case 1:
        case 2: { // at or a step inside a bound, where the fit rule decides; inside; outside
            const double numbers[] = {
                random.chance(50) ? lo + random.below(3) * 0.1 : hi - random.below(3) * 0.1,
                random.real(lo, hi),
                random.chance(50) ? lo - random.real(0, 100) : hi + random.real(0, 1000)};
            text = QString::number(numbers[random.below(3)], 'f', random.below(4));
            break;
        }
        case 3: // signs, before a number or alone
            text = random.drawn(QStringLiteral("+-"), 1, 2) + random.drawn(digits + '.', 0, 3);
            break;
        case 4: // letters among digits
            text = random.drawn(QStringLiteral("abezEXйцфы ") + digits, 1, 6);
            break;
        case 5: // nothing at all
            break;
        case 6: // many digits, sometimes with a point somewhere
            text = random.drawn(digits, 8, 40);
            if (random.chance(50))
                text.insert(random.below(text.size()), random.chance(50) ? u'.' : u',');
            break;
        default: // separators and signs in any order
            text = random.drawn(digits + QStringLiteral(".,-+e "), 1, 8);
        }

        box->setFocus();
        if (random.chance(80)) {
            box->findChild<QLineEdit *>()->selectAll();
            if (!key(box, Qt::Key_Delete))
                return;
        }
        for (const QChar c : text) {
            typeCharacter(box, c);
            if (!after(QStringLiteral("%1: type '%2' (now \"%3\")")
                           .arg(box->objectName(), c, box->text())))
                return;
        }
        // Ended by Enter, Return or Tab, or left as typed while the user turns away.
        static const Qt::Key ends[] = {Qt::Key_Enter, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab};
        if (const int end = random.below(5); end < 4)
            key(box, ends[end]);
    }

    void stepSpinBox()
    {
        static const Qt::Key keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown};
        if (QAbstractSpinBox *const box = anyUsable(spinBoxes)) {
            const Qt::Key which = keys[random.below(4)];
            box->setFocus();
            for (int i = random.between(1, 5); i > 0 && key(box, which); --i) {
            }
        }
    }

    QPoint near(int distance)
    {
        return QPoint(random.between(-distance, distance), random.between(-distance, distance));
    }

    QPoint somewhere()
    {
        const QRect rect = spectrum->axisRect()->rect();
        const auto inside = [this](QRect r) {
            return QPoint(random.between(r.left(), r.right()), random.between(r.top(), r.bottom()));
        };
        switch (random.below(5)) {
        case 0:
            return inside(rect);
        case 1: { // on its border, give or take a few pixels
            const int side = random.below(4);
            QPoint p = inside(rect);
            (side < 2 ? p.rx() : p.ry()) =
                QVector<int>{rect.left(), rect.right(), rect.top(), rect.bottom()}[side];
            return p + near(3);
        }
        case 2: // on the widget, or far outside where a drag that left it arrives
            return inside(spectrum->rect().marginsAdded(QMargins() + 3000 * random.below(2)));
        default: { // on or near something drawn, so that harmonics get grabbed
            const int graphs = spectrum->graphCount();
            const QCPGraph *const graph = graphs ? spectrum->graph(random.below(graphs)) : nullptr;
            if (!graph || graph->data()->isEmpty())
                return rect.center();
            const auto point = graph->data()->at(random.below(graph->data()->size()));
            return pixelOf(spectrum, point->key, point->value) + near(random.chance(50) ? 1 : 8);
        }
        }
    }

    void sendMouse(QEvent::Type type, Qt::MouseButton button)
    {
        if (type == QEvent::MouseButtonRelease)
            held &= ~Qt::MouseButtons(button);
        else
            held |= button;
        QMouseEvent event(type, QPointF(cursor), QPointF(spectrum->mapTo(window.get(), cursor)),
                          QPointF(spectrum->mapToGlobal(cursor)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(spectrum, &event);
    }

    void strokeOnSpectrum()
    {
        if (!spectrum->isVisible())
            return;
        for (int step = random.between(1, 24); step > 0 && failure.isEmpty(); --step) {
            const int roll = random.below(100);
            Qt::MouseButton button = anyButton[random.below(6)];
            const char *what = "press";
            if (roll < 15) { // inside the widget, where a press can land
                const QPoint p = somewhere();
                cursor = QPoint(qBound(0, p.x(), spectrum->width() - 1),
                                qBound(0, p.y(), spectrum->height() - 1));
                sendMouse(QEvent::MouseButtonPress, button);
            } else if (roll < 72) { // with whatever is held, maybe nothing
                cursor = random.chance(80) ? cursor + near(60) : somewhere();
                button = Qt::NoButton;
                sendMouse(QEvent::MouseMove, button);
                what = "move";
            } else if (roll < 92) { // of a held button or of none
                for (int i = 0; i < 6 && held && !(held & button); ++i)
                    button = anyButton[random.below(6)];
                if (random.chance(35))
                    cursor = somewhere();
                sendMouse(QEvent::MouseButtonRelease, button);
                what = "release";
            } else { // where the pointer is
                for (const QEvent::Type type :
                     {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                      QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
                    sendMouse(type, button);
                what = "double click";
            }
            after(QString::asprintf("%s button 0x%x at (%d, %d), held 0x%x", what, int(button),
                                    cursor.x(), cursor.y(), int(held)));
        }
        QCoreApplication::processEvents();
        if (failure.isEmpty())
            after(QStringLiteral("events processed after the stroke"));
    }

    QString violation() const
    {
        for (QCustomPlot *plot : {spectrum, signal}) {
            for (int g = 0; g < plot->graphCount(); ++g) {
                if (!everyPoint(plot->graph(g), [](const QCPGraphData &p) {
                        return std::isfinite(p.key) && std::isfinite(p.value);
                    }))
                    return plot->objectName() + QStringLiteral(" holds a point not finite");
            }
        }
        const bool playing = window->soundOutput()->isPlaying();
        if (playing != find<QPushButton>("soundButton")->isChecked() ||
            playing != signal->findChild<QWidget *>(QStringLiteral("playhead"))->isVisible())
            return QString::asprintf("sound playing %d, its button and playhead otherwise",
                                     playing);
        const ModeController *const controller = window->modeController();
        if (!controller) {
            if (playing)
                return QStringLiteral("sound playing on the menu page");
            if (pages->currentIndex() != 0 || combo->count() != 0 || spectrum->legend->visible() ||
                !hint->isHidden())
                return QString::asprintf("no spectrum chosen: page %d, %d combo entries, legend "
                                         "shown %d, hint shown %d",
                                         pages->currentIndex(), combo->count(),
                                         spectrum->legend->visible(), !hint->isHidden());
            return QString();
        }
        const Submode *const submode = controller->currentSubmode();
        if (pages->currentIndex() != 1 || !submode)
            return QStringLiteral("a spectrum is chosen, but no submode is shown on the work page");

        const int kind = submode->submodeKind();
        const bool discrete = kind == Submode::SeparateHarmonics || kind == Submode::WavePacket;
        const QVector<Entry> &entries = discrete ? discreteEntries : continuousEntries;
        const int index = combo->currentIndex();
        bool sameEntries = combo->count() == entries.size();
        for (int i = 0; sameEntries && i < combo->count(); ++i)
            sameEntries = combo->itemText(i) == QString::fromUtf8(entries[i].text);
        if (!sameEntries || index < 0 || entries[index].kind != kind)
            return QString::asprintf("submode %d with the wrong combo entries or entry %d", kind,
                                     index);
        if (find<QStackedWidget>("stackedWidget_2")->currentIndex() != entries[index].page)
            return QString::asprintf("submode %d with another's parameter page", kind);
        if (spectrum->legend->visible() != (kind == Submode::SeparateHarmonics))
            return QString::asprintf("submode %d with the legend wrongly shown or hidden", kind);
        if (kind != Submode::Drawn && !hint->isHidden())
            return QString::asprintf("submode %d shows the drawing hint", kind);
        return kind == Submode::WavePacket          ? checkWavePacket()
               : kind == Submode::SeparateHarmonics ? checkHarmonics()
               : kind == Submode::Drawn             ? checkDrawing()
                                                    : QString();
    }

    QString checkWavePacket() const
    {
        const int n = find<QSpinBox>("spinBox")->value();
        const double a = find<QDoubleSpinBox>("doubleSpinBox_9")->value();
        const double b = find<QDoubleSpinBox>("doubleSpinBox_10")->value();
        if (!Equdistant::fits(n, a, b))
            return QString::asprintf("the packet N = %d, A = %.17g, B = %g does not fit", n, a, b);
        if (spectrum->graphCount() != 1 || spectrum->graph(0)->dataCount() != n)
            return QStringLiteral("the packet is not drawn as N harmonics");
        const QVector<double> f = keys(spectrum->graph(0)), amplitude = values(spectrum->graph(0));
        for (int i = 0; i < n; ++i) {
            if (std::fabs(f[i] - (a + (i - (n - 1) / 2.0) * b)) > 1e-9 || amplitude[i] != 1.0)
                return QString::asprintf("harmonic %d is not where the boxes put it", i);
        }
        return QString();
    }

    QString checkHarmonics() const
    {
        const int count = find<QSpinBox>("spinBox_2")->value();
        const int selected = find<QSpinBox>("spinBox_3")->value();
        const int n = spectrum->graphCount();
        if (n < 1 || n > 3 || n != count || selected < 1 || selected > n)
            return QString::asprintf("%d harmonics drawn, the boxes say %d and %d", n, count,
                                     selected);
        for (int i = 0; i < n; ++i) {
            if (spectrum->graph(i)->dataCount() != 1 || !inBand(spectrum->graph(i)))
                return QString::asprintf("harmonic %d is not one point in the band", i + 1);
        }
        // Stepping a QDoubleSpinBox hands on its sum unrounded (0.9 + 0.1 is
        // 0.99999999999999989), and a later step to the bound, which Qt deems
        // equal, then goes unannounced: the last bits may differ.
        const QCPGraphData drawn = *spectrum->graph(selected - 1)->data()->constBegin();
        const double f = find<QDoubleSpinBox>("doubleSpinBox_3")->value();
        const double a = find<QDoubleSpinBox>("doubleSpinBox_4")->value();
        if (std::fabs(drawn.key - f) > 1e-9 || std::fabs(drawn.value - a) > 1e-9)
            return QString::asprintf("harmonic %d at (%.17g, %.17g), the boxes say (%.17g, %.17g)",
                                     selected, drawn.key, drawn.value, f, a);
        return QString();
    }

    QString checkDrawing() const
    {
        if (spectrum->graphCount() != 1)
            return QString::asprintf("the drawn spectrum has %d graphs", spectrum->graphCount());
        if (signal->graphCount() == 0) { // no spline yet: the points as they were drawn
            const QVector<double> f = keys(spectrum->graph(0));
            if (!inBand(spectrum->graph(0)) ||
                std::adjacent_find(f.begin(), f.end(), std::greater_equal<double>()) != f.end())
                return QStringLiteral("drawn points outside the band or not strictly rising");
            return QString();
        }
        double largest = 0.0;
        for (const double sample : values(signal->graph(0)))
            largest = std::max(largest, std::fabs(sample));
        return largest == 1.0 || largest == 0.0
                   ? QString()
                   : QString::asprintf("the drawn spectrum's signal peaks at %.17g", largest);
    }

    QComboBox *combo = nullptr;
    QStackedWidget *pages = nullptr;
    QLabel *hint = nullptr;
    QList<QPushButton *> buttons;
    QList<QAbstractSpinBox *> spinBoxes;
    Generator random;
    quint64 seed = 0;
    qint64 events = 0;
    QString failure;
    QStringList recent; // the last actions, for the failure message
    // The mouse as the user holds it; it carries over from one stroke to the
    // next, so a button can stay down while the keyboard is used.
    Qt::MouseButtons held;
    QPoint cursor;
};

// A drag adds whole tenths to the centre in doubles: 0.4 - 0.1 is
// 0.30000000000000004, which fits N = 7 at B = 0.1 exactly at 0 Hz, while the
// 0.3 the box rounds it to does not and is sent back to 0.4. The centre that
// was remembered as accepted must be the one the box kept, or the next refusal
// restores a packet reaching below 0 Hz.
void ExerciserTest::packetDraggedToARoundedRefusalStaysInside()
{
    click("pushButton_2");
    pickEntry(1);
    auto *const count = find<QSpinBox>("spinBox");
    auto *const centre = find<QDoubleSpinBox>("doubleSpinBox_9");
    auto *const step = find<QDoubleSpinBox>("doubleSpinBox_10");
    // One harmonic fits anywhere, so the typing is not refused half-way.
    type(count, QStringLiteral("1"));
    type(centre, QStringLiteral("0.4"));
    type(step, QStringLiteral("0.1"));
    type(count, QStringLiteral("7"));
    QCOMPARE(keys(spectrum->graph(0)).first(), 0.4 - 3 * 0.1);

    // Grab the lowest harmonic and pull it a tenth to the left.
    press(spectrum, pixelOf(spectrum, 0.1, 0.5));
    move(spectrum, pixelOf(spectrum, 0.0, 0.5));
    release(spectrum, pixelOf(spectrum, 0.0, 0.5));
    QCOMPARE(centre->value(), 0.4);

    // Refused; the box must come back to a centre that fits.
    type(centre, QStringLiteral("0.2"));
    QVERIFY(Equdistant::fits(count->value(), centre->value(), step->value()));
    QVERIFY(keys(spectrum->graph(0)).first() >= 0.0);
    QCOMPARE(centre->value(), 0.4);
}

QTEST_MAIN(ExerciserTest)
#include "tst_exerciser.moc"
