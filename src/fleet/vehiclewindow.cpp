#include "fleet/vehiclewindow.h"

#include "base/numbers.h"
#include "fleet/consumwindow.h"
#include "fleet/documentwindow.h"
#include "fleet/referencestore.h"
#include "fleet/uleiardwindow.h"
#include "fleet/uleiwindow.h"
#include "fleet/vehiclerules.h"
#include "fleet/vehiclestore.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "ui/keys.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <functional>
#include <type_traits>

namespace vok {

namespace {

QLineEdit *numberBox(QWidget *parent, const QString &name, const QString &text)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setAlignment(Qt::AlignRight);
    box->setMaximumWidth(110);
    return box;
}

QLabel *labelFor(QWidget *parent, const QString &caption, QWidget *buddy)
{
    QLabel *label = widgets::labelFor(parent, caption, buddy);
    label->setWordWrap(true);
    return label;
}

} // namespace

VehicleWindow::VehicleWindow(const WindowContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("auto"));
    setWindowTitle(QStringLiteral("Setari date auto"));
    buildControls();
    buildLayout();
    connectEvents();

    // Opening: the installations of sporI in their order, the fixed lists,
    // the default vehicle kind and regime.
    guarded(m_context.messages, this,
            [&] { m_listinstal->addItems(ReferenceStore(m_context.db).installationKinds()); });
    setInstallation(0);
    setAerodynamic(0);
    m_motorcp->setCurrentIndex(0);
    m_for2->setChecked(true);
    m_c2->setChecked(true);
}

VehicleWindow::~VehicleWindow()
{
    // The focus leaving the number's box while the window is taken down
    // would still load a vehicle into the half-destroyed window.
    m_nrauto->disconnect(this);
    m_nrauto->lineEdit()->disconnect(this);
}

