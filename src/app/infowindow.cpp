#include "app/infowindow.h"

#include "ui/widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vok {

const QStringList &InfoWindow::texts()
{
    static const QStringList lines = {
        QStringLiteral("AUTO - PASUL 1          Se introduc datele de identificare a autovehiculului precum si caracteristici referitoare la consumul mediu(Cm) si sistem de ungere (Cb, Cf)"),
        QStringLiteral("  Toate campurile sunt obligatorii de completat."),
        QStringLiteral("FOAIE - PASUL 2          Se introduc datele din foaia de parcurs.De asemenea se introduc fie datele tuturor curselor (specificind ptr. fiecare sporurile care se acorda),"),
        QStringLiteral("sau intoduceti pe o singura cursa datele totale ( km pe fiecare categorie de drum si greutatea medie transportata(Gm))."),
        QStringLiteral("ALIMENTARE - PASUL 3        Toate alimentarile de combustibil si ulei se ataseaza la o foaie de parcurs."),
        QStringLiteral("De asemenea se specifica daca sa efectuat schimbul de ulei si/sau filtru, consumul normat de ulei marindu-se cu capacitatea baii de ulei (Cb) si/sau a filtrului de ulei (Cf)."),
        QStringLiteral("Se poate scoate un raport detaliat (cu nr.act/data) pe luna sau un raport anual doar cu totalurile pe fiecare luna."),
        QStringLiteral("V.O.K. - PASUL 4            Pentru fiecare autovehicul se poate scoate foaia activitatii zilnice (v.o.k.)"),
        QStringLiteral("Am considerat ca nu este necesar o totalizare la fiecare decada a lunii (asa cum este in formularul tipizat) ci doar la sfarsit de luna."),
        QStringLiteral("Se poate scoate si un raport anual cu totalurile pe luna ale v.o.k.-urilor, raport ce poate fi scoas doar dupa ce este vizualizat cel lunar."),
        QStringLiteral("PIESE                                Se poate tine evidenta pieselor, reparatiilor, diverselor lucrari pe fiecare autovehicul."),
        QStringLiteral("SETARI                             Se introduc datele care trebuie sa apara in rapoarte : denumire unitate etc."),
        QStringLiteral("De asemenea se introduc datele initiale ale autovehiculului : km parcursi, din care cu incarcatura (cazul camioanelor etc.), km echivalenti si restul in rezervor."),
        QStringLiteral("ATENTIE !!!"),
        QStringLiteral("Restul in rezervor va influenta v.o.k.-ul din prima luna, acesta folosind valoarea introdusa aici."),
        QStringLiteral("CENTRALIZARE           Se pot scoate rapoarte pe luna si an cu v.o.k.-urile pe fiecare autovehicul selectat din lista, existind posibilitatea listarii grupate."),
        QStringLiteral("Pentru aceasta este necesar ca fiecare v.o..k lunar al unui autovehicul sa fi fost vizualizat in prealabil."),
        QStringLiteral("De asemenea, in cazul in care in luna precedenta nu s-a circulat, se introduc aici datele din ultimul v.o.k."),
        QStringLiteral("Calculul consumului de carburant pentru autovehicule are la baza Ordinul nr.14/27.09.1982 "),
    };
    return lines;
}

QString InfoWindow::accountLine(const QString &login, roles::Role role)
{
    return QStringLiteral("Utilizator: %1 (%2)").arg(login, roles::displayName(role));
}

InfoWindow::InfoWindow(QWidget *parent, const QString &account)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("info"));
    setWindowTitle(QStringLiteral("Informatii"));
    auto *layout = new QVBoxLayout(this);
    if (!account.isEmpty()) {
        auto *label = new QLabel(account, this);
        label->setObjectName(QStringLiteral("utilizator"));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        layout->addWidget(label);
    }
    int number = 0;
    for (const QString &text : texts()) {
        auto *label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("Label%1").arg(++number));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Section headings (a step name followed by a run of blanks) and the warning stand out.
        if (text.contains(QLatin1String("     ")) || text == QLatin1String("ATENTIE !!!")) {
            QFont font = label->font();
            font.setBold(true);
            label->setFont(font);
        }
        layout->addWidget(label);
    }
    layout->addStretch();
    auto *exit = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    layout->addLayout(buttons);
    exit->setFocus();
    resize(900, 600);
}

} // namespace vok
