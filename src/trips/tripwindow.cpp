#include "trips/tripwindow.h"

#include "db/calendar.h"
#include "db/numbers.h"
#include "fleet/vehiclestore.h"
#include "reports/monthstatus.h"
#include "trips/consumption.h"
#include "trips/loaddialog.h"
#include "trips/sheetstore.h"
#include "trips/surcharge.h"
#include "trips/towingdialog.h"
#include "trips/triplookupstore.h"
#include "trips/tripstore.h"
#include "trips/urbandialog.h"
#include "ui/fields.h"
#include "ui/gridexport.h"
#include "ui/guard.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace vok {

namespace {

const QString noVehicle = QStringLiteral(" Selectati numarul de inmatriculare !!! ");
const QString noSheet = QStringLiteral(" Selectati numarul foii de parcurs !!! ");
const QString noTrip = QStringLiteral(" Specificati numarul cursei !!! ");
const QString saveQuestion = QStringLiteral(" Sunteti sigur ca doriti salvarea datelor ? ");
const QString deleted = QStringLiteral(" Stergerea a fost executata ");
const QString distancePreview = QStringLiteral("km echivalenti la aceasta cursa");
const QString loadAboveTable = QStringLiteral(" Sarcina depaseste tabelul coeficientilor Kg !!! ");

const char *const gridCaptions[] = {"idc",     "Nr. cursa", "km I",         "km II",       "km III",   "km IV",
                                    "km V",    "km VI",     "Total km",     "km echiv.",   "Greut.medie (Gm)",
                                    "Coef.Kg", "Spor T",    "Spor U",       "Spor I",      "Spor Ra",  "Coef. A",
                                    "Nr.opriri-dem.", "Nr.incalziri", "Cn(litri)", "Cua(litri)"};

// A check run when the clerk enters a box: queued behind the focus change, not
// run for focus that comes back with the window or a popup, nor while a message
// box is up.
class EnterAction : public QObject {
public:
    EnterAction(QWidget *box, std::function<void()> action)
        : QObject(box)
        , m_box(box)
        , m_action(std::move(action))
    {
        box->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::FocusIn || m_pending || MessageService::isShowing())
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        m_pending = true;
        QMetaObject::invokeMethod(this, &EnterAction::run, Qt::QueuedConnection);
        return false;
    }

private:
    void run()
    {
        m_pending = false;
        if (!m_box->window()->isVisible() || !m_box->hasFocus())
            return;
        m_action();
    }

    QWidget *m_box;
    std::function<void()> m_action;
    bool m_pending = false;
};

void onEnter(QWidget *box, std::function<void()> action) { new EnterAction(box, std::move(action)); }

// A refused list text is selected once the focus is back, so that typing
// replaces it (as in every refused box).
void selectWhenBack(QComboBox *list)
{
    QPointer<QComboBox> guard = list;
    QTimer::singleShot(0, list, [guard] {
        if (guard && guard->lineEdit())
            guard->lineEdit()->selectAll();
    });
}

QLineEdit *lineEdit(QWidget *parent, const QString &name, const QString &text, int width = 0)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    if (width > 0)
        box->setFixedWidth(width);
    return box;
}

QLabel *label(QWidget *parent, const QString &text, QWidget *buddy = nullptr)
{
    return widgets::labelFor(parent, text, buddy);
}

QLabel *namedLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QString storedText(double value) { return doubleText(value); }

int wholeNumber(const QString &text) { return formatNumber(readNumber(text), QStringLiteral("0")).toInt(); }

} // namespace

TripWindow::TripWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("foaie"));
    setWindowTitle(QStringLiteral("Date foi parcurs"));
    buildLayout();
    connectFields();
    formLoad();
}

// ---------------------------------------------------------------- layout

