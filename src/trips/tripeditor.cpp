#include "trips/tripeditor.h"

#include "base/numbers.h"
#include "trips/loaddialog.h"
#include "trips/towingdialog.h"
#include "trips/tripsheetservice.h"
#include "trips/urbandialog.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace vok {

namespace {

const QString distancePreview = QStringLiteral("km echivalenti la aceasta cursa");
const QString serviceUnit = QStringLiteral("km echiv./1 prestatie");
const QString loadAboveTable = QStringLiteral(" Sarcina depaseste tabelul coeficientilor Kg !!! ");

QLineEdit *textBox(QWidget *parent, const QString &name, const QString &text, int width = 0)
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

QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &caption)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLabel *smallNote(QWidget *parent, const QString &text)
{
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    f.setItalic(true);
    l->setFont(f);
    l->setWordWrap(true);
    return l;
}

void setText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

} // namespace

TripEditor::TripEditor(const WindowContext &context, const TripSheetService &service, QWidget *parent)
    : QGroupBox(parent)
    , m_context(context)
    , m_service(service)
{
    buildLayout();
    connectFields();
    // The window opens with the surcharges' boxes disabled and no trailer.
    for (QLineEdit *box : {m_towingValue, m_urbanValue, m_perService, m_services, m_airRate, m_climateValue,
                           m_stopCount, m_heatingCount})
        box->setEnabled(false);
    m_noTrailer->setChecked(true);
}

