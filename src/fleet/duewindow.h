#pragma once

#include "fleet/duerules.h"
#include "ui/windowcontext.h"

#include <QDate>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace vok {

// The window "Scadente" (`scadente`): what lapses within the settings' days
// or km, or has lapsed (overdue first, in red). Enter on a row opens the
// vehicle's documents or the driver; Escape closes it. The days and km ahead
// are the settings' (setari.zilescadente, kmscadente), changed here.
class DueWindow : public QDialog {
    Q_OBJECT
public:
    DueWindow(const WindowContext &context, const QDate &today, QWidget *parent = nullptr);

    // The items shown, in the grid's order.
    const QList<due::Item> &items() const { return m_items; }

    void saveSettings();
    void report();
    void open(int row);
    void done(int result) override;

private:
    void refresh();

    WindowContext m_context;
    QDate m_today;
    QList<due::Item> m_items;
    QStandardItemModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_days = nullptr;  // zilescadente
    QLineEdit *m_km = nullptr;    // kmscadente
    QLabel *m_count = nullptr;
    QPushButton *m_save = nullptr;   // Command1
    QPushButton *m_report = nullptr; // Command2
    QPushButton *m_exit = nullptr;   // Command3
};

} // namespace vok