void TripWindow::buildLayout()
{
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(8, 6, 8, 6);
    main->setSpacing(4);

    // Header: vehicle, sheet, driver; date and hours.
    auto *header = new QGroupBox(this);
    auto *h = new QGridLayout(header);
    h->setContentsMargins(6, 4, 6, 4);
    h->setVerticalSpacing(3);
    m_nra = new QComboBox(header);
    m_nra->setObjectName(QStringLiteral("nra"));
    m_nra->setMinimumWidth(120);
    m_tip = namedLabel(header, QStringLiteral("tip"), lists::makeCaption(QString()));
    m_nrfoi = new QComboBox(header);
    m_nrfoi->setObjectName(QStringLiteral("nrfoi"));
    m_nrfoi->setEditable(true);
    lists::keepTypedText(m_nrfoi); // "1" typed is sheet 1, never the listed 12
    m_nrfoi->setFixedWidth(90);
    m_sof = new QComboBox(header);
    m_sof->setObjectName(QStringLiteral("sof"));
    m_sof->setEditable(true);
    lists::keepTypedText(m_sof); // stored as typed
    m_sof->setMinimumWidth(190);
    m_zi = lineEdit(header, QStringLiteral("zi"), QString(), 34);
    m_luna = lineEdit(header, QStringLiteral("luna"), QString(), 34);
    m_anul = lineEdit(header, QStringLiteral("anul"), QString(), 50);
    m_op = lineEdit(header, QStringLiteral("op"), QStringLiteral("0.00"), 50);
    m_os = lineEdit(header, QStringLiteral("os"), QStringLiteral("0.00"), 50);

    auto *row1 = new QHBoxLayout;
    row1->addWidget(label(header, QStringLiteral("Numar inmatriculare"), m_nra));
    row1->addWidget(m_nra);
    row1->addStretch(1);
    row1->addWidget(label(header, QStringLiteral("Numarul foii de parcurs"), m_nrfoi));
    row1->addWidget(m_nrfoi);
    row1->addSpacing(8);
    row1->addWidget(label(header, QStringLiteral("Nume sofer"), m_sof));
    row1->addWidget(m_sof);
    h->addLayout(row1, 0, 0);

    auto *row2 = new QHBoxLayout;
    row2->addWidget(label(header, QStringLiteral("Data:")));
    row2->addWidget(label(header, QStringLiteral("ziua"), m_zi));
    row2->addWidget(m_zi);
    row2->addWidget(label(header, QStringLiteral("luna"), m_luna));
    row2->addWidget(m_luna);
    row2->addWidget(label(header, QStringLiteral("anul"), m_anul));
    row2->addWidget(m_anul);
    row2->addSpacing(24);
    row2->addWidget(label(header, QStringLiteral("Ora:")));
    row2->addWidget(label(header, QStringLiteral("plecare"), m_op));
    row2->addWidget(m_op);
    row2->addWidget(label(header, QStringLiteral("sosire"), m_os));
    row2->addWidget(m_os);
    // The make has room for its 30 characters here, under the vehicle's row.
    row2->addSpacing(24);
    row2->addWidget(m_tip, 1);
    h->addLayout(row2, 1, 0);
    main->addWidget(header);

    // Middle: the trip block, the formula panel beside it.
    auto *middle = new QHBoxLayout;
    middle->setSpacing(6);
    auto *trip = new QGroupBox(this);
    auto *t = new QVBoxLayout(trip);
    t->setContentsMargins(6, 4, 6, 4);
    t->setSpacing(3);

    m_nrc = lineEdit(trip, QStringLiteral("nrc"), QStringLiteral("0"), 50);
    m_trs = lineEdit(trip, QStringLiteral("trs"), QString());
    auto *tripRow = new QHBoxLayout;
    tripRow->addWidget(label(trip, QStringLiteral("Numar cursa"), m_nrc));
    tripRow->addWidget(m_nrc);
    tripRow->addSpacing(12);
    tripRow->addWidget(label(trip, QStringLiteral("Traseu"), m_trs));
    tripRow->addWidget(m_trs, 1);
    t->addLayout(tripRow);

    // Road categories with their totals.
    auto *cats = new QGridLayout;
    cats->setHorizontalSpacing(4);
    cats->setVerticalSpacing(1);
    cats->addWidget(label(trip, QStringLiteral("Categorie drum")), 0, 0);
    cats->addWidget(label(trip, QStringLiteral("Kilometri parcursi")), 1, 0);
    const char *const romans[] = {"I", "II", "III", "IV", "V", "VI"};
    for (int i = 0; i < 6; ++i) {
        m_cat[i] = lineEdit(trip, QStringLiteral("cat%1").arg(i + 1), QStringLiteral("0.0"), 56);
        m_cat[i]->setAccessibleName(QStringLiteral("km ") + QLatin1String(romans[i]));
        cats->addWidget(label(trip, QLatin1String(romans[i]), m_cat[i]), 0, i + 1, Qt::AlignHCenter);
        cats->addWidget(m_cat[i], 1, i + 1);
    }
    m_total = namedLabel(trip, QStringLiteral("total"), QStringLiteral("0.0"));
    m_echiv = namedLabel(trip, QStringLiteral("echiv"), QStringLiteral("0.0"));
    for (QLabel *l : {m_total, m_echiv}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(60);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_total->setAccessibleName(QStringLiteral("Total"));
    m_echiv->setAccessibleName(QStringLiteral("Echiv.(Ped)"));
    cats->addWidget(label(trip, QStringLiteral("Total")), 0, 7, Qt::AlignHCenter);
    cats->addWidget(m_total, 1, 7);
    cats->addWidget(label(trip, QStringLiteral("Echiv.(Ped)")), 0, 8, Qt::AlignHCenter);
    cats->addWidget(m_echiv, 1, 8);
    cats->setColumnStretch(9, 1);
    t->addLayout(cats);

    // Load, its coefficient and the trailers; the consumption regime.
    m_greut = lineEdit(trip, QStringLiteral("greut"), QStringLiteral("0.0"), 56);
    m_kg = lineEdit(trip, QStringLiteral("Kg"), QStringLiteral("1.000"), 56);
    m_command1 = new QPushButton(QStringLiteral("Utilitar calcul Gm"), trip);
    m_command1->setObjectName(QStringLiteral("Command1"));
    auto *loadRow = new QHBoxLayout;
    loadRow->addWidget(label(trip, QStringLiteral("Sarcina medie transportata (Gm)"), m_greut));
    loadRow->addWidget(m_greut);
    loadRow->addWidget(label(trip, QStringLiteral("Coef. Kg"), m_kg));
    loadRow->addWidget(m_kg);
    loadRow->addWidget(m_command1);
    loadRow->addStretch(1);
    t->addLayout(loadRow);

    auto *trailers = new QWidget(trip);
    auto *tr = new QHBoxLayout(trailers);
    tr->setContentsMargins(0, 0, 0, 0);
    m_fr = new QRadioButton(QStringLiteral("fara remorca"), trailers);
    m_fr->setObjectName(QStringLiteral("fr"));
    m_r1 = new QRadioButton(QStringLiteral("1 remorca"), trailers);
    m_r1->setObjectName(QStringLiteral("r1"));
    m_r2 = new QRadioButton(QStringLiteral("2 remorci"), trailers);
    m_r2->setObjectName(QStringLiteral("r2"));
    tr->addWidget(m_fr);
    tr->addWidget(m_r1);
    tr->addWidget(m_r2);

    auto *trailerRow = new QHBoxLayout;
    trailerRow->addWidget(trailers);
    trailerRow->addStretch(1);
    t->addLayout(trailerRow);

    // The surcharges: check box, value box, unit or preview.
    auto *sp = new QGridLayout;
    sp->setHorizontalSpacing(6);
    sp->setVerticalSpacing(1);
    auto check = [trip](const QString &name, const QString &caption) {
        auto *box = new QCheckBox(caption, trip);
        box->setObjectName(name);
        return box;
    };
    m_tract = check(QStringLiteral("tract"), QStringLiteral("Sporul pentru tractare (T)"));
    m_spT = lineEdit(trip, QStringLiteral("spT"), QStringLiteral("0.0"), 56);
    m_label23 = namedLabel(trip, QStringLiteral("Label23"), distancePreview);
    m_sporU = check(QStringLiteral("sporU"), QStringLiteral("Sporul pentru circulatia in localitatile urbane (U)"));
    m_spU = lineEdit(trip, QStringLiteral("spU"), QStringLiteral("0.0"), 56);
    m_label48 = namedLabel(trip, QStringLiteral("Label48"), distancePreview);
    m_sporI = check(QStringLiteral("sporI"), QStringLiteral("Sporul pentru actionarea instalatiilor speciale (I)"));
    m_spi = lineEdit(trip, QStringLiteral("spi"), QStringLiteral("0.0"), 56);
    m_label27 = namedLabel(trip, QStringLiteral("Label27"), QStringLiteral("km echiv./1 prestatie"));
    m_nri = lineEdit(trip, QStringLiteral("nri"), QStringLiteral("0"), 56);
    m_label28 = namedLabel(trip, QStringLiteral("Label28"), QString());
    m_label28->setWordWrap(true);
    // Two lines kept free, so that a description that wraps moves nothing.
    m_label28->setMinimumHeight(2 * m_label28->fontMetrics().lineSpacing());
    m_sporRa = check(QStringLiteral("sporRa"), QStringLiteral("Sporul pentru rezistenta aerului (Ra)"));
    m_spRa = lineEdit(trip, QStringLiteral("spRa"), QStringLiteral("0"), 56);
    m_coefA = check(QStringLiteral("coefA"), QStringLiteral("Coeficient pentru conditii climaterice nefavorabile (A)"));
    m_coef = lineEdit(trip, QStringLiteral("coef"), QStringLiteral("1.0"), 56);
    m_sporQ1 = check(QStringLiteral("sporQ1"), QStringLiteral("Sporul pentru opriri si demarari repetate (Q1)"));
    m_nrdem = lineEdit(trip, QStringLiteral("nrdem"), QStringLiteral("0"), 56);
    m_sporQ4 = check(QStringLiteral("sporQ4"), QStringLiteral("Sporul pentru incalzirea motoarelor pe timp de iarna (Q4)"));
    m_nrinc = lineEdit(trip, QStringLiteral("nrinc"), QStringLiteral("0"), 56);

    m_spT->setAccessibleName(QStringLiteral("Spor T"));
    m_spU->setAccessibleName(QStringLiteral("Spor U"));
    m_spi->setAccessibleName(QStringLiteral("Spor I"));
    m_spRa->setAccessibleName(QStringLiteral("Spor Ra"));
    m_coef->setAccessibleName(QStringLiteral("Coef. A"));

    auto smallNote = [](QWidget *parent, const QString &text) {
        auto *l = new QLabel(text, parent);
        QFont f = l->font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        f.setItalic(true);
        l->setFont(f);
        l->setWordWrap(true);
        return l;
    };
    int r = 0;
    sp->addWidget(m_tract, r, 0);
    sp->addWidget(m_spT, r, 1);
    sp->addWidget(m_label23, r, 2, 1, 3);
    ++r;
    sp->addWidget(m_sporU, r, 0);
    sp->addWidget(m_spU, r, 1);
    sp->addWidget(m_label48, r, 2, 1, 3);
    ++r;
    sp->addWidget(m_sporI, r, 0);
    sp->addWidget(m_spi, r, 1);
    sp->addWidget(m_label27, r, 2, 1, 3);
    ++r;
    sp->addWidget(smallNote(trip, QStringLiteral("Vezi configuratia din meniul AUTO")), r, 0);
    sp->addWidget(m_nri, r, 1);
    sp->addWidget(label(trip, QStringLiteral("numar prestatii"), m_nri), r, 2);
    sp->addWidget(m_label28, r, 3, 1, 2);
    ++r;
    sp->addWidget(m_sporRa, r, 0);
    sp->addWidget(m_spRa, r, 1);
    sp->addWidget(label(trip, QStringLiteral("km echiv. / 100 km"), m_spRa), r, 2, 1, 3);
    ++r;
    sp->addWidget(smallNote(trip, QStringLiteral("Vezi configuratia din meniul AUTO")), r, 0);
    ++r;
    sp->addWidget(m_coefA, r, 0);
    sp->addWidget(m_coef, r, 1);
    ++r;
    sp->addWidget(smallNote(trip, QStringLiteral("Existenta unor temperaturi medii zilnice sub 0 grade Celsius sau "
                                                 "prezenta pe drumuri a zapezii ori poleiului")),
                  r, 0, 1, 5);
    ++r;
    sp->addWidget(m_sporQ1, r, 0);
    sp->addWidget(m_nrdem, r, 1);
    sp->addWidget(label(trip, QStringLiteral("numar opriri-demarari (Nod)"), m_nrdem), r, 2, 1, 3);
    ++r;
    sp->addWidget(m_sporQ4, r, 0);
    sp->addWidget(m_nrinc, r, 1);
    sp->addWidget(label(trip, QStringLiteral("numar incalziri(Ni)"), m_nrinc), r, 2, 1, 3);
    sp->setColumnStretch(4, 1);
    t->addLayout(sp);
    t->addStretch(1);
    middle->addWidget(trip, 1);

    // Beside the trip: the consumption regime and the formula panel, which is
    // shown once a vehicle is chosen (its place is kept meanwhile).
    auto *side = new QVBoxLayout;
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
        m_regime[i] = new QRadioButton(QLatin1String(regimeNames[i]), regime);
        m_regime[i]->setObjectName(QStringLiteral("c%1").arg(i + 1));
        m_regime[i]->setFocusPolicy(Qt::NoFocus);
        rg->addWidget(m_regime[i], 0, i);
    }
    m_label49 = namedLabel(regime, QStringLiteral("Label49"), QString());
    rg->addWidget(m_label49, 1, 0, 1, 3);
    side->addWidget(regime);

    m_formulaFrame = new QGroupBox(QStringLiteral("Formula de calcul"), this);
    m_formulaFrame->setObjectName(QStringLiteral("Frame1"));
    m_formulaFrame->setFixedWidth(310);
    QSizePolicy keep = m_formulaFrame->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_formulaFrame->setSizePolicy(keep);
    auto *f = new QVBoxLayout(m_formulaFrame);
    f->setContentsMargins(6, 2, 6, 2);
    f->setSpacing(1);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    auto line = [this, f, small](const QString &name, const QString &text) {
        QLabel *l = namedLabel(m_formulaFrame, name, text);
        l->setFont(small);
        l->setWordWrap(true);
        f->addWidget(l);
        return l;
    };
    m_formula1 = line(QStringLiteral("formula1"), QString());
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
    m_label39 = line(QStringLiteral("Label39"), QStringLiteral("Kg - coeficient pentru sarcina transportata"));
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
    side->addWidget(m_formulaFrame, 1);
    middle->addLayout(side);
    main->addLayout(middle);

    // The trips of the sheet.
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(QStringLiteral("Cursele foii de parcurs"));
    m_trips = new QSqlQueryModel(this);
    m_grid->setModel(m_trips);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One row at a time: a deletion asks about "the current record" only.
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setTabKeyNavigation(false);
    QFont gridFont = m_grid->font();
    gridFont.setPointSizeF(gridFont.pointSizeF() * 0.9);
    m_grid->setFont(gridFont);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter | static_cast<Qt::AlignmentFlag>(Qt::TextWordWrap));
    m_grid->horizontalHeader()->setMinimumHeight(2 * m_grid->fontMetrics().height() + 6);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->verticalHeader()->setMinimumWidth(16);
    m_grid->setMinimumHeight(120);
    gridexport::install(m_grid, m_context.messages, QStringLiteral("curse"));
    m_grid->installEventFilter(this);
    m_nrfoi->installEventFilter(this);
    m_sof->installEventFilter(this);
    main->addWidget(m_grid, 1);
    main->addWidget(label(this, QStringLiteral("Pentru stergere, CLICK intr-o casuta din tabel, selectati randul "
                                               "(sageata neagra de la inceputul randului) si apoi ,,DELETE''")));

    m_command1->setAutoDefault(false);
    m_save = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Salvare"));
    m_deleteTrip = widgets::button(this, QStringLiteral("Command5"), QStringLiteral("Stergere curse"));
    m_report = widgets::button(this, QStringLiteral("Command6"), QStringLiteral("Raport calcul foaie"));
    m_deleteSheet = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Stergere foi parcurs"));
    m_exit = widgets::button(this, QStringLiteral("Command4"), QStringLiteral("Iesire"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_deleteTrip);
    buttons->addWidget(m_report);
    m_monthNote = new QLabel(this);
    m_monthNote->setObjectName(QStringLiteral("notaluna"));
    m_monthNote->setWordWrap(true);
    buttons->addWidget(m_monthNote, 1);
    buttons->addWidget(m_deleteSheet);
    buttons->addWidget(m_exit);
    main->addLayout(buttons);

    // The tab order of the paper sheet: header, trip number and route, the
    // categories, the load, the surcharges, then the buttons. The grid follows
    // the sheet number, where choosing a sheet puts the focus.
    QList<QWidget *> order = {m_nra, m_nrfoi, m_grid, m_sof, m_zi, m_luna, m_anul, m_op, m_os, m_nrc, m_trs};
    for (QLineEdit *c : m_cat)
        order << c;
    order << m_greut << m_kg << m_command1 << m_fr << m_r1 << m_r2 << m_tract << m_spT << m_sporU << m_spU
          << m_sporI << m_spi << m_nri << m_sporRa << m_spRa << m_coefA << m_coef << m_sporQ1 << m_nrdem
          << m_sporQ4 << m_nrinc << m_save << m_deleteTrip << m_report << m_deleteSheet << m_exit;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    resize(1010, 730);
}

