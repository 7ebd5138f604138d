#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quarnel"));
    MainWindow window;
    window.setAutoFillBackground(true);
    window.setPalette(MainWindow::lecturePalette());
    window.showFullScreen();
    return application.exec();
}
