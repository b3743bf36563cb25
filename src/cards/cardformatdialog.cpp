#include "cards/cardformatdialog.h"

#include "cards/cardstore.h"
#include "db/journal.h"
#include "ui/guard.h"
#include "ui/widgets.h"
#include "ui/keys.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace vok {

namespace {

const QStringList delimiterCaptions{QStringLiteral(","), QStringLiteral(";"), QStringLiteral("TAB"), QStringLiteral("|")};

QChar delimiterOf(const QString &caption) { return caption == QLatin1String("TAB") ? QChar(u'\t') : caption.at(0); }

} // namespace

CardFormatDialog::CardFormatDialog(const WindowContext &context, const cards::CardFormat &format, const QByteArray &sample,
                                   QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_format(format)
    , m_saved(format)
    , m_sample(sample)
{
    setObjectName(QStringLiteral("formatcard"));
    setWindowTitle(QStringLiteral("Format extras card"));

    m_name = new QLineEdit(format.name, this);
    m_name->setObjectName(QStringLiteral("nume"));
    m_supplier = new QLineEdit(format.supplier, this);
    m_supplier->setObjectName(QStringLiteral("furnizor"));
    m_encoding = new QComboBox(this);
    m_encoding->setObjectName(QStringLiteral("codificare"));
    m_encoding->addItems({QStringLiteral("UTF-8"), QStringLiteral("Windows-1250")});
    m_encoding->setCurrentIndex(format.encoding.contains(QLatin1String("1250")) ? 1 : 0);
    m_delimiter = new QComboBox(this);
    m_delimiter->setObjectName(QStringLiteral("separator"));
    m_delimiter->addItems(delimiterCaptions);
    m_delimiter->setCurrentText(format.delimiter == u'\t' ? QStringLiteral("TAB") : QString(format.delimiter));
    m_decimal = new QComboBox(this);
    m_decimal->setObjectName(QStringLiteral("zecimal"));
    m_decimal->addItems({QStringLiteral("."), QStringLiteral(",")});
    m_decimal->setCurrentText(QString(format.decimal));
    m_dateFormat = new QLineEdit(format.dateFormat, this);
    m_dateFormat->setObjectName(QStringLiteral("formatdata"));
    m_dateFormat->setToolTip(QStringLiteral("dd zi, mm luna, yyyy an; de exemplu dd.mm.yyyy, yyyy-mm-dd, dd/mm/yyyy"));
    m_header = new QSpinBox(this);
    m_header->setObjectName(QStringLiteral("antet"));
    m_header->setRange(0, 50);
    m_header->setValue(format.headerRows);

    auto *settings = new QGridLayout;
    settings->addWidget(widgets::labelFor(this, QStringLiteral("&Nume format"), m_name), 0, 0);
    settings->addWidget(m_name, 0, 1);
    settings->addWidget(widgets::labelFor(this, QStringLiteral("&Furnizor"), m_supplier), 0, 2);
    settings->addWidget(m_supplier, 0, 3);
    settings->addWidget(widgets::labelFor(this, QStringLiteral("&Codificare"), m_encoding), 1, 0);
    settings->addWidget(m_encoding, 1, 1);
    settings->addWidget(widgets::labelFor(this, QStringLiteral("&Separator coloane"), m_delimiter), 1, 2);
    settings->addWidget(m_delimiter, 1, 3);
    settings->addWidget(widgets::labelFor(this, QStringLiteral("Separator &zecimal"), m_decimal), 2, 0);
    settings->addWidget(m_decimal, 2, 1);
    settings->addWidget(widgets::labelFor(this, QStringLiteral("Format &data"), m_dateFormat), 2, 2);
    settings->addWidget(m_dateFormat, 2, 3);
    settings->addWidget(widgets::labelFor(this, QStringLiteral("Randuri de &antet"), m_header), 3, 0);
    settings->addWidget(m_header, 3, 1);

    auto *columns = new QGridLayout;
    const QStringList fields = cards::CardFormat::fieldNames();
    for (int f = 0; f < fields.size(); ++f) {
        auto *box = new QSpinBox(this);
        box->setObjectName(QStringLiteral("col%1").arg(f));
        box->setRange(0, 200);
        box->setSpecialValueText(QStringLiteral("-"));
        box->setValue(format.column(f));
        m_columns << box;
        columns->addWidget(widgets::labelFor(this, fields.at(f), box), (f / 5) * 2, f % 5);
        columns->addWidget(box, (f / 5) * 2 + 1, f % 5);
    }
    auto *columnNote = new QLabel(QStringLiteral("Numarul coloanei din fisier pentru fiecare camp (- : lipseste). "
                                                 "Data si litrii sunt obligatorii, cardul sau numarul auto macar unul."),
                                  this);
    columnNote->setWordWrap(true);

    m_model = new QStandardItemModel(this);
    m_preview = new QTableView(this);
    m_preview->setObjectName(QStringLiteral("previzualizare"));
    m_preview->setModel(m_model);
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setTabKeyNavigation(false);
    m_preview->setMinimumHeight(150);
    m_preview->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_reading = new QLabel(this);
    m_reading->setObjectName(QStringLiteral("citire"));
    m_reading->setWordWrap(true);

    QPushButton *saveButton = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Salvare"));
    keys::setSaveButton(saveButton);
    QPushButton *cancel = widgets::button(this, QStringLiteral("Command2"), QStringLiteral("Renuntare"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    buttons->addWidget(cancel);

    auto *main = new QVBoxLayout(this);
    main->addLayout(settings);
    main->addLayout(columns);
    main->addWidget(columnNote);
    main->addWidget(new QLabel(QStringLiteral("Primele randuri ale fisierului:"), this));
    main->addWidget(m_preview, 1);
    main->addWidget(m_reading);
    main->addLayout(buttons);

    for (QComboBox *box : {m_encoding, m_delimiter, m_decimal})
        connect(box, &QComboBox::currentIndexChanged, this, &CardFormatDialog::refreshPreview);
    connect(m_dateFormat, &QLineEdit::textChanged, this, &CardFormatDialog::refreshPreview);
    connect(m_header, &QSpinBox::valueChanged, this, &CardFormatDialog::refreshPreview);
    for (QSpinBox *box : std::as_const(m_columns))
        connect(box, &QSpinBox::valueChanged, this, &CardFormatDialog::refreshPreview);
    connect(saveButton, &QPushButton::clicked, this, &CardFormatDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    refreshPreview();
    resize(860, 600);
    m_name->setFocus();
}

cards::CardFormat CardFormatDialog::current() const
{
    cards::CardFormat f = m_format;
    f.name = m_name->text().trimmed();
    f.supplier = m_supplier->text().trimmed();
    f.encoding = m_encoding->currentText();
    f.delimiter = delimiterOf(m_delimiter->currentText());
    f.decimal = m_decimal->currentText().at(0);
    f.dateFormat = m_dateFormat->text().trimmed();
    f.headerRows = m_header->value();
    for (int i = 0; i < m_columns.size(); ++i)
        f.setColumn(i, m_columns.at(i)->value());
    return f;
}

void CardFormatDialog::refreshPreview()
{
    const cards::CardFormat f = current();
    QString error;
    const QList<QStringList> rows = cards::previewRows(m_sample, f, 8, &error);
    m_model->clear();
    int width = 0;
    for (const QStringList &row : rows)
        width = std::max(width, int(row.size()));
    m_model->setColumnCount(width);
    QStringList headers;
    for (int c = 1; c <= width; ++c) {
        QString caption = QString::number(c);
        for (int field = 0; field < m_columns.size(); ++field)
            if (f.column(field) == c)
                caption += u'\n' + cards::CardFormat::fieldNames().at(field);
        headers << caption;
    }
    m_model->setHorizontalHeaderLabels(headers);
    for (const QStringList &row : rows) {
        QList<QStandardItem *> items;
        for (const QString &text : row)
            items << new QStandardItem(text);
        m_model->appendRow(items);
    }
    m_preview->resizeColumnsToContents();
    if (m_sample.isEmpty()) {
        m_reading->setText(QStringLiteral("Niciun fisier ales: alegeti un extras pentru a vedea cum se citeste."));
        return;
    }
    if (!error.isEmpty()) {
        m_reading->setText(QStringLiteral("Fisierul nu se poate citi asa: ") + error);
        return;
    }
    if (const QString problem = f.problem(); !problem.isEmpty() && !(f.name.isEmpty() && problem.contains(QLatin1String("nume")))) {
        m_reading->setText(QStringLiteral("Formatul nu este complet: ") + problem);
        return;
    }
    cards::CardFormat named = f;
    if (named.name.isEmpty())
        named.name = QStringLiteral("?");
    const cards::StatementRead read = cards::readStatement(m_sample, named);
    QString text = QStringLiteral("Se citesc %1 tranzactii").arg(read.transactions.size());
    if (!read.refused.isEmpty())
        text += QStringLiteral(", %1 randuri refuzate (primul: linia %2, %3)")
                    .arg(read.refused.size())
                    .arg(read.refused.first().line)
                    .arg(read.refused.first().reason);
    if (!read.transactions.isEmpty()) {
        const cards::CardTransaction &t = read.transactions.first();
        text += QStringLiteral(". Prima: card %1, auto %2, %3 %4, %5, %6 l")
                    .arg(t.card, t.plate, t.date.toString(QStringLiteral("dd.MM.yyyy")),
                         t.time.isValid() ? t.time.toString(QStringLiteral("HH:mm")) : QString(), t.product,
                         QString::number(t.litres, 'f', 2));
    }
    m_reading->setText(text);
}

void CardFormatDialog::save()
{
    const cards::CardFormat f = current();
    if (const QString problem = f.problem(); !problem.isEmpty()) {
        m_context.messages->inform(this, QStringLiteral(" %1 !!! ").arg(problem));
        activateWindow();
        return;
    }
    const bool saved = guarded(m_context.messages, this, [&] {
        const cards::CardStore store(m_context.db);
        const cards::CardFormat same = store.format(f.name);
        if (same.id != 0 && same.id != f.id)
            throw DbError(QStringLiteral("Exista deja un format cu numele %1").arg(f.name));
        m_saved = store.saveFormat(f, QStringLiteral("carduri"));
    });
    if (!saved) {
        activateWindow();
        return;
    }
    accept();
}

} // namespace vok
