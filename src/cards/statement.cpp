#include "cards/statement.h"

#include "sheet/csv.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>

namespace vok::cards {

namespace {

// Windows-1250 from 0x80 on; 0xFFFD where the code page defines nothing.
const char16_t windows1250[128] = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

bool isWindows1250(const QString &encoding)
{
    const QString e = encoding.toUpper().remove(u'-').remove(u' ');
    return e == QLatin1String("WINDOWS1250") || e == QLatin1String("CP1250");
}

bool isUtf8(const QString &encoding)
{
    return encoding.toUpper().remove(u'-').remove(u' ') == QLatin1String("UTF8");
}

// Splits the decoded file as the mapping says.
csv::ParseResult records(const QByteArray &data, const CardFormat &format, QString *error)
{
    bool ok = true;
    const QString text = decodeText(data, format.encoding, &ok);
    if (!ok) {
        *error = QStringLiteral("fisierul nu este scris in codificarea %1").arg(format.encoding);
        return {};
    }
    csv::ParseResult parsed = csv::parse(text.toUtf8(), format.delimiter);
    if (!parsed.ok())
        *error = QStringLiteral("linia %1: %2").arg(parsed.errorLine).arg(parsed.error);
    return parsed;
}

QString field(const QStringList &fields, int column)
{
    return column > 0 && column <= fields.size() ? fields.at(column - 1).trimmed() : QString();
}

} // namespace

QStringList CardFormat::fieldNames()
{
    return {QStringLiteral("card"),   QStringLiteral("numar auto"), QStringLiteral("data"),
            QStringLiteral("ora"),    QStringLiteral("produs"),     QStringLiteral("litri"),
            QStringLiteral("pret"),   QStringLiteral("valoare"),    QStringLiteral("statie")};
}

int CardFormat::column(int f) const
{
    const int columns[] = {card, plate, date, time, product, litres, price, amount, station};
    return f >= 0 && f < 9 ? columns[f] : 0;
}

void CardFormat::setColumn(int f, int column)
{
    int *columns[] = {&card, &plate, &date, &time, &product, &litres, &price, &amount, &station};
    if (f >= 0 && f < 9)
        *columns[f] = std::max(0, column);
}

QString CardFormat::problem() const
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("formatul nu are nume");
    if (!isUtf8(encoding) && !isWindows1250(encoding))
        return QStringLiteral("codificarea %1 nu este cunoscuta (UTF-8 sau Windows-1250)").arg(encoding);
    if (delimiter == u'"' || delimiter == u'\n' || delimiter == u'\r' || delimiter.isNull())
        return QStringLiteral("separatorul de coloane nu poate fi %1").arg(delimiter);
    if (decimal != u'.' && decimal != u',')
        return QStringLiteral("separatorul zecimal este punct sau virgula");
    if (decimal == delimiter)
        return QStringLiteral("separatorul zecimal si separatorul de coloane sunt acelasi");
    if (!dateFormat.contains(QLatin1String("dd"), Qt::CaseInsensitive)
        || !dateFormat.contains(QLatin1String("mm"), Qt::CaseInsensitive)
        || !dateFormat.contains(QLatin1String("yy"), Qt::CaseInsensitive))
        return QStringLiteral("formatul datei trebuie sa aiba zi (dd), luna (mm) si an (yyyy)");
    if (headerRows < 0 || headerRows > 50)
        return QStringLiteral("randurile de antet sunt intre 0 si 50");
    if (date == 0)
        return QStringLiteral("lipseste coloana datei");
    if (litres == 0)
        return QStringLiteral("lipseste coloana litrilor");
    if (card == 0 && plate == 0)
        return QStringLiteral("lipsesc coloanele cardului si numarului auto (trebuie macar una)");
    for (int f = 0; f < 9; ++f)
        if (column(f) < 0 || column(f) > 200)
            return QStringLiteral("coloana %1 este in afara fisierului").arg(fieldNames().at(f));
    return {};
}

CardFormat vokFormat()
{
    CardFormat f;
    f.name = QStringLiteral("vok");
    f.card = 1, f.plate = 2, f.date = 3, f.time = 4, f.product = 5, f.litres = 6, f.price = 7, f.amount = 8,
    f.station = 9;
    return f;
}

QByteArray vokHeader() { return QByteArrayLiteral("card,numar_auto,data,ora,produs,litri,pret,valoare,statie"); }

QString decodeText(const QByteArray &raw, const QString &encoding, bool *ok)
{
    if (ok)
        *ok = true;
    if (isWindows1250(encoding)) {
        QString text;
        text.reserve(raw.size());
        for (const char c : raw) {
            const auto byte = static_cast<unsigned char>(c);
            text += byte < 0x80 ? QChar(char16_t(byte)) : QChar(windows1250[byte - 0x80]);
        }
        return text;
    }
    QByteArray data = raw;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(data);
    if (decoder.hasError() && ok)
        *ok = false;
    return text;
}

QList<QStringList> previewRows(const QByteArray &data, const CardFormat &format, int limit, QString *error)
{
    QString why;
    const csv::ParseResult parsed = records(data, format, &why);
    if (error)
        *error = why;
    QList<QStringList> rows;
    for (const csv::Record &r : parsed.records) {
        if (limit > 0 && rows.size() >= limit)
            break;
        rows << r.fields;
    }
    return rows;
}

