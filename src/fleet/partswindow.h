#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace vok {

class PartsModel;

// The window "Piese, reparatii etc." (`piese`): a vehicle's parts and repairs
// log, added to through the entry boxes, corrected and deleted in the grid,
// printed as "rappiese.rpt".
class PartsWindow : public QDialog {
    Q_OBJECT
public:
    explicit PartsWindow(const WindowContext &context, QWidget *parent = nullptr);
    ~PartsWindow() override;

    // "Iesire", Escape (outside a grid edit) and the close button leave alike.
    void done(int result) override;

private:
    // The vehicle of that number (one of the list) picked: its log in the grid.
    void pickVehicle(const QString &number);
    bool leaveNumber();
    // True when the number on screen is the vehicle picked.
    bool hasVehicle() const;
    void save();
    void report();
    void deleteCurrentRow();
    void showMessages(const QStringList &messages);
    bool eventFilter(QObject *watched, QEvent *event) override;

    WindowContext m_context;
    int m_indauto = 0; // key of the vehicle picked in nra
    QString m_picked;  // and its number
    QObject *m_nraList = nullptr;  // nra's popup list
    bool m_listJustClosed = false; // the list closed: a number chosen from it follows
    PartsModel *m_model;
    QComboBox *m_nra;
    QLabel *m_tip;
    QTableView *m_grid;
    QLineEdit *m_nract;
    QLineEdit *m_den;
    QLineEdit *m_valp;
    QLineEdit *m_zi;
    QLineEdit *m_luna;
    QLineEdit *m_an;
    QPushButton *m_save;
    QPushButton *m_report;
    QPushButton *m_exit;
};

} // namespace vok
