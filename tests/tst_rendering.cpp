// Rendering: every user action draws each plot exactly once, however many
// times it rebuilds the graphs on the way, and with the lecture-quality pens.
#include "mainwindow.h"
#include "testsupport.h"

#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>
#include <qcustomplot.h>

using namespace TestSupport;

class RenderingTest : public QObject
{
    Q_OBJECT

public:
    enum Action {
        SpinUp,
        HarmonicDrag,
        PacketDrag,
        StrokeMove,
        StrokeRelease,
        ClearButton,
        ComboPick,
        MenuButton,
        SpectrumButton
    };
    Q_ENUM(Action)

private slots:
    void init();
    void cleanup() { window.reset(); }
    void oneRenderPerPlotPerEvent_data();
    void oneRenderPerPlotPerEvent();
    void firstVisitRendersOnce();
    void graphsAreRebuiltBeforeTheRender();
    void renderingKeepsTheLectureQuality();

private:
    // Runs the event loop until nothing is pending, queued replots included.
    static void settle()
    {
        while (QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents)) {
        }
    }
    void open(const char *spectrumButton, int entry)
    {
        QTest::mouseClick(find<QPushButton>(window.get(), spectrumButton), Qt::LeftButton);
        pick(find<QComboBox>(window.get(), "comboBox"), entry);
        settle();
    }
    void drawStroke()
    {
        press(spectrum, pixelOf(spectrum, 0.5, 0.2));
        for (double f = 0.6; f < 3.0; f += 0.1)
            move(spectrum, pixelOf(spectrum, f, 0.5 + 0.3 * std::sin(f * 3)));
    }

    std::unique_ptr<MainWindow> window;
    QCustomPlot *spectrum = nullptr;
    QCustomPlot *signal = nullptr;
    int spectrumRenders = 0;
    int signalRenders = 0;
};

void RenderingTest::init()
{
    window = makeWindow();
    spectrum = find<QCustomPlot>(window.get(), "widget");
    signal = find<QCustomPlot>(window.get(), "widget_2");
    spectrumRenders = signalRenders = 0;
    connect(spectrum, &QCustomPlot::afterReplot, this, [this] { ++spectrumRenders; });
    connect(signal, &QCustomPlot::afterReplot, this, [this] { ++signalRenders; });
}

void RenderingTest::oneRenderPerPlotPerEvent_data()
{
    QTest::addColumn<QString>("spectrumButton");
    QTest::addColumn<int>("entry");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("renders");

    const QString discrete = QStringLiteral("pushButton_2");
    const QString continuous = QStringLiteral("pushButton_3");
    // A drag move sets frequency and amplitude, and each box echoes back.
    QTest::newRow("harmonics: drag move") << discrete << 0 << HarmonicDrag << QString() << 1;
    QTest::newRow("wave packet: drag move") << discrete << 1 << PacketDrag << QString() << 1;
    // The count reloads an example and selects harmonic 1 through three boxes.
    QTest::newRow("harmonics: count") << discrete << 0 << SpinUp << "spinBox_2" << 1;
    QTest::newRow("harmonics: frequency") << discrete << 0 << SpinUp << "doubleSpinBox_3" << 1;
    QTest::newRow("wave packet: count") << discrete << 1 << SpinUp << "spinBox" << 1;
    QTest::newRow("wave packet: step") << discrete << 1 << SpinUp << "doubleSpinBox_10" << 1;
    QTest::newRow("gaussian: width") << continuous << 0 << SpinUp << "doubleSpinBox_2" << 1;
    QTest::newRow("rectangular: centre") << continuous << 1 << SpinUp << "doubleSpinBox" << 1;
    QTest::newRow("lorentzian: width") << continuous << 2 << SpinUp << "doubleSpinBox_2" << 1;
    QTest::newRow("drawn: stroke move") << continuous << 3 << StrokeMove << QString() << 1;
    QTest::newRow("drawn: stroke release") << continuous << 3 << StrokeRelease << QString() << 1;
    QTest::newRow("drawn: clear") << continuous << 3 << ClearButton << QString() << 1;
    QTest::newRow("combo: wave packet") << discrete << 0 << ComboPick << QString() << 1;
    QTest::newRow("combo: drawn") << continuous << 0 << ComboPick << QString() << 1;
    QTest::newRow("menu button") << discrete << 1 << MenuButton << QString() << 0;
    QTest::newRow("spectrum button") << continuous << 2 << SpectrumButton << QString() << 1;
}

