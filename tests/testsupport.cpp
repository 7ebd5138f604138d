// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include "audiosink.h"
#include "curvegraph.h"
#include "modecontroller.h"
#include "plot.h"
#include "submode.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTest>
#include <qcustomplot.h>

#include <cmath>

namespace TestSupport {

Doubles column(const QCPGraph *graph, bool values)
{
    Doubles out;
    for (const QCPGraphData &point : *graph->data())
        out << (values ? point.value : point.key);
    return out;
}

QPoint pixelOf(const QCustomPlot *plot, double x, double y)
{
    return QPoint(qRound(plot->xAxis->coordToPixel(x)), qRound(plot->yAxis->coordToPixel(y)));
}

void settle()
{
    while (QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents)) {
    }
}

QString WindowFixture::differsFromFullRender() const
{
    settle();
    if (static_cast<Plot *>(spectrum)->staticImageRenders() == 0)
        return QStringLiteral("no static image was made");
    for (Plot *plot : {static_cast<Plot *>(spectrum), static_cast<Plot *>(signal)}) {
        const QImage shown = plot->grab().toImage();
        const int reused = plot->staticImageRenders();
        // With the dashes done in the render, as the worker would do them.
        CurveGraph::setPreparingDashes(false);
        plot->replotFully();
        settle();
        CurveGraph::setPreparingDashes(true);
        if (plot->staticImageRenders() != reused || plot->grab().toImage() != shown)
            return plot->objectName() + QStringLiteral(" differs from a full render");
    }
    return QString();
}

void WindowFixture::openWindow(bool nullSound, QByteArray *recording)
{
    if (nullSound) // otherwise the window finds what the program would find
        AudioSink::setNullDevice(true, recording);
    window = std::make_unique<MainWindow>();
    AudioSink::setNullDevice(false);
    window->setAutoFillBackground(true);
    window->setPalette(MainWindow::lecturePalette());
    window->resize(1920, 1080);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("window was not exposed");
    QCoreApplication::processEvents();
    spectrum = find<QCustomPlot>("widget");
    signal = find<QCustomPlot>("widget_2");
}

QString WindowFixture::page(const char *stackName) const
{
    return find<QStackedWidget>(stackName)->currentWidget()->objectName();
}

void WindowFixture::mouse(int type, QPoint pixel) const
{
    QMouseEvent event(QEvent::Type(type), pixel, spectrum->mapToGlobal(pixel),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, {});
    QCoreApplication::sendEvent(spectrum, &event);
}

QWidget *WindowFixture::box(const QString &name) const
{
    static const QMap<QString, QString> boxes{
        {"f0", "doubleSpinBox"}, {"w", "doubleSpinBox_2"}, {"harmonics", "spinBox_2"},
        {"k", "spinBox_3"},      {"f", "doubleSpinBox_3"}, {"a", "doubleSpinBox_4"},
        {"N", "spinBox"},        {"A", "doubleSpinBox_9"}, {"B", "doubleSpinBox_10"}};
    return window->findChild<QWidget *>(boxes.value(name, name));
}

void WindowFixture::perform(const QString &steps)
{
    const QMap<QString, QString> buttons{{"discrete", "pushButton_2"},
                                         {"continuous", "pushButton_3"},
                                         {"menu", "pushButton"},
                                         {"clear", "pushButton_5"}};
    const QMap<QString, int> mouseEvents{{"press", QEvent::MouseButtonPress},
                                         {"move", QEvent::MouseMove},
                                         {"release", QEvent::MouseButtonRelease}};
    for (const QString &step : steps.split(';', Qt::SkipEmptyParts)) {
        const QStringList w = step.simplified().split(' ');
        const QString &verb = w[0];
        const auto number = [&w](int i) { return w.value(i).toDouble(); };
        QVector<QPoint> pixels;
        for (int i = 1; i + 1 < w.size(); i += 2)
            pixels << at(number(i), number(i + 1));
        for (double f = 0.5; verb == "wave" && f < 4.0; f += 0.1)
            pixels << at(f, 0.5 + 0.4 * std::sin(3 * f));
        if (buttons.contains(verb) || verb == "click") {
            const QString name = buttons.value(verb, w.value(1));
            QTest::mouseClick(window->findChild<QAbstractButton *>(name), Qt::LeftButton);
        } else if (verb == "pick") {
            auto *const combo = find<QComboBox>("comboBox");
            combo->setCurrentIndex(int(number(1)));
            emit combo->activated(int(number(1)));
        } else if (verb == "up" || verb == "down") {
            QTest::keyClick(box(w[1]), verb == "up" ? Qt::Key_Up : Qt::Key_Down);
        } else if (verb == "type") {
            QLineEdit *const edit = box(w[1])->findChild<QLineEdit *>();
            box(w[1])->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(box(w[1]), QLocale().toString(number(2)));
            QTest::keyClick(box(w[1]), Qt::Key_Enter);
        } else if (verb == "set") {
            box(w[1])->setProperty("value", number(2));
        } else if (verb == "param") {
            window->modeController()->currentSubmode()->setParameter(int(number(1)), number(2));
        } else if (mouseEvents.contains(verb)) {
            mouse(mouseEvents[verb], pixels.value(0));
        } else if (verb == "draw" || verb == "stroke" || verb == "wave") {
            for (int i = 0; i < pixels.size(); ++i)
                mouse(i ? QEvent::MouseMove : QEvent::MouseButtonPress, pixels[i]);
            if (verb != "draw")
                mouse(QEvent::MouseButtonRelease, pixels.last());
        } else if (verb == "resize") {
            window->resize(int(number(1)), int(number(2)));
        } else if (verb == "settle") {
            settle();
        } else {
            QFAIL(qPrintable("no such step: " + step));
        }
    }
}

} // namespace TestSupport
