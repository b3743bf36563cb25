#pragma once

#include "trips/surcharge.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QModelIndex;
class QTableView;

namespace vok {

class ReferenceTableModel;

// The dialog "Sporul pentru circulatia in localitati urbane (km echivalenti)"
// (`sporurb`), opened from the trip window when the urban surcharge is ticked.
// It shows the normative's table of u (read-only); while the clerk types the
// distance in towns Pu and the specific surcharge u it hands the trip window
// U = (Pu/100) * u and Pu (entryChanged). It opens with `distance`, the urban
// distance typed last (an empty Pu when 0), and u "0": the first showing
// counts as typing Pu, which hands over U 0.0 until u is typed again. A cell
// of u chosen in the grid (Enter or a double-click) is typed into u for the
// clerk.
class UrbanDialog : public QDialog {
    Q_OBJECT
public:
    UrbanDialog(const WindowContext &context, double distance, QWidget *parent = nullptr);

    void done(int result) override;

signals:
    void entryChanged(const vok::SurchargeEntry &entry);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildLayout();
    void changed();
    void showResult();
    // A cell of u chosen in the grid: its value goes into u.
    void cellChosen(const QModelIndex &index);

    WindowContext m_context;
    bool m_shown = false;
    ReferenceTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_pu = nullptr;
    QLineEdit *m_surb = nullptr;
    QLabel *m_result = nullptr;
};

} // namespace vok
