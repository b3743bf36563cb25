#pragma once

#include "months/monthstatus.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;

namespace vok {

class MonthStatusModel;

// The window "Situatia lunilor" (`situatie`): the status of every month of
// the listed vehicles for one year, the detail of the chosen month, and the
// recompute of the carry-over chain of one vehicle or of all.
class MonthStatusWindow : public QDialog {
    Q_OBJECT
public:
    explicit MonthStatusWindow(const WindowContext &context, QWidget *parent = nullptr);

    // The short text of a cell: "ok", "modificat", "neinchis", "SETARI", empty.
    static QString cellText(MonthState state);
    static QString noMonthChosenText();
    static QString recomputeOneText(const QString &nrauto, int year, int month);
    static QString recomputeAllText(int year);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reads the status of the chosen year again and keeps the chosen cell.
    void reload();
    void showDetail();
    void recomputeOne();
    void recomputeAll();
    void openActivity();
    // The vehicle (row) and month of the chosen cell; false when none.
    bool chosenCell(int &row, int &month) const;
    void finishRecompute(int vehicles, int months, bool complete);

    WindowContext m_context;
    QComboBox *m_an = nullptr;
    QTableView *m_grid = nullptr;
    MonthStatusModel *m_model = nullptr;
    QLabel *m_detail = nullptr;
    QTableWidget *m_differences = nullptr;
    QLabel *m_done = nullptr;
    QPushButton *m_recomputeOne = nullptr;
    QPushButton *m_recomputeAll = nullptr;
    QPushButton *m_activity = nullptr;
};

} // namespace vok