// ---------------------------------------------------------------- wiring

void TripWindow::connectFields()
{
    MessageService *messages = m_context.messages;

    // Header
    lists::refillVehiclesOnFocus(m_nra, m_context.db, messages);
    connect(m_nra, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            selectVehicle(m_nra->itemText(index));
    });
    onEnter(m_nrfoi, [this] { enterSheetNumber(); });
    connect(m_nrfoi, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            loadSheet(m_nrfoi->itemText(index).toInt());
    });
    fields::onLeave(m_nrfoi, [this] { return leaveSheetNumber(); });
    onEnter(m_sof, [this] {
        fillDrivers();
        m_sof->lineEdit()->selectAll();
    });
    connect(m_sof->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.size() > 20)
            inform(texts::maxLength(20));
    });
    fields::onLeave(m_sof, [this] { return leaveDriver(); });
    fields::numericBox(m_zi, messages, QStringLiteral("00"), QStringLiteral("00"));
    fields::numericBox(m_luna, messages, QStringLiteral("00"), QStringLiteral("00"));
    fields::numericBox(m_anul, messages, QStringLiteral("0"), QStringLiteral("0"));
    fields::numericBox(m_op, messages, QStringLiteral("#0.00"), QStringLiteral("0.00"));
    fields::numericBox(m_os, messages, QStringLiteral("#0.00"), QStringLiteral("0.0"));

    // Trip number and route
    fields::selectAllOnEntry(m_nrc);
    onEnter(m_nrc, [this] { enterTripNumber(); });
    fields::onLeave(m_nrc, [this] { return leaveTripNumber(); });
    fields::selectAllOnEntry(m_trs);
    fields::onLeave(m_trs, [this] {
        if (m_trs->text().contains(u'\'')) {
            inform(texts::apostropheRefused());
            return false;
        }
        return true;
    });

    // Categories, live distances
    for (QLineEdit *c : m_cat) {
        fields::kilometreBox(c, messages, QStringLiteral("#0.0"), QStringLiteral("0"));
        connect(c, &QLineEdit::textChanged, this, &TripWindow::updateDistances);
    }

    // Load and its coefficient
    fields::selectAllOnEntry(m_greut);
    onEnter(m_greut, [this] {
        if (!vehicleChosen())
            refuseWithoutVehicle(nullptr);
    });
    // Kg is looked up for the whole load, once it is typed: the first digit
    // of "25" would find the row of 5 t.
    fields::onLeave(m_greut, [this] { return leaveLoad(); });
    fields::numericBox(m_kg, messages, QStringLiteral("#0.000"));
    connect(m_command1, &QPushButton::clicked, this, [this] {
        const QString load = m_greut->text();
        LoadDialog dialog(m_context, this);
        dialog.exec();
        if (m_greut->text() != load) // the computed load
            lookupKg();
    });

    // Regime
    for (int i = 0; i < 3; ++i)
        connect(m_regime[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                chooseRegime(i + 1);
        });

    // Surcharges
    connect(m_tract, &QCheckBox::toggled, this, &TripWindow::towingToggled);
    connect(m_sporU, &QCheckBox::toggled, this, &TripWindow::urbanToggled);
    connect(m_sporI, &QCheckBox::toggled, this, &TripWindow::installationToggled);
    connect(m_sporRa, &QCheckBox::toggled, this, &TripWindow::airToggled);
    connect(m_coefA, &QCheckBox::toggled, this, &TripWindow::climateToggled);
    connect(m_sporQ1, &QCheckBox::toggled, this, [this](bool on) {
        m_nrdem->setEnabled(on);
        if (!on)
            m_nrdem->setText(QStringLiteral("0"));
    });
    connect(m_sporQ4, &QCheckBox::toggled, this, [this](bool on) {
        m_nrinc->setEnabled(on);
        if (!on)
            m_nrinc->setText(QStringLiteral("0"));
    });
    for (QCheckBox *box : {m_tract, m_sporI, m_sporRa})
        onEnter(box, [this, box] {
            if (!vehicleChosen())
                refuseWithoutVehicle(box);
        });
    fields::numericBox(m_spT, messages, QStringLiteral("#0.0"), QStringLiteral("0.0"));
    fields::numericBox(m_spU, messages, QStringLiteral("#0.0"), QStringLiteral("0.0"));
    fields::numericBox(m_spi, messages, QStringLiteral("#0.0"), QStringLiteral("0.0"));
    fields::numericBox(m_nri, messages, QStringLiteral("#0"), QStringLiteral("0"));
    for (QLineEdit *box : {m_spRa, m_coef, m_nrdem, m_nrinc})
        fields::selectAllOnEntry(box);

    // Grid and buttons
    connect(m_grid, &QTableView::clicked, this, &TripWindow::gridClicked);
    connect(m_grid, &QTableView::doubleClicked, this, &TripWindow::gridDoubleClicked);
    connect(m_grid->verticalHeader(), &QHeaderView::sectionClicked, this, [this] { m_grid->setFocus(); });
    connect(m_save, &QPushButton::clicked, this, &TripWindow::save);
    connect(m_deleteTrip, &QPushButton::clicked, this, &TripWindow::deleteTrip);
    connect(m_report, &QPushButton::clicked, this, &TripWindow::openReport);
    connect(m_deleteSheet, &QPushButton::clicked, this, &TripWindow::deleteSheet);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
}

