<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Romanian for the texts of Qt's own dialogs, menus and messages that the clerk meets (Qt's
     translation packages carry no Romanian for them), written as the program's own texts are:
     no diacritics. Built with the program by lrelease into its resources. -->
<TS version="2.1" language="ro_RO" sourcelanguage="en">
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Salvare</translation>
    </message>
    <message>
        <source>Save All</source>
        <translation>Salvare toate</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Deschidere</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Da</translation>
    </message>
    <message>
        <source>Yes to &amp;All</source>
        <translation>Da la &amp;toate</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nu</translation>
    </message>
    <message>
        <source>N&amp;o to All</source>
        <translation>N&amp;u la toate</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abandon</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Reincercare</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorare</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Inchidere</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Renuntare</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Renuntare la modificari</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Ajutor</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Aplicare</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Resetare</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>Valori implicite</translation>
    </message>
</context>
<context>
    <name>QProgressDialog</name>
    <message>
        <source>Cancel</source>
        <translation>Renuntare</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Show Details...</source>
        <translation>Detalii...</translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation>Ascunde detaliile...</translation>
    </message>
</context>
<context>
    <name>QInputDialog</name>
    <message>
        <source>Enter a value:</source>
        <translation>Introduceti o valoare:</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>Look in:</source>
        <translation>Cauta in:</translation>
    </message>
    <message>
        <source>File &amp;name:</source>
        <translation>&amp;Nume fisier:</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>Fisiere de tipul:</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>Dosar:</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Deschidere</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Salvare</translation>
    </message>
    <message>
        <source>&amp;Choose</source>
        <translation>&amp;Alegere</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Deschidere</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Salvare ca</translation>
    </message>
    <message>
        <source>Find Directory</source>
        <translation>Alegere dosar</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Toate fisierele (*)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Toate fisierele (*)</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Fisiere</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Dosare</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Inapoi</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Inainte</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>Inapoi</translation>
    </message>
    <message>
        <source>Go forward</source>
        <translation>Inainte</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>Dosarul parinte</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>Dosarul parinte</translation>
    </message>
    <message>
        <source>Create New Folder</source>
        <translation>Dosar nou</translation>
    </message>
    <message>
        <source>Create a New Folder</source>
        <translation>Dosar nou</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Dosar nou</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>Dosar &amp;nou</translation>
    </message>
    <message>
        <source>List View</source>
        <translation>Lista</translation>
    </message>
    <message>
        <source>Detail View</source>
        <translation>Detalii</translation>
    </message>
    <message>
        <source>Change to list view mode</source>
        <translation>Vedere lista</translation>
    </message>
    <message>
        <source>Change to detail view mode</source>
        <translation>Vedere cu detalii</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>Bara laterala</translation>
    </message>
    <message>
        <source>List of places and bookmarks</source>
        <translation>Locuri si semne de carte</translation>
    </message>
    <message>
        <source>Recent Places</source>
        <translation>Locuri recente</translation>
    </message>
    <message>
        <source>Show </source>
        <translation>Arata </translation>
    </message>
    <message>
        <source>Show &amp;hidden files</source>
        <translation>Arata fisierele &amp;ascunse</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>&amp;Redenumire</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Stergere</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Stergere</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Eliminare</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 exista deja.
Il inlocuiti?</translation>
    </message>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation>%1
Fisierul nu a fost gasit.
Verificati numele fisierului.</translation>
    </message>
    <message>
        <source>%1
Directory not found.
Please verify the correct directory name was given.</source>
        <translation>%1
Dosarul nu a fost gasit.
Verificati numele dosarului.</translation>
    </message>
    <message>
        <source>Are you sure you want to delete '%1'?</source>
        <translation>Sigur stergeti '%1'?</translation>
    </message>
    <message>
        <source>'%1' is write protected.
Do you want to delete it anyway?</source>
        <translation>'%1' este protejat la scriere.
