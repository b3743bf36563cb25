#pragma once

#include "ui/windowcontext.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;

namespace vok {

// The dialog "Calcul Gm" (`utilitar`), opened from the trip window: up to ten
// legs of a trip, each with its distance (`km1`..`km10`) and load
// (`g1`..`g10`). "Calcul Gm" hands the trip window the distance-weighted mean
// load (loadComputed), which it writes into `greut`. Nothing is kept once the
// dialog closes.
class LoadDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoadDialog(const WindowContext &context, QWidget *parent = nullptr);

    void done(int result) override;

signals:
    // Gm as "#0.0" text, after each successful "Calcul Gm".
    void loadComputed(const QString &gm);

private:
    // One leg of the trip: the two boxes of its row.
    struct LegBoxes {
        QLineEdit *km;
        QLineEdit *load;
    };

    QLineEdit *addLegBox(const QString &name, bool distance);
    void calculate();

    WindowContext m_context;
    QList<LegBoxes> m_legs;
    QLabel *m_total = nullptr;
    QLabel *m_result = nullptr;
};

} // namespace vok
