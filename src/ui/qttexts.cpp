#include "ui/qttexts.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>

namespace vok {

namespace {

struct Text {
    const char *context;
    const char *source;
    const char *romanian;
};

// Qt's own texts (context, English source) and what the clerk reads instead.
// Shortcuts (Alt+Left...) and texts that read the same stay out.
const Text texts[] = {
    // Standard buttons of message boxes and dialogs.
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Save", "Salvare"},
    {"QPlatformTheme", "Save All", "Salvare toate"},
    {"QPlatformTheme", "Open", "Deschidere"},
    {"QPlatformTheme", "&Yes", "&Da"},
    {"QPlatformTheme", "Yes to &All", "Da la &toate"},
    {"QPlatformTheme", "&No", "&Nu"},
    {"QPlatformTheme", "N&o to All", "N&u la toate"},
    {"QPlatformTheme", "Abort", "Abandon"},
    {"QPlatformTheme", "Retry", "Reincercare"},
    {"QPlatformTheme", "Ignore", "Ignorare"},
    {"QPlatformTheme", "Close", "Inchidere"},
    {"QPlatformTheme", "Cancel", "Renuntare"},
    {"QPlatformTheme", "Discard", "Renuntare la modificari"},
    {"QPlatformTheme", "Help", "Ajutor"},
    {"QPlatformTheme", "Apply", "Aplicare"},
    {"QPlatformTheme", "Reset", "Resetare"},
    {"QPlatformTheme", "Restore Defaults", "Valori implicite"},
    {"QProgressDialog", "Cancel", "Renuntare"},
    {"QMessageBox", "Show Details...", "Detalii..."},
    {"QMessageBox", "Hide Details...", "Ascunde detaliile..."},
    {"QInputDialog", "Enter a value:", "Introduceti o valoare:"},

    // The file dialog.
    {"QFileDialog", "Look in:", "Cauta in:"},
    {"QFileDialog", "File &name:", "&Nume fisier:"},
    {"QFileDialog", "Files of type:", "Fisiere de tipul:"},
    {"QFileDialog", "Directory:", "Dosar:"},
    {"QFileDialog", "&Open", "&Deschidere"},
    {"QFileDialog", "&Save", "&Salvare"},
    {"QFileDialog", "&Choose", "&Alegere"},
    {"QFileDialog", "Open", "Deschidere"},
    {"QFileDialog", "Save As", "Salvare ca"},
    {"QFileDialog", "Find Directory", "Alegere dosar"},
    {"QFileDialog", "All Files (*)", "Toate fisierele (*)"},
    {"QFileDialog", "All files (*)", "Toate fisierele (*)"},
    {"QFileDialog", "Files", "Fisiere"},
    {"QFileDialog", "Directories", "Dosare"},
    {"QFileDialog", "Back", "Inapoi"},
    {"QFileDialog", "Forward", "Inainte"},
    {"QFileDialog", "Go back", "Inapoi"},
    {"QFileDialog", "Go forward", "Inainte"},
    {"QFileDialog", "Parent Directory", "Dosarul parinte"},
    {"QFileDialog", "Go to the parent directory", "Dosarul parinte"},
    {"QFileDialog", "Create New Folder", "Dosar nou"},
    {"QFileDialog", "Create a New Folder", "Dosar nou"},
    {"QFileDialog", "New Folder", "Dosar nou"},
    {"QFileDialog", "&New Folder", "Dosar &nou"},
    {"QFileDialog", "List View", "Lista"},
    {"QFileDialog", "Detail View", "Detalii"},
    {"QFileDialog", "Change to list view mode", "Vedere lista"},
    {"QFileDialog", "Change to detail view mode", "Vedere cu detalii"},
    {"QFileDialog", "Sidebar", "Bara laterala"},
    {"QFileDialog", "List of places and bookmarks", "Locuri si semne de carte"},
    {"QFileDialog", "Recent Places", "Locuri recente"},
    {"QFileDialog", "Show ", "Arata "},
    {"QFileDialog", "Show &hidden files", "Arata fisierele &ascunse"},
    {"QFileDialog", "&Rename", "&Redenumire"},
    {"QFileDialog", "&Delete", "&Stergere"},
    {"QFileDialog", "Delete", "Stergere"},
    {"QFileDialog", "Remove", "Eliminare"},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?", "%1 exista deja.\nIl inlocuiti?"},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nFisierul nu a fost gasit.\nVerificati numele fisierului."},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nDosarul nu a fost gasit.\nVerificati numele dosarului."},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "Sigur stergeti '%1'?"},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "'%1' este protejat la scriere.\nIl stergeti totusi?"},
    {"QFileDialog", "Could not delete directory.", "Dosarul nu poate fi sters."},
    {"QFileSystemModel", "Name", "Nume"},
    {"QFileSystemModel", "Size", "Marime"},
    {"QFileSystemModel", "Type", "Tip"},
    {"QFileSystemModel", "Kind", "Tip"},
    {"QFileSystemModel", "Date Modified", "Data modificarii"},
    {"QFileSystemModel", "Computer", "Calculator"},
    {"QFileSystemModel", "My Computer", "Calculatorul meu"},
    {"QAbstractFileIconProvider", "Folder", "Dosar"},
    {"QAbstractFileIconProvider", "File Folder", "Dosar"},
    {"QAbstractFileIconProvider", "File", "Fisier"},
    {"QAbstractFileIconProvider", "Drive", "Unitate"},
    {"QAbstractFileIconProvider", "Shortcut", "Scurtatura"},
    {"QAbstractFileIconProvider", "Unknown", "Necunoscut"},

