#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

class QLabel;
class QTableView;

namespace vok {

// The window "Capacitatea sistemului de ungere" (`ulei`): the oil sump and
// filter capacities of the normative. A double-click on a row hands its
// capacities, as the grid shows them, to the window that opened it.
class UleiWindow : public QDialog {
    Q_OBJECT
public:
    explicit UleiWindow(const WindowContext &context, QWidget *parent = nullptr);

    // What a double-click on `row` does.
    void chooseRow(int row);

signals:
    void capacitiesChosen(const QString &sump, const QString &filter);

private:
    WindowContext m_context;
    QTableView *m_grid = nullptr;
    QLabel *m_kind = nullptr;   // Label4
    QLabel *m_sump = nullptr;   // Label2
    QLabel *m_filter = nullptr; // Label3
};

} // namespace vok