Il stergeti totusi?</translation>
    </message>
    <message>
        <source>Could not delete directory.</source>
        <translation>Dosarul nu poate fi sters.</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Name</source>
        <translation>Nume</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Marime</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Data modificarii</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Calculator</translation>
    </message>
    <message>
        <source>My Computer</source>
        <translation>Calculatorul meu</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <translation>Dosar</translation>
    </message>
    <message>
        <source>File Folder</source>
        <translation>Dosar</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Fisier</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Unitate</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>Scurtatura</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Necunoscut</translation>
    </message>
</context>
<context>
    <name>QLineEdit</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Anulare</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Refacere</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Decupare</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copiere</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Lipire</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Stergere</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Selectare totala</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Anulare</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Refacere</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Decupare</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copiere</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Lipire</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Stergere</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Selectare totala</translation>
    </message>
    <message>
        <source>Copy &amp;Link Location</source>
        <translation>Copiere adresa &amp;legaturii</translation>
    </message>
</context>
<context>
    <name>QAbstractSpinBox</name>
    <message>
        <source>&amp;Select All</source>
        <translation>&amp;Selectare totala</translation>
    </message>
    <message>
        <source>&amp;Step up</source>
        <translation>&amp;Creste</translation>
    </message>
    <message>
        <source>Step &amp;down</source>
        <translation>&amp;Scade</translation>
    </message>
</context>
<context>
    <name>QTabBar</name>
    <message>
        <source>Scroll Left</source>
        <translation>Derulare la stanga</translation>
    </message>
    <message>
        <source>Scroll Right</source>
        <translation>Derulare la dreapta</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>Print</source>
        <translation>Tiparire</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Tiparire</translation>
    </message>
    <message>
        <source>&amp;Options &gt;&gt;</source>
        <translation>&amp;Optiuni &gt;&gt;</translation>
    </message>
    <message>
        <source>&amp;Options &lt;&lt;</source>
        <translation>&amp;Optiuni &lt;&lt;</translation>
    </message>
    <message>
        <source>All Pages</source>
        <translation>Toate paginile</translation>
    </message>
    <message>
        <source>Odd Pages</source>
        <translation>Paginile impare</translation>
    </message>
    <message>
        <source>Even Pages</source>
        <translation>Paginile pare</translation>
    </message>
    <message>
        <source>Local file</source>
        <translation>Fisier local</translation>
    </message>
    <message>
        <source>Print to File (PDF)</source>
        <translation>Tiparire in fisier (PDF)</translation>
    </message>
    <message>
        <source>Print To File ...</source>
        <translation>Tiparire in fisier ...</translation>
    </message>
    <message>
        <source>Write PDF file</source>
        <translation>Scriere fisier PDF</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to overwrite it?</source>
        <translation>%1 exista deja.
Il suprascrieti?</translation>
    </message>
    <message>
        <source>%1 is a directory.
Please choose a different file name.</source>
        <translation>%1 este un dosar.
Alegeti alt nume de fisier.</translation>
    </message>
    <message>
        <source>File %1 is not writable.
Please choose a different file name.</source>
        <translation>Fisierul %1 nu poate fi scris.
Alegeti alt nume de fisier.</translation>
    </message>
    <message>
        <source>The 'From' value cannot be greater than the 'To' value.</source>
        <translation>Valoarea 'de la' nu poate fi mai mare decat 'pana la'.</translation>
    </message>
    <message>
        <source>Invalid Pages Definition</source>
        <translation>Pagini date gresit</translation>
    </message>
    <message>
        <source>%1 does not follow the correct syntax. Please use ',' to separate ranges and pages, '-' to define ranges and make sure ranges do not intersect with each other.</source>
        <translation>%1 nu are forma ceruta. Despartiti paginile si intervalele prin ',', dati intervalele cu '-' si nu lasati intervalele sa se suprapuna.</translation>
    </message>
    <message>
        <source>Options 'Pages Per Sheet' and 'Page Set' cannot be used together.
Please turn one of those options off.</source>
        <translation>Optiunile 'Pagini pe foaie' si 'Set de pagini' nu pot fi folosite impreuna.