void TripWindow::formLoad()
{
    for (QLineEdit *box : {m_spT, m_spU, m_spi, m_nri, m_spRa, m_coef, m_nrdem, m_nrinc})
        box->setEnabled(false);
    m_fr->setChecked(true);
    showTrips(-1);
    const QDate today = QDate::currentDate();
    m_zi->setText(formatNumber(today.day(), QStringLiteral("00")));
    m_luna->setText(formatNumber(today.month(), QStringLiteral("00")));
    m_anul->setText(QString::number(today.year()));
    m_t = 0;
    m_u = 0;
    m_formulaFrame->setVisible(false);
}

void TripWindow::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

void TripWindow::closeEvent(QCloseEvent *event)
{
    fields::setClosing(this);
    QDialog::closeEvent(event);
}

// ---------------------------------------------------------------- helpers

void TripWindow::inform(const QString &text) { m_context.messages->inform(this, text); }

void TripWindow::focus(QWidget *widget)
{
    activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
}

std::optional<Sheet> TripWindow::sheetOnScreen() const
{
    return SheetStore(m_context.db).byNumber(m_indauto, sheetNumber());
}

int TripWindow::sheetNumber() const { return wholeNumber(m_nrfoi->currentText()); }

int TripWindow::tripNumber() const { return wholeNumber(m_nrc->text()); }

