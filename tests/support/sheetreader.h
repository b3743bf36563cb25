#pragma once

// Spreadsheets read back by python3 (tests/support/sheetcells.py), with
// nothing of the program's own code.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace vok::test {

// The file as sheetcells.py prints it; an empty object, with the reason in
// `error`, when it cannot be read.
inline QJsonObject readSheet(const QString &path, QString *error)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral(VOK_SOURCE_DIR "/tests/support/sheetcells.py"), path});
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        *error = QStringLiteral("python3 could not read %1: %2").arg(path, QString::fromUtf8(python.readAllStandardError()));
        return {};
    }
    QJsonParseError parse;
    const QJsonDocument json = QJsonDocument::fromJson(python.readAllStandardOutput(), &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = parse.errorString();
        return {};
    }
    return json.object();
}

// The rows of a CSV file as python's csv module reads them.
inline QList<QStringList> csvRows(const QJsonObject &sheet)
{
    QList<QStringList> rows;
    for (const QJsonValue &row : sheet.value(QStringLiteral("rows")).toArray()) {
        QStringList fields;
        for (const QJsonValue &field : row.toArray())
            fields.append(field.toString());
        rows.append(fields);
    }
    return rows;
}

} // namespace vok::test
