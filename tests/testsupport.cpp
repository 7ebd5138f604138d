#include "testsupport.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTest>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace TestSupport {

// The offscreen platform warns on every full-screen style resize; that noise
// would bury real warnings in the test logs.
static QtMessageHandler previousHandler = nullptr;

static void dropPlatformNoise(QtMsgType type, const QMessageLogContext &context,
                              const QString &message)
{
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    previousHandler(type, context, message);
}

std::unique_ptr<MainWindow> makeWindow()
{
    static const bool filtered = [] {
        previousHandler = qInstallMessageHandler(dropPlatformNoise);
        return true;
    }();
    Q_UNUSED(filtered);
    auto window = std::make_unique<MainWindow>();
    window->setAutoFillBackground(true);
    window->setPalette(MainWindow::lecturePalette());
    window->resize(1920, 1080);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("window was not exposed");
    QCoreApplication::processEvents();
    return window;
}

static QVector<double> column(const QCPGraph *graph, double QCPGraphData::*field)
{
    QVector<double> out;
    for (const QCPGraphData &point : *graph->data())
        out << point.*field;
    return out;
}

QVector<double> keys(const QCPGraph *graph)
{
    return column(graph, &QCPGraphData::key);
}

QVector<double> values(const QCPGraph *graph)
{
    return column(graph, &QCPGraphData::value);
}

double cosineMeanError(const QCPGraph *signal, const QVector<double> &f, const QVector<double> &a)
{
    const QVector<double> t = keys(signal), s = values(signal);
    double worst = t.size() == 1001 && t.at(500) == 0.0 ? 0.0 : qInf();
    for (int i = 0; i < t.size(); ++i) {
        double mean = 0.0;
        for (int k = 0; k < f.size(); ++k)
            mean += a[k] * std::cos(2 * M_PI * f[k] * t[i]) / f.size();
        for (double e : {std::fabs(t[i] - (i * 0.02 - 10.0)), std::fabs(s[i] - mean)})
            worst = std::max(worst, std::isnan(e) ? qInf() : e);
    }
    return worst;
}

QPoint pixelOf(const QCustomPlot *plot, double x, double y)
{
    return QPoint(qRound(plot->xAxis->coordToPixel(x)), qRound(plot->yAxis->coordToPixel(y)));
}

static void send(QCustomPlot *plot, QEvent::Type type, QPoint pixel, Qt::MouseButton button,
                 Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pixel), QPointF(plot->mapTo(plot->window(), pixel)),
                      QPointF(plot->mapToGlobal(pixel)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(plot, &event);
}

void press(QCustomPlot *plot, QPoint pixel, int button)
{
    const auto b = Qt::MouseButton(button);
    send(plot, QEvent::MouseButtonPress, pixel, b, b);
}

void move(QCustomPlot *plot, QPoint pixel, int heldButtons)
{
    send(plot, QEvent::MouseMove, pixel, Qt::NoButton, Qt::MouseButtons(heldButtons));
}

void release(QCustomPlot *plot, QPoint pixel, int button)
{
    send(plot, QEvent::MouseButtonRelease, pixel, Qt::MouseButton(button), Qt::NoButton);
}

void pick(QComboBox *box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void type(QAbstractSpinBox *box, const QString &text)
{
    box->setFocus();
    QLineEdit *const edit = box->findChild<QLineEdit *>();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Enter);
}

void type(QDoubleSpinBox *box, double value)
{
    type(box, box->locale().toString(value, 'f', box->decimals()));
}

void settle()
{
    while (QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents)) {
    }
}

void WindowFixture::openWindow()
{
    window = makeWindow();
    spectrum = find<QCustomPlot>("widget");
    signal = find<QCustomPlot>("widget_2");
}

void WindowFixture::click(const char *buttonName) const
{
    QTest::mouseClick(find<QAbstractButton>(buttonName), Qt::LeftButton);
}

void WindowFixture::pickEntry(int index) const
{
    pick(find<QComboBox>("comboBox"), index);
}

QString WindowFixture::page(const char *stackName) const
{
    return find<QStackedWidget>(stackName)->currentWidget()->objectName();
}

} // namespace TestSupport
