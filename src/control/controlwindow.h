#pragma once

#include "control/audit.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace vok {

// The window "Control consum" (`control`): the findings of the audit of a
// year, for one vehicle or for all, in a grid; Enter or a double-click on a
// finding opens its sheet in the trip window. "Raport" shows the economy and
// overrun of the chosen vehicle in the chosen month (rapcontrol.rpt); the
// grid exports as every grid does. Nothing here changes data.
class ControlWindow : public QDialog {
    Q_OBJECT
public:
    explicit ControlWindow(const WindowContext &context, QWidget *parent = nullptr);

    // The caption of the vehicle list's first item: every vehicle.
    static QString allVehicles();
    // The file and the selection of "Raport".
    static QString reportFile() { return QStringLiteral("rapcontrol.rpt"); }
    static QString reportSelection(int year, int month, int ida);

    const QList<control::Finding> &findings() const { return m_findings; }

private:
    void refresh();
    void openFinding(int row);
    void report();

    WindowContext m_context;
    QList<control::Finding> m_findings;

    QComboBox *m_an = nullptr;   // an
    QComboBox *m_nra = nullptr;  // nra: every vehicle first
    QComboBox *m_luna = nullptr; // luna: the month of the report
    QTableView *m_grid = nullptr; // constatari
    QStandardItemModel *m_model = nullptr;
    QLabel *m_total = nullptr;   // total
    QPushButton *m_report = nullptr; // Command1
    QPushButton *m_export = nullptr; // Command2
    QPushButton *m_exit = nullptr;   // Command3
};

} // namespace vok
