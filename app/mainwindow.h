// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>
#include <memory>

class Baseband;
class ModeController;
class QIcon;
class Sound;

namespace Ui {
class MainWindow;
}

// The one window: the menu page, the authors page and the work page with the
// spectrum plot above the signal plot.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Scales the whole window by the desktop's scale factor, fractional ones
    // (150 %) included, with sharp images; QT_SCALE_FACTOR, when set, takes
    // the desktop's place. Must run before the application object is made.
    static void prepareDisplayScaling();

    // Full screen on the screen the window starts on, also where no window
    // manager is there to honour the request.
    void showOnWholeScreen();

    // The light lavender background of the lecture screens.
    static QPalette lecturePalette();

    // The program's icon in every size it is drawn at.
    static QIcon applicationIcon();

    ModeController *modeController() const { return controller.get(); }
    Sound *soundOutput() const { return sound.get(); }

private slots:
    void on_pushButton_2_clicked();
    void on_pushButton_3_clicked();
    void on_comboBox_activated(int index);
    void on_pushButton_clicked();
    void on_pushButton_4_clicked();
    void on_doubleSpinBox_valueChanged(double value);
    void on_doubleSpinBox_2_valueChanged(double value);
    void on_spinBox_valueChanged(int value);
    void on_doubleSpinBox_9_valueChanged(double value);
    void on_doubleSpinBox_10_valueChanged(double value);
    void on_spinBox_2_valueChanged(int value);
    void on_spinBox_3_valueChanged(int value);
    void on_doubleSpinBox_3_valueChanged(double value);
    void on_doubleSpinBox_4_valueChanged(double value);
    void on_pushButton_5_clicked();
    void on_pushButton_6_clicked();
    void on_pushButton_7_clicked();
    void on_soundButton_toggled(bool checked);
    void on_envelopeButton_toggled(bool checked);

private:
    void showSharpImages();
    void setupSpinBoxes();
    void setupPlots();
    void setupSound();
    // Hands a control's value to the current submode, if there is one.
    void forward(int index, double value);
    // What the signal plot shows, for the sound.
    Baseband shownSignal() const;

    std::unique_ptr<Ui::MainWindow> form;
    std::unique_ptr<Sound> sound;
    // Declared after the form and the sound so that it goes first: its
    // submode still touches the plots and controls while it is destroyed, and
    // a render of the signal plot then would feed the sound.
    std::unique_ptr<ModeController> controller;
};

#endif // MAINWINDOW_H