void VehicleWindow::buildControls()
{
    m_nrauto = new QComboBox(this);
    m_nrauto->setObjectName(QStringLiteral("nrauto"));
    m_nrauto->setEditable(true);
    // The number typed is the vehicle's identity: a save overwrites the
    // vehicle of that number, so it is never completed to another one.
    lists::keepTypedText(m_nrauto);
    m_nrauto->setToolTip(QStringLiteral("Numarul maxim de caractere 15"));
    m_nrauto->setMinimumWidth(180);

    m_marca = new QComboBox(this);
    m_marca->setObjectName(QStringLiteral("marca"));
    m_marca->setEditable(true);
    lists::keepTypedText(m_marca); // stored as typed
    m_marca->setMinimumWidth(300);

    m_for1 = new QRadioButton(
        QStringLiteral("Automobil cu sarcina utila nominala de peste 1.5 tone, destinate transportului de marfuri"), this);
    m_for1->setObjectName(QStringLiteral("for1"));
    m_for2 = new QRadioButton(QStringLiteral("Restul automobilelor (autobuze, microbuze, autoturisme, automobile cu "
                                             "sarcina utila nominala sub 1.5 tone, autospeciale etc.)"),
                              this);
    m_for2->setObjectName(QStringLiteral("for2"));
    auto *kinds = new QButtonGroup(this);
    kinds->addButton(m_for1);
    kinds->addButton(m_for2);
    widgets::tabToChecked(kinds);

    m_motorcp = new QComboBox(this);
    m_motorcp->setObjectName(QStringLiteral("motorcp"));
    m_motorcp->addItems({QStringLiteral("pana la 150 CP"), QStringLiteral("151 - 215 CP"), QStringLiteral("peste 215 CP")});

    m_Cm1 = numberBox(this, QStringLiteral("Cm1"), QStringLiteral("0.000"));
    m_Cm2 = numberBox(this, QStringLiteral("Cm2"), QStringLiteral("0.000"));
    m_Cm3 = numberBox(this, QStringLiteral("Cm3"), QStringLiteral("0.000"));
    m_Cm1->setAccessibleName(QStringLiteral("Consum mediu Urban"));
    m_Cm2->setAccessibleName(QStringLiteral("Consum mediu Mixt"));
    m_Cm3->setAccessibleName(QStringLiteral("Consum mediu Extraurban"));
    m_c1 = new QRadioButton(QStringLiteral("Urban"), this);
    m_c1->setObjectName(QStringLiteral("c1"));
    m_c2 = new QRadioButton(QStringLiteral("Mixt"), this);
    m_c2->setObjectName(QStringLiteral("c2"));
    m_c3 = new QRadioButton(QStringLiteral("Extraurban"), this);
    m_c3->setObjectName(QStringLiteral("c3"));
    auto *regimes = new QButtonGroup(this);
    regimes->addButton(m_c1);
    regimes->addButton(m_c2);
    regimes->addButton(m_c3);

    m_Cb = numberBox(this, QStringLiteral("Cb"), QStringLiteral("0.00"));
    m_Cf = numberBox(this, QStringLiteral("Cf"), QStringLiteral("0.00"));
    m_Ca = numberBox(this, QStringLiteral("Ca"), QStringLiteral("0.000"));

    m_spec = new QCheckBox(QStringLiteral("Instalatii speciale"), this);
    m_spec->setObjectName(QStringLiteral("spec"));
    m_listinstal = new QComboBox(this);
    m_listinstal->setObjectName(QStringLiteral("listinstal"));
    m_listinstal->setAccessibleName(QStringLiteral("Instalatii speciale"));
    m_listinstal->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_listinstal->setMinimumContentsLength(40);
    m_aero = new QCheckBox(QStringLiteral("Influenta aerodinamica"), this);
    m_aero->setObjectName(QStringLiteral("aero"));
    m_listaerod = new QComboBox(this);
    m_listaerod->setObjectName(QStringLiteral("listaerod"));
    m_listaerod->setAccessibleName(QStringLiteral("Influenta aerodinamica"));
    m_listaerod->addItems({QStringLiteral("Automobile cu coviltir si prelata, fara deflector"),
                           QStringLiteral("Automobile cu coviltir si prelata, dotate cu deflector"),
                           QStringLiteral("Automobile furgon dotate cu deflector")});

    m_save = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Salvare"));

    keys::setSaveButton(m_save);
    m_exit = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Iesire"));
    m_delete = widgets::button(this, QStringLiteral("Command3"), QStringLiteral("Stergere"));
    m_oilUtil = widgets::button(this, QStringLiteral("Command4"), QStringLiteral("Utilitar ,,Cb'' si ,,Cf''"));
    m_caUtil = widgets::button(this, QStringLiteral("Command5"), QStringLiteral("Utilitar ,,Ca''"));
    m_cmUtil = widgets::button(this, QStringLiteral("Command6"), QStringLiteral("Utilitar Cm"));
    m_documents = widgets::button(this, QStringLiteral("Command7"), QStringLiteral("Documente auto"));
}

