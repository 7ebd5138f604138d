#include "testsupport.h"

#include "mainwindow.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <qcustomplot.h>

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

QVector<double> keys(const QCPGraph *graph)
{
    QVector<double> out;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
        out << it->key;
    return out;
}

QVector<double> values(const QCPGraph *graph)
{
    QVector<double> out;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
        out << it->value;
    return out;
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

} // namespace TestSupport
