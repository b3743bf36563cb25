#pragma once

#include "ui/windowcontext.h"

#include <QDialog>
#include <QList>

#include <utility>

class QComboBox;
class QListWidget;
class QPushButton;

namespace vok {

// The window "Centralizare autovehicule" (`central`): the monthly and annual
// daily activity reports over the vehicles marked in the list. The marks
// reach the reports through auto.rap, written before every report.
class FleetWindow : public QDialog {
    Q_OBJECT
public:
    explicit FleetWindow(const WindowContext &context, QWidget *parent = nullptr);

    static QString noteText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateCaptions();
    void toggleAll();
    // The list's marks, in list order.
    QList<std::pair<QString, bool>> currentMarks() const;
    // Writes every listed vehicle's mark; false when the write failed.
    bool storeMarks();
    // The question before a report over the marked vehicles (month 0: the
    // whole year); false when the report must not go ahead.
    bool offerRecompute(int year, int month);
    void monthReport();
    void yearReport();

    WindowContext m_context;
    QListWidget *m_nra = nullptr;
    QComboBox *m_an = nullptr;
    QComboBox *m_luna = nullptr;
    QPushButton *m_monthButton = nullptr; // Command2
    QPushButton *m_yearButton = nullptr;  // Command1
    QPushButton *m_toggleButton = nullptr; // Command4
    // The marks as last written to auto.rap by this window.
    QList<std::pair<QString, bool>> m_storedMarks;
    // The marks whose write failed last (its message was shown).
    QList<std::pair<QString, bool>> m_failedMarks;
};

} // namespace vok