bool TripWindow::vehicleChosen() const { return !m_nra->currentText().isEmpty(); }

bool TripWindow::requireVehicleAndSheet()
{
    if (!vehicleChosen()) {
        inform(noVehicle);
        focus(m_nra);
        return false;
    }
    if (m_nrfoi->currentText().isEmpty() || readNumber(m_nrfoi->currentText()) == 0) {
        inform(noSheet);
        focus(m_nrfoi);
        return false;
    }
    return true;
}

void TripWindow::refuseWithoutVehicle(QWidget *box)
{
    if (auto *check = qobject_cast<QCheckBox *>(box))
        check->setChecked(false);
    inform(noVehicle);
    focus(m_nra);
}

// ---------------------------------------------------------------- header

void TripWindow::selectVehicle(const QString &nrauto)
{
    guarded(m_context.messages, this, [&] {
        const std::optional<Vehicle> vehicle = VehicleStore(m_context.db).byNumber(nrauto);
        if (!vehicle)
            return;
        m_tip->setText(lists::makeCaption(vehicle->marca));
        if (vehicle->ida != m_indauto) {
            // The towed and urban distances typed for another vehicle are not this one's.
            m_context.state->towedDistance = 0;
            m_context.state->urbanDistance = 0;
            m_label23->setText(distancePreview);
            m_label48->setText(distancePreview);
        }
        m_indauto = vehicle->ida;

        const std::optional<ConsumptionRegimes> regimes = TripLookupStore(m_context.db).regimes(vehicle->ida);
        if (regimes && regimes->implicit >= 1 && regimes->implicit <= 3) {
            // Selecting the vehicle's default regime refreshes its Cm even when
            // the same button was already selected for the previous vehicle.
            {
                const QSignalBlocker blocker(m_regime[regimes->implicit - 1]);
                m_regime[regimes->implicit - 1]->setChecked(true);
            }
            chooseRegime(regimes->implicit);
        } else {
            m_label49->clear(); // not the Cm of the vehicle chosen before
        }

        if (vehicle->Ispec == 0)
            m_sporI->setChecked(false);
        m_sporI->setEnabled(vehicle->Ispec != 0);
        if (vehicle->Iaerod == 0)
            m_sporRa->setChecked(false);
        m_sporRa->setEnabled(vehicle->Iaerod != 0);

        m_formulaFrame->setVisible(true);
        const bool withKg = vehicle->formula == 1;
        m_greut->setEnabled(withKg);
        m_kg->setEnabled(withKg);
        m_command1->setEnabled(withKg);
        m_formula1->setText(withKg ? QStringLiteral("Cn = (Pe/100) * Cm * Kg * A + Q1 + Q4               Pe = Ped + T + U + I + Ra")
                                   : QStringLiteral("Cn = (Pe/100) * Cm * A + Q1 + Q4                   Pe = Ped + T + U + I + Ra"));
        m_label39->setVisible(withKg);

        m_ar = vehicle->Iaerod;
        m_context.state->motor = vehicle->motor;
        m_isp = vehicle->Ispec;
        // The service of the vehicle chosen before is not this one's.
        if (!m_sporI->isChecked()) {
            m_label27->setText(QStringLiteral("km echiv./1 prestatie"));
            m_label28->clear();
        }
        m_f1 = vehicle->formula;
    });
}

void TripWindow::chooseRegime(int k)
{
    guarded(m_context.messages, this, [&] {
        Transaction transaction(m_context.db);
        const std::optional<double> Cm = TripLookupStore(m_context.db).chooseRegime(m_indauto, k);
        transaction.commit();
        if (Cm)
            m_label49->setText(formatNumber(*Cm, QStringLiteral("#0.000")) + QStringLiteral(" litri/100 km echiv."));
    });
}

void TripWindow::enterSheetNumber()
{
    if (!vehicleChosen()) {
        inform(noVehicle);
        focus(m_nra);
        return;
    }
    m_nrfoi->lineEdit()->selectAll();
    fillSheetList();
}

void TripWindow::fillSheetList()
{
    guarded(m_context.messages, this, [&] {
        const QList<int> numbers = SheetStore(m_context.db)
                                       .numbers(m_indauto, wholeNumber(m_luna->text()), wholeNumber(m_anul->text()));
        const QString typed = m_nrfoi->currentText();
        const QSignalBlocker blocker(m_nrfoi);
        m_nrfoi->clear();
        for (int n : numbers)
            m_nrfoi->addItem(QString::number(n));
        m_nrfoi->setCurrentIndex(-1);
        m_nrfoi->setEditText(typed);
        m_nrfoi->lineEdit()->selectAll();
        if (numbers.isEmpty())
            showTrips(-1);
    });
}

bool TripWindow::leaveSheetNumber()
{
    // The focus went to the box's own list, which is open: not a leave.
    if (m_nrfoi->view()->isVisible())
        return true;
    // Leaving the box because no vehicle is chosen yet looks nothing up.
    if (!vehicleChosen())
        return true;
    const std::optional<QString> text = fields::numericText(m_nrfoi->currentText(), QStringLiteral("0"),
                                                            QStringLiteral("0"));
    if (!text) {
        inform(texts::onlyNumbers());
        selectWhenBack(m_nrfoi);
        return false;
    }
    const QSignalBlocker blocker(m_nrfoi);
    m_nrfoi->clear();
    m_nrfoi->setEditText(*text);
    loadSheet(text->toInt());
    return true;
}

void TripWindow::loadSheet(int nrf)
{
    guarded(m_context.messages, this, [&] {
        const std::optional<Sheet> sheet = SheetStore(m_context.db).byNumber(m_indauto, nrf);
        if (sheet) {
            m_indf = sheet->idf;
            m_zi->setText(sheet->data.mid(0, 2));
            m_luna->setText(sheet->data.mid(3, 2));
            m_anul->setText(sheet->data.mid(6, 4));
            m_op->setText(storedText(sheet->orap));
            m_os->setText(storedText(sheet->oras));
            m_sof->setEditText(sheet->sofer);
            showTrips(m_indf);
        } else {
            // A new sheet: the date, hours and driver on screen stay for it.
            m_indf = 0;
            showTrips(0);
        }
        focus(m_grid);
    });
}

