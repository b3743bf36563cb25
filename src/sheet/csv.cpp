#include "sheet/csv.h"

#include <QStringDecoder>

namespace vok::csv {

namespace {

// The line (from 1) on which byte `offset` of the file stands.
int lineOfByte(const QByteArray &data, qsizetype offset)
{
    int line = 1;
    for (qsizetype i = 0; i < offset && i < data.size(); ++i)
        if (data.at(i) == '\n')
            ++line;
    return line;
}

// The offset of the first byte that is not valid UTF-8, or -1.
qsizetype firstBadByte(const QByteArray &data)
{
    qsizetype i = 0;
    const qsizetype n = data.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(data.at(i));
        int follow = 0;
        if (c < 0x80)
            follow = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return i;
        if (i + follow >= n)
            return i;
        for (int k = 1; k <= follow; ++k)
            if ((static_cast<unsigned char>(data.at(i + k)) & 0xC0) != 0x80)
                return i;
        i += follow + 1;
    }
    return -1;
}

} // namespace

ParseResult parse(const QByteArray &raw, QChar delimiter)
{
    ParseResult result;
    QByteArray data = raw;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    const qsizetype bad = firstBadByte(data);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(data);
    if (bad >= 0 || decoder.hasError()) {
        result.errorLine = bad >= 0 ? lineOfByte(data, bad) : 1;
        result.error = QStringLiteral("fisierul nu este scris in codificarea UTF-8");
        return result;
    }

    int line = 1;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        // Empty lines carry no record.
        if (text.at(i) == u'\n') {
            ++line;
            ++i;
            continue;
        }
        if (text.at(i) == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') {
            ++line;
            i += 2;
            continue;
        }
        Record record;
        record.line = line;
        QString field;
        bool endOfRecord = false;
        while (!endOfRecord) {
            field.clear();
            if (i < n && text.at(i) == u'"') {
                const int opened = line;
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar ch = text.at(i);
                    if (ch == u'"') {
                        if (i + 1 < n && text.at(i + 1) == u'"') {
                            field += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (ch == u'\n')
                        ++line;
                    field += ch;
                    ++i;
                }
                if (!closed) {
                    result.errorLine = opened;
                    result.error = QStringLiteral("ghilimelele deschise nu sunt inchise");
                    return result;
                }
                // After the closing quote: the delimiter, the line end or the file end.
                if (i < n && text.at(i) == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
                    ++i;
                if (i < n && text.at(i) != delimiter && text.at(i) != u'\n') {
                    result.errorLine = line;
                    result.error = QStringLiteral("text dupa ghilimelele de inchidere");
                    return result;
                }
            } else {
                while (i < n && text.at(i) != delimiter && text.at(i) != u'\n') {
                    if (text.at(i) == u'"') {
                        result.errorLine = line;
                        result.error = QStringLiteral("ghilimele in interiorul unei valori fara ghilimele");
                        return result;
                    }
                    field += text.at(i);
                    ++i;
                }
                if (field.endsWith(u'\r') && (i >= n || text.at(i) == u'\n'))
                    field.chop(1);
            }
            record.fields << field;
            if (i >= n) {
                endOfRecord = true;
            } else if (text.at(i) == delimiter) {
                ++i;
            } else { // line end
                ++i;
                ++line;
                endOfRecord = true;
            }
        }
        result.records << record;
    }
    return result;
}

bool isDecimal(const QString &text)
{
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const qsizetype digitsFrom = i;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128)
        ++i;
    if (i == digitsFrom)
        return false;
    if (i == text.size())
        return true;
    if (text.at(i) != u'.')
        return false;
    const qsizetype fractionFrom = ++i;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128)
        ++i;
    return i > fractionFrom && i == text.size();
}

namespace {

bool startsAFormula(const QString &text)
{
    if (text.isEmpty() || isDecimal(text))
        return false;
    const QChar first = text.at(0);
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' || first == u'\r';
}

// A text that is written after an apostrophe: a formula, or a formula after
// apostrophes (so that unguarded() gives every text back whole).
bool needsGuard(const QString &text)
{
    qsizetype apostrophes = 0;
    while (apostrophes < text.size() && text.at(apostrophes) == u'\'')
        ++apostrophes;
    return startsAFormula(apostrophes == 0 ? text : text.mid(apostrophes));
}

QByteArray quoted(const QString &text)
{
    if (text.contains(u',') || text.contains(u'"') || text.contains(u'\n') || text.contains(u'\r')
        || text != text.trimmed()) {
        QString q = text;
        q.replace(u'"', QStringLiteral("\"\""));
        return (u'"' + q + u'"').toUtf8();
    }
    return text.toUtf8();
}

} // namespace

QString guarded(const QString &text)
{
    return needsGuard(text) ? u'\'' + text : text;
}

QString unguarded(const QString &field)
{
    if (field.startsWith(u'\'') && needsGuard(field.mid(1)))
        return field.mid(1);
    return field;
}

QByteArray line(const QList<Field> &fields)
{
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const Field &f = fields.at(i);
        out += quoted(f.figure ? f.text : guarded(f.text));
    }
    return out + "\r\n";
}

QByteArray line(const QStringList &texts)
{
    QList<Field> fields;
    fields.reserve(texts.size());
    for (const QString &text : texts)
        fields.append({text, false});
    return line(fields);
}

QByteArray write(const QStringList &header, const QList<QStringList> &rows)
{
    QByteArray out = line(header);
    for (const QStringList &row : rows)
        out += line(row);
    return out;
}

} // namespace vok::csv