void RenderingTest::oneRenderPerPlotPerEvent()
{
    QFETCH(QString, spectrumButton);
    QFETCH(int, entry);
    QFETCH(Action, action);
    QFETCH(QString, control);
    QFETCH(int, renders);

    open(qPrintable(spectrumButton), entry);
    // What the event continues: a held harmonic, a stroke under way.
    switch (action) {
    case HarmonicDrag:
        press(spectrum, pixelOf(spectrum, 0.2, 1.0));
        break;
    case PacketDrag:
        press(spectrum, pixelOf(spectrum, 4.01, 1.0)); // of 20 harmonics round 4 Hz
        break;
    case StrokeMove:
    case StrokeRelease:
    case ClearButton:
        drawStroke();
        break;
    case SpectrumButton:
        QTest::mouseClick(find<QPushButton>(window.get(), "pushButton"), Qt::LeftButton);
        break;
    default:
        break;
    }
    settle();
    spectrumRenders = signalRenders = 0;

    switch (action) {
    case SpinUp:
        QTest::keyClick(find<QAbstractSpinBox>(window.get(), qPrintable(control)), Qt::Key_Up);
        break;
    case HarmonicDrag:
        move(spectrum, pixelOf(spectrum, 1.5, 0.6));
        break;
    case PacketDrag:
        move(spectrum, pixelOf(spectrum, 3.01, 1.0));
        break;
    case StrokeMove:
        move(spectrum, pixelOf(spectrum, 3.5, 0.4));
        break;
    case StrokeRelease:
        release(spectrum, pixelOf(spectrum, 3.0, 0.4));
        break;
    case ClearButton:
        QTest::mouseClick(find<QPushButton>(window.get(), "pushButton_5"), Qt::LeftButton);
        break;
    case ComboPick:
        pick(find<QComboBox>(window.get(), "comboBox"), spectrumButton.endsWith('2') ? 1 : 3);
        break;
    case MenuButton:
        QTest::mouseClick(find<QPushButton>(window.get(), "pushButton"), Qt::LeftButton);
        break;
    case SpectrumButton:
        QTest::mouseClick(find<QPushButton>(window.get(), qPrintable(spectrumButton)),
                          Qt::LeftButton);
        break;
    }
    // Nothing is drawn while the event is being handled...
    QCOMPARE(spectrumRenders, 0);
    QCOMPARE(signalRenders, 0);
    // ...and each plot exactly once when the loop gets control back.
    settle();
    QCOMPARE(spectrumRenders, renders);
    QCOMPARE(signalRenders, renders);
}

void RenderingTest::firstVisitRendersOnce()
{
    // The work page is laid out for the first time, which resizes both plots.
    const QSize before = spectrum->size();
    QTest::mouseClick(find<QPushButton>(window.get(), "pushButton_2"), Qt::LeftButton);
    QVERIFY(spectrum->size() != before);
    // Laid out at the new size before any render, so pixels convert right away.
    QCOMPARE(spectrum->axisRect()->outerRect(), spectrum->rect());
    QCOMPARE(spectrumRenders, 0);
    settle();
    QCOMPARE(spectrumRenders, 1);
    QCOMPARE(signalRenders, 1);
}

void RenderingTest::graphsAreRebuiltBeforeTheRender()
{
    open("pushButton_2", 0);
    press(spectrum, pixelOf(spectrum, 0.2, 1.0));
    spectrumRenders = 0;
    move(spectrum, pixelOf(spectrum, 1.5, 0.6));
    // Read at once, before any render: the harmonic and its cosine are there.
    QCOMPARE(keys(spectrum->graph(0)), QVector<double>{1.5});
    QCOMPARE(values(spectrum->graph(0)), QVector<double>{0.6});
    QCOMPARE(values(signal->graph(0)).at(500), 0.6); // t = 0
    QCOMPARE(spectrumRenders, 0);
}

void RenderingTest::renderingKeepsTheLectureQuality()
{
    open("pushButton_3", 0);
    for (QCustomPlot *plot : {spectrum, signal}) {
        QVERIFY(!plot->plottingHints().testFlag(QCP::phFastPolylines));
        QVERIFY(!plot->noAntialiasingOnDrag());
        QVERIFY(plot->graph(0)->antialiased());
        QCOMPARE(plot->graph(0)->pen().width(), 3);
    }
}

QTEST_MAIN(RenderingTest)
#include "tst_rendering.moc"
