// SPDX-License-Identifier: GPL-3.0-or-later
#include "audiosink.h"
#include "mainwindow.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char *argv[])
{
    MainWindow::prepareDisplayScaling();
    QApplication application(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Quarnel"));
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quarnel.quarnel"));
    int status = 0;
    {
        MainWindow window;
        window.setAutoFillBackground(true);
        window.setPalette(MainWindow::lecturePalette());
        window.showOnWholeScreen();
        status = application.exec();
    }
    // A sound server that froze may hold a stream's thread: it is not waited for.
    if (AudioSink::threadsLeftRunning())
        std::_Exit(status);
    return status;
}
