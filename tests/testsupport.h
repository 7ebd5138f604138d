// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include "mainwindow.h"

#include <memory>

class QCPGraph;
class QCustomPlot;

using Doubles = QVector<double>;

// Helpers that drive the real window the way a lecturer would.
namespace TestSupport {

Doubles column(const QCPGraph *graph, bool values);
inline Doubles keys(const QCPGraph *graph)
{
    return column(graph, false);
}
inline Doubles values(const QCPGraph *graph)
{
    return column(graph, true);
}
QPoint pixelOf(const QCustomPlot *plot, double x, double y); // on the default axes

// Runs the event loop until nothing is pending, queued replots included.
void settle();

// Base of the test classes: openWindow() shows a fresh 1920x1080 window with
// the lecture background, exposed and laid out, so that pixels convert; with
// nullSound, "Звук" plays on a device that takes the samples in real time
// (and appends them to recording).
class WindowFixture
{
protected:
    void openWindow(bool nullSound = false, QByteArray *recording = nullptr);
    template <class T> T *find(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QString page(const char *stackName) const; // the object name of its current page
    QPoint at(double f, double a) const { return pixelOf(spectrum, f, a); } // on the spectrum
    // Empty when both plots, drawn from their static images, equal pixel for pixel the same
    // state rendered anew with every layer drawn (and that render made no new static image).
    QString differsFromFullRender() const;
    // The mouse on the spectrum plot as a real drag arrives: moves carry the held button.
    void mouse(int type, QPoint pixel) const;
    // Does what a lecturer does, in steps separated by ";": discrete, continuous,
    // menu, clear, click NAME (the buttons); pick N (a combo entry); up BOX, down
    // BOX (arrow keys), type BOX V (keys and Enter), set BOX V; param I V
    // (Submode::setParameter); press F A, move F A, release F A (the mouse at
    // spectrum coordinates); draw F A F A ... (a stroke held at its last point),
    // stroke F A ... (released there), wave (a stroke from 0.5 to 4 Hz); resize
    // W H; settle. A BOX is an object name or f0, w, harmonics, k, f, a, N, A, B.
    void perform(const QString &steps);
    QWidget *box(const QString &name) const;

    std::unique_ptr<MainWindow> window;
    QCustomPlot *spectrum = nullptr;
    QCustomPlot *signal = nullptr;
};

} // namespace TestSupport

#endif // TESTSUPPORT_H