void TripWindow::showTrips(int idf)
{
    guarded(m_context.messages, this, [&] {
        TripStore(m_context.db).showTrips(m_trips, idf);
        m_gridSheet = idf;
        for (int c = 0; c < int(std::size(gridCaptions)); ++c)
            m_trips->setHeaderData(c, Qt::Horizontal, QLatin1String(gridCaptions[c]));
        // Narrow columns with their captions on two lines, so that the whole
        // trip fits the window's width.
        const QFontMetrics metrics = m_grid->fontMetrics();
        for (int c = 0; c < m_trips->columnCount(); ++c) {
            int width = metrics.horizontalAdvance(QStringLiteral("000.0"));
            for (const QString &word : QString::fromLatin1(gridCaptions[c]).split(u' '))
                width = std::max(width, metrics.horizontalAdvance(word));
            for (int r = 0; r < m_trips->rowCount(); ++r)
                width = std::max(width, metrics.horizontalAdvance(m_trips->data(m_trips->index(r, c)).toString()));
            m_grid->setColumnWidth(c, width + 8);
        }
    });
}

void TripWindow::fillDrivers()
{
    guarded(m_context.messages, this, [&] {
        const QStringList names = SheetStore(m_context.db).drivers();
        const QString typed = m_sof->currentText();
        const QSignalBlocker blocker(m_sof);
        m_sof->clear();
        m_sof->addItems(names);
        m_sof->setCurrentIndex(-1);
        m_sof->setEditText(typed);
    });
}

bool TripWindow::leaveDriver()
{
    const QString text = m_sof->currentText();
    if (text.contains(u'\'')) {
        inform(texts::apostropheRefused());
        selectWhenBack(m_sof);
        return false;
    }
    if (text.size() > 20) {
        inform(texts::maxLength(20));
        selectWhenBack(m_sof);
        return false;
    }
    if (text != text.toUpper())
        m_sof->setEditText(text.toUpper());
    return true;
}

std::optional<SheetHeader> TripWindow::checkHeader()
{
    if (!requireVehicleAndSheet())
        return std::nullopt;
    if (m_nrc->text().isEmpty() || readNumber(m_nrc->text()) == 0) {
        inform(noTrip);
        focus(m_nrc);
        return std::nullopt;
    }
    const double day = readNumber(m_zi->text());
    if (day > 31 || day <= 0) {
        inform(QStringLiteral(" Nu exista aceasta zi !!! "));
        focus(m_zi);
        return std::nullopt;
    }
    const double month = readNumber(m_luna->text());
    if (month > 12 || month <= 0) {
        inform(QStringLiteral(" Nu exista aceasta luna !!! "));
        focus(m_luna);
        return std::nullopt;
    }
    const double year = readNumber(m_anul->text());
    if (year == 0) {
        inform(QStringLiteral(" Specificati anul !!! "));
        focus(m_anul);
        return std::nullopt;
    }
    // 31.02 would be stored as a sheet of February.
    if (!isCalendarDate(int(year), int(month), int(day))) {
        inform(dayNotInMonthMessage());
        focus(m_zi);
        return std::nullopt;
    }
    const double departure = readNumber(m_op->text());
    const double arrival = readNumber(m_os->text());
    if (departure > arrival) {
        inform(QStringLiteral(" Ora de sosire > ora de plecare !!! "));
        focus(m_op);
        return std::nullopt;
    }
    // A date after today is worth a warning, not a refusal.
    const QDate today = QDate::currentDate();
    const auto typed = std::make_tuple(int(year), int(month), int(day));
    if (typed > std::make_tuple(today.year(), today.month(), today.day()))
        inform(QStringLiteral(" Data inregistrarii foii este mai mare decat data curenta !!! "));

    SheetHeader header;
    header.nrf = sheetNumber();
    header.ida = m_indauto;
    header.sofer = m_sof->currentText().toUpper();
    header.orap = departure;
    header.oras = arrival;
    header.data = m_zi->text() + u'.' + m_luna->text() + u'.' + m_anul->text();
    header.decada = decadeOf(int(day));
    header.idl = int(month);
    header.anul = int(year);
    return header;
}

// ---------------------------------------------------------------- trip block

void TripWindow::updateDistances()
{
    std::array<double, 6> km{};
    for (int i = 0; i < 6; ++i)
        km[i] = readNumber(m_cat[i]->text());
    const RoadDistances d = roadDistances(km);
    m_kmtotal = d.kmT;
    m_kmechiv = d.Ped;
    m_total->setText(singleText(d.kmT));
    m_echiv->setText(singleText(d.Ped));
}

bool TripWindow::lookupKg()
{
    std::optional<double> kg;
    if (!guarded(m_context.messages, this, [&] {
            kg = TripLookupStore(m_context.db)
                     .loadCoefficient(readNumber(m_greut->text()), m_context.state->motor, !m_fr->isChecked());
        }))
        return true;
    if (kg) {
        m_kg->setText(storedText(*kg));
        return true;
    }
    // No row of the table covers the load: Kg is the clerk's to type, never
    // the coefficient of a smaller load.
    inform(loadAboveTable);
    return false;
}

bool TripWindow::leaveLoad()
{
    const std::optional<QString> text = fields::numericText(m_greut->text(), QStringLiteral("#0.0"),
                                                            QStringLiteral("0.0"));
    if (!text) {
        inform(texts::onlyNumbers());
        return false;
    }
    if (*text != m_greut->text())
        m_greut->setText(*text);
    // Left on the way to the vehicle list it asked for: no vehicle, no table.
    if (!vehicleChosen())
        return true;
    if (!lookupKg()) {
        focus(m_kg);
        m_kg->selectAll();
    }
    return true;
}

void TripWindow::enterTripNumber()
{
    if (!vehicleChosen()) {
        inform(noVehicle);
        focus(m_nra);
    } else if (m_nrfoi->currentText().isEmpty()) {
        inform(noSheet);
        focus(m_nrfoi);
    }
}

bool TripWindow::leaveTripNumber()
{
    const std::optional<QString> text = fields::numericText(m_nrc->text(), QStringLiteral("0"), QStringLiteral("0"));
    if (!text) {
        inform(texts::onlyNumbers());
        return false;
    }
    if (*text != m_nrc->text())
        m_nrc->setText(*text);
    if (!vehicleChosen() || m_nrfoi->currentText().isEmpty())
        return true;
    guarded(m_context.messages, this, [&] {
        const std::optional<Sheet> sheet = sheetOnScreen();
        if (!sheet)
            return;
        if (const std::optional<Trip> trip = TripStore(m_context.db).byNumber(sheet->idf, text->toInt()))
            loadTrip(*trip);
    });
    return true;
}

