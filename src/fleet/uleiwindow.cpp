#include "fleet/uleiwindow.h"

#include "fleet/referencestore.h"
#include "fleet/referencewindow.h"
#include "ui/guard.h"
#include "ui/widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

UleiWindow::UleiWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("ulei"));
    setWindowTitle(QStringLiteral("Capacitatea sistemului de ungere"));

    m_grid = reference::makeGrid(this, QStringLiteral("DBGrid1"), QStringLiteral("Capacitatea sistemului de ungere"));
    auto *hint = new QLabel(QStringLiteral("Dublu-click pe randul corespunzator sau consultati si introduceti dvs. manual"), this);
    hint->setObjectName(QStringLiteral("Label1"));
    hint->setBuddy(m_grid);
    hint->setWordWrap(true);
    m_kind = new QLabel(this);
    m_kind->setObjectName(QStringLiteral("Label4"));
    m_sump = new QLabel(this);
    m_sump->setObjectName(QStringLiteral("Label2"));
    m_filter = new QLabel(this);
    m_filter->setObjectName(QStringLiteral("Label3"));
    QFont bold = m_kind->font();
    bold.setBold(true);
    for (QLabel *label : {m_kind, m_sump, m_filter})
        label->setFont(bold);

    auto *exit = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(m_grid, 1);
    auto *chosen = new QHBoxLayout;
    chosen->addWidget(m_kind, 1);
    chosen->addWidget(m_sump);
    chosen->addSpacing(24);
    chosen->addWidget(m_filter);
    layout->addLayout(chosen);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    layout->addLayout(buttons);

    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_grid, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            chooseRow(index.row());
    });

    guarded(m_context.messages, this, [&] {
        reference::fillGrid(m_grid, QStringLiteral("sistemU"),
                            {{QStringLiteral("autom"), QStringLiteral("Felul automobilului")},
                             {QStringLiteral("baia"), QStringLiteral("Baia de ulei (litri) ,,Cb''")},
                             {QStringLiteral("filtru"), QStringLiteral("Filtrul de ulei (litri) ,,Cf''")}},
                            ReferenceStore(m_context.db).rows(QStringLiteral("sistemU")));
    });
    resize(760, 560);
}

void UleiWindow::chooseRow(int row)
{
    if (row < 0 || row >= m_grid->model()->rowCount())
        return;
    m_grid->selectRow(row);
    const QString kind = reference::cellText(m_grid, row, 0);
    const QString sump = reference::cellText(m_grid, row, 1);
    const QString filter = reference::cellText(m_grid, row, 2);
    m_kind->setText(kind);
    m_sump->setText(QStringLiteral("Cb = ") + sump + QStringLiteral(" litri"));
    m_filter->setText(QStringLiteral("Cf = ") + filter + QStringLiteral(" litri"));
    emit capacitiesChosen(sump, filter);
}

} // namespace vok