Renuntati la una dintre ele.</translation>
    </message>
    <message>
        <source>Duplex Settings Conflicts</source>
        <translation>Setari fata-verso in conflict</translation>
    </message>
    <message>
        <source>There are conflicts in duplex settings. Do you want to fix them?</source>
        <translation>Setarile fata-verso sunt in conflict. Le corectati?</translation>
    </message>
    <message>
        <source>Left to Right, Top to Bottom</source>
        <translation>De la stanga la dreapta, de sus in jos</translation>
    </message>
    <message>
        <source>Left to Right, Bottom to Top</source>
        <translation>De la stanga la dreapta, de jos in sus</translation>
    </message>
    <message>
        <source>Right to Left, Top to Bottom</source>
        <translation>De la dreapta la stanga, de sus in jos</translation>
    </message>
    <message>
        <source>Right to Left, Bottom to Top</source>
        <translation>De la dreapta la stanga, de jos in sus</translation>
    </message>
    <message>
        <source>Top to Bottom, Left to Right</source>
        <translation>De sus in jos, de la stanga la dreapta</translation>
    </message>
    <message>
        <source>Top to Bottom, Right to Left</source>
        <translation>De sus in jos, de la dreapta la stanga</translation>
    </message>
    <message>
        <source>Bottom to Top, Left to Right</source>
        <translation>De jos in sus, de la stanga la dreapta</translation>
    </message>
    <message>
        <source>Bottom to Top, Right to Left</source>
        <translation>De jos in sus, de la dreapta la stanga</translation>
    </message>
</context>
<context>
    <name>QPrintWidget</name>
    <message>
        <source>Printer</source>
        <translation>Imprimanta</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Nume:</translation>
    </message>
    <message>
        <source>P&amp;roperties</source>
        <translation>P&amp;roprietati</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Locatie:</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Previzualizare</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Tip:</translation>
    </message>
    <message>
        <source>Output &amp;file:</source>
        <translation>&amp;Fisier de iesire:</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Copies</source>
        <translation>Exemplare</translation>
    </message>
    <message>
        <source>Copies:</source>
        <translation>Exemplare:</translation>
    </message>
    <message>
        <source>Collate</source>
        <translation>Asamblare</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>In ordine inversa</translation>
    </message>
    <message>
        <source>Print range</source>
        <translation>Ce se tipareste</translation>
    </message>
    <message>
        <source>Print all</source>
        <translation>Tot</translation>
    </message>
    <message>
        <source>Pages from</source>
        <translation>Paginile de la</translation>
    </message>
    <message>
        <source>to</source>
        <translation>pana la</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Paginile</translation>
    </message>
    <message>
        <source>Current Page</source>
        <translation>Pagina curenta</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Selectia</translation>
    </message>
    <message>
        <source>Page Set:</source>
        <translation>Set de pagini:</translation>
    </message>
    <message>
        <source>Output Settings</source>
        <translation>Setari de iesire</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optiuni</translation>
    </message>
    <message>
        <source>Color Mode</source>
        <translation>Mod de culoare</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>Tonuri de gri</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>Tiparire fata-verso</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Nu</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>Legare pe latura lunga</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>Legare pe latura scurta</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>Dati paginile sau intervalele, despartite prin virgula; un interval are doua numere despartite prin cratima. De ex.: 3,5-7,9 tipareste paginile 3, 5, 6, 7 si 9.</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Printer Properties</source>
        <translation>Proprietatile imprimantei</translation>
    </message>
    <message>
        <source>Job Options</source>
        <translation>Optiunile lucrarii</translation>
    </message>
    <message>
        <source>Page Setup Conflicts</source>
        <translation>Setari de pagina in conflict</translation>
    </message>
    <message>
        <source>Advanced Option Conflicts</source>
        <translation>Optiuni avansate in conflict</translation>
    </message>
    <message>
        <source>There are conflicts in page setup options. Do you want to fix them?</source>
        <translation>Setarile paginii sunt in conflict. Le corectati?</translation>
    </message>
    <message>
        <source>There are conflicts in some advanced options. Do you want to fix them?</source>
        <translation>Unele optiuni avansate sunt in conflict. Le corectati?</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Pagina</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>Avansat</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>Unele optiuni sunt in conflict. Corectati-le.</translation>
    </message>
    <message>
        <source>Job Options</source>
        <translation>Optiunile lucrarii</translation>
    </message>