void VehicleWindow::buildLayout()
{
    auto *identity = new QGridLayout;
    auto *numberLabel = labelFor(this, QStringLiteral("Numar inmatriculare"), m_nrauto);
    numberLabel->setWordWrap(false);
    identity->addWidget(numberLabel, 0, 0);
    identity->addWidget(m_nrauto, 0, 1);
    identity->addWidget(labelFor(this, QStringLiteral("Marca si tipul"), m_marca), 0, 2);
    identity->addWidget(m_marca, 0, 3);
    identity->setColumnStretch(3, 1);

    auto *kindBox = new QGroupBox(QStringLiteral("Tipul automobilului"), this);
    auto *kindLayout = new QVBoxLayout(kindBox);
    kindLayout->addWidget(m_for1);
    kindLayout->addWidget(m_for2);
    auto *engine = new QHBoxLayout;
    engine->addWidget(labelFor(this, QStringLiteral("Motor de"), m_motorcp));
    engine->addWidget(m_motorcp);
    engine->addStretch();
    kindLayout->addLayout(engine);

    auto *consumption = new QGroupBox(QStringLiteral("Consum mediu"), this);
    auto *consumptionLayout = new QGridLayout(consumption);
    auto *cmCaption = new QLabel(QStringLiteral("Consumul mediu de combustibil ,,Cm'' (litri/100 km echiv.)"), consumption);
    cmCaption->setWordWrap(true);
    cmCaption->setBuddy(m_Cm1);
    consumptionLayout->addWidget(cmCaption, 0, 0, 1, 2);
    consumptionLayout->addWidget(m_c1, 1, 0);
    consumptionLayout->addWidget(m_Cm1, 1, 1);
    consumptionLayout->addWidget(m_c2, 2, 0);
    consumptionLayout->addWidget(m_Cm2, 2, 1);
    consumptionLayout->addWidget(m_c3, 3, 0);
    consumptionLayout->addWidget(m_Cm3, 3, 1);
    consumptionLayout->setColumnStretch(0, 1);

    auto *oilBox = new QGroupBox(QStringLiteral("Ulei"), this);
    auto *oil = new QGridLayout(oilBox);
    oil->addWidget(labelFor(oilBox, QStringLiteral("Capacitatea baii (rezervorului) de ulei ,,Cb'' (litri)"), m_Cb), 0, 0);
    oil->addWidget(m_Cb, 0, 1);
    oil->addWidget(labelFor(oilBox, QStringLiteral("Capacitatea filtrului de ulei ,,Cf'' (litri)"), m_Cf), 1, 0);
    oil->addWidget(m_Cf, 1, 1);
    oil->addWidget(labelFor(oilBox, QStringLiteral("Consumul specific normat de ulei pentru ardere ,,Ca'' (litri/100 km echiv.)"), m_Ca), 2, 0);
    oil->addWidget(m_Ca, 2, 1);
    oil->setColumnStretch(0, 1);

    auto *values = new QHBoxLayout;
    values->addWidget(consumption, 1);
    values->addWidget(oilBox, 2);

    auto *extras = new QGroupBox(QStringLiteral("Sporuri"), this);
    auto *extrasLayout = new QGridLayout(extras);
    extrasLayout->addWidget(m_spec, 0, 0);
    extrasLayout->addWidget(m_listinstal, 0, 1);
    extrasLayout->addWidget(m_aero, 1, 0);
    extrasLayout->addWidget(m_listaerod, 1, 1);
    extrasLayout->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_delete);
    buttons->addSpacing(16);
    buttons->addWidget(m_oilUtil);
    buttons->addWidget(m_caUtil);
    buttons->addWidget(m_cmUtil);
    buttons->addWidget(m_documents);
    buttons->addStretch();
    buttons->addWidget(m_exit);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(identity);
    layout->addWidget(kindBox);
    layout->addLayout(values);
    layout->addWidget(extras);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    // The order in which the clerk types a vehicle.
    QWidget *order[] = {m_nrauto, m_marca, m_for1, m_for2, m_motorcp, m_Cm1, m_Cm2, m_Cm3, m_c1, m_c2, m_c3,
                        m_Cb, m_Cf, m_Ca, m_spec, m_listinstal, m_aero, m_listaerod, m_save, m_delete,
                        m_oilUtil, m_caUtil, m_cmUtil, m_documents, m_exit};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(960, sizeHint().height());
}

