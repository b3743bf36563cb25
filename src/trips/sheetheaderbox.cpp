#include "trips/sheetheaderbox.h"

#include "base/numbers.h"
#include "fleet/driverstore.h"
#include "control/measurebox.h"
#include "control/measures.h"
#include "trips/tripsheetservice.h"
#include "ui/fields.h"
#include "ui/guard.h"
#include "fleet/vehiclebox.h"
#include "ui/lists.h"
#include "ui/widgets.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace vok {

namespace {

QLineEdit *textBox(QWidget *parent, const QString &name, const QString &text, int width)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setFixedWidth(width);
    return box;
}

QComboBox *list(QWidget *parent, const QString &name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    return box;
}

QLabel *label(QWidget *parent, const QString &text, QWidget *buddy = nullptr)
{
    return widgets::labelFor(parent, text, buddy);
}

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

constexpr int DriverLength = 20;

} // namespace

SheetHeaderBox::SheetHeaderBox(const WindowContext &context, const TripSheetService &service, QWidget *parent)
    : QGroupBox(parent)
    , m_context(context)
    , m_service(service)
{
    buildLayout();
    connectFields();
    const QDate today = QDate::currentDate();
    m_day->setText(formatNumber(today.day(), QStringLiteral("00")));
    m_month->setText(formatNumber(today.month(), QStringLiteral("00")));
    m_year->setText(QString::number(today.year()));
}

void SheetHeaderBox::buildLayout()
{
    auto *h = new QGridLayout(this);
    h->setContentsMargins(6, 4, 6, 4);
    h->setVerticalSpacing(3);
    m_vehicle = list(this, QStringLiteral("nra"));
    m_vehicle->setMinimumWidth(120);
    m_make = new QLabel(lists::makeCaption(QString()), this);
    m_make->setObjectName(QStringLiteral("tip"));
    m_sheet = list(this, QStringLiteral("nrfoi"));
    m_sheet->setEditable(true);
    lists::keepTypedText(m_sheet); // "1" typed is sheet 1, never the listed 12
    m_sheet->setFixedWidth(90);
    m_driver = list(this, QStringLiteral("sof"));
    m_driver->setEditable(true);
    lists::keepTypedText(m_driver); // stored as typed
    m_driver->setMinimumWidth(190);
    m_day = textBox(this, QStringLiteral("zi"), QString(), 34);
    m_month = textBox(this, QStringLiteral("luna"), QString(), 34);
    m_year = textBox(this, QStringLiteral("anul"), QString(), 50);
    m_departure = textBox(this, QStringLiteral("op"), QStringLiteral("0.00"), 50);
    m_arrival = textBox(this, QStringLiteral("os"), QStringLiteral("0.00"), 50);
    m_kmDeparture = textBox(this, QStringLiteral("kmplecare"), QString(), 70);
    m_kmReturn = textBox(this, QStringLiteral("kmsosire"), QString(), 70);

    // A label stands apart from the box before it and close to its own.
    constexpr int gap = 6, apart = 14;
    auto *row1 = new QHBoxLayout;
    row1->setSpacing(gap);
    row1->addWidget(label(this, QStringLiteral("Numar inmatriculare"), m_vehicle));
    row1->addWidget(m_vehicle);
    // The make, beside the vehicle it names: room for its 30 characters, on
    // two lines when the window is narrow.
    row1->addSpacing(apart - gap);
    m_make->setWordWrap(true);
    m_make->setMinimumWidth(150);
    row1->addWidget(m_make, 1);
    row1->addWidget(label(this, QStringLiteral("Numarul foii de parcurs"), m_sheet));
    row1->addWidget(m_sheet);
    row1->addSpacing(apart);
    row1->addWidget(label(this, QStringLiteral("Nume sofer"), m_driver));
    row1->addWidget(m_driver);
    h->addLayout(row1, 0, 0);

    auto *row2 = new QHBoxLayout;
    row2->setSpacing(gap);
    row2->addWidget(label(this, QStringLiteral("Data:")));
    row2->addWidget(label(this, QStringLiteral("ziua"), m_day));
    row2->addWidget(m_day);
    row2->addSpacing(apart - gap);
    row2->addWidget(label(this, QStringLiteral("luna"), m_month));
    row2->addWidget(m_month);
    row2->addSpacing(apart - gap);
    row2->addWidget(label(this, QStringLiteral("anul"), m_year));
    row2->addWidget(m_year);
    row2->addSpacing(12);
    row2->addWidget(label(this, QStringLiteral("Ora:")));
    row2->addWidget(label(this, QStringLiteral("plecare"), m_departure));
    row2->addWidget(m_departure);
    row2->addSpacing(apart - gap);
    row2->addWidget(label(this, QStringLiteral("sosire"), m_arrival));
    row2->addWidget(m_arrival);
    row2->addSpacing(12);
    row2->addWidget(label(this, QStringLiteral("Km bord plecare"), m_kmDeparture));
    row2->addWidget(m_kmDeparture);
    row2->addSpacing(apart - gap);
    row2->addWidget(label(this, QStringLiteral("Km bord sosire"), m_kmReturn));
    row2->addWidget(m_kmReturn);
    row2->addStretch(1);
    h->addLayout(row2, 1, 0);
}

