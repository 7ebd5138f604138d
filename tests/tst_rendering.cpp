// Rendering: every user action draws each plot exactly once, however many
// times it rebuilds the graphs on the way, and with the lecture-quality pens.
#include "plot.h"
#include "testsupport.h"

#include <QAbstractSpinBox>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>
#include <functional>

using namespace TestSupport;

using Step = std::function<void()>;
Q_DECLARE_METATYPE(Step)

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

    void oneRenderPerPlotPerEvent_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("entry");
        QTest::addColumn<Step>("before"); // what the event continues
        QTest::addColumn<Step>("event");
        QTest::addColumn<int>("expected");
        const Step nothing = [] {};
        const QString discrete = QStringLiteral("pushButton_2");
        const QString continuous = QStringLiteral("pushButton_3");

        // A drag move sets frequency and amplitude, and each box echoes back;
        // the count reloads an example and selects harmonic 1 through three boxes.
        QTest::newRow("harmonics: drag move")
            << discrete << 0 << pressAt(0.2, 1.0) << moveTo(1.5, 0.6) << 1;
        QTest::newRow("wave packet: drag move") // of 20 harmonics round 4 Hz
            << discrete << 1 << pressAt(4.01, 1.0) << moveTo(3.01, 1.0) << 1;
        QTest::newRow("harmonics: count") << discrete << 0 << nothing << up("spinBox_2") << 1;
        QTest::newRow("harmonics: frequency")
            << discrete << 0 << nothing << up("doubleSpinBox_3") << 1;
        QTest::newRow("wave packet: count") << discrete << 1 << nothing << up("spinBox") << 1;
        QTest::newRow("wave packet: step")
            << discrete << 1 << nothing << up("doubleSpinBox_10") << 1;
        QTest::newRow("gaussian: width")
            << continuous << 0 << nothing << up("doubleSpinBox_2") << 1;
        QTest::newRow("rectangular: centre")
            << continuous << 1 << nothing << up("doubleSpinBox") << 1;
        QTest::newRow("lorentzian: width")
            << continuous << 2 << nothing << up("doubleSpinBox_2") << 1;
        QTest::newRow("drawn: stroke move") << continuous << 3 << stroke() << moveTo(3.5, 0.4) << 1;
        QTest::newRow("drawn: stroke release") << continuous << 3 << stroke() << release() << 1;
        QTest::newRow("drawn: clear")
            << continuous << 3 << stroke() << clickOn("pushButton_5") << 1;
        QTest::newRow("combo: wave packet") << discrete << 0 << nothing << pickAt(1) << 1;
        QTest::newRow("combo: drawn") << continuous << 0 << nothing << pickAt(3) << 1;
        QTest::newRow("menu button") << discrete << 1 << nothing << clickOn("pushButton") << 0;
        QTest::newRow("spectrum button")
            << continuous << 2 << clickOn("pushButton") << clickOn("pushButton_3") << 1;
    }

    void oneRenderPerPlotPerEvent()
    {
        QFETCH(QString, button);
        QFETCH(int, entry);
        QFETCH(Step, before);
        QFETCH(Step, event);
        QFETCH(int, expected);
        click(qPrintable(button));
        pickEntry(entry);
        before();
        settle();
        renders[0] = renders[1] = 0;
        event();
        // Nothing is drawn while the event is handled, each plot once after.
        QCOMPARE(renders[0] + renders[1], 0);
        settle();
        QCOMPARE(renders[0], expected);
        QCOMPARE(renders[1], expected);
    }

    // Renders that start from the static image look exactly as renders that
    // draw every layer, after any series of interactions, including those
    // that must make the image anew: the packet's time axis reset when it
    // goes, a legend appearing or growing, a resize.
    void staticImageKeepsTheLook_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("entry");
        QTest::addColumn<Step>("steps");
        const QString discrete = QStringLiteral("pushButton_2");
        const QString continuous = QStringLiteral("pushButton_3");
        QTest::newRow("harmonics")
            << discrete << 0
            << all({up("doubleSpinBox_3"), pressAt(0.3, 1.0), moveTo(1.5, 0.6), moveTo(2.5, 0.3),
                    up("spinBox_2"), up("spinBox_2"), pressAt(3.1, 0.5), moveTo(4.9, 1.0)});
        QTest::newRow("harmonics, then packet")
            << discrete << 0 << all({up("spinBox_2"), up("spinBox_2"), pickAt(1)});
        QTest::newRow("packet, then harmonics")
            << discrete << 1
            << all({up("spinBox"), pressAt(4.01, 1.0), moveTo(2.01, 0.5), up("doubleSpinBox_10"),
                    pickAt(0)});
        QTest::newRow("gaussian") << continuous << 0
                                  << all({up("doubleSpinBox_2"), up("doubleSpinBox")});
        QTest::newRow("rectangular") << continuous << 1 << all({up("doubleSpinBox_2")});
        QTest::newRow("lorentzian, then drawn")
            << continuous << 2 << all({up("doubleSpinBox"), pickAt(3), stroke(), release()});
        QTest::newRow("resized") << discrete << 0
                                 << all({[this] { window->resize(1500, 900); }, up("spinBox_2")});
    }
    void staticImageKeepsTheLook()
    {
        QFETCH(QString, button);
        QFETCH(int, entry);
        QFETCH(Step, steps);
        click(qPrintable(button));
        pickEntry(entry);
        settle();
        const auto plots = {static_cast<Plot *>(spectrum), static_cast<Plot *>(signal)};
        int reused = 0;
        for (const Plot *plot : plots)
            reused -= plot->staticImageRenders();
        steps();
        settle();
        for (Plot *plot : plots) {
            reused += plot->staticImageRenders();
            const QImage shown = plot->grab().toImage();
            plot->replotFully();
            settle();
            QCOMPARE(plot->grab().toImage(), shown);
        }
        QVERIFY(reused > 0);
    }

    void firstVisitRendersOnce()
    {
        // The work page is laid out for the first time, which resizes both
        // plots; they are laid out before any render, so pixels convert at once.
        const QSize before = spectrum->size();
        click("pushButton_2");
        QVERIFY(spectrum->size() != before);
        QCOMPARE(spectrum->axisRect()->outerRect(), spectrum->rect());
        QCOMPARE(renders[0], 0);
        settle();
        QCOMPARE(renders[0], 1);
        QCOMPARE(renders[1], 1);
    }

    void graphsAreRebuiltBeforeTheRender()
    {
        click("pushButton_2");
        press(spectrum, pixelOf(spectrum, 0.2, 1.0));
        settle();
        renders[0] = 0;
        move(spectrum, pixelOf(spectrum, 1.5, 0.6));
        QCOMPARE(keys(spectrum->graph(0)), QVector<double>{1.5});
        QCOMPARE(values(spectrum->graph(0)), QVector<double>{0.6});
        QCOMPARE(values(signal->graph(0)).at(500), 0.6); // t = 0
        QCOMPARE(renders[0], 0);
    }