void TripWindow::loadTrip(const Trip &trip)
{
    (trip.remorca == 1 ? m_r1 : trip.remorca == 2 ? m_r2 : m_fr)->setChecked(true);

    m_trs->setText(trip.traseu);
    for (int i = 0; i < 6; ++i)
        m_cat[i]->setText(storedText(trip.km[i]));
    m_total->setText(storedText(trip.kmT));
    m_echiv->setText(storedText(trip.kmE));
    m_greut->setText(storedText(trip.Gm));
    m_kg->setText(storedText(trip.Kg));

    m_t = 1;
    m_u = 1;

    ProgramState &state = *m_context.state;
    state.towedDistance = trip.kmtract;
    state.urbanDistance = trip.kmurb;
    m_label23->setText(QStringLiteral("km echiv. la ") + storedText(trip.kmtract) + QStringLiteral(" km tractati"));
    m_label48->setText(QStringLiteral("km echiv. la ") + storedText(trip.kmurb) + QStringLiteral(" km in urban"));

    auto apply = [](QCheckBox *check, QLineEdit *box, bool ticked) {
        box->setEnabled(ticked);
        check->setChecked(ticked);
    };
    apply(m_tract, m_spT, trip.T > 0);
    m_spT->setText(storedText(trip.T));
    apply(m_sporU, m_spU, trip.U > 0);
    m_spU->setText(storedText(trip.U));
    apply(m_sporI, m_spi, trip.nri > 0);
    m_spi->setText(storedText(trip.I));
    m_nri->setText(QString::number(trip.nri));
    apply(m_sporRa, m_spRa, trip.Ra > 0);
    m_spRa->setText(storedText(trip.Ra));
    apply(m_coefA, m_coef, trip.A > 1);
    m_coef->setText(storedText(trip.A));
    apply(m_sporQ1, m_nrdem, trip.nrq1 > 0);
    m_nrdem->setText(QString::number(trip.nrq1));
    apply(m_sporQ4, m_nrinc, trip.nrq4 > 0);
    m_nrinc->setText(QString::number(trip.nrq4));
}

void TripWindow::towingToggled(bool ticked)
{
    if (!ticked) {
        m_spT->setText(QStringLiteral("0.0"));
        m_spT->setEnabled(false);
        return;
    }
    if (!vehicleChosen()) { // the message comes with the focus
        m_tract->setChecked(false);
        return;
    }
    if (m_fr->isChecked()) {
        inform(QStringLiteral(" Selectati numarul de remorci !!! "));
        m_tract->setChecked(false);
        return;
    }
    if (m_t == 0) {
        TowingDialog dialog(m_context, this);
        dialog.exec();
    }
    m_t = 0;
    m_spT->setEnabled(true);
}

void TripWindow::urbanToggled(bool ticked)
{
    if (!ticked) {
        m_spU->setText(QStringLiteral("0.0"));
        m_spU->setEnabled(false);
        return;
    }
    m_spU->setEnabled(true);
    if (m_u == 0) {
        UrbanDialog dialog(m_context, this);
        dialog.exec();
    }
    m_u = 0;
}

void TripWindow::installationToggled(bool ticked)
{
    if (!ticked) {
        m_nri->setText(QStringLiteral("0"));
        m_spi->setText(QStringLiteral("0.0"));
        m_nri->setEnabled(false);
        m_spi->setEnabled(false);
        return;
    }
    if (!vehicleChosen()) {
        m_sporI->setChecked(false);
        return;
    }
    guarded(m_context.messages, this, [&] {
        if (const std::optional<SpecialInstallation> inst = TripLookupStore(m_context.db).installation(m_isp)) {
            m_spi->setText(storedText(inst->sporkm));
            m_label27->setText(QStringLiteral("km echiv./") + inst->felPrest);
            m_label28->setText(inst->felPrest2);
        }
    });
    m_nri->setEnabled(true);
    m_spi->setEnabled(true);
}

void TripWindow::airToggled(bool ticked)
{
    if (ticked && !vehicleChosen()) {
        m_sporRa->setChecked(false);
        return;
    }
    m_spRa->setEnabled(ticked);
    if (!ticked)
        m_spRa->setText(QStringLiteral("0"));
}

void TripWindow::climateToggled(bool ticked)
{
    m_coef->setEnabled(ticked);
    m_coef->setText(ticked ? QStringLiteral("1.1") : QStringLiteral("1"));
}

// ---------------------------------------------------------------- actions

void TripWindow::save()
{
    if (readNumber(m_greut->text()) == 0)
        m_kg->setText(QStringLiteral("1.00"));
    const std::optional<SheetHeader> header = checkHeader();
    if (!header)
        return;
    // The boxes refuse negative kilometres when left; a save made before that
    // must not store them either.
    for (QLineEdit *c : m_cat) {
        if (readNumber(c->text()) < 0) {
            inform(negativeKmMessage());
            focus(c);
            c->selectAll();
            return;
        }
    }
    const int remorca = m_r1->isChecked() ? 1 : m_r2->isChecked() ? 2 : 0;

    guarded(m_context.messages, this, [&] {
        const std::optional<Vehicle> vehicle = VehicleStore(m_context.db).byId(m_indauto);
        if (!vehicle) {
            inform(noVehicle);
            focus(m_nra);
            return;
        }
        TripInput in;
        in.Ped = m_kmechiv;
        in.kmT = m_kmtotal;
        in.T = readNumber(m_spT->text());
        in.U = readNumber(m_spU->text());
        in.I = readNumber(m_spi->text());
        in.nri = readNumber(m_nri->text());
        in.Ra = readNumber(m_spRa->text());
        in.Kg = readNumber(m_kg->text());
        in.A = readNumber(m_coef->text());
        in.Nod = readNumber(m_nrdem->text());
        in.Ni = readNumber(m_nrinc->text());
        const TripConsumption result = tripConsumption(in, VehicleNorms{vehicle->Cm, vehicle->Ca, m_f1});

        Trip trip;
        trip.nrc = tripNumber();
        for (int i = 0; i < 6; ++i)
            trip.km[i] = readNumber(m_cat[i]->text());
        trip.kmT = singleValue(m_kmtotal);
        trip.kmE = singleValue(m_kmechiv);
        trip.Kg = in.Kg;
        trip.Gm = readNumber(m_greut->text());
        trip.T = in.T;
        trip.U = in.U;
        trip.I = in.I;
        trip.nri = wholeNumber(m_nri->text());
        trip.Ra = in.Ra;
        trip.A = in.A;
        trip.nrq1 = wholeNumber(m_nrdem->text());
        trip.nrq4 = wholeNumber(m_nrinc->text());
        trip.Cn = singleValue(result.Cn);
        trip.Cu = result.Cua.toDouble();
        trip.remorca = remorca;
        trip.traseu = m_trs->text();
        trip.kmtract = surcharge::storedDistance(trip.T, m_context.state->towedDistance);
        trip.kmurb = surcharge::storedDistance(trip.U, m_context.state->urbanDistance);

        SheetStore sheets(m_context.db);
        TripStore trips(m_context.db);
        const std::optional<Sheet> sheet = sheets.byNumber(m_indauto, header->nrf);
        if (sheet) {
            // The header of a stored sheet is written whatever the clerk then
            // answers about the trip; with a Yes it goes to the disk in one
            // commit with the trip.
            trip.idf = sheet->idf;
            const std::optional<Trip> stored = trips.byNumber(sheet->idf, trip.nrc);
            const bool yes = m_context.messages->confirm(
                this, stored ? QStringLiteral(" Acest numar de cursa la aceasta foaie de parcurs exista deja !!! ")
                                   + u'\n' + QStringLiteral(" Doriti scrierea peste vechile date ? ")
                             : saveQuestion);
            Transaction transaction(m_context.db);
            sheets.update(*sheet, *header);
            if (yes) {
                if (stored)
                    trips.overwrite(stored->idc, trip);
                else
                    trips.insert(trip);
            }
            transaction.commit();
            m_monthNote->setText(staleMonthNote(m_context.db, m_indauto, header->anul, header->idl));
            if (!yes)
                return;
        } else {
            if (!m_context.messages->confirm(this, saveQuestion))
                return;
            Transaction transaction(m_context.db);
            trip.idf = sheets.insert(*header);
            trips.insert(trip);
            transaction.commit();
            m_monthNote->setText(staleMonthNote(m_context.db, m_indauto, header->anul, header->idl));
        }

        inform(QStringLiteral(" Datele au fost salvate "));
        resetTrip();
        if (const std::optional<Sheet> saved = sheets.byNumber(m_indauto, header->nrf)) {
            m_indf = saved->idf;
            showTrips(m_indf);
        }
        m_t = 0;
        m_u = 0;
        focus(m_nrc);
    });
}

