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

// The dialog "Tractare" (`tractare`), opened from the trip window when the
// towing surcharge is ticked with one or two trailers. It shows the
// normative's table of t (read-only); a double-click on a row takes its t for
// the vehicle's engine class (`engineClass`, 1..3) and the number of trailers
// (`trailers`, 1 or 2). While the clerk types the towed distance Pt and t, it
// hands the trip window T = (Pt / 100) * t and Pt (entryChanged). It always
// opens with Pt "0.0" and t "0" and hands nothing over until one of them
// changes.
class TowingDialog : public QDialog {
    Q_OBJECT
public:
    TowingDialog(const WindowContext &context, int engineClass, int trailers, QWidget *parent = nullptr);

    void done(int result) override;

signals:
    void entryChanged(const vok::SurchargeEntry &entry);

private:
    void buildLayout();
    void rowChosen(const QModelIndex &index);
    void recompute();

    WindowContext m_context;
    int m_engineClass;
    int m_trailerCount;
    ReferenceTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_pt = nullptr;
    QLineEdit *m_stract = nullptr;
    QLabel *m_result = nullptr;
    QLabel *m_choice = nullptr;
    QLabel *m_trailers = nullptr;
};

} // namespace vok
