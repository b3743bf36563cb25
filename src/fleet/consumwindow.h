#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

class QRadioButton;
class QTableView;

namespace vok {

// The window "Consumurile medii de combustibil ,,Cm''" (`consum`): the four
// average-consumption tables of the normative for one ignition type. Only
// consulted; nothing is written back.
class ConsumWindow : public QDialog {
    Q_OBJECT
public:
    explicit ConsumWindow(const WindowContext &context, QWidget *parent = nullptr);

private:
    void refill(int aprind);

    WindowContext m_context;
    QRadioButton *m_a1 = nullptr;
    QRadioButton *m_a2 = nullptr;
    QTableView *m_grids[4] = {};
};

} // namespace vok