void TripWindow::resetTrip()
{
    m_nrc->setText(QStringLiteral("0"));
    for (QLineEdit *c : m_cat)
        c->setText(QStringLiteral("0.0"));
    m_greut->setText(QStringLiteral("0.0"));
    m_kg->setText(QStringLiteral("0.0"));
    m_tract->setChecked(false);
    m_spT->setText(QStringLiteral("0.0"));
    m_sporU->setChecked(false);
    m_spU->setText(QStringLiteral("0.0"));
    m_sporI->setChecked(false);
    m_spi->setText(QStringLiteral("0.0"));
    m_nri->setText(QStringLiteral("0"));
    m_sporRa->setChecked(false);
    m_spRa->setText(QStringLiteral("0.0"));
    m_coefA->setChecked(false);
    m_coef->setText(QStringLiteral("1.0"));
    m_sporQ1->setChecked(false);
    m_nrdem->setText(QStringLiteral("0"));
    m_sporQ4->setChecked(false);
    m_nrinc->setText(QStringLiteral("0"));
}

void TripWindow::deleteTrip()
{
    if (!requireVehicleAndSheet())
        return;
    if (m_nrc->text().isEmpty() || readNumber(m_nrc->text()) == 0) {
        inform(noTrip);
        focus(m_nrc);
        return;
    }
    if (!m_context.messages->confirmDestructive(
            this, QStringLiteral(" Sunteti sigur ca doriti stergerea cursei nr.") + m_nrc->text()
                      + QStringLiteral(" din foaia de parcurs numarul ,,") + m_nrfoi->currentText()
                      + QStringLiteral("'' ?")))
        return;
    guarded(m_context.messages, this, [&] {
        // The trip deleted is on the sheet on screen (this vehicle's sheet of
        // that number), even after another vehicle was chosen.
        const std::optional<Sheet> sheet = sheetOnScreen();
        const int idf = sheet ? sheet->idf : 0;
        Transaction transaction(m_context.db);
        TripStore(m_context.db).removeByNumber(idf, tripNumber());
        transaction.commit();
        inform(deleted);
        showTrips(idf);
        focus(m_grid);
    });
}

void TripWindow::deleteSheet()
{
    if (!requireVehicleAndSheet())
        return;
    guarded(m_context.messages, this, [&] {
        SheetStore sheets(m_context.db);
        // The sheet deleted is the one on screen, this vehicle's sheet of that
        // number; a number not stored deletes nothing.
        const std::optional<Sheet> sheet = sheetOnScreen();
        if (!sheet) {
            inform(QStringLiteral(" Foaia de parcurs nu este inregistrata !!! "));
            focus(m_nrfoi);
            return;
        }
        const QString number = m_nrfoi->currentText();
        const QString question =
            sheets.hasTrips(sheet->idf)
                ? QStringLiteral(" Aveti curse inregistrate la foaia de parcurs cu numarul ,,") + number
                      + QStringLiteral("'' !!! ") + u'\n' + QStringLiteral(" Sunteti sigur ca doriti stergerea ? ")
                : QStringLiteral(" Sunteti sigur ca doriti stergerea foii de parcurs cu numarul ,,") + number
                      + QStringLiteral("'' ?");
        if (!m_context.messages->confirmDestructive(this, question))
            return;
        Transaction transaction(m_context.db);
        sheets.remove(*sheet);
        transaction.commit();
        showTrips(sheet->idf);
        focus(m_grid);
        inform(deleted);
    });
}

void TripWindow::openReport()
{
    if (!requireVehicleAndSheet())
        return;
    // The report of the sheet on screen: this vehicle's sheet of that number.
    int idf = 0;
    if (!guarded(m_context.messages, this, [&] {
            if (const std::optional<Sheet> sheet = sheetOnScreen())
                idf = sheet->idf;
        }))
        return;
    m_context.reports->show(this, ReportRequest{QStringLiteral("rapcalculf.rpt"), m_context.dataFile,
                                                QStringLiteral("{curse.idf}=") + QString::number(idf)});
}

void TripWindow::gridClicked(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_nrc->setText(m_trips->data(m_trips->index(index.row(), 1)).toString());
    focus(m_nrc);
}

void TripWindow::gridDoubleClicked(const QModelIndex &index)
{
    if (!vehicleChosen()) {
        inform(noVehicle);
        focus(m_nra);
        return;
    }
    if (m_nrfoi->currentText().isEmpty()) {
        inform(noSheet);
        focus(m_nrfoi);
        return;
    }
    focus(m_grid);
    if (!index.isValid())
        return;
    const QVariant idc = m_trips->data(m_trips->index(index.row(), 0));
    if (idc.isNull())
        return;
    guarded(m_context.messages, this, [&] {
        if (const std::optional<Trip> trip = TripStore(m_context.db).byId(idc.toInt())) {
            m_nrc->setText(QString::number(trip->nrc));
            loadTrip(*trip);
        }
    });
}

void TripWindow::deleteGridRows()
{
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    if (!m_context.messages->confirmDestructive(this, texts::deleteRowQuestion(), texts::deleteRowTitle(),
                                                MessageService::Icon::Information))
        return;
    QList<int> keys;
    for (const QModelIndex &row : rows)
        keys << m_trips->data(m_trips->index(row.row(), 0)).toInt();
    guarded(m_context.messages, this, [&] {
        Transaction transaction(m_context.db);
        TripStore trips(m_context.db);
        for (int idc : keys)
            trips.removeById(idc);
        transaction.commit();
        showTrips(m_gridSheet);
        m_context.messages->inform(this, texts::rowDeleted(), texts::deleteRowTitle(),
                                   MessageService::Icon::Information);
    });
}

void TripWindow::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close the window and lose the trip being typed:
    // "Iesire" is the way out.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TripWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the arrow of the sheet or driver list opens its popup at
    // once, before the entry into the box has refilled it: fill it first.
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_nrfoi && vehicleChosen())
            fillSheetList();
        else if (watched == m_sof)
            fillDrivers();
    }
    if (watched == m_grid && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        deleteGridRows();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vok
