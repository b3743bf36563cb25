#pragma once

#include "cards/reconcile.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace vok {

// The window "Decont carduri" (`decont`): the findings of a month's fuel-card
// reconciliation in a grid; Enter or a double-click on a finding opens its
// sheet in the refuelling window (ALIMENTARE). "Raport" prints the month's
// card transactions (rapdecont.rpt); the grid exports as every grid does.
// Nothing here changes data.
class DecontWindow : public QDialog {
    Q_OBJECT
public:
    explicit DecontWindow(const WindowContext &context, QWidget *parent = nullptr);

    static QString reportFile() { return QStringLiteral("rapdecont.rpt"); }
    static QString reportSelection(int year, int month);

    const QList<cards::CardFinding> &findings() const { return m_findings; }

private:
    void refresh();
    void openFinding(int row);
    void report();

    WindowContext m_context;
    QList<cards::CardFinding> m_findings;

    QComboBox *m_an = nullptr;
    QComboBox *m_luna = nullptr;
    QTableView *m_grid = nullptr; // constatari
    QStandardItemModel *m_model = nullptr;
    QLabel *m_total = nullptr;
    QPushButton *m_report = nullptr; // Command1
    QPushButton *m_export = nullptr; // Command2
    QPushButton *m_exit = nullptr;   // Command3
};

} // namespace vok