void TripEditor::buildLayout()
{
    const TripForm blank;
    auto *t = new QVBoxLayout(this);
    t->setContentsMargins(6, 4, 6, 4);
    t->setSpacing(3);

    m_number = textBox(this, QStringLiteral("nrc"), blank.nrc, 50);
    m_route = textBox(this, QStringLiteral("trs"), blank.traseu);
    auto *tripRow = new QHBoxLayout;
    tripRow->addWidget(label(this, QStringLiteral("Numar cursa"), m_number));
    tripRow->addWidget(m_number);
    tripRow->addSpacing(12);
    tripRow->addWidget(label(this, QStringLiteral("Traseu"), m_route));
    tripRow->addWidget(m_route, 1);
    t->addLayout(tripRow);

    // Road categories with their totals.
    auto *cats = new QGridLayout;
    cats->setHorizontalSpacing(4);
    cats->setVerticalSpacing(1);
    cats->addWidget(label(this, QStringLiteral("Categorie drum")), 0, 0);
    cats->addWidget(label(this, QStringLiteral("Kilometri parcursi")), 1, 0);
    const char *const romans[] = {"I", "II", "III", "IV", "V", "VI"};
    for (int i = 0; i < 6; ++i) {
        QLineEdit *&box = m_km[size_t(i)];
        box = textBox(this, QStringLiteral("cat%1").arg(i + 1), blank.km[size_t(i)], 56);
        box->setAccessibleName(QStringLiteral("km ") + QLatin1String(romans[i]));
        cats->addWidget(label(this, QLatin1String(romans[i]), box), 0, i + 1, Qt::AlignHCenter);
        cats->addWidget(box, 1, i + 1);
    }
    m_total = namedLabel(this, QStringLiteral("total"), QStringLiteral("0.0"));
    m_equivalent = namedLabel(this, QStringLiteral("echiv"), QStringLiteral("0.0"));
    for (QLabel *l : {m_total, m_equivalent}) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(60);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_total->setAccessibleName(QStringLiteral("Total"));
    m_equivalent->setAccessibleName(QStringLiteral("Echiv.(Ped)"));
    cats->addWidget(label(this, QStringLiteral("Total")), 0, 7, Qt::AlignHCenter);
    cats->addWidget(m_total, 1, 7);
    cats->addWidget(label(this, QStringLiteral("Echiv.(Ped)")), 0, 8, Qt::AlignHCenter);
    cats->addWidget(m_equivalent, 1, 8);
    cats->setColumnStretch(9, 1);
    t->addLayout(cats);

    // Load, its coefficient and the trailers.
    m_load = textBox(this, QStringLiteral("greut"), blank.greut, 56);
    m_kg = textBox(this, QStringLiteral("Kg"), blank.Kg, 56);
    m_loadCalculator = new QPushButton(QStringLiteral("Utilitar calcul Gm"), this);
    m_loadCalculator->setObjectName(QStringLiteral("Command1"));
    m_loadCalculator->setAutoDefault(false);
    auto *loadRow = new QHBoxLayout;
    loadRow->addWidget(label(this, QStringLiteral("Sarcina medie transportata (Gm)"), m_load));
    loadRow->addWidget(m_load);
    loadRow->addWidget(label(this, QStringLiteral("Coef. Kg"), m_kg));
    loadRow->addWidget(m_kg);
    loadRow->addWidget(m_loadCalculator);
    loadRow->addStretch(1);
    t->addLayout(loadRow);

    auto *trailers = new QWidget(this);
    auto *tr = new QHBoxLayout(trailers);
    tr->setContentsMargins(0, 0, 0, 0);
    m_noTrailer = new QRadioButton(QStringLiteral("fara remorca"), trailers);
    m_noTrailer->setObjectName(QStringLiteral("fr"));
    m_oneTrailer = new QRadioButton(QStringLiteral("1 remorca"), trailers);
    m_oneTrailer->setObjectName(QStringLiteral("r1"));
    m_twoTrailers = new QRadioButton(QStringLiteral("2 remorci"), trailers);
    m_twoTrailers->setObjectName(QStringLiteral("r2"));
    tr->addWidget(m_noTrailer);
    tr->addWidget(m_oneTrailer);
    tr->addWidget(m_twoTrailers);
    auto *trailerRow = new QHBoxLayout;
    trailerRow->addWidget(trailers);
    trailerRow->addStretch(1);
    t->addLayout(trailerRow);

    // The surcharges: check box, value box, unit or preview.
    m_towing = checkBox(this, QStringLiteral("tract"), QStringLiteral("Sporul pentru tractare (T)"));
    m_towingValue = textBox(this, QStringLiteral("spT"), blank.spT, 56);
    m_towedPreview = namedLabel(this, QStringLiteral("Label23"), distancePreview);
    m_urban = checkBox(this, QStringLiteral("sporU"), QStringLiteral("Sporul pentru circulatia in localitatile urbane (U)"));
    m_urbanValue = textBox(this, QStringLiteral("spU"), blank.spU, 56);
    m_urbanPreview = namedLabel(this, QStringLiteral("Label48"), distancePreview);
    m_installation = checkBox(this, QStringLiteral("sporI"),
                              QStringLiteral("Sporul pentru actionarea instalatiilor speciale (I)"));
    m_perService = textBox(this, QStringLiteral("spi"), blank.spi, 56);
    m_serviceUnit = namedLabel(this, QStringLiteral("Label27"), serviceUnit);
    m_services = textBox(this, QStringLiteral("nri"), blank.nri, 56);
    m_serviceText = namedLabel(this, QStringLiteral("Label28"), QString());
    m_serviceText->setWordWrap(true);
    // Two lines kept free, so that a description that wraps moves nothing.
    m_serviceText->setMinimumHeight(2 * m_serviceText->fontMetrics().lineSpacing());
    m_air = checkBox(this, QStringLiteral("sporRa"), QStringLiteral("Sporul pentru rezistenta aerului (Ra)"));
    m_airRate = textBox(this, QStringLiteral("spRa"), blank.spRa, 56);
    m_climate = checkBox(this, QStringLiteral("coefA"),
                         QStringLiteral("Coeficient pentru conditii climaterice nefavorabile (A)"));
    m_climateValue = textBox(this, QStringLiteral("coef"), blank.coef, 56);
    m_stops = checkBox(this, QStringLiteral("sporQ1"), QStringLiteral("Sporul pentru opriri si demarari repetate (Q1)"));
    m_stopCount = textBox(this, QStringLiteral("nrdem"), blank.nrdem, 56);
    m_heating = checkBox(this, QStringLiteral("sporQ4"),
                         QStringLiteral("Sporul pentru incalzirea motoarelor pe timp de iarna (Q4)"));
    m_heatingCount = textBox(this, QStringLiteral("nrinc"), blank.nrinc, 56);

    m_towingValue->setAccessibleName(QStringLiteral("Spor T"));
    m_urbanValue->setAccessibleName(QStringLiteral("Spor U"));
    m_perService->setAccessibleName(QStringLiteral("Spor I"));
    m_airRate->setAccessibleName(QStringLiteral("Spor Ra"));
    m_climateValue->setAccessibleName(QStringLiteral("Coef. A"));

    auto *sp = new QGridLayout;
    sp->setHorizontalSpacing(6);
    sp->setVerticalSpacing(1);
    int r = 0;
    auto row = [sp, &r](QWidget *check, QWidget *value, QWidget *after) {
        sp->addWidget(check, r, 0);
        if (value)
            sp->addWidget(value, r, 1);
        if (after)
            sp->addWidget(after, r, 2, 1, 3);
        ++r;
    };
    row(m_towing, m_towingValue, m_towedPreview);
    row(m_urban, m_urbanValue, m_urbanPreview);
    row(m_installation, m_perService, m_serviceUnit);
    sp->addWidget(smallNote(this, QStringLiteral("Vezi configuratia din meniul AUTO")), r, 0);
    sp->addWidget(m_services, r, 1);
    sp->addWidget(label(this, QStringLiteral("numar prestatii"), m_services), r, 2);
    sp->addWidget(m_serviceText, r, 3, 1, 2);
    ++r;
    row(m_air, m_airRate, label(this, QStringLiteral("km echiv. / 100 km"), m_airRate));
    row(smallNote(this, QStringLiteral("Vezi configuratia din meniul AUTO")), nullptr, nullptr);
    row(m_climate, m_climateValue, nullptr);
    sp->addWidget(smallNote(this, QStringLiteral("Existenta unor temperaturi medii zilnice sub 0 grade Celsius sau "
                                                 "prezenta pe drumuri a zapezii ori poleiului")),
                  r, 0, 1, 5);
    ++r;
    row(m_stops, m_stopCount, label(this, QStringLiteral("numar opriri-demarari (Nod)"), m_stopCount));
    row(m_heating, m_heatingCount, label(this, QStringLiteral("numar incalziri(Ni)"), m_heatingCount));
    sp->setColumnStretch(4, 1);
    t->addLayout(sp);
    t->addStretch(1);
}