void SheetHeaderBox::connectFields()
{
    MessageService *messages = m_context.messages;

    lists::refillVehiclesOnFocus(m_vehicle, m_context.db, messages);
    connect(m_vehicle, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            selectVehicle(m_vehicle->itemText(index));
    });

    fields::onEnter(m_sheet, [this] { enterSheetNumber(); });
    connect(m_sheet, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            loadSheet(m_sheet->itemText(index).toInt());
    });
    fields::onLeave(m_sheet, [this] { return leaveSheetNumber(); });

    fields::onEnter(m_driver, [this] {
        fillDrivers();
        m_driver->lineEdit()->selectAll();
    });
    connect(m_driver->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.size() > DriverLength)
            m_context.messages->inform(window(), texts::maxLength(DriverLength));
    });
    fields::onLeave(m_driver, [this] { return leaveDriver(); });

    fields::numericBox(m_day, messages, QStringLiteral("00"), QStringLiteral("00"));
    fields::numericBox(m_month, messages, QStringLiteral("00"), QStringLiteral("00"));
    fields::numericBox(m_year, messages, QStringLiteral("0"), QStringLiteral("0"));
    fields::numericBox(m_departure, messages, QStringLiteral("#0.00"), QStringLiteral("0.00"));
    fields::numericBox(m_arrival, messages, QStringLiteral("#0.00"), QStringLiteral("0.0"));
    control::measureBox(m_kmDeparture, messages, control::kmMask(), negativeKmMessage());
    control::measureBox(m_kmReturn, messages, control::kmMask(), negativeKmMessage(),
                        [this] { return leaveOdometerReturn(); });

    // A click on the arrow of the sheet or driver list opens its popup at
    // once, before the entry into the box has refilled it: fill it first.
    m_sheet->installEventFilter(this);
    m_driver->installEventFilter(this);
}

bool SheetHeaderBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_sheet && hasVehicle())
            fillSheetList();
        else if (watched == m_driver)
            fillDrivers();
    }
    return QGroupBox::eventFilter(watched, event);
}

QString SheetHeaderBox::vehicleText() const { return m_vehicle->currentText(); }

QString SheetHeaderBox::sheetText() const { return m_sheet->currentText(); }

int SheetHeaderBox::sheetNumber() const { return wholeNumber(sheetText()); }

trips::HeaderTexts SheetHeaderBox::texts(const QString &nrc) const
{
    trips::HeaderTexts typed;
    typed.nrauto = vehicleText();
    typed.ida = m_ida;
    typed.nrf = sheetText();
    typed.nrc = nrc;
    typed.zi = m_day->text();
    typed.luna = m_month->text();
    typed.anul = m_year->text();
    typed.op = m_departure->text();
    typed.os = m_arrival->text();
    typed.sofer = m_driver->currentText();
    typed.kmplecare = m_kmDeparture->text();
    typed.kmsosire = m_kmReturn->text();
    return typed;
}

std::optional<Sheet> SheetHeaderBox::sheetOnScreen() const { return m_service.sheets().byNumber(m_ida, sheetNumber()); }

bool SheetHeaderBox::refreshLoaded(const SheetHeader &saved)
{
    m_loaded = sheetOnScreen();
    if (!m_loaded || sameHeader(*m_loaded, saved))
        return false;
    showHeader(*m_loaded);
    return true;
}

bool SheetHeaderBox::reloadSheet()
{
    const bool wasLoaded = m_loaded.has_value();
    loadSheet(sheetNumber());
    if (!wasLoaded || m_loaded)
        return true;
    m_sheet->setEditText(QString());
    return false;
}

QWidget *SheetHeaderBox::box(trips::HeaderProblem::Field field) const
{
    using Field = trips::HeaderProblem::Field;
    switch (field) {
    case Field::Vehicle: return m_vehicle;
    case Field::Sheet: return m_sheet;
    case Field::Day: return m_day;
    case Field::Month: return m_month;
    case Field::Year: return m_year;
    case Field::Departure: return m_departure;
    case Field::OdometerDeparture: return m_kmDeparture;
    case Field::OdometerReturn: return m_kmReturn;
    case Field::Trip: break;
    }
    return nullptr;
}

QList<QWidget *> SheetHeaderBox::tabChain() const
{
    return {m_vehicle, m_sheet, m_driver, m_day, m_month, m_year, m_departure, m_arrival, m_kmDeparture, m_kmReturn};
}

