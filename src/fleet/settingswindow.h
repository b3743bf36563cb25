#pragma once

#include "ui/windowcontext.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class QTableView;

namespace vok {

class HeaderModel;
class StartingStateModel;

// The window "Elemente care apar in rapoarte" (`setari`): the report header
// (`DBGrid1`), the starting state of every vehicle (`DBGrid2`) and the
// vehicles taken out (`nra`), written by "Iesire".
class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    explicit SettingsWindow(const WindowContext &context, QWidget *parent = nullptr);

    // Escape and the close button leave as "Iesire" does: the marks of
    // "Auto scoase" are written.
    void reject() override;

private:
    void load();
    void showMessages(const QStringList &messages);
    void headerRefused(const QStringList &messages, int row, int column);
    void stateRefused(const QStringList &messages, int row, int column);
    void leave();

    WindowContext m_context;
    HeaderModel *m_headerModel;
    StartingStateModel *m_stateModel;
    QTableView *m_headerGrid;
    QTableView *m_stateGrid;
    QListWidget *m_takenOut;
    QPushButton *m_exit;
};

} // namespace vok