void TripEditor::connectFields()
{
    MessageService *messages = m_context.messages;
    const TripForm blank;

    // Trip number and route
    fields::onEnter(m_number, [this] { emit tripNumberEntered(); });
    fields::selectAllOnEntry(m_number);
    fields::onLeave(m_number, [this] { return leaveTripNumber(); });
    fields::selectAllOnEntry(m_route);
    fields::onLeave(m_route, [this] {
        if (!m_route->text().contains(u'\''))
            return true;
        m_context.messages->inform(window(), texts::apostropheRefused());
        return false;
    });

    // Categories, live distances
    for (size_t i = 0; i < m_km.size(); ++i) {
        fields::kilometreBox(m_km[i], messages, QStringLiteral("#0.0"), blank.km[i]);
        connect(m_km[i], &QLineEdit::textChanged, this, &TripEditor::updateDistances);
    }

    // The load and its coefficient. Kg is looked up for the whole load, once
    // it is typed: the first digit of "25" would find the row of 5 t.
    fields::onEnter(m_load, [this] {
        if (!m_vehicle)
            refuseWithoutVehicle(nullptr);
    });
    fields::selectAllOnEntry(m_load);
    fields::onLeave(m_load, [this] { return leaveLoad(); });
    fields::numericBox(m_kg, messages, QStringLiteral("#0.000"));
    connect(m_loadCalculator, &QPushButton::clicked, this, &TripEditor::openLoadCalculator);

    // Surcharges
    connect(m_towing, &QCheckBox::toggled, this, &TripEditor::towingToggled);
    connect(m_urban, &QCheckBox::toggled, this, &TripEditor::urbanToggled);
    connect(m_installation, &QCheckBox::toggled, this, &TripEditor::installationToggled);
    connect(m_air, &QCheckBox::toggled, this, &TripEditor::airToggled);
    connect(m_climate, &QCheckBox::toggled, this, &TripEditor::climateToggled);
    for (auto [check, count, neutral] : {std::tuple{m_stops, m_stopCount, blank.nrdem},
                                         std::tuple{m_heating, m_heatingCount, blank.nrinc}}) {
        connect(check, &QCheckBox::toggled, this, [count, neutral](bool on) {
            count->setEnabled(on);
            if (!on)
                count->setText(neutral);
        });
    }
    // F4 on the towing or urban box opens its dialog (Space ticks the box,
    // which opens it as well).
    for (QCheckBox *box : {m_towing, m_urban}) {
        auto *key = new QShortcut(QKeySequence(Qt::Key_F4), box);
        key->setContext(Qt::WidgetShortcut);
        connect(key, &QShortcut::activated, this, [this, box] { dialogKey(box); });
    }
    for (QCheckBox *box : {m_towing, m_installation, m_air})
        fields::onEnter(box, [this, box] {
            if (!m_vehicle)
                refuseWithoutVehicle(box);
        });
    fields::numericBox(m_towingValue, messages, QStringLiteral("#0.0"), blank.spT);
    fields::numericBox(m_urbanValue, messages, QStringLiteral("#0.0"), blank.spU);
    fields::numericBox(m_perService, messages, QStringLiteral("#0.0"), blank.spi);
    fields::numericBox(m_services, messages, QStringLiteral("#0"), blank.nri);
    for (QLineEdit *box : {m_airRate, m_climateValue, m_stopCount, m_heatingCount})
        fields::selectAllOnEntry(box);
}