    // The edit menus of the text boxes.
    {"QLineEdit", "&Undo", "&Anulare"},
    {"QLineEdit", "&Redo", "&Refacere"},
    {"QLineEdit", "Cu&t", "&Decupare"},
    {"QLineEdit", "&Copy", "&Copiere"},
    {"QLineEdit", "&Paste", "&Lipire"},
    {"QLineEdit", "Delete", "Stergere"},
    {"QLineEdit", "Select All", "Selectare totala"},
    {"QWidgetTextControl", "&Undo", "&Anulare"},
    {"QWidgetTextControl", "&Redo", "&Refacere"},
    {"QWidgetTextControl", "Cu&t", "&Decupare"},
    {"QWidgetTextControl", "&Copy", "&Copiere"},
    {"QWidgetTextControl", "&Paste", "&Lipire"},
    {"QWidgetTextControl", "Delete", "Stergere"},
    {"QWidgetTextControl", "Select All", "Selectare totala"},
    {"QWidgetTextControl", "Copy &Link Location", "Copiere adresa &legaturii"},
    {"QAbstractSpinBox", "&Select All", "&Selectare totala"},
    {"QAbstractSpinBox", "&Step up", "&Creste"},
    {"QAbstractSpinBox", "Step &down", "&Scade"},
    {"QTabBar", "Scroll Left", "Derulare la stanga"},
    {"QTabBar", "Scroll Right", "Derulare la dreapta"},

