#pragma once

#include "ui/windowcontext.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;

namespace vok {

// The dialog "Calcul Gm" (`utilitar`), opened from the trip window: up to ten
// legs of a trip, each with its distance (`km1`..`km10`) and load
// (`g1`..`g10`). "Calcul Gm" writes the distance-weighted mean load into the
// trip window's `greut`, which looks up the load coefficient as any change of
// `greut` does. Nothing is kept once the dialog closes.
class LoadDialog : public QDialog {
    Q_OBJECT
public:
    LoadDialog(const WindowContext &context, QWidget *tripWindow);

    void done(int result) override;

private:
    // One leg of the trip: the two boxes of its row.
    struct LegBoxes {
        QLineEdit *km;
        QLineEdit *load;
    };

    QLineEdit *addLegBox(const QString &name, bool distance);
    void calculate();

    WindowContext m_context;
    QWidget *m_tripWindow;
    QList<LegBoxes> m_legs;
    QLabel *m_total = nullptr;
    QLabel *m_result = nullptr;
};

} // namespace vok
