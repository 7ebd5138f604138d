// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    MainWindow::prepareDisplayScaling();
    QApplication application(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Quarnel"));
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quarnel"));
    MainWindow window;
    window.setAutoFillBackground(true);
    window.setPalette(MainWindow::lecturePalette());
    window.showOnWholeScreen();
    return application.exec();
}
