#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QTableView;

namespace vok {

class ReferenceTableModel;

// The dialog "Sporul pentru circulatia in localitati urbane (km echivalenti)"
// (`sporurb`), opened from the trip window when the urban surcharge is ticked.
// It shows the normative's table of u (read-only), and while the clerk types
// the distance in towns Pu and the specific surcharge u it writes
// U = (Pu/100) * u into the trip window's `spU`, the distance into its
// `Label48` and into the program-wide urban distance (saved with the trip).
// It opens with the last urban distance and u "0", which at once resets `spU`
// to "0.0" until u is typed again.
class UrbanDialog : public QDialog {
    Q_OBJECT
public:
    UrbanDialog(const WindowContext &context, QWidget *tripWindow);

    void done(int result) override;

private:
    void buildLayout();
    void distanceChanged();
    void rateChanged();
    void showResult();

    WindowContext m_context;
    QWidget *m_tripWindow;
    ReferenceTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_pu = nullptr;
    QLineEdit *m_surb = nullptr;
    QLabel *m_result = nullptr;
};

} // namespace vok
