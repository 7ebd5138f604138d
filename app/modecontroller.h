// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MODECONTROLLER_H
#define MODECONTROLLER_H

#include <memory>

class QComboBox;
class QLabel;
class Submode;

namespace Ui {
class MainWindow;
}

// Chooses, owns and replaces the one current submode of a spectrum kind while
// the work page is shown.
class ModeController
{
public:
    enum SpectrumKind { DiscreteSpectrum = 0, ContinuousSpectrum = 1 };

    ModeController(int spectrumKind, Ui::MainWindow *form);
    ~ModeController();

    // Makes the submode of combo box entry index current, replacing the old one
    // even when it is the same entry.
    void select(int index);

    Submode *currentSubmode() const { return current.get(); }

private:
    const int spectrumKind;
    QComboBox *const comboBox;
    QLabel *const kindLabel;
    Ui::MainWindow *const form;
    std::unique_ptr<Submode> current;

    ModeController(const ModeController &) = delete;
    ModeController &operator=(const ModeController &) = delete;
};

#endif // MODECONTROLLER_H