QList<QWidget *> TripEditor::tabChain() const
{
    QList<QWidget *> order{m_number, m_route};
    for (QLineEdit *box : m_km)
        order << box;
    // The load calculator is no box of the paper sheet: it comes after them.
    order << m_load << m_kg << m_noTrailer << m_oneTrailer << m_twoTrailers << m_towing << m_towingValue << m_urban
          << m_urbanValue << m_installation << m_perService << m_services << m_air << m_airRate << m_climate
          << m_climateValue << m_stops << m_stopCount << m_heating << m_heatingCount << m_loadCalculator;
    return order;
}

void TripEditor::setVehicle(const Vehicle &vehicle)
{
    if (!m_vehicle || m_vehicle->ida != vehicle.ida) {
        // The towed and urban distances typed for another vehicle are not this one's.
        m_towedKm = 0;
        m_urbanKm = 0;
        m_towedPreview->setText(distancePreview);
        m_urbanPreview->setText(distancePreview);
    }
    m_vehicle = vehicle;
    if (vehicle.Ispec == 0)
        m_installation->setChecked(false);
    m_installation->setEnabled(vehicle.Ispec != 0);
    if (vehicle.Iaerod == 0)
        m_air->setChecked(false);
    m_air->setEnabled(vehicle.Iaerod != 0);
    const bool withKg = vehicle.formula == 1;
    m_load->setEnabled(withKg);
    m_kg->setEnabled(withKg);
    m_loadCalculator->setEnabled(withKg);
    // The service of the vehicle chosen before is not this one's.
    if (!m_installation->isChecked()) {
        m_serviceUnit->setText(serviceUnit);
        m_serviceText->clear();
    }
}

TripForm TripEditor::form() const
{
    TripForm form;
    form.nrc = m_number->text();
    form.traseu = m_route->text();
    for (size_t i = 0; i < m_km.size(); ++i)
        form.km[i] = m_km[i]->text();
    form.greut = m_load->text();
    form.Kg = m_kg->text();
    form.remorca = trailers();
    form.towing = m_towing->isChecked();
    form.spT = m_towingValue->text();
    form.urban = m_urban->isChecked();
    form.spU = m_urbanValue->text();
    form.installation = m_installation->isChecked();
    form.spi = m_perService->text();
    form.nri = m_services->text();
    form.air = m_air->isChecked();
    form.spRa = m_airRate->text();
    form.climate = m_climate->isChecked();
    form.coef = m_climateValue->text();
    form.stops = m_stops->isChecked();
    form.nrdem = m_stopCount->text();
    form.heating = m_heating->isChecked();
    form.nrinc = m_heatingCount->text();
    form.towedKm = m_towedKm;
    form.urbanKm = m_urbanKm;
    return form;
}

