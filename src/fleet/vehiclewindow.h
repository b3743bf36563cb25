#pragma once

#include "fleet/vehiclerules.h"
#include "ui/windowcontext.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vok {

// The window "Setari date auto" (`auto`): the register of the fleet's
// vehicles and every characteristic their normed consumption depends on.
class VehicleWindow : public QDialog {
    Q_OBJECT
public:
    explicit VehicleWindow(const WindowContext &context, QWidget *parent = nullptr);
    ~VehicleWindow() override;

    // The key of the vehicle last loaded by leaving the number box; 0 when none.
    int rememberedVehicle() const { return m_indauto; }

    // "Salvare" and "Stergere".
    void save();
    void remove();

    void done(int result) override;

private:
    void buildControls();
    void buildLayout();
    void connectEvents();

    // Algorithm of loading: `remember` when the number box was left (not
    // when the number was picked from its list).
    void load(const QString &number, bool remember);
    bool leaveNumber();
    bool leaveMake();
    // The box a failed check of "Salvare" sends the clerk back to.
    QWidget *box(vehicle::EntryProblem::Field field) const;
    void setInstallation(int position);
    void setAerodynamic(int position);
    void resetNumbers();
    void resetAfterSave();
    // Forgets the vehicle loaded: the next save of its number is a new vehicle.
    void forgetLoaded();
    // After a save refused because another clerk changed or deleted the
    // vehicle: loads it again, or clears it when it is gone.
    void reloadAfterRefusal(const QString &number);
    void refuse(const QString &message, QWidget *focus);
    template <typename Window> void openUtility();
    void openDocuments();

    WindowContext m_context;
    int m_indauto = 0;
    // The vehicle on screen as loaded: its number and the versions of its
    // auto and consum rows, against which "Salvare" writes.
    QString m_loadedNumber;
    int m_loadedIda = 0;
    std::optional<int> m_loadedVersion;
    std::optional<int> m_loadedConsumVersion;

    QComboBox *m_nrauto = nullptr;
    QComboBox *m_marca = nullptr;
    QRadioButton *m_for1 = nullptr;
    QRadioButton *m_for2 = nullptr;
    QComboBox *m_motorcp = nullptr;
    QLineEdit *m_Cm1 = nullptr;
    QLineEdit *m_Cm2 = nullptr;
    QLineEdit *m_Cm3 = nullptr;
    QRadioButton *m_c1 = nullptr;
    QRadioButton *m_c2 = nullptr;
    QRadioButton *m_c3 = nullptr;
    QLineEdit *m_Cb = nullptr;
    QLineEdit *m_Cf = nullptr;
    QLineEdit *m_Ca = nullptr;
    QCheckBox *m_spec = nullptr;
    QComboBox *m_listinstal = nullptr;
    QCheckBox *m_aero = nullptr;
    QComboBox *m_listaerod = nullptr;
    QPushButton *m_save = nullptr;    // Command1
    QPushButton *m_exit = nullptr;    // Command2
    QPushButton *m_delete = nullptr;  // Command3
    QPushButton *m_oilUtil = nullptr; // Command4
    QPushButton *m_caUtil = nullptr;  // Command5
    QPushButton *m_cmUtil = nullptr;  // Command6
    QPushButton *m_documents = nullptr; // Command7: "Documente auto" of the vehicle shown
};

} // namespace vok
