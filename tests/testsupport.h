#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include "mainwindow.h"

#include <QPoint>
#include <QString>
#include <QVector>
#include <memory>

class QAbstractSpinBox;
class QComboBox;
class QCPGraph;
class QCustomPlot;
class QDoubleSpinBox;

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

// The largest distance of a signal graph from the mean of a_k cos(2 pi f_k t)
// on the grid of 1001 samples from -10 to 10 s; infinite for another grid.
double cosineMeanError(const QCPGraph *signal, const QVector<double> &f, const QVector<double> &a);

// Widget pixel of the plot point (x, y) on the default axes.
QPoint pixelOf(const QCustomPlot *plot, double x, double y);

// Mouse events delivered to the plot itself, as a real drag would arrive:
// moves carry the held buttons.
void press(QCustomPlot *plot, QPoint pixel, int button = 1);
void move(QCustomPlot *plot, QPoint pixel, int heldButtons = 1);
void release(QCustomPlot *plot, QPoint pixel, int button = 1);

// The user picks an entry of the combo box (also the current one).
void pick(QComboBox *box, int index);

// Types into a spin box from the keyboard and presses Enter; a number is
// written in the box's own locale and decimals.
void type(QAbstractSpinBox *box, const QString &text);
void type(QDoubleSpinBox *box, double value);

// Runs the event loop until nothing is pending, queued replots included.
void settle();

// Base of the test classes: init() opens a fresh window for each test function.
class WindowFixture
{
protected:
    void openWindow();
    template <class T> T *find(const char *name) const
    {
        return TestSupport::find<T>(window.get(), name);
    }
    void click(const char *buttonName) const;
    void pickEntry(int index) const;           // of the work page's combo box
    QString page(const char *stackName) const; // the object name of its current page

    std::unique_ptr<MainWindow> window;
    QCustomPlot *spectrum = nullptr;
    QCustomPlot *signal = nullptr;
};

} // namespace TestSupport

#endif // TESTSUPPORT_H