void TripEditor::applyForm(const TripForm &form)
{
    (form.remorca == 1 ? m_oneTrailer : form.remorca == 2 ? m_twoTrailers : m_noTrailer)->setChecked(true);
    setText(m_number, form.nrc);
    setText(m_route, form.traseu);
    for (size_t i = 0; i < m_km.size(); ++i)
        m_km[i]->setText(form.km[i]);
    m_load->setText(form.greut);
    m_kg->setText(form.Kg);
    // Each surcharge in turn: its box follows its tick (ticking and unticking
    // run their handlers), then takes its text.
    auto apply = [](QCheckBox *check, QLineEdit *box, bool ticked) {
        box->setEnabled(ticked);
        check->setChecked(ticked);
    };
    apply(m_towing, m_towingValue, form.towing);
    m_towingValue->setText(form.spT);
    apply(m_urban, m_urbanValue, form.urban);
    m_urbanValue->setText(form.spU);
    apply(m_installation, m_perService, form.installation);
    m_perService->setText(form.spi);
    m_services->setText(form.nri);
    apply(m_air, m_airRate, form.air);
    m_airRate->setText(form.spRa);
    apply(m_climate, m_climateValue, form.climate);
    m_climateValue->setText(form.coef);
    apply(m_stops, m_stopCount, form.stops);
    m_stopCount->setText(form.nrdem);
    apply(m_heating, m_heatingCount, form.heating);
    m_heatingCount->setText(form.nrinc);
}

void TripEditor::showTrip(const Trip &trip)
{
    const TripForm form = TripForm::fromTrip(trip);
    m_loadedTrip = trip;
    m_dialogKeptClosed = {true, true};
    m_towedKm = form.towedKm;
    m_urbanKm = form.urbanKm;
    m_towedPreview->setText(surcharge::towingPreviewText(doubleText(trip.kmtract)));
    m_urbanPreview->setText(surcharge::urbanPreviewText(doubleText(trip.kmurb)));
    applyForm(form);
    // The totals as stored, not as the categories give them.
    m_total->setText(doubleText(trip.kmT));
    m_equivalent->setText(doubleText(trip.kmE));
}

void TripEditor::clearForNextTrip()
{
    applyForm(form().nextTrip());
    m_loadedTrip.reset();
    m_dialogKeptClosed = {false, false};
}

void TripEditor::applyNoLoadRule()
{
    TripForm current = form();
    current.applyNoLoadRule();
    m_kg->setText(current.Kg);
}

QString TripEditor::tripNumberText() const { return m_number->text(); }

void TripEditor::setTripNumber(const QString &text) { m_number->setText(text); }

int TripEditor::trailers() const
{
    return m_oneTrailer->isChecked() ? 1 : m_twoTrailers->isChecked() ? 2 : 0;
}

void TripEditor::updateDistances()
{
    std::array<double, 6> km{};
    for (size_t i = 0; i < km.size(); ++i)
        km[i] = readNumber(m_km[i]->text());
    const RoadDistances d = roadDistances(km);
    m_total->setText(singleText(d.kmT));
    m_equivalent->setText(singleText(d.Ped));
}

bool TripEditor::lookupKg()
{
    std::optional<double> kg;
    if (!guarded(m_context.messages, window(), [&] {
            kg = m_service.lookups().loadCoefficient(readNumber(m_load->text()), engineClass(), trailers() != 0);
        }))
        return true;
    if (kg) {
        m_kg->setText(doubleText(*kg));
        return true;
    }
    // No row of the table covers the load: Kg is the clerk's to type, never
    // the coefficient of a smaller load.
    m_context.messages->inform(window(), loadAboveTable);
    return false;
}

bool TripEditor::leaveLoad()
{
    const std::optional<QString> text = fields::numericText(m_load->text(), QStringLiteral("#0.0"), TripForm().greut);
    if (!text) {
        m_context.messages->inform(window(), texts::onlyNumbers());
        return false;
    }
    if (*text != m_load->text())
        m_load->setText(*text);
    // Left on the way to the vehicle list it asked for: no vehicle, no table.
    if (!m_vehicle)
        return true;
    if (!lookupKg())
        fields::refuse(m_context.messages, m_kg, QString());
    return true;
}

bool TripEditor::leaveTripNumber()
{
    const std::optional<QString> text = fields::numericText(m_number->text(), QStringLiteral("0"), TripForm().nrc);
    if (!text) {
        m_context.messages->inform(window(), texts::onlyNumbers());
        return false;
    }
    if (*text != m_number->text())
        m_number->setText(*text);
    emit tripNumberLeft(text->toInt());
    return true;
}

void TripEditor::openLoadCalculator()
{
    const QString load = m_load->text();
    LoadDialog dialog(m_context, window());
    connect(&dialog, &LoadDialog::loadComputed, m_load, &QLineEdit::setText);
    dialog.exec();
    if (m_load->text() != load) // the computed load
        lookupKg();
}

