#pragma once

#include <QDialog>

class QPlainTextEdit;

namespace vok {

// A window that shows the outcome of a database task (a check, an import)
// as a heading and lines of text the clerk can read, select and copy.
class TextReportWindow : public QDialog {
    Q_OBJECT
public:
    TextReportWindow(const QString &name, const QString &title, const QString &heading, const QString &text,
                     QWidget *parent = nullptr);

    QString text() const;

private:
    QPlainTextEdit *m_text;
};

} // namespace vok
