#include "trips/loaddialog.h"

#include "trips/loadcalc.h"
#include "ui/fields.h"
#include "ui/widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vok {

namespace {
constexpr int legCount = 10;
const QString oneDecimal = QStringLiteral("#0.0");
} // namespace

LoadDialog::LoadDialog(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("utilitar"));
    setWindowTitle(QStringLiteral("Calcul Gm"));

    auto *grid = new QGridLayout;
    auto *legHeading = new QLabel(QStringLiteral("Numar tronson"), this);
    auto *kmHeading = new QLabel(QStringLiteral("Kilometri parcursi"), this);
    auto *loadHeading = new QLabel(QStringLiteral("Sarcina transportata (tone)"), this);
    grid->addWidget(legHeading, 0, 0, Qt::AlignCenter);
    grid->addWidget(kmHeading, 0, 1, Qt::AlignCenter);
    grid->addWidget(loadHeading, 0, 2, Qt::AlignCenter);

    // The clerk types each leg's distance, then its load, row after row.
    for (int i = 1; i <= legCount; ++i) {
        auto *number = new QLabel(QString::number(i), this);
        QLineEdit *km = addLegBox(QStringLiteral("km%1").arg(i), true);
        QLineEdit *load = addLegBox(QStringLiteral("g%1").arg(i), false);
        km->setAccessibleName(kmHeading->text() + u' ' + number->text());
        load->setAccessibleName(loadHeading->text() + u' ' + number->text());
        number->setBuddy(km);
        grid->addWidget(number, i, 0, Qt::AlignCenter);
        grid->addWidget(km, i, 1);
        grid->addWidget(load, i, 2);
        m_legs.append(LegBoxes{km, load});
    }

    auto *totalCaption = new QLabel(QStringLiteral("Total"), this);
    m_total = new QLabel(QStringLiteral("0.0"), this);
    m_total->setObjectName(QStringLiteral("totkm"));
    m_total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_total->setAccessibleName(QStringLiteral("Total kilometri parcursi"));
    m_total->setFrameShape(QFrame::Panel);
    m_total->setFrameShadow(QFrame::Sunken);
    totalCaption->setBuddy(m_total);
    grid->addWidget(totalCaption, legCount + 1, 0, Qt::AlignCenter);
    grid->addWidget(m_total, legCount + 1, 1);

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("gmed"));
    m_result->setAccessibleName(QStringLiteral("Gm"));
    QFont bold = m_result->font();
    bold.setBold(true);
    m_result->setFont(bold);
    grid->addWidget(m_result, legCount + 1, 2, Qt::AlignCenter);

    auto *compute = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Calcul Gm"));
    connect(compute, &QPushButton::clicked, this, &LoadDialog::calculate);
    auto *exit = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Iesire"));
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(compute);
    buttons->addWidget(exit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_legs.first().km->setFocus();
}

QLineEdit *LoadDialog::addLegBox(const QString &name, bool distance)
{
    auto *box = new QLineEdit(QStringLiteral("0.0"), this);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(140);
    fields::numericBox(box, m_context.messages, oneDecimal);
    connect(box, &QLineEdit::textChanged, this, [this, distance] {
        if (distance) {
            QList<loadcalc::Leg> legs;
            for (const LegBoxes &leg : std::as_const(m_legs))
                legs.append(loadcalc::Leg{leg.km->text(), QString()});
            m_total->setText(loadcalc::totalText(legs));
        }
        m_result->clear();
    });
    return box;
}

void LoadDialog::calculate()
{
    // The box just left is checked after this click: settle it first, as
    // leaving it would, so the calculation uses what the boxes will show. A
    // text that is no number waits for the check of its box.
    for (const LegBoxes &leg : std::as_const(m_legs)) {
        for (QLineEdit *box : {leg.km, leg.load}) {
            const std::optional<QString> text = fields::numericText(box->text(), oneDecimal, std::nullopt);
            if (!text)
                return;
            if (*text != box->text())
                box->setText(*text);
        }
    }
    QList<loadcalc::Leg> legs;
    for (const LegBoxes &leg : std::as_const(m_legs))
        legs.append(loadcalc::Leg{leg.km->text(), leg.load->text()});
    const std::optional<QString> gm = loadcalc::averageLoadText(legs);
    if (!gm)
        return;
    m_result->setText(QStringLiteral("Gm = ") + *gm);
    emit loadComputed(*gm);
}

void LoadDialog::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

} // namespace vok