</context>
<context>
    <name>QPageSetupWidget</name>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Hartie</translation>
    </message>
    <message>
        <source>Page size:</source>
        <translation>Dimensiunea paginii:</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Latime:</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>Inaltime:</translation>
    </message>
    <message>
        <source>Paper source:</source>
        <translation>Sursa hartiei:</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Personalizat</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Orientare</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Orizontal</translation>
    </message>
    <message>
        <source>Reverse landscape</source>
        <translation>Orizontal intors</translation>
    </message>
    <message>
        <source>Reverse portrait</source>
        <translation>Vertical intors</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>Margini</translation>
    </message>
    <message>
        <source>top margin</source>
        <translation>marginea de sus</translation>
    </message>
    <message>
        <source>bottom margin</source>
        <translation>marginea de jos</translation>
    </message>
    <message>
        <source>left margin</source>
        <translation>marginea din stanga</translation>
    </message>
    <message>
        <source>right margin</source>
        <translation>marginea din dreapta</translation>
    </message>
    <message>
        <source>Page Layout</source>
        <translation>Asezarea in pagina</translation>
    </message>
    <message>
        <source>Page order:</source>
        <translation>Ordinea paginilor:</translation>
    </message>
    <message>
        <source>Pages per sheet:</source>
        <translation>Pagini pe foaie:</translation>
    </message>
    <message>
        <source>Millimeters (mm)</source>
        <translation>Milimetri (mm)</translation>
    </message>
    <message>
        <source>Inches (in)</source>
        <translation>Toli (in)</translation>
    </message>
    <message>
        <source>Points (pt)</source>
        <translation>Puncte (pt)</translation>
    </message>
</context>
<context>
    <name>QScrollBar</name>
    <message>
        <source>Scroll here</source>
        <translation>Deruleaza pana aici</translation>
    </message>
    <message>
        <source>Left edge</source>
        <translation>Marginea din stanga</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Sus de tot</translation>
    </message>
    <message>
        <source>Right edge</source>
        <translation>Marginea din dreapta</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Jos de tot</translation>
    </message>
    <message>
        <source>Page left</source>
        <translation>O pagina la stanga</translation>
    </message>
    <message>
        <source>Page up</source>
        <translation>O pagina in sus</translation>
    </message>
    <message>
        <source>Page right</source>
        <translation>O pagina la dreapta</translation>
    </message>
    <message>
        <source>Page down</source>
        <translation>O pagina in jos</translation>
    </message>
    <message>
        <source>Scroll left</source>
        <translation>Deruleaza la stanga</translation>
    </message>
    <message>
        <source>Scroll up</source>
        <translation>Deruleaza in sus</translation>
    </message>
    <message>
        <source>Scroll right</source>
        <translation>Deruleaza la dreapta</translation>
    </message>
    <message>
        <source>Scroll down</source>
        <translation>Deruleaza in jos</translation>
    </message>