private:
    Step pressAt(double f, double a)
    {
        return [=] { press(spectrum, pixelOf(spectrum, f, a)); };
    }
    Step moveTo(double f, double a)
    {
        return [=] { move(spectrum, pixelOf(spectrum, f, a)); };
    }
    Step up(const char *box)
    {
        return [=] { QTest::keyClick(find<QAbstractSpinBox>(box), Qt::Key_Up); };
    }
    Step clickOn(const char *name)
    {
        return [=] { click(name); };
    }
    Step pickAt(int index)
    {
        return [=] { pickEntry(index); };
    }
    Step stroke()
    {
        return [this] {
            press(spectrum, pixelOf(spectrum, 0.5, 0.2));
            for (double f = 0.6; f < 3.0; f += 0.1)
                move(spectrum, pixelOf(spectrum, f, 0.5 + 0.3 * std::sin(f * 3)));
        };
    }
    Step release()
    {
        return [this] { TestSupport::release(spectrum, pixelOf(spectrum, 3, 0.4)); };
    }
    static Step all(std::initializer_list<Step> steps)
    {
        return [list = QVector<Step>(steps)] {
            for (const Step &step : list) {
                step();
                settle();
            }
        };
    }

    int renders[2] = {}; // of the spectrum and the signal plot
};

QTEST_MAIN(RenderingTest)
#include "tst_rendering.moc"