bool SheetHeaderBox::showSheet(const QString &nrauto, int nrf)
{
    if (!guarded(m_context.messages, window(), [&] { lists::fillVehicles(m_vehicle, m_context.db); }))
        return false;
    const int index = m_vehicle->findText(nrauto);
    if (index < 0)
        return false;
    if (m_vehicle->currentIndex() == index)
        selectVehicle(nrauto);
    else
        m_vehicle->setCurrentIndex(index);
    if (vehicleText() != nrauto || m_ida == 0)
        return false;
    {
        const QSignalBlocker blocker(m_sheet);
        m_sheet->clear();
        m_sheet->setEditText(QString::number(nrf));
    }
    loadSheet(nrf);
    return m_loaded.has_value();
}

void SheetHeaderBox::selectVehicle(const QString &nrauto)
{
    std::optional<Vehicle> vehicle;
    if (!guarded(m_context.messages, window(), [&] { vehicle = m_service.vehicles().byNumber(nrauto); }) || !vehicle)
        return;
    m_make->setText(lists::makeCaption(vehicle->marca));
    m_ida = vehicle->ida;
    emit vehicleSelected(*vehicle);
}

void SheetHeaderBox::enterSheetNumber()
{
    if (!hasVehicle()) {
        fields::refuse(m_context.messages, m_vehicle, texts::noVehicle());
        return;
    }
    m_sheet->lineEdit()->selectAll();
    fillSheetList();
}

void SheetHeaderBox::fillSheetList()
{
    guarded(m_context.messages, window(), [&] {
        const QList<int> numbers
            = m_service.sheets().numbers(m_ida, wholeNumber(m_month->text()), wholeNumber(m_year->text()));
        QStringList items;
        for (int n : numbers)
            items << QString::number(n);
        lists::refill(m_sheet, items);
        m_sheet->lineEdit()->selectAll();
        if (numbers.isEmpty())
            emit sheetListEmpty();
    });
}

bool SheetHeaderBox::leaveSheetNumber()
{
    // The focus went to the box's own list, which is open: not a leave.
    if (m_sheet->view()->isVisible())
        return true;
    // Leaving the box because no vehicle is chosen yet looks nothing up.
    if (!hasVehicle())
        return true;
    const std::optional<QString> text = fields::numericText(sheetText(), QStringLiteral("0"), QStringLiteral("0"));
    if (!text) {
        m_context.messages->inform(window(), texts::onlyNumbers());
        selectWhenBack(m_sheet);
        return false;
    }
    {
        const QSignalBlocker blocker(m_sheet);
        m_sheet->clear();
        m_sheet->setEditText(*text);
    }
    loadSheet(text->toInt());
    return true;
}

void SheetHeaderBox::loadSheet(int nrf)
{
    std::optional<Sheet> sheet;
    if (!guarded(m_context.messages, window(), [&] { sheet = m_service.sheets().byNumber(m_ida, nrf); }))
        return;
    m_loaded = sheet;
    if (sheet) {
        showHeader(*sheet);
    } else {
        // The odometer of the sheet shown before is not this one's.
        m_kmDeparture->clear();
        m_kmReturn->clear();
    }
    // A new sheet: the date, hours and driver on screen stay for it.
    emit sheetLoaded(sheet ? sheet->idf : 0);
}

void SheetHeaderBox::showHeader(const Sheet &sheet)
{
    m_day->setText(sheet.data.mid(0, 2));
    m_month->setText(sheet.data.mid(3, 2));
    m_year->setText(sheet.data.mid(6, 4));
    m_departure->setText(doubleText(sheet.orap));
    m_arrival->setText(doubleText(sheet.oras));
    m_driver->setEditText(sheet.sofer);
    m_kmDeparture->setText(control::measuredText(sheet.kmplecare, control::kmMask()));
    m_kmReturn->setText(control::measuredText(sheet.kmsosire, control::kmMask()));
}

void SheetHeaderBox::fillDrivers()
{
    // The register's active drivers first, then the other names on sheets.
    guarded(m_context.messages, window(), [&] {
        lists::refill(m_driver, DriverStore(m_context.db).choices(m_service.sheets().drivers()));
    });
}

bool SheetHeaderBox::leaveOdometerReturn()
{
    if (!control::odometerBackwards(control::measuredValue(m_kmDeparture->text()),
                                    control::measuredValue(m_kmReturn->text())))
        return true;
    m_context.messages->inform(window(), control::odometerBackMessage());
    return false;
}

bool SheetHeaderBox::leaveDriver()
{
    const QString text = m_driver->currentText();
    if (text.contains(u'\'')) {
        m_context.messages->inform(window(), texts::apostropheRefused());
        selectWhenBack(m_driver);
        return false;
    }
    if (text.size() > DriverLength) {
        m_context.messages->inform(window(), texts::maxLength(DriverLength));
        selectWhenBack(m_driver);
        return false;
    }
    if (text != text.toUpper())
        m_driver->setEditText(text.toUpper());
    return true;
}

} // namespace vok
