#include "trips/urbandialog.h"

#include "base/numbers.h"
#include "trips/surcharge.h"
#include "trips/surchargetablestore.h"
#include "trips/tripsubdialog.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "ui/widgets.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

UrbanDialog::UrbanDialog(const WindowContext &context, double distance, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("sporurb"));
    setWindowTitle(QStringLiteral("Sporul pentru circulatia in localitati urbane (km echivalenti)"));
    buildLayout();

    guarded(m_context.messages, this, [&] { SurchargeTableStore(m_context.db).loadUrbanTable(*m_model); });
    const QString captions[] = {QStringLiteral("Grupa de automobile"), QStringLiteral("Bucuresti"),
                                QStringLiteral("Municipii"), QStringLiteral("Celelalte orase")};
    for (int column = 0; column < m_model->columnCount() && column < 4; ++column)
        m_model->setHeaderData(column, Qt::Horizontal, captions[column]);
    QHeaderView *header = m_grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (m_model->columnCount() > 0)
        header->setSectionResizeMode(0, QHeaderView::Stretch);

    m_pu->setText(surcharge::urbanDistanceText(distance));
    showResult();
    connect(m_pu, &QLineEdit::textChanged, this, &UrbanDialog::changed);
    connect(m_surb, &QLineEdit::textChanged, this, &UrbanDialog::changed);
    fields::numericBox(m_pu, m_context.messages, QStringLiteral("#0.0"));
    fields::numericBox(m_surb, m_context.messages, QStringLiteral("#0"));
    // The clerk may also take u from the grid: the arrows to the cell of the
    // vehicle group and the locality, then Enter (or a double-click).
    connect(m_grid, &QTableView::doubleClicked, this, &UrbanDialog::cellChosen);
    keys::onEnterKey(m_grid, [this](const QModelIndex &index) { cellChosen(index); });
    m_pu->setFocus();
}

void UrbanDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Opening counts as typing the last urban distance with u still 0.
    if (!m_shown) {
        m_shown = true;
        changed();
    }
}

void UrbanDialog::buildLayout()
{
    auto *title = new QLabel(
        QStringLiteral("Sporul specific pentru circulatia in localitatile urbane ,,u'' (km echivalenti / 100 km)"), this);
    title->setObjectName(QStringLiteral("Label1"));
    title->setWordWrap(true);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    m_model = new ReferenceTableModel(this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    tripdialogs::showTable(m_grid, m_model, title->text());
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_grid->verticalHeader()->hide();
    m_grid->setMinimumSize(640, 260);
    title->setBuddy(m_grid);

    m_pu = tripdialogs::numberBox(this, QStringLiteral("pu"), QString());
    m_surb = tripdialogs::numberBox(this, QStringLiteral("surb"), QStringLiteral("0"));
    auto *puLabel = new QLabel(QStringLiteral("Pu - parcursul efectiv in localitatile urbane (km)"), this);
    puLabel->setObjectName(QStringLiteral("Label3"));
    puLabel->setBuddy(m_pu);
    auto *surbLabel = new QLabel(
        QStringLiteral("u - sporul specific ptr. circulatia in loc. urbane(km echiv./100 km)"), this);
    surbLabel->setObjectName(QStringLiteral("Label4"));
    surbLabel->setBuddy(m_surb);

    m_result = new QLabel(QStringLiteral("U = (Pu/100) * u = 0"), this);
    m_result->setObjectName(QStringLiteral("Label2"));
    m_result->setFont(bold);

    auto *exit = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto *form = new QFormLayout;
    form->addRow(puLabel, m_pu);
    form->addRow(surbLabel, m_surb);
    form->addRow(QString(), m_result);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(m_grid, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);

    setTabOrder(m_pu, m_surb);
    setTabOrder(m_surb, exit);
    setTabOrder(exit, m_grid);
}

void UrbanDialog::done(int result)
{
    // What was typed stays on the trip window; nothing is checked any more.
    // A number in the box just left is rewritten as leaving it would.
    // An empty distance is none: the trip window reads 0.0 km in town.
    if (m_pu->text().trimmed().isEmpty())
        m_pu->setText(QStringLiteral("0.0"));
    tripdialogs::settle(m_pu, QStringLiteral("#0.0"));
    tripdialogs::settle(m_surb, QStringLiteral("#0"));
    fields::setClosing(this);
    QDialog::done(result);
}

void UrbanDialog::cellChosen(const QModelIndex &index)
{
    // The first column names the vehicle group; the others hold u.
    if (!index.isValid() || index.column() == 0)
        return;
    const QVariant value = index.data();
    if (!value.isValid() || value.isNull())
        return;
    m_surb->setText(formatNumber(value.toDouble(), QStringLiteral("#0")));
    m_surb->setFocus(Qt::TabFocusReason);
}

void UrbanDialog::changed()
{
    showResult();
    emit entryChanged(surcharge::entry(m_pu->text(), m_surb->text()));
}

void UrbanDialog::showResult()
{
    m_result->setText(surcharge::urbanResultText(surcharge::equivalentKm(m_pu->text(), m_surb->text())));
}

} // namespace vok