    // The print dialog.
    {"QPrintDialog", "Print", "Tiparire"},
    {"QPrintDialog", "&Print", "&Tiparire"},
    {"QPrintDialog", "&Options >>", "&Optiuni >>"},
    {"QPrintDialog", "&Options <<", "&Optiuni <<"},
    {"QPrintDialog", "All Pages", "Toate paginile"},
    {"QPrintDialog", "Odd Pages", "Paginile impare"},
    {"QPrintDialog", "Even Pages", "Paginile pare"},
    {"QPrintDialog", "Local file", "Fisier local"},
    {"QPrintDialog", "Print to File (PDF)", "Tiparire in fisier (PDF)"},
    {"QPrintDialog", "Print To File ...", "Tiparire in fisier ..."},
    {"QPrintDialog", "Write PDF file", "Scriere fisier PDF"},
    {"QPrintDialog", "%1 already exists.\nDo you want to overwrite it?", "%1 exista deja.\nIl suprascrieti?"},
    {"QPrintDialog", "%1 is a directory.\nPlease choose a different file name.",
     "%1 este un dosar.\nAlegeti alt nume de fisier."},
    {"QPrintDialog", "File %1 is not writable.\nPlease choose a different file name.",
     "Fisierul %1 nu poate fi scris.\nAlegeti alt nume de fisier."},
    {"QPrintDialog", "The 'From' value cannot be greater than the 'To' value.",
     "Valoarea 'de la' nu poate fi mai mare decat 'pana la'."},
    {"QPrintDialog", "Invalid Pages Definition", "Pagini date gresit"},
    {"QPrintDialog",
     "%1 does not follow the correct syntax. Please use ',' to separate ranges and pages, '-' to define ranges and "
     "make sure ranges do not intersect with each other.",
     "%1 nu are forma ceruta. Despartiti paginile si intervalele prin ',', dati intervalele cu '-' si "
     "nu lasati intervalele sa se suprapuna."},
    {"QPrintDialog", "Options 'Pages Per Sheet' and 'Page Set' cannot be used together.\nPlease turn one of those "
                     "options off.",
     "Optiunile 'Pagini pe foaie' si 'Set de pagini' nu pot fi folosite impreuna.\nRenuntati la una dintre ele."},
    {"QPrintDialog", "Duplex Settings Conflicts", "Setari fata-verso in conflict"},
    {"QPrintDialog", "There are conflicts in duplex settings. Do you want to fix them?",
     "Setarile fata-verso sunt in conflict. Le corectati?"},
    {"QPrintDialog", "Left to Right, Top to Bottom", "De la stanga la dreapta, de sus in jos"},
    {"QPrintDialog", "Left to Right, Bottom to Top", "De la stanga la dreapta, de jos in sus"},
    {"QPrintDialog", "Right to Left, Top to Bottom", "De la dreapta la stanga, de sus in jos"},
    {"QPrintDialog", "Right to Left, Bottom to Top", "De la dreapta la stanga, de jos in sus"},
    {"QPrintDialog", "Top to Bottom, Left to Right", "De sus in jos, de la stanga la dreapta"},
    {"QPrintDialog", "Top to Bottom, Right to Left", "De sus in jos, de la dreapta la stanga"},
    {"QPrintDialog", "Bottom to Top, Left to Right", "De jos in sus, de la stanga la dreapta"},
    {"QPrintDialog", "Bottom to Top, Right to Left", "De jos in sus, de la dreapta la stanga"},
    {"QPrintWidget", "Printer", "Imprimanta"},
    {"QPrintWidget", "&Name:", "&Nume:"},
    {"QPrintWidget", "P&roperties", "P&roprietati"},
    {"QPrintWidget", "Location:", "Locatie:"},
    {"QPrintWidget", "Preview", "Previzualizare"},
    {"QPrintWidget", "Type:", "Tip:"},
    {"QPrintWidget", "Output &file:", "&Fisier de iesire:"},
    {"QPrintWidget", "Form", "Formular"},
    {"QPrintSettingsOutput", "Form", "Formular"},
    {"QPrintSettingsOutput", "Copies", "Exemplare"},
    {"QPrintSettingsOutput", "Copies:", "Exemplare:"},
    {"QPrintSettingsOutput", "Collate", "Asamblare"},
    {"QPrintSettingsOutput", "Reverse", "In ordine inversa"},
    {"QPrintSettingsOutput", "Print range", "Ce se tipareste"},
    {"QPrintSettingsOutput", "Print all", "Tot"},
    {"QPrintSettingsOutput", "Pages from", "Paginile de la"},
    {"QPrintSettingsOutput", "to", "pana la"},
    {"QPrintSettingsOutput", "Pages", "Paginile"},
    {"QPrintSettingsOutput", "Current Page", "Pagina curenta"},
    {"QPrintSettingsOutput", "Selection", "Selectia"},
    {"QPrintSettingsOutput", "Page Set:", "Set de pagini:"},
    {"QPrintSettingsOutput", "Output Settings", "Setari de iesire"},
    {"QPrintSettingsOutput", "Options", "Optiuni"},
    {"QPrintSettingsOutput", "Color Mode", "Mod de culoare"},
    {"QPrintSettingsOutput", "Color", "Color"},
    {"QPrintSettingsOutput", "Grayscale", "Tonuri de gri"},
    {"QPrintSettingsOutput", "Double Sided Printing", "Tiparire fata-verso"},
    {"QPrintSettingsOutput", "Off", "Nu"},
    {"QPrintSettingsOutput", "Long side binding", "Legare pe latura lunga"},
    {"QPrintSettingsOutput", "Short side binding", "Legare pe latura scurta"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: "
     "3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "Dati paginile sau intervalele, despartite prin virgula; un interval are doua numere despartite prin "
     "cratima. De ex.: 3,5-7,9 tipareste paginile 3, 5, 6, 7 si 9."},
    {"QPrintPropertiesDialog", "Printer Properties", "Proprietatile imprimantei"},
    {"QPrintPropertiesDialog", "Job Options", "Optiunile lucrarii"},
    {"QPrintPropertiesDialog", "Page Setup Conflicts", "Setari de pagina in conflict"},
    {"QPrintPropertiesDialog", "Advanced Option Conflicts", "Optiuni avansate in conflict"},
    {"QPrintPropertiesDialog", "There are conflicts in page setup options. Do you want to fix them?",
     "Setarile paginii sunt in conflict. Le corectati?"},
    {"QPrintPropertiesDialog", "There are conflicts in some advanced options. Do you want to fix them?",
     "Unele optiuni avansate sunt in conflict. Le corectati?"},
    {"QPrintPropertiesWidget", "Form", "Formular"},
    {"QPrintPropertiesWidget", "Page", "Pagina"},
    {"QPrintPropertiesWidget", "Advanced", "Avansat"},
    {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
     "Unele optiuni sunt in conflict. Corectati-le."},
    {"QPageSetupWidget", "Form", "Formular"},
    {"QPageSetupWidget", "Paper", "Hartie"},
    {"QPageSetupWidget", "Page size:", "Dimensiunea paginii:"},
    {"QPageSetupWidget", "Width:", "Latime:"},
    {"QPageSetupWidget", "Height:", "Inaltime:"},
    {"QPageSetupWidget", "Paper source:", "Sursa hartiei:"},
    {"QPageSetupWidget", "Custom", "Personalizat"},
    {"QPageSetupWidget", "Orientation", "Orientare"},
    {"QPageSetupWidget", "Portrait", "Vertical"},
    {"QPageSetupWidget", "Landscape", "Orizontal"},
    {"QPageSetupWidget", "Reverse landscape", "Orizontal intors"},
    {"QPageSetupWidget", "Reverse portrait", "Vertical intors"},
    {"QPageSetupWidget", "Margins", "Margini"},
    {"QPageSetupWidget", "top margin", "marginea de sus"},
    {"QPageSetupWidget", "bottom margin", "marginea de jos"},
    {"QPageSetupWidget", "left margin", "marginea din stanga"},
    {"QPageSetupWidget", "right margin", "marginea din dreapta"},
    {"QPageSetupWidget", "Page Layout", "Asezarea in pagina"},
    {"QPageSetupWidget", "Page order:", "Ordinea paginilor:"},
    {"QPageSetupWidget", "Pages per sheet:", "Pagini pe foaie:"},
    {"QPageSetupWidget", "Millimeters (mm)", "Milimetri (mm)"},
    {"QPageSetupWidget", "Inches (in)", "Toli (in)"},
    {"QPageSetupWidget", "Points (pt)", "Puncte (pt)"},
};

QByteArray key(const char *context, const char *source)
{
    return QByteArray(context) + '\x04' + QByteArray(source);
}

const QHash<QByteArray, QString> &table()
{
    static const QHash<QByteArray, QString> all = [] {
        QHash<QByteArray, QString> result;
        for (const Text &text : texts)
            result.insert(key(text.context, text.source), QString::fromLatin1(text.romanian));
        return result;
    }();
    return all;
}

} // namespace

QString QtRomanianTexts::translate(const char *context, const char *sourceText, const char *, int) const
{
    if (!context || !sourceText)
        return {};
    return table().value(key(context, sourceText));
}

bool installQtTranslations(QCoreApplication &app)
{
    // Installed last is asked first: Qt's own file, when there is one, before ours.
    app.installTranslator(new QtRomanianTexts(&app));
    auto *qtOwn = new QTranslator(&app);
    if (qtOwn->load(QStringLiteral("qtbase_ro"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(qtOwn);
        return true;
    }
    delete qtOwn;
    return false;
}

} // namespace vok
