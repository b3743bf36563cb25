#include "reports/reportfilename.h"

#include <QFileInfo>
#include <QStringList>

namespace vok {

namespace {

// The value of the header cells labelled `label` ("Anul:"), when every line
// that has one gives the same; empty otherwise.
QString soleValue(const ReportDocument &document, const QString &label)
{
    QString found;
    for (const ReportDocument::Line &line : document.lines) {
        for (const ReportDocument::Cell &cell : line.cells) {
            if (cell.valueAt <= 0 || cell.text.left(cell.valueAt).trimmed() != label)
                continue;
            const QString value = cell.text.mid(cell.valueAt).trimmed();
            if (value.isEmpty())
                continue;
            if (!found.isEmpty() && found != value)
                return {};
            found = value;
        }
    }
    return found;
}

} // namespace

QString reportDescription(const ReportDocument &document)
{
    QStringList parts;
    parts << (document.title.trimmed().isEmpty() ? QFileInfo(document.fileName).completeBaseName()
                                                 : document.title.trimmed());
    parts << soleValue(document, QStringLiteral("Numar inmatriculare:"));
    const QString sheet = soleValue(document, QStringLiteral("Foaia de parcurs nr."));
    if (!sheet.isEmpty())
        parts << QStringLiteral("foaia ") + sheet;
    parts << soleValue(document, QStringLiteral("Data:"));
    parts << soleValue(document, QStringLiteral("Luna:"));
    parts << soleValue(document, QStringLiteral("Anul:"));
    parts.removeAll(QString());
    return parts.join(u' ');
}

} // namespace vok
