#include "fleet/uleiardwindow.h"

#include "fleet/referencestore.h"
#include "fleet/referencewindow.h"
#include "ui/guard.h"
#include "ui/widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

UleiardWindow::UleiardWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("uleiard"));
    setWindowTitle(QStringLiteral("Consultare ,,Ca''"));

    const QString caption = QStringLiteral("Consum specific normat de ulei pentru ardere ,,Ca'' (litri / 100 km echivalenti)");
    auto *grid1 = reference::makeGrid(this, QStringLiteral("DBGrid1"), QStringLiteral("Ca pentru motor SR-211"));
    auto *grid2 = reference::makeGrid(this, QStringLiteral("DBGrid2"), QStringLiteral("Ca pentru alte tipuri de motoare"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(reference::gridTitle(this, QStringLiteral("PENTRU AUTOMOBILE ECHIPATE CU MOTOR SR-211"), grid1));
    layout->addWidget(new QLabel(caption, this));
    layout->addWidget(grid1, 1);
    layout->addSpacing(8);
    layout->addWidget(reference::gridTitle(
        this, QStringLiteral("PENTRU AUTOMOBILE ECHIPATE CU ALTE TIPURI DE MOTOARE DECAT SR-211"), grid2));
    layout->addWidget(new QLabel(caption, this));
    auto *capacity = new QLabel(QStringLiteral("Motoare de capacitate cilindrica (cmc)"), this);
    capacity->setAlignment(Qt::AlignCenter);
    layout->addWidget(capacity);
    layout->addWidget(grid2, 1);

    auto *exit = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    layout->addLayout(buttons);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    guarded(m_context.messages, this, [&] {
        ReferenceStore store(m_context.db);
        const reference::Shown ciclu{QStringLiteral("ciclu"), QStringLiteral("km echivalenti")};
        reference::fillGrid(grid1, QStringLiteral("uleiCa1"),
                            {ciclu,
                             {QStringLiteral("autocamion"), QStringLiteral("Autocamioane si derivate")},
                             {QStringLiteral("autotren"), QStringLiteral("Autotrenuri (cu remorci sau semiremorci)")},
                             {QStringLiteral("autobuz"), QStringLiteral("Autobuze")}},
                            store.rows(QStringLiteral("uleiCa1")));
        reference::fillGrid(grid2, QStringLiteral("uleiCa2"),
                            {ciclu,
                             {QStringLiteral("<2000"), QStringLiteral("< 2000")},
                             {QStringLiteral("2001-2005"), QStringLiteral("2001 - 5000")},
                             {QStringLiteral("5001-11000"), QStringLiteral("5001 - 11000")},
                             {QStringLiteral(">11000"), QStringLiteral("> 11000")}},
                            store.rows(QStringLiteral("uleiCa2")));
    });
    resize(820, 600);
}

} // namespace vok
