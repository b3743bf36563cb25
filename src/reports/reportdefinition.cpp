#include "reports/reportdefinition.h"

#include "reports/selectionformula.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vok {

namespace {

class Reader {
public:
    explicit Reader(const QString &fileName)
        : m_file(fileName)
    {
    }

    [[noreturn]] void fail(const QString &where, const QString &what) const
    {
        throw ReportError(QStringLiteral("%1: %2: %3").arg(m_file, where, what));
    }

    void onlyKeys(const QJsonObject &o, const QString &where, const QStringList &keys) const
    {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!keys.contains(it.key()))
                fail(where, QStringLiteral("cheie necunoscuta \"%1\" (se accepta: %2)").arg(it.key(), keys.join(QStringLiteral(", "))));
    }

    QString text(const QJsonObject &o, const QString &key, const QString &where, const QString &fallback = {}) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() || v.isNull())
            return fallback;
        if (v.isDouble())
            return QString::number(v.toDouble());
        if (!v.isString())
            fail(where + u'.' + key, QStringLiteral("se asteapta un text"));
        return v.toString();
    }

    double number(const QJsonObject &o, const QString &key, const QString &where, double fallback) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() || v.isNull())
            return fallback;
        if (!v.isDouble() || v.toDouble() <= 0)
            fail(where + u'.' + key, QStringLiteral("se asteapta un numar pozitiv"));
        return v.toDouble();
    }

    bool flag(const QJsonObject &o, const QString &key, const QString &where, bool fallback) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() || v.isNull())
            return fallback;
        if (!v.isBool())
            fail(where + u'.' + key, QStringLiteral("se asteapta true sau false"));
        return v.toBool();
    }

    QJsonArray array(const QJsonObject &o, const QString &key, const QString &where) const
    {
        const QJsonValue v = o.value(key);
        if (v.isUndefined() || v.isNull())
            return {};
        if (!v.isArray())
            fail(where + u'.' + key, QStringLiteral("se asteapta o lista [...]"));
        return v.toArray();
    }

    QJsonObject object(const QJsonValue &v, const QString &where) const
    {
        if (!v.isObject())
            fail(where, QStringLiteral("se asteapta un obiect {...}"));
        return v.toObject();
    }

    ReportDefinition::Align align(const QJsonObject &o, const QString &where, ReportDefinition::Align fallback) const
    {
        const QString a = text(o, QStringLiteral("align"), where);
        if (a.isEmpty())
            return fallback;
        if (a == u"left")
            return ReportDefinition::Align::Left;
        if (a == u"center")
            return ReportDefinition::Align::Center;
        if (a == u"right")
            return ReportDefinition::Align::Right;
        fail(where + QStringLiteral(".align"), QStringLiteral("se accepta left, center sau right"));
    }

    QString mask(const QJsonObject &o, const QString &where) const
    {
        static const QStringList masks = {QStringLiteral("#0.000"), QStringLiteral("#0.00"), QStringLiteral("#0.0"),
                                          QStringLiteral("#0"), QStringLiteral("0"), QStringLiteral("00")};
        const QString m = text(o, QStringLiteral("mask"), where);
        if (!m.isEmpty() && !masks.contains(m))
            fail(where + QStringLiteral(".mask"), QStringLiteral("masca \"%1\" nu exista (se accepta: %2)").arg(m, masks.join(QStringLiteral(", "))));
        return m;
    }

    QString format(const QJsonObject &o, const QString &where) const
    {
        const QString f = text(o, QStringLiteral("format"), where);
        if (!f.isEmpty() && f != u"month" && f != u"mark")
            fail(where + QStringLiteral(".format"), QStringLiteral("formatul \"%1\" nu exista (se accepta: month, mark)").arg(f));
        return f;
    }

    ReportDefinition::Cell cell(const QJsonValue &v, const QString &where) const
    {
        ReportDefinition::Cell c;
        c.where = where;
        if (v.isString()) {
            c.text = v.toString();
            return c;
        }
        const QJsonObject o = object(v, where);
        onlyKeys(o, where, {QStringLiteral("text"), QStringLiteral("value"), QStringLiteral("mask"), QStringLiteral("format"),
                            QStringLiteral("width"), QStringLiteral("align"), QStringLiteral("wrap")});
        c.text = text(o, QStringLiteral("text"), where);
        c.value = text(o, QStringLiteral("value"), where);
        c.mask = mask(o, where);
        c.format = format(o, where);
        c.width = number(o, QStringLiteral("width"), where, 1);
        c.align = align(o, where, ReportDefinition::Align::Left);
        c.wrap = flag(o, QStringLiteral("wrap"), where, false);
        return c;
    }

    ReportDefinition::Line line(const QJsonValue &v, const QString &where) const
    {
        ReportDefinition::Line l;
        l.where = where;
        if (v.isString()) {
            ReportDefinition::Cell c;
            c.text = v.toString();
            c.where = where;
            l.cells.append(c);
            return l;
        }
        const QJsonObject o = object(v, where);
        onlyKeys(o, where, {QStringLiteral("text"), QStringLiteral("cells"), QStringLiteral("row"), QStringLiteral("label"),
                            QStringLiteral("style"), QStringLiteral("border"), QStringLiteral("if"),
                            QStringLiteral("keepWithNext"), QStringLiteral("align")});
        l.style = text(o, QStringLiteral("style"), where, QStringLiteral("normal"));
        static const QStringList styles = {QStringLiteral("normal"), QStringLiteral("bold"), QStringLiteral("title"),
                                           QStringLiteral("subtitle"), QStringLiteral("small"), QStringLiteral("italic")};
        if (!styles.contains(l.style))
            fail(where + QStringLiteral(".style"), QStringLiteral("stilul \"%1\" nu exista (se accepta: %2)").arg(l.style, styles.join(QStringLiteral(", "))));
        l.condition = text(o, QStringLiteral("if"), where);
        l.keepWithNext = flag(o, QStringLiteral("keepWithNext"), where, false);
        const int kinds = int(o.contains(QStringLiteral("text"))) + int(o.contains(QStringLiteral("cells")))
                          + int(o.contains(QStringLiteral("row")));
        if (kinds != 1)
            fail(where, QStringLiteral("o linie are exact una din cheile text, cells sau row"));
        if (o.contains(QStringLiteral("row"))) {
            l.isRow = true;
            l.border = text(o, QStringLiteral("border"), where, QStringLiteral("grid"));
            const QJsonValue rv = o.value(QStringLiteral("row"));
            if (!rv.isObject())
                fail(where + QStringLiteral(".row"), QStringLiteral("se asteapta un obiect {\"coloana\": \"formula\", ...}"));
            // Keep the order of the file: QJsonObject sorts its keys, so the
            // order comes from the columns when the report binds the line.
            const QJsonObject ro = rv.toObject();
            for (auto it = ro.begin(); it != ro.end(); ++it) {
                if (!it.value().isString())
                    fail(where + QStringLiteral(".row.") + it.key(), QStringLiteral("se asteapta o formula (text)"));
                l.row.append({it.key(), it.value().toString()});
            }
            l.label = text(o, QStringLiteral("label"), where);
        } else {
            l.border = text(o, QStringLiteral("border"), where, QStringLiteral("none"));
            if (o.contains(QStringLiteral("text"))) {
                ReportDefinition::Cell c;
                c.where = where;
                c.text = text(o, QStringLiteral("text"), where);
                c.align = align(o, where, ReportDefinition::Align::Left);
                c.wrap = true;
                l.cells.append(c);
            } else {
                const QJsonArray cells = array(o, QStringLiteral("cells"), where);
                for (int i = 0; i < cells.size(); ++i)
                    l.cells.append(cell(cells[i], QStringLiteral("%1.cells[%2]").arg(where).arg(i)));
            }
        }
        static const QStringList borders = {QStringLiteral("none"), QStringLiteral("grid"), QStringLiteral("top"),
                                            QStringLiteral("bottom"), QStringLiteral("box")};
        if (!borders.contains(l.border))
            fail(where + QStringLiteral(".border"), QStringLiteral("chenarul \"%1\" nu exista (se accepta: %2)").arg(l.border, borders.join(QStringLiteral(", "))));
        return l;
    }

    QList<ReportDefinition::Line> lines(const QJsonObject &o, const QString &key, const QString &where) const
    {
        QList<ReportDefinition::Line> result;
        const QJsonArray a = array(o, key, where);
        for (int i = 0; i < a.size(); ++i)
            result.append(line(a[i], QStringLiteral("%1%2[%3]").arg(where.isEmpty() ? QString() : where + u'.', key).arg(i)));
        return result;
    }

