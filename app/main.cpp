#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    MainWindow window;
    window.setAutoFillBackground(true);
    window.setPalette(MainWindow::lecturePalette());
    window.showFullScreen();
    return application.exec();
}