void VehicleWindow::connectEvents()
{
    MessageService *messages = m_context.messages;

    // The number: its list refilled on entry, its length watched while typing,
    // checked and loaded on leaving, loaded when picked from the list.
    lists::refillVehiclesOnFocus(m_nrauto, m_context.db, messages);
    fields::selectAllOnEntry(m_nrauto);
    connect(m_nrauto->lineEdit(), &QLineEdit::textEdited, this, [this, messages](const QString &text) {
        if (text.size() > vehicle::NumberLength)
            messages->inform(this, texts::maxLength(vehicle::NumberLength));
    });
    fields::onLeave(m_nrauto, [this] { return leaveNumber(); });
    connect(m_nrauto, &QComboBox::textActivated, this, [this](const QString &number) { load(number, false); });

    fields::selectAllOnEntry(m_marca);
    lists::refillOnEntry(m_marca, messages,
                         [this] { lists::refill(m_marca, VehicleStore(m_context.db).makes()); });
    connect(m_marca->lineEdit(), &QLineEdit::textEdited, this, [this, messages](const QString &text) {
        if (text.size() > vehicle::MakeLength) {
            messages->inform(this, texts::maxLength(vehicle::MakeLength));
            m_marca->setFocus();
        }
    });
    fields::onLeave(m_marca, [this] { return leaveMake(); });

    fields::numericBox(m_Cm1, messages, QStringLiteral("#0.000"));
    fields::numericBox(m_Cm2, messages, QStringLiteral("#0.000"));
    fields::numericBox(m_Cm3, messages, QStringLiteral("#0.000"));
    fields::numericBox(m_Ca, messages, QStringLiteral("#0.000"));
    fields::numericBox(m_Cb, messages, QStringLiteral("#0.00"));
    fields::numericBox(m_Cf, messages, QStringLiteral("#0.00"));

    // A list is enabled exactly when its box is ticked, whoever ticks it.
    connect(m_spec, &QCheckBox::toggled, this, [this](bool on) {
        m_listinstal->setEnabled(on);
        // The third installation is offered first; a shorter list offers its last.
        m_listinstal->setCurrentIndex(on ? qMin(2, m_listinstal->count() - 1) : -1);
    });
    connect(m_aero, &QCheckBox::toggled, this, [this](bool on) {
        m_listaerod->setEnabled(on);
        m_listaerod->setCurrentIndex(on ? 0 : -1);
    });

    connect(m_save, &QPushButton::clicked, this, &VehicleWindow::save);
    connect(m_delete, &QPushButton::clicked, this, &VehicleWindow::remove);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_oilUtil, &QPushButton::clicked, this, &VehicleWindow::openUtility<UleiWindow>);
    connect(m_caUtil, &QPushButton::clicked, this, &VehicleWindow::openUtility<UleiardWindow>);
    connect(m_cmUtil, &QPushButton::clicked, this, &VehicleWindow::openUtility<ConsumWindow>);
    connect(m_documents, &QPushButton::clicked, this, &VehicleWindow::openDocuments);
}

template <typename Window> void VehicleWindow::openUtility()
{
    Window window(m_context, this);
    if constexpr (std::is_same_v<Window, UleiWindow>) {
        // The boxes take the values as the grid shows them; their display
        // format applies when the clerk leaves them.
        connect(&window, &UleiWindow::capacitiesChosen, this, [this](const QString &sump, const QString &filter) {
            m_Cb->setText(sump);
            m_Cf->setText(filter);
        });
    }
    window.exec();
}

void VehicleWindow::openDocuments()
{
    const QString number = m_nrauto->currentText();
    if (number.isEmpty())
        return refuse(texts::noVehicle(), m_nrauto);
    std::optional<Vehicle> vehicle;
    if (!guarded(m_context.messages, this, [&] { vehicle = VehicleStore(m_context.db).byNumber(number); }))
        return;
    if (!vehicle)
        return refuse(vehicle::notRegisteredMessage(), m_nrauto);
    DocumentWindow window(m_context, vehicle->ida, this);
    window.exec();
    activateWindow();
    m_documents->setFocus(Qt::OtherFocusReason);
}

void VehicleWindow::done(int result)
{
    fields::setClosing(this);
    QDialog::done(result);
}

void VehicleWindow::refuse(const QString &message, QWidget *focus)
{
    fields::refuse(m_context.messages, focus, message);
}

bool VehicleWindow::leaveNumber()
{
    const QString number = m_nrauto->currentText();
    if (const QString problem = vehicle::numberProblem(number); !problem.isEmpty()) {
        m_context.messages->inform(this, problem);
        return false;
    }
    load(number, true);
    return true;
}

bool VehicleWindow::leaveMake()
{
    const QString problem = vehicle::makeProblem(m_marca->currentText());
    if (problem.isEmpty())
        return true;
    m_context.messages->inform(this, problem);
    return false;
}

void VehicleWindow::setInstallation(int position)
{
    m_spec->setChecked(position > 0);
    m_listinstal->setEnabled(position > 0);
    m_listinstal->setCurrentIndex(position > 0 && position <= m_listinstal->count() ? position - 1 : -1);
}