double parseAmount(const QString &raw, QChar decimal, bool *ok)
{
    static const QRegularExpression plain(QStringLiteral("^[-+]?[0-9]+(\\.[0-9]+)?$"));
    QString text = raw.trimmed();
    text.remove(u' ').remove(QChar(0x00A0));
    // Thousands' marks only between groups of three digits: "40.5" under a
    // decimal comma is refused, never read as 405.
    const QChar thousands = decimal == u',' ? u'.' : u',';
    if (text.contains(thousands)) {
        const QString t = QRegularExpression::escape(QString(thousands));
        const QString dec = QRegularExpression::escape(QString(decimal));
        const QRegularExpression grouped(QStringLiteral("^[-+]?[0-9]{1,3}(%1[0-9]{3})+(%2[0-9]+)?$").arg(t, dec));
        if (!grouped.match(text).hasMatch()) {
            *ok = false;
            return 0;
        }
        text.remove(thousands);
    }
    if (decimal == u',')
        text.replace(u',', u'.');
    *ok = plain.match(text).hasMatch();
    if (!*ok)
        return 0;
    const double value = text.toDouble(ok);
    if (!*ok || !std::isfinite(value) || std::abs(value) >= 1e9) {
        *ok = false;
        return 0;
    }
    return value;
}

QDate parseDate(const QString &raw, const QString &format)
{
    QString qtFormat = format.trimmed().toLower();
    qtFormat.replace(QLatin1String("mm"), QLatin1String("MM"));
    const bool shortYear = !qtFormat.contains(QLatin1String("yyyy"));
    QString text = raw.trimmed();
    // A date with its time after it ("03.11.2026 08:15"): the date alone.
    if (!qtFormat.contains(u' ') && text.contains(u' '))
        text = text.section(u' ', 0, 0);
    QDate date = QDate::fromString(text, qtFormat);
    if (!date.isValid()) {
        // Days and months written with one digit ("3.11.2026").
        QString lenient = qtFormat;
        lenient.replace(QLatin1String("dd"), QLatin1String("d")).replace(QLatin1String("MM"), QLatin1String("M"));
        date = QDate::fromString(text, lenient);
    }
    if (date.isValid() && shortYear && date.year() < 1950)
        date = date.addYears(100);
    if (date.isValid() && (date.year() < 1950 || date.year() > 2200))
        return {};
    return date;
}

QTime parseTime(const QString &raw)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,2}):([0-9]{2})(:([0-9]{2}))?$"));
    const QRegularExpressionMatch m = pattern.match(raw.trimmed());
    if (!m.hasMatch())
        return {};
    return QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(4).isEmpty() ? 0 : m.captured(4).toInt());
}

StatementRead readStatement(const QByteArray &data, const CardFormat &format)
{
    StatementRead read;
    if (const QString why = format.problem(); !why.isEmpty()) {
        read.error = why;
        return read;
    }
    const csv::ParseResult parsed = records(data, format, &read.error);
    if (!read.fileOk())
        return read;
    // The program's own format names its columns on its first line: a file
    // without that line would lose its first transaction as a header.
    if (format.name == QLatin1String("vok") && format.headerRows == 1 && !parsed.records.isEmpty()) {
        QStringList first = parsed.records.first().fields;
        for (QString &f : first)
            f = f.trimmed().toLower();
        if (first.join(u',') != QString::fromLatin1(vokHeader())) {
            read.error = QStringLiteral("linia %1: nu este antetul formatului vok (%2)")
                             .arg(parsed.records.first().line)
                             .arg(QString::fromLatin1(vokHeader()));
            return read;
        }
    }
    // Header rows are counted in records: a header is a line of the file,
    // and blank lines before it are no header.
    int skipped = 0;
    for (const csv::Record &record : parsed.records) {
        if (skipped < format.headerRows) {
            ++skipped;
            continue;
        }
        bool blank = true;
        for (const QString &f : record.fields)
            blank = blank && f.trimmed().isEmpty();
        if (blank)
            continue;
        const QStringList &fields = record.fields;
        auto refuse = [&](const QString &reason) { read.refused << RefusedRow{record.line, reason}; };
        CardTransaction t;
        t.line = record.line;
        t.card = field(fields, format.card);
        t.plate = field(fields, format.plate);
        if (t.card.isEmpty() && t.plate.isEmpty()) {
            refuse(QStringLiteral("nici card, nici numar auto"));
            continue;
        }
        const QString dateText = field(fields, format.date);
        t.date = parseDate(dateText, format.dateFormat);
        if (!t.date.isValid()) {
            refuse(QStringLiteral("data \"%1\" nu este de forma %2").arg(dateText, format.dateFormat));
            continue;
        }
        QString timeText = field(fields, format.time);
        if (format.time == 0 && dateText.contains(u' '))
            timeText = dateText.section(u' ', 1).trimmed();
        if (!timeText.isEmpty()) {
            t.time = parseTime(timeText);
            if (!t.time.isValid()) {
                refuse(QStringLiteral("ora \"%1\" nu este de forma HH:MM").arg(timeText));
                continue;
            }
        }
        t.product = field(fields, format.product);
        t.station = field(fields, format.station);
        bool ok = true;
        const QString litresText = field(fields, format.litres);
        t.litres = parseAmount(litresText, format.decimal, &ok);
        if (!ok) {
            refuse(QStringLiteral("litrii \"%1\" nu sunt un numar").arg(litresText));
            continue;
        }
        struct Optional {
            int column;
            double *value;
            const char *name;
        };
        bool bad = false;
        for (const Optional &o : {Optional{format.price, &t.price, "pretul"}, Optional{format.amount, &t.amount, "valoarea"}}) {
            const QString text = field(fields, o.column);
            if (text.isEmpty())
                continue;
            *o.value = parseAmount(text, format.decimal, &ok);
            if (!ok) {
                refuse(QStringLiteral("%1 \"%2\" nu este un numar").arg(QString::fromLatin1(o.name), text));
                bad = true;
                break;
            }
        }
        if (!bad)
            read.transactions << t;
    }
    return read;
}

} // namespace vok::cards