private:
    QString m_file;
};

} // namespace

ReportDefinition ReportDefinition::load(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.exists())
        throw ReportError(QStringLiteral("Fisierul de raport %1 nu exista (%2).").arg(name, QFileInfo(path).absoluteFilePath()));
    if (!file.open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("Fisierul de raport %1 nu poate fi citit: %2").arg(name, file.errorString()));
    return parse(file.readAll(), name);
}

ReportDefinition ReportDefinition::parse(const QByteArray &json, const QString &fileName)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray before = json.left(error.offset);
        const int line = int(before.count('\n')) + 1;
        const int column = int(error.offset - before.lastIndexOf('\n'));
        throw ReportError(QStringLiteral("%1: fisier gresit la linia %2, coloana %3: %4")
                              .arg(fileName)
                              .arg(line)
                              .arg(column)
                              .arg(error.errorString()));
    }
    const Reader r(fileName);
    if (!document.isObject())
        r.fail(QStringLiteral("radacina"), QStringLiteral("se asteapta un obiect {...}"));
    const QJsonObject o = document.object();
    r.onlyKeys(o, QStringLiteral("radacina"),
               {QStringLiteral("format"), QStringLiteral("title"), QStringLiteral("page"), QStringLiteral("source"),
                QStringLiteral("parameters"), QStringLiteral("sort"), QStringLiteral("columns"), QStringLiteral("detail"),
                QStringLiteral("header"), QStringLiteral("groups"), QStringLiteral("footer"), QStringLiteral("noData"),
                QStringLiteral("signatures"), QStringLiteral("comment")});

    ReportDefinition d;
    d.fileName = fileName;
    if (o.contains(QStringLiteral("format")) && o.value(QStringLiteral("format")).toInt() != 1)
        r.fail(QStringLiteral("format"), QStringLiteral("acest program citeste formatul 1"));
    d.title = r.text(o, QStringLiteral("title"), QStringLiteral("title"));

    if (o.contains(QStringLiteral("page"))) {
        const QJsonObject page = r.object(o.value(QStringLiteral("page")), QStringLiteral("page"));
        r.onlyKeys(page, QStringLiteral("page"), {QStringLiteral("orientation"), QStringLiteral("fontSize"), QStringLiteral("margins")});
        const QString orientation = r.text(page, QStringLiteral("orientation"), QStringLiteral("page"), QStringLiteral("portrait"));
        if (orientation != u"portrait" && orientation != u"landscape")
            r.fail(QStringLiteral("page.orientation"), QStringLiteral("se accepta portrait sau landscape"));
        d.landscape = orientation == u"landscape";
        d.fontSize = r.number(page, QStringLiteral("fontSize"), QStringLiteral("page"), d.fontSize);
        if (d.fontSize < 4 || d.fontSize > 24)
            r.fail(QStringLiteral("page.fontSize"), QStringLiteral("marimea literei este intre 4 si 24 puncte"));
        const QJsonArray margins = r.array(page, QStringLiteral("margins"), QStringLiteral("page"));
        if (!margins.isEmpty()) {
            if (margins.size() != 4)
                r.fail(QStringLiteral("page.margins"), QStringLiteral("se asteapta [stanga, sus, dreapta, jos] in milimetri"));
            for (const QJsonValue &m : margins)
                if (!m.isDouble() || m.toDouble() < 0 || m.toDouble() > 50)
                    r.fail(QStringLiteral("page.margins"), QStringLiteral("marginile sunt intre 0 si 50 mm"));
            d.margins = QMarginsF(margins[0].toDouble(), margins[1].toDouble(), margins[2].toDouble(), margins[3].toDouble());
        }
    }

    const QJsonObject source = r.object(o.value(QStringLiteral("source")), QStringLiteral("source"));
    r.onlyKeys(source, QStringLiteral("source"), {QStringLiteral("from"), QStringLiteral("joins")});
    d.from = r.text(source, QStringLiteral("from"), QStringLiteral("source"));
    if (d.from.isEmpty())
        r.fail(QStringLiteral("source.from"), QStringLiteral("lipseste tabela principala"));
    const QJsonArray joins = r.array(source, QStringLiteral("joins"), QStringLiteral("source"));
    for (int i = 0; i < joins.size(); ++i) {
        const QString where = QStringLiteral("source.joins[%1]").arg(i);
        const QJsonObject j = r.object(joins[i], where);
        r.onlyKeys(j, where, {QStringLiteral("table"), QStringLiteral("on"), QStringLiteral("type")});
        Join join;
        join.where = where;
        join.table = r.text(j, QStringLiteral("table"), where);
        join.on = r.text(j, QStringLiteral("on"), where);
        const QString type = r.text(j, QStringLiteral("type"), where, QStringLiteral("inner"));
        if (type != u"inner" && type != u"left")
            r.fail(where + QStringLiteral(".type"), QStringLiteral("se accepta inner sau left"));
        join.left = type == u"left";
        if (join.table.isEmpty() || join.on.isEmpty())
            r.fail(where, QStringLiteral("o legatura are table si on"));
        d.joins.append(join);
    }

    if (o.contains(QStringLiteral("parameters"))) {
        const QJsonObject params = r.object(o.value(QStringLiteral("parameters")), QStringLiteral("parameters"));
        for (auto it = params.begin(); it != params.end(); ++it) {
            if (!it.value().isDouble() && !it.value().isString())
                r.fail(QStringLiteral("parameters.") + it.key(), QStringLiteral("valoarea implicita este un numar sau un text"));
            d.parameters.append({it.key(), it.value().toVariant()});
        }
    }

    for (const QJsonValue &s : r.array(o, QStringLiteral("sort"), QString())) {
        if (!s.isString())
            r.fail(QStringLiteral("sort"), QStringLiteral("se asteapta texte ca \"+{foaie.nrf}\""));
        d.sort.append(s.toString());
    }

    const QJsonArray columns = r.array(o, QStringLiteral("columns"), QString());
    QStringList ids;
    for (int i = 0; i < columns.size(); ++i) {
        const QString where = QStringLiteral("columns[%1]").arg(i);
        const QJsonObject c = r.object(columns[i], where);
        r.onlyKeys(c, where, {QStringLiteral("id"), QStringLiteral("caption"), QStringLiteral("value"), QStringLiteral("mask"),
                              QStringLiteral("format"), QStringLiteral("width"), QStringLiteral("align"), QStringLiteral("wrap")});
        Column column;
        column.where = where;
        column.id = r.text(c, QStringLiteral("id"), where);
        if (column.id.isEmpty())
            r.fail(where + QStringLiteral(".id"), QStringLiteral("fiecare coloana are un id"));
        if (ids.contains(column.id))
            r.fail(where + QStringLiteral(".id"), QStringLiteral("id-ul \"%1\" se repeta").arg(column.id));
        ids.append(column.id);
        column.where = QStringLiteral("columns[%1] (%2)").arg(i).arg(column.id);
        column.caption = r.text(c, QStringLiteral("caption"), where);
        column.value = r.text(c, QStringLiteral("value"), where);
        column.mask = r.mask(c, where);
        column.format = r.format(c, where);
        column.width = r.number(c, QStringLiteral("width"), where, 1);
        column.align = r.align(c, where, column.mask.isEmpty() ? Align::Left : Align::Right);
        column.wrap = r.flag(c, QStringLiteral("wrap"), where, false);
        d.columns.append(column);
    }
    d.detail = r.flag(o, QStringLiteral("detail"), QStringLiteral("detail"), true);
    if (d.detail && d.columns.isEmpty())
        r.fail(QStringLiteral("columns"), QStringLiteral("un raport cu linii de detaliu are coloane"));

    d.header = r.lines(o, QStringLiteral("header"), QString());
    d.footer = r.lines(o, QStringLiteral("footer"), QString());
    const QJsonArray groups = r.array(o, QStringLiteral("groups"), QString());
    for (int i = 0; i < groups.size(); ++i) {
        const QString where = QStringLiteral("groups[%1]").arg(i);
        const QJsonObject g = r.object(groups[i], where);
        r.onlyKeys(g, where, {QStringLiteral("by"), QStringLiteral("header"), QStringLiteral("footer"), QStringLiteral("newPage")});
        Group group;
        group.where = where;
        group.by = r.text(g, QStringLiteral("by"), where);
        if (group.by.isEmpty())
            r.fail(where + QStringLiteral(".by"), QStringLiteral("lipseste campul dupa care se grupeaza"));
        group.header = r.lines(g, QStringLiteral("header"), where);
        group.footer = r.lines(g, QStringLiteral("footer"), where);
        group.newPage = r.flag(g, QStringLiteral("newPage"), where, false);
        d.groups.append(group);
    }
    if (o.contains(QStringLiteral("noData")))
        d.noData = r.text(o, QStringLiteral("noData"), QStringLiteral("noData"));
    d.signatures = r.flag(o, QStringLiteral("signatures"), QStringLiteral("signatures"), true);

    auto checkRows = [&](const QList<Line> &lines) {
        for (const Line &l : lines)
            if (l.isRow && ids.isEmpty())
                r.fail(l.where, QStringLiteral("o linie row are nevoie de columns"));
    };
    checkRows(d.header);
    checkRows(d.footer);
    for (const Group &g : d.groups) {
        checkRows(g.header);
        checkRows(g.footer);
    }
    for (const QList<Line> *list : {&d.header, &d.footer}) {
        for (const Line &l : *list)
            for (const auto &[id, value] : l.row)
                if (!ids.contains(id))
                    r.fail(l.where, QStringLiteral("coloana \"%1\" nu exista in columns").arg(id));
    }
    for (const Group &g : d.groups)
        for (const QList<Line> *list : {&g.header, &g.footer})
            for (const Line &l : *list)
                for (const auto &[id, value] : l.row)
                    if (!ids.contains(id))
                        r.fail(l.where, QStringLiteral("coloana \"%1\" nu exista in columns").arg(id));
    return d;
}

} // namespace vok
