#pragma once

#include <QWidget>

#include <array>

class QGroupBox;
class QLabel;
class QRadioButton;

namespace vok {

// Beside the trip: the consumption regime of the vehicle ("Consum mediu
// folosit": `c1` "Urban", `c2` "Mixt", `c3` "Extraurban", and its Cm in
// `Label49`) and the formulas of the normed consumption (the frame `Frame1`),
// shown once a vehicle is chosen, with or without Kg as its formula has it.
class FormulaPanel : public QWidget {
    Q_OBJECT
public:
    explicit FormulaPanel(QWidget *parent = nullptr);

    // The formulas of a vehicle whose formula is `formula` (1: with Kg).
    void showFormula(int formula);
    // Selects regime k (1..3) without a click, and shows no Cm yet.
    void selectRegime(int k);
    // The Cm of the regime chosen; cleared when the vehicle has no regimes.
    void showCm(double Cm);
    void clearCm();

signals:
    // The clerk chose regime k (1..3) with the mouse or its shortcut.
    void regimeChosen(int k);

private:
    std::array<QRadioButton *, 3> m_regimes{}; // c1, c2, c3
    QLabel *m_cm = nullptr;                    // Label49
    QGroupBox *m_formulas = nullptr;           // Frame1
    QLabel *m_formula = nullptr;               // formula1
    QLabel *m_kgNote = nullptr;                // Label39
};

} // namespace vok
