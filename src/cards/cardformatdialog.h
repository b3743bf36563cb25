#pragma once

#include "cards/statement.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStandardItemModel;
class QTableView;

namespace vok {

// The mapping dialog (`formatcard`): which column of a supplier's statement is
// which field, and how its texts are written, with the file's first rows shown
// as the mapping splits them and the first data row as it would be read.
// "Salvare" stores the mapping (a new one, or the one given).
class CardFormatDialog : public QDialog {
    Q_OBJECT
public:
    CardFormatDialog(const WindowContext &context, const cards::CardFormat &format, const QByteArray &sample,
                     QWidget *parent = nullptr);

    // The mapping as stored by the last "Salvare".
    const cards::CardFormat &saved() const { return m_saved; }
    // The mapping as the controls show it.
    cards::CardFormat current() const;

private:
    void refreshPreview();
    void save();

    WindowContext m_context;
    cards::CardFormat m_format;
    cards::CardFormat m_saved;
    QByteArray m_sample;

    QLineEdit *m_name = nullptr;     // nume
    QLineEdit *m_supplier = nullptr; // furnizor
    QComboBox *m_encoding = nullptr; // codificare
    QComboBox *m_delimiter = nullptr; // separator
    QComboBox *m_decimal = nullptr;  // zecimal
    QLineEdit *m_dateFormat = nullptr; // formatdata
    QSpinBox *m_header = nullptr;    // antet
    QList<QSpinBox *> m_columns;     // col0..col8, in the order of CardFormat::fieldNames()
    QTableView *m_preview = nullptr; // previzualizare
    QStandardItemModel *m_model = nullptr;
    QLabel *m_reading = nullptr;     // citire: the first data row as read
};

} // namespace vok