void TripEditor::refuseWithoutVehicle(QCheckBox *box)
{
    if (box)
        box->setChecked(false);
    emit vehicleRequired();
}

void TripEditor::takeTowing(const SurchargeEntry &entry)
{
    m_towingValue->setText(entry.surcharge);
    m_towedPreview->setText(surcharge::towingPreviewText(entry.distance));
    m_towedKm = readNumber(entry.distance);
}

void TripEditor::takeUrban(const SurchargeEntry &entry)
{
    m_urbanValue->setText(entry.surcharge);
    m_urbanPreview->setText(surcharge::urbanPreviewText(entry.distance));
    m_urbanKm = readNumber(entry.distance);
}

void TripEditor::towingToggled(bool ticked)
{
    if (!ticked) {
        m_towingValue->setText(TripForm().spT);
        m_towingValue->setEnabled(false);
        return;
    }
    if (!m_vehicle) { // the message comes with the focus
        m_towing->setChecked(false);
        return;
    }
    if (trailers() == 0) {
        m_context.messages->inform(window(), QStringLiteral(" Selectati numarul de remorci !!! "));
        m_towing->setChecked(false);
        return;
    }
    if (!m_dialogKeptClosed.towing)
        openTowingDialog();
    m_dialogKeptClosed.towing = false;
    m_towingValue->setEnabled(true);
}

void TripEditor::urbanToggled(bool ticked)
{
    if (!ticked) {
        m_urbanValue->setText(TripForm().spU);
        m_urbanValue->setEnabled(false);
        return;
    }
    m_urbanValue->setEnabled(true);
    if (!m_dialogKeptClosed.urban)
        openUrbanDialog();
    m_dialogKeptClosed.urban = false;
}

void TripEditor::openTowingDialog()
{
    TowingDialog dialog(m_context, engineClass(), trailers(), window());
    connect(&dialog, &TowingDialog::entryChanged, this, &TripEditor::takeTowing);
    dialog.exec();
}

void TripEditor::openUrbanDialog()
{
    UrbanDialog dialog(m_context, m_urbanKm, window());
    connect(&dialog, &UrbanDialog::entryChanged, this, &TripEditor::takeUrban);
    dialog.exec();
}

void TripEditor::dialogKey(QCheckBox *box)
{
    // An unticked box is ticked, which opens the dialog; a ticked one (a
    // loaded trip, say) opens it again.
    if (!box->isChecked()) {
        (box == m_towing ? m_dialogKeptClosed.towing : m_dialogKeptClosed.urban) = false;
        box->setChecked(true);
        return;
    }
    if (box == m_urban) {
        openUrbanDialog();
        m_dialogKeptClosed.urban = false;
        return;
    }
    if (trailers() == 0) {
        m_context.messages->inform(window(), QStringLiteral(" Selectati numarul de remorci !!! "));
        return;
    }
    openTowingDialog();
    m_dialogKeptClosed.towing = false;
}

void TripEditor::installationToggled(bool ticked)
{
    if (!ticked) {
        const TripForm blank;
        m_services->setText(blank.nri);
        m_perService->setText(blank.spi);
        m_services->setEnabled(false);
        m_perService->setEnabled(false);
        return;
    }
    if (!m_vehicle) {
        m_installation->setChecked(false);
        return;
    }
    guarded(m_context.messages, window(), [&] {
        if (const std::optional<SpecialInstallation> inst = m_service.lookups().installation(m_vehicle->Ispec)) {
            m_perService->setText(doubleText(inst->sporkm));
            m_serviceUnit->setText(QStringLiteral("km echiv./") + inst->felPrest);
            m_serviceText->setText(inst->felPrest2);
        }
    });
    m_services->setEnabled(true);
    m_perService->setEnabled(true);
}

void TripEditor::airToggled(bool ticked)
{
    if (ticked && !m_vehicle) {
        m_air->setChecked(false);
        return;
    }
    m_airRate->setEnabled(ticked);
    if (!ticked)
        m_airRate->setText(TripForm().spRa);
}

void TripEditor::climateToggled(bool ticked)
{
    m_climateValue->setEnabled(ticked);
    m_climateValue->setText(ticked ? TripForm::climateTicked() : TripForm::climateUnticked());
}

} // namespace vok
