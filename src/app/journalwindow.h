#pragma once

#include "db/journalstore.h"
#include "ui/windowcontext.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace vok {

// The window "Jurnal modificari" (`jurnal`, from "INFO"): every change of the
// business data, newest first, filtered by vehicle, sheet, period and user,
// read-only; dates as the clerk types them (dd.mm.yyyy) and reads them
// (dd.mm.yyyy hh:mm). The selected change shows its values before and after in full;
// "Export CSV" writes what the grid shows; a deleted sheet can be brought
// back with its trips from its entry.
class JournalWindow : public QDialog {
    Q_OBJECT
public:
    explicit JournalWindow(const WindowContext &context, QWidget *parent = nullptr);

    // Reads the journal again with the filters on screen.
    void refresh();

private:
    void fillLists();
    void showSelected();
    void restoreSheet();
    // The period's box `box` holds a date, else the clerk is told so.
    bool checkDate(QLineEdit *box);

    WindowContext m_context;
    JournalStore m_store;
    QList<JournalEntry> m_entries;

    QComboBox *m_vehicle = nullptr; // nra
    QLineEdit *m_sheet = nullptr;   // nrfoi
    QLineEdit *m_from = nullptr;    // dela
    QLineEdit *m_to = nullptr;      // panala
    QComboBox *m_user = nullptr;    // utilizator
    QPushButton *m_show = nullptr;  // Command1
    QTableView *m_grid = nullptr;   // DBGrid1
    QStandardItemModel *m_model = nullptr;
    QPlainTextEdit *m_before = nullptr; // inainte
    QPlainTextEdit *m_after = nullptr;  // dupa
    QPushButton *m_export = nullptr;  // Command2
    QPushButton *m_restore = nullptr; // Command3
    QPushButton *m_exit = nullptr;    // Command4
};

} // namespace vok
