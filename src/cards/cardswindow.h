#pragma once

#include "cards/cardstore.h"
#include "ui/filedialog.h"
#include "ui/windowcontext.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace vok {

// The window "Carduri combustibil" (`carduri`): the card register (which card
// serves which vehicle from which day, of which supplier), the imports of the
// suppliers' statements and e-invoices, and the statements' mappings, made in
// the mapping dialog on a file's first rows.
class CardsWindow : public QDialog {
    Q_OBJECT
public:
    explicit CardsWindow(const WindowContext &context, QWidget *parent = nullptr);

    // Stands in for the file dialog (tests).
    void setFileChooser(FileChooser choose) { m_choose = std::move(choose); }

private:
    void refreshCards();
    void refreshImports();
    void refreshFormats();
    void showCard(int row);
    void newCard();
    void saveCard();
    void deleteCard();
    void importStatement();
    void importInvoice();
    void newFormat();
    void changeFormat();
    void deleteFormat();
    QString chooseFile(const QString &title, const QStringList &filters);
    bool readFile(const QString &path, QByteArray *data);

    WindowContext m_context;
    FileChooser m_choose;
    QList<cards::CardRecord> m_cards;
    cards::CardRecord m_card; // the card shown, idcard 0 when new
    QList<cards::CardFormat> m_formats;

    QTabWidget *m_tabs = nullptr;
    QTableView *m_cardGrid = nullptr; // gridcarduri
    QStandardItemModel *m_cardModel = nullptr;
    QLineEdit *m_nrcard = nullptr;    // nrcard
    QComboBox *m_nra = nullptr;       // nra
    QLineEdit *m_supplier = nullptr;  // furnizor
    QLineEdit *m_from = nullptr;      // dela
    QCheckBox *m_active = nullptr;    // activ

    QTableView *m_importGrid = nullptr; // gridimporturi
    QStandardItemModel *m_importModel = nullptr;
    QComboBox *m_importFormat = nullptr;   // formatimport
    QLineEdit *m_importSupplier = nullptr; // furnizorimport

    QTableView *m_formatGrid = nullptr; // gridformate
    QStandardItemModel *m_formatModel = nullptr;
};

} // namespace vok
