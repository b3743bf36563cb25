#include "fleet/consumwindow.h"

#include "fleet/referencestore.h"
#include "fleet/referencewindow.h"
#include "ui/guard.h"
#include "ui/widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

using reference::Shown;

struct GridDefinition {
    const char *heading;
    QList<Shown> columns;
};

QList<GridDefinition> definitions()
{
    const Shown fel{QStringLiteral("fel"), QStringLiteral("Felul automobilului")};
    const Shown marca{QStringLiteral("marca"), QStringLiteral("Marca si tipul")};
    const Shown cm{QStringLiteral("Cm"), QStringLiteral("Cm")};
    return {
        {"Automobile cu sarcina utila nominala de peste 1,5 tone, destinate transportului de marfuri",
         {fel, marca, {QStringLiteral("capcil"), QStringLiteral("Cap.cil.(cmc)")},
          {QStringLiteral("sarcina"), QStringLiteral("Sarcina utila(to)")}, cm}},
        {"Autoturisme si automobile cu sarcina utila nominala sub 1,5 tone (inclusiv)",
         {fel, marca, {QStringLiteral("locuri"), QStringLiteral("Capac.")},
          {QStringLiteral("capcil"), QStringLiteral("Cap.cil(cmc)")}, cm}},
        {"Automobile destinate transporturilor de calatori si derivate",
         {fel, marca, {QStringLiteral("loc"), QStringLiteral("Locuri")},
          {QStringLiteral("capcil"), QStringLiteral("Cap.cil(cmc)")}, cm}},
        {"Automobile cu destinatie speciala",
         {fel, marca, {QStringLiteral("capcil"), QStringLiteral("Cap.cil.(cmc)")}, cm}},
    };
}

} // namespace

ConsumWindow::ConsumWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("consum"));
    setWindowTitle(QStringLiteral("Consumurile medii de combustibil ,,Cm''"));

    m_a1 = new QRadioButton(QStringLiteral("motoare cu aprindere prin scanteie"), this);
    m_a1->setObjectName(QStringLiteral("a1"));
    m_a2 = new QRadioButton(QStringLiteral("motoare cu aprindere prin compresie"), this);
    m_a2->setObjectName(QStringLiteral("a2"));
    auto *ignition = new QHBoxLayout;
    ignition->addWidget(m_a1);
    ignition->addWidget(m_a2);
    ignition->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(ignition);
    const QList<GridDefinition> grids = definitions();
    for (int i = 0; i < 4; ++i) {
        const QString heading = QString::fromLatin1(grids.at(i).heading);
        m_grids[i] = reference::makeGrid(this, QStringLiteral("DBGrid%1").arg(i + 1), heading);
        layout->addWidget(reference::gridTitle(this, heading, m_grids[i]));
        layout->addWidget(m_grids[i], 1);
    }
    auto *exit = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    layout->addLayout(buttons);

    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_a1, &QRadioButton::toggled, this, [this](bool on) { if (on) refill(1); });
    connect(m_a2, &QRadioButton::toggled, this, [this](bool on) { if (on) refill(2); });

    resize(980, 700);
    m_a1->setChecked(true);
}

void ConsumWindow::refill(int aprind)
{
    const QList<GridDefinition> grids = definitions();
    guarded(m_context.messages, this, [&] {
        ReferenceStore store(m_context.db);
        for (int i = 0; i < 4; ++i)
            reference::fillGrid(m_grids[i], QStringLiteral("consumCm%1").arg(i + 1), grids.at(i).columns,
                                store.consumptionRows(i + 1, aprind), 1);
    });
}

} // namespace vok
