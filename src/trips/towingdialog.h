#pragma once

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
// the vehicle's engine class and the trailers chosen on the trip window. While
// the clerk types the towed distance Pt and t, it writes T = (Pt / 100) * t
// into the trip window's `spT`, the distance into its `Label23` and into the
// program-wide towed distance (saved with the trip). It always opens with
// Pt "0.0" and t "0" and leaves `spT` alone until one of them changes.
class TowingDialog : public QDialog {
    Q_OBJECT
public:
    TowingDialog(const WindowContext &context, QWidget *tripWindow);

    void done(int result) override;

private:
    void buildLayout();
    int trailers() const;
    void rowChosen(const QModelIndex &index);
    void recompute();

    WindowContext m_context;
    QWidget *m_tripWindow;
    ReferenceTableModel *m_model = nullptr;
    QTableView *m_grid = nullptr;
    QLineEdit *m_pt = nullptr;
    QLineEdit *m_stract = nullptr;
    QLabel *m_result = nullptr;
    QLabel *m_choice = nullptr;
    QLabel *m_trailers = nullptr;
};

} // namespace vok