void VehicleWindow::setAerodynamic(int position)
{
    m_aero->setChecked(position > 0);
    m_listaerod->setEnabled(position > 0);
    m_listaerod->setCurrentIndex(position > 0 && position <= m_listaerod->count() ? position - 1 : -1);
}

void VehicleWindow::load(const QString &number, bool remember)
{
    guarded(m_context.messages, this, [&] {
        VehicleStore store(m_context.db);
        const std::optional<Vehicle> vehicle = store.byNumber(number);
        forgetLoaded();
        if (!vehicle) {
            // A new number: the boxes keep what they show for its first save.
            if (remember)
                m_indauto = 0;
            return;
        }
        if (remember)
            m_indauto = vehicle->ida;
        m_loadedNumber = vehicle->nrauto;
        m_loadedIda = vehicle->ida;
        m_loadedVersion = vehicle->versiune;
        m_marca->setEditText(vehicle->marca);
        (vehicle->formula == 1 ? m_for1 : m_for2)->setChecked(true);
        if (vehicle->motor >= 1 && vehicle->motor <= m_motorcp->count())
            m_motorcp->setCurrentIndex(vehicle->motor - 1);
        // As stored: the display format applies when the clerk leaves a box.
        m_Cb->setText(doubleText(vehicle->Cb));
        m_Cf->setText(doubleText(vehicle->Cf));
        m_Ca->setText(doubleText(vehicle->Ca));
        setInstallation(vehicle->Ispec);
        setAerodynamic(vehicle->Iaerod);
        if (const std::optional<Consumption> c = store.consumption(vehicle->ida)) {
            m_Cm1->setText(doubleText(c->Cm1));
            m_Cm2->setText(doubleText(c->Cm2));
            m_Cm3->setText(doubleText(c->Cm3));
            (c->implicit == 1 ? m_c1 : c->implicit == 2 ? m_c2 : m_c3)->setChecked(true);
            m_loadedConsumVersion = c->versiune;
        }
    });
}

void VehicleWindow::save()
{
    const QString number = m_nrauto->currentText();
    const QString make = m_marca->currentText();

    vehicle::VehicleTexts typed;
    typed.nrauto = number;
    typed.marca = make;
    typed.Cm1 = m_Cm1->text();
    typed.Cm2 = m_Cm2->text();
    typed.Cm3 = m_Cm3->text();
    typed.Cb = m_Cb->text();
    typed.Cf = m_Cf->text();
    typed.Ca = m_Ca->text();
    typed.regimeChosen = m_c1->isChecked() || m_c2->isChecked() || m_c3->isChecked();
    typed.kindChosen = m_for1->isChecked() || m_for2->isChecked();
    if (const std::optional<vehicle::EntryProblem> problem = vehicle::checkSave(typed))
        return refuse(problem->message, box(problem->field));

    if (!m_context.messages->confirm(this, texts::saveQuestion()))
        return;

    VehicleRecord record;
    record.nrauto = number;
    record.marca = make;
    record.formula = m_for1->isChecked() ? 1 : 2;
    record.motor = m_motorcp->currentIndex() + 1;
    record.Ca = readNumber(m_Ca->text());
    record.Cb = readNumber(m_Cb->text());
    record.Cf = readNumber(m_Cf->text());
    record.Ispec = m_spec->isChecked() ? m_listinstal->currentIndex() + 1 : 0;
    record.Iaerod = m_aero->isChecked() ? m_listaerod->currentIndex() + 1 : 0;
    record.consumption.Cm1 = readNumber(m_Cm1->text());
    record.consumption.Cm2 = readNumber(m_Cm2->text());
    record.consumption.Cm3 = readNumber(m_Cm3->text());
    record.consumption.implicit = m_c1->isChecked() ? 1 : m_c2->isChecked() ? 2 : 3;

    if (number == m_loadedNumber) {
        record.ida = m_loadedIda;
        record.versiune = m_loadedVersion;
        record.consumVersiune = m_loadedConsumVersion;
    }
    if (!guardedSave(
            m_context.messages, this, [&] { VehicleStore(m_context.db).save(record, objectName()); },
            [this, number] { reloadAfterRefusal(number); }))
        return;
    forgetLoaded();
    m_context.messages->inform(this, QStringLiteral("Datele au fost salvate"));
    resetAfterSave();
}