</context>
<context>
    <name>QCupsJobWidget</name>
    <message>
        <source>Job</source>
        <translation>Lucrare</translation>
    </message>
    <message>
        <source>Job Control</source>
        <translation>Controlul lucrarii</translation>
    </message>
    <message>
        <source>Scheduled printing:</source>
        <translation>Tiparire programata:</translation>
    </message>
    <message>
        <source>Billing information:</source>
        <translation>Date de facturare:</translation>
    </message>
    <message>
        <source>Job priority:</source>
        <translation>Prioritatea lucrarii:</translation>
    </message>
    <message>
        <source>Banner Pages</source>
        <translation>Pagini de separare</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>La inceput:</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>La sfarsit:</translation>
    </message>
    <message>
        <source>Banner page at start</source>
        <translation>Pagina de separare la inceput</translation>
    </message>
    <message>
        <source>Banner page at end</source>
        <translation>Pagina de separare la sfarsit</translation>
    </message>
    <message>
        <source>Form</source>
        <translation>Formular</translation>
    </message>
    <message>
        <source>Print Immediately</source>
        <translation>Tiparire imediata</translation>
    </message>
    <message>
        <source>Hold Indefinitely</source>
        <translation>Retinuta pe termen nedefinit</translation>
    </message>
    <message>
        <source>Day (06:00 to 17:59)</source>
        <translation>Ziua (06:00 - 17:59)</translation>
    </message>
    <message>
        <source>Night (18:00 to 05:59)</source>
        <translation>Noaptea (18:00 - 05:59)</translation>
    </message>
    <message>
        <source>Second Shift (16:00 to 23:59)</source>
        <translation>Schimbul doi (16:00 - 23:59)</translation>
    </message>
    <message>
        <source>Third Shift (00:00 to 07:59)</source>
        <translation>Schimbul trei (00:00 - 07:59)</translation>
    </message>
    <message>
        <source>Weekend (Saturday to Sunday)</source>
        <translation>Sfarsit de saptamana (sambata - duminica)</translation>
    </message>
    <message>
        <source>Specific Time</source>
        <translation>La o anumita ora</translation>
    </message>
    <message>
        <source>None</source>
        <comment>CUPS Banner page</comment>
        <translation>Fara</translation>
    </message>
    <message>
        <source>Standard</source>
        <comment>CUPS Banner page</comment>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Unclassified</source>
        <comment>CUPS Banner page</comment>
        <translation>Neclasificat</translation>
    </message>
    <message>
        <source>Confidential</source>
        <comment>CUPS Banner page</comment>
        <translation>Confidential</translation>
    </message>
    <message>
        <source>Classified</source>
        <comment>CUPS Banner page</comment>
        <translation>Clasificat</translation>
    </message>
    <message>
        <source>Secret</source>
        <comment>CUPS Banner page</comment>
        <translation>Secret</translation>
    </message>
    <message>
        <source>Top Secret</source>
        <comment>CUPS Banner page</comment>
        <translation>Strict secret</translation>
    </message>
</context>
<context>
    <name>QIODevice</name>
    <message>
        <source>Permission denied</source>
        <translation>Acces interzis</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>Prea multe fisiere deschise</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>Fisierul sau dosarul nu exista</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>Nu mai este loc pe disc</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Eroare necunoscuta</translation>
    </message>
</context>
<context>
    <name>QFile</name>
    <message>
        <source>Destination file exists</source>
        <translation>Fisierul de destinatie exista deja</translation>
    </message>
    <message>
        <source>Cannot remove source file</source>
        <translation>Fisierul sursa nu poate fi sters</translation>
    </message>
    <message>
        <source>Cannot open %1 for input</source>
        <translation>%1 nu poate fi deschis pentru citire</translation>
    </message>
    <message>
        <source>Cannot open for output: %1</source>
        <translation>Nu poate fi deschis pentru scriere: %1</translation>
    </message>
    <message>
        <source>Source file does not exist.</source>
        <translation>Fisierul sursa nu exista.</translation>
    </message>
    <message>
        <source>Destination file is the same file.</source>
        <translation>Fisierul de destinatie este chiar fisierul sursa.</translation>
    </message>
    <message>
        <source>Will not rename sequential file using block copy</source>
        <translation>Un fisier secvential nu se redenumeste prin copiere</translation>
    </message>
    <message>
        <source>Cannot open destination file: %1</source>
        <translation>Fisierul de destinatie nu poate fi deschis: %1</translation>
    </message>
    <message>
        <source>No file engine available</source>
        <translation>Fisierul nu poate fi accesat</translation>
    </message>
</context>
<context>
    <name>QFileDevice</name>
    <message>
        <source>No file engine available or engine does not support UnMapExtension</source>
        <translation>Fisierul nu poate fi eliberat din memorie</translation>
    </message>
</context>
<context>
    <name>QSaveFile</name>
    <message>
        <source>Existing file %1 is not writable</source>
        <translation>Fisierul existent %1 nu poate fi scris</translation>
    </message>
    <message>
        <source>Filename refers to a directory</source>
        <translation>Numele dat este al unui dosar</translation>
    </message>
    <message>
        <source>Writing canceled by application</source>
        <translation>Scrierea a fost oprita de program</translation>
    </message>
</context>
</TS>
