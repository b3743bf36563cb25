#pragma once

#include "fleet/driverrules.h"
#include "ui/windowcontext.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace vok {

// The window "Soferi" (`soferi`): the drivers' register. The name is the
// driver's identity, as on the sheets: leaving it loads a registered driver,
// and "Salvare" updates the driver of that name or adds a new one.
class DriverWindow : public QDialog {
    Q_OBJECT
public:
    // `driver`, when given, is loaded at once (from the reminders) and the
    // focus goes to his licence's expiry.
    explicit DriverWindow(const WindowContext &context, const QString &driver = {}, QWidget *parent = nullptr);
    ~DriverWindow() override;

    void save();
    void remove();
    void done(int result) override;

private:
    void buildLayout();
    void connectEvents();
    void refreshGrid();
    // Loads the registered driver of that name; a new name clears the boxes
    // of a driver loaded before. Returns true when the name is registered.
    bool load(const QString &name);
    bool leaveName();
    void clear();
    QWidget *box(driver::EntryProblem::Field field) const;

    WindowContext m_context;
    QString m_loadedName;
    std::optional<int> m_loadedVersion;

    QStandardItemModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_nume = nullptr;
    QLineEdit *m_permis = nullptr;
    QLineEdit *m_categorii = nullptr;
    QLineEdit *m_exppermis = nullptr;
    QLineEdit *m_expaviz = nullptr;
    QCheckBox *m_activ = nullptr;
    QPushButton *m_save = nullptr;   // Command1
    QPushButton *m_delete = nullptr; // Command2
    QPushButton *m_new = nullptr;    // Command3
    QPushButton *m_exit = nullptr;   // Command4
};

} // namespace vok
