#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace vok {

class NormativTableModel;

// The window "Tabele normativ" (`normativ`): the clerk fills and keeps the
// normative's reference tables, edited in place or replaced from a CSV file.
class NormativWindow : public QDialog {
    Q_OBJECT
public:
    explicit NormativWindow(const WindowContext &context, QWidget *parent = nullptr);
    ~NormativWindow() override;

    QString currentTable() const;
    void chooseTable(const QString &table);

    // "Adaugare rand": a new empty row at the end, its first cell being edited.
    void addRow();
    // Deletes the current row after the question of every grid.
    void deleteCurrentRow();
    // Replace the table by a CSV file after the question; false when the file
    // was refused, the clerk said No or the database failed.
    bool importCsv(const QString &path);
    bool exportCsv(const QString &path);

    // Asks for the file to read (save = false) or write; an empty text means
    // none. Tests replace it.
    std::function<QString(bool save)> chooseFile;

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reload();

    WindowContext m_context;
    QComboBox *m_table = nullptr;
    QLabel *m_note = nullptr;
    QTableView *m_grid = nullptr;
    NormativTableModel *m_model = nullptr;
};

} // namespace vok
