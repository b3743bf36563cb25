#include "app/textreportwindow.h"

#include "ui/widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vok {

TextReportWindow::TextReportWindow(const QString &name, const QString &title, const QString &heading,
                                   const QString &text, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(widgets::boldNote(this, QStringLiteral("Label1"), heading));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setPlainText(text);
    m_text->setVisible(!text.isEmpty());
    layout->addWidget(m_text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton *close = widgets::button(this, QStringLiteral("Command1"), QStringLiteral("Iesire"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(860, text.isEmpty() ? 140 : 520);
    close->setFocus();
}

QString TextReportWindow::text() const { return m_text->toPlainText(); }

} // namespace vok