QWidget *VehicleWindow::box(vehicle::EntryProblem::Field field) const
{
    using Field = vehicle::EntryProblem::Field;
    switch (field) {
    case Field::Number: return m_nrauto;
    case Field::Make: return m_marca;
    case Field::Cm1: return m_Cm1;
    case Field::Cm2: return m_Cm2;
    case Field::Cm3: return m_Cm3;
    case Field::Cb: return m_Cb;
    case Field::Cf: return m_Cf;
    case Field::Ca: return m_Ca;
    case Field::Regime: return m_c2;
    case Field::Kind: return m_for2;
    }
    return m_nrauto;
}

void VehicleWindow::forgetLoaded()
{
    m_loadedNumber.clear();
    m_loadedIda = 0;
    m_loadedVersion.reset();
    m_loadedConsumVersion.reset();
}

void VehicleWindow::reloadAfterRefusal(const QString &number)
{
    const bool wasLoaded = !m_loadedNumber.isEmpty();
    load(number, true);
    if (wasLoaded && m_loadedNumber.isEmpty()) {
        // Deleted meanwhile: cleared, so that the next "Salvare" does not
        // make a new vehicle of that number from what the screen held.
        const int listed = m_nrauto->findText(number, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (listed >= 0)
            m_nrauto->removeItem(listed);
        resetAfterSave();
    }
    activateWindow();
    m_nrauto->setFocus(Qt::OtherFocusReason);
    m_nrauto->lineEdit()->selectAll();
}

void VehicleWindow::resetNumbers()
{
    m_nrauto->setEditText(QString());
    m_marca->setEditText(QString());
    m_Cm1->setText(QStringLiteral("0.000"));
    m_Cm2->setText(QStringLiteral("0.000"));
    m_Cm3->setText(QStringLiteral("0.000"));
    m_Ca->setText(QStringLiteral("0.000"));
    m_Cb->setText(QStringLiteral("0.00"));
    m_Cf->setText(QStringLiteral("0.00"));
    m_indauto = 0;
}

void VehicleWindow::resetAfterSave()
{
    // The vehicle kind and the engine class keep their choice for the next vehicle.
    resetNumbers();
    setInstallation(0);
    setAerodynamic(0);
    m_c2->setChecked(true);
    m_nrauto->setFocus();
}

void VehicleWindow::remove()
{
    const QString number = m_nrauto->currentText();
    if (number.isEmpty())
        return refuse(texts::noVehicle(), m_nrauto);

    // Only the vehicle whose number stands in the box is ever deleted.
    std::optional<Vehicle> vehicle;
    if (!guarded(m_context.messages, this, [&] { vehicle = VehicleStore(m_context.db).byNumber(number); }))
        return;
    if (!vehicle)
        return refuse(vehicle::notRegisteredMessage(), m_nrauto);
    m_indauto = vehicle->ida;

    if (!m_context.messages->confirmDestructive(this, vehicle::deleteQuestion(number)))
        return;

    VehicleStore::Removal removal = VehicleStore::Removal::NotFound;
    if (!guarded(m_context.messages, this, [&] { removal = VehicleStore(m_context.db).remove(vehicle->ida, objectName()); }))
        return;
    if (removal == VehicleStore::Removal::HasSheets)
        return refuse(vehicle::sheetsFirstMessage(), m_nrauto);
    if (removal == VehicleStore::Removal::NotFound)
        return refuse(vehicle::notRegisteredMessage(), m_nrauto);

    const int listed = m_nrauto->findText(number, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (listed >= 0)
        m_nrauto->removeItem(listed);
    // The number typed again is a new vehicle.
    forgetLoaded();
    resetNumbers();
    m_context.messages->inform(this, texts::deleted());
}

} // namespace vok
