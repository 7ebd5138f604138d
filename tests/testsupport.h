#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QPoint>
#include <QPointF>
#include <QString>
#include <QVector>
#include <QWidget>
#include <memory>

class MainWindow;
class QAbstractSpinBox;
class QComboBox;
class QCPGraph;
class QCustomPlot;

// Helpers that drive the real window the way a lecturer would.
namespace TestSupport {

// A shown 1920x1080 window with the lecture background, exposed and laid out,
// so that the plots' axes can convert between pixels and coordinates.
std::unique_ptr<MainWindow> makeWindow();

// The window's widget of that object name and class, or null.
template <class T> T *find(QWidget *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

QVector<double> keys(const QCPGraph *graph);
QVector<double> values(const QCPGraph *graph);

// Widget pixel of the plot point (x, y) on the default axes.
QPoint pixelOf(const QCustomPlot *plot, double x, double y);

// Mouse events delivered to the plot itself, as a real drag would arrive:
// moves carry the held buttons.
void press(QCustomPlot *plot, QPoint pixel, int button = 1);
void move(QCustomPlot *plot, QPoint pixel, int heldButtons = 1);
void release(QCustomPlot *plot, QPoint pixel, int button = 1);

// The user picks an entry of the combo box (also the current one).
void pick(QComboBox *box, int index);

// Types text into a spin box from the keyboard and presses Enter.
void type(QAbstractSpinBox *box, const QString &text);

} // namespace TestSupport

#endif // TESTSUPPORT_H
