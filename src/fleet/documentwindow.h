#pragma once

#include "fleet/documentstore.h"
#include "fleet/driverrules.h"
#include "ui/windowcontext.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace vok {

// The window "Documente auto" (`documente`): one vehicle's documents (ITP,
// RCA, CASCO, ...), newest first, added, changed and deleted; and its service
// interval, with the odometer the reminders count from.
class DocumentWindow : public QDialog {
    Q_OBJECT
public:
    DocumentWindow(const WindowContext &context, int ida, QWidget *parent = nullptr);
    ~DocumentWindow() override;

    void save();
    void remove();
    void saveService();
    void done(int result) override;

private:
    void buildLayout();
    void connectEvents();
    void refresh();
    void loadDocument(int row);
    void clear();
    bool eventFilter(QObject *watched, QEvent *event) override;
    QWidget *box(document::EntryProblem::Field field) const;

    WindowContext m_context;
    int m_ida = 0;
    QList<VehicleDocument> m_documents;     // as the grid shows them
    std::optional<VehicleDocument> m_loaded; // the document being changed
    ServiceInterval m_service;

    QLabel *m_vehicle = nullptr; // nrauto and make
    QStandardItemModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QComboBox *m_tip = nullptr;
    QLineEdit *m_numar = nullptr;
    QLineEdit *m_dela = nullptr;
    QLineEdit *m_panala = nullptr;
    QLineEdit *m_obs = nullptr;
    QLabel *m_mode = nullptr; // "Document nou" or what is being changed
    QLineEdit *m_kmrevizie = nullptr;
    QLineEdit *m_kmultrev = nullptr;
    QLabel *m_kmbord = nullptr;
    QPushButton *m_save = nullptr;        // Command1
    QPushButton *m_new = nullptr;         // Command2
    QPushButton *m_delete = nullptr;      // Command3
    QPushButton *m_saveService = nullptr; // Command4
    QPushButton *m_exit = nullptr;        // Command5
};

// What the window says of the odometer it counts from.
QString odometerCaption(const due::Odometer &odometer);

} // namespace vok
