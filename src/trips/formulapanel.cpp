#include "trips/formulapanel.h"

#include "base/numbers.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vok {

namespace {

QLabel *namedLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

FormulaPanel::FormulaPanel(QWidget *parent)
    : QWidget(parent)
{
    auto *side = new QVBoxLayout(this);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(4);

    auto *regime = new QGroupBox(QStringLiteral("Consum mediu folosit"), this);
    regime->setFixedWidth(310);
    auto *rg = new QGridLayout(regime);
    rg->setContentsMargins(6, 2, 6, 2);
    rg->setVerticalSpacing(1);
    // A regime chosen here is written into the vehicle at once: the buttons
    // are off the Tab path, where a Space or an arrow key would rewrite the
    // vehicle's Cm. The mouse and their shortcuts (Alt+U, Alt+M, Alt+E) choose.
    const char *const regimeNames[] = {"&Urban", "&Mixt", "&Extraurban"};
    for (int i = 0; i < 3; ++i) {
        QRadioButton *&button = m_regimes[size_t(i)];
        button = new QRadioButton(QLatin1String(regimeNames[i]), regime);
        button->setObjectName(QStringLiteral("c%1").arg(i + 1));
        button->setFocusPolicy(Qt::NoFocus);
        rg->addWidget(button, 0, i);
        connect(button, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                emit regimeChosen(i + 1);
        });
    }
    m_cm = namedLabel(regime, QStringLiteral("Label49"), QString());
    rg->addWidget(m_cm, 1, 0, 1, 3);
    side->addWidget(regime);

    m_formulas = new QGroupBox(QStringLiteral("Formula de calcul"), this);
    m_formulas->setObjectName(QStringLiteral("Frame1"));
    m_formulas->setFixedWidth(310);
    // Its place is kept while no vehicle is chosen.
    QSizePolicy keep = m_formulas->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_formulas->setSizePolicy(keep);
    auto *f = new QVBoxLayout(m_formulas);
    f->setContentsMargins(6, 2, 6, 2);
    f->setSpacing(1);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    auto line = [this, f, small](const QString &name, const QString &text) {
        QLabel *l = namedLabel(m_formulas, name, text);
        l->setFont(small);
        l->setWordWrap(true);
        f->addWidget(l);
        return l;
    };
    m_formula = line(QStringLiteral("formula1"), QString());
    line(QStringLiteral("Label36"),
         QStringLiteral("Ped = cat.I*0.9 + cat.II*1 + cat.III*1.1 + cat.IV*1.2 + cat.V*1.4 + cat.VI*1.6"));
    line(QStringLiteral("formulaQ1"), QStringLiteral("Q1 = 0.25 * (Cm/100) * Nod"));
    line(QStringLiteral("formulaQ4"), QStringLiteral("Q4 = 0.05 * Cm * Ni"));
    line(QStringLiteral("Label32"), QStringLiteral("Cu = (Pe/100) * Ca + Cb + Cf"));
    line(QStringLiteral("Label33"), QStringLiteral("Cua=(Pe/100) * Ca"));
    f->addSpacing(4);
    line(QStringLiteral("Label34"), QStringLiteral("Pe - parcursul in kilometri echivalenti"));
    line(QStringLiteral("Label35"), QStringLiteral("Ped - parcursul echivalent de drum"));
    line(QStringLiteral("Label37"), QStringLiteral("Cn - consumul normat de carburant"));
    line(QStringLiteral("Label38"), QStringLiteral("Cm - consumul mediu normat la 100 km echivalenti"));
    m_kgNote = line(QStringLiteral("Label39"), QStringLiteral("Kg - coeficient pentru sarcina transportata"));
    line(QStringLiteral("Label41"), QStringLiteral("Cu - consumul de ulei"));
    line(QStringLiteral("Label42"), QStringLiteral("Ca - consumul normat de ulei ars la 100 km echivalenti"));
    line(QStringLiteral("Label45"), QStringLiteral("Cua - consumul de ulei ars"));
    line(QStringLiteral("Label46"), QStringLiteral("Cb - capacitatea baii(rezervorului) de ulei"));
    line(QStringLiteral("Label47"), QStringLiteral("Cf - capacitatea filtrului de ulei"));
    f->addSpacing(4);
    line(QStringLiteral("Label43"), QStringLiteral("Valorile pentru Cm, Ca, Cb, Cf se stabilesc in submeniul ,,AUTO''"));
    line(QStringLiteral("Label44"),
         QStringLiteral("Daca s-a schimbat uleiul si/sau filtrul se trec valorile acestor capacitati"));
    f->addStretch(1);
    side->addWidget(m_formulas, 1);
    m_formulas->setVisible(false);
}

void FormulaPanel::showFormula(int formula)
{
    m_formulas->setVisible(true);
    const bool withKg = formula == 1;
    m_formula->setText(withKg ? QStringLiteral("Cn = (Pe/100) * Cm * Kg * A + Q1 + Q4               Pe = Ped + T + U + I + Ra")
                              : QStringLiteral("Cn = (Pe/100) * Cm * A + Q1 + Q4                   Pe = Ped + T + U + I + Ra"));
    m_kgNote->setVisible(withKg);
}

void FormulaPanel::selectRegime(int k)
{
    if (k < 1 || k > 3)
        return;
    const QSignalBlocker blocker(m_regimes[size_t(k - 1)]);
    m_regimes[size_t(k - 1)]->setChecked(true);
}

void FormulaPanel::showCm(double Cm)
{
    m_cm->setText(formatNumber(Cm, QStringLiteral("#0.000")) + QStringLiteral(" litri/100 km echiv."));
}

void FormulaPanel::clearCm() { m_cm->clear(); }

} // namespace vok
