<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Dialog</name>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Name:</translation>
    </message>
    <message>
        <source>&amp;Group:</source>
        <translation>&amp;Gruppe:</translation>
    </message>
    <message>
        <source>&amp;Take along</source>
        <translation>Mi&amp;tnehmen</translation>
    </message>
    <message>
        <source>&amp;Quantity:</source>
        <translation>&amp;Menge:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Voyanta Version 1.2.1
Copyright (C) 2024 Quorvane Software
Harbour Row 12, Port Elswick
support@quorvane.example</source>
        <translation>Voyanta Version 1.2.1
Copyright (C) 2024 Quorvane Software
Harbour Row 12, Port Elswick
support@quorvane.example</translation>
    </message>
    <message>
        <source>Edit Item and Quantity</source>
        <translation>Gegenstand bearbeiten</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>About Voyanta</source>
        <translation>Über Voyanta</translation>
    </message>
</context>
<context>
    <name>DocString</name>
    <message>
        <source>Unnamed</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>Document</source>
        <translation>Dokument</translation>
    </message>
</context>
<context>
    <name>FrameworkStrings</name>
    <message>
        <source>Save changes to %1?</source>
        <translation>Änderungen an %1 speichern?</translation>
    </message>
    <message>
        <source>Failed to open document.</source>
        <translation>Das Dokument konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Failed to save document.</source>
        <translation>Das Dokument konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Failed to create empty document.</source>
        <translation>Ein leeres Dokument konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Encountered an unexpected error while reading %1.</source>
        <translation>Beim Lesen von %1 ist ein unerwarteter Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>%1
File not found.</source>
        <translation>%1
Datei nicht gefunden.</translation>
    </message>
    <message>
        <source>%1 was not found or access to it was denied.</source>
        <translation>%1 wurde nicht gefunden, oder der Zugriff darauf wurde verweigert.</translation>
    </message>
    <message>
        <source>The disk is full.</source>
        <translation>Der Datenträger ist voll.</translation>
    </message>
    <message>
        <source>An unexpected file error occurred with %1.</source>
        <translation>Bei der Datei %1 ist ein unerwarteter Fehler aufgetreten.</translation>
    </message>
    <message>
        <source>Out of memory.</source>
        <translation>Nicht genügend Arbeitsspeicher.</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Could not print to %1.</source>
        <translation>Drucken auf %1 war nicht möglich.</translation>
    </message>
    <message>
        <source>There is no printer named %1.</source>
        <translation>Es gibt keinen Drucker namens %1.</translation>
    </message>
    <message>
        <source>There is no default printer.</source>
        <translation>Es ist kein Standarddrucker eingerichtet.</translation>
    </message>
    <message>
        <source>Printing from the command line takes /p FILE, or /pt FILE PRINTER (a PRINTER ending in .pdf is a PDF file to write).</source>
        <translation>Drucken von der Befehlszeile erwartet /p DATEI oder /pt DATEI DRUCKER (ein DRUCKER, der auf .pdf endet, ist eine zu schreibende PDF-Datei).</translation>
    </message>
    <message>
        <source>%1 is not a regular file.</source>
        <translation>%1 ist keine gewöhnliche Datei.</translation>
    </message>
    <message>
        <source>%1 is a directory.</source>
        <translation>%1 ist ein Ordner.</translation>
    </message>
    <message>
        <source>The printer %1 is stopped; the job waits there.</source>
        <translation>Der Drucker %1 ist angehalten; der Auftrag wartet dort.</translation>
    </message>
    <message>
        <source>The print system cannot be reached.</source>
        <translation>Das Drucksystem ist nicht erreichbar.</translation>
    </message>
    <message>
        <source>Printing was ended.</source>
        <translation>Das Drucken wurde beendet.</translation>
    </message>
    <message>
        <source>%1 is a link that another user made; Voyanta does not follow it.</source>
        <translation>%1 ist eine Verknüpfung, die ein anderer Benutzer angelegt hat; Voyanta folgt ihr nicht.</translation>
    </message>
    <message>
        <source>Open this document.
Open document</source>
        <translation>Dieses Dokument öffnen.
Dokument öffnen</translation>
    </message>
</context>
<context>
    <name>Menu</name>
    <message>
        <source>&amp;New	Ctrl+N</source>
        <translation>&amp;Neu	Strg+N</translation>
    </message>
    <message>
        <source>&amp;Open...	Ctrl+O</source>
        <translation>Ö&amp;ffnen...	Strg+O</translation>
    </message>
    <message>
        <source>&amp;Save	Ctrl+S</source>
        <translation>&amp;Speichern	Strg+S</translation>
    </message>
    <message>
        <source>Save &amp;As...	Ctrl+Shift+S</source>
        <translation>Speichern &amp;unter...	Strg+Umschalt+S</translation>
    </message>
    <message>
        <source>&amp;Print...	Ctrl+P</source>
        <translation>&amp;Drucken...	Strg+P</translation>
    </message>
    <message>
        <source>O&amp;ptions...	F10</source>
        <translation>&amp;Optionen...	F10</translation>
    </message>
    <message>
        <source>(No Recent Files)</source>
        <translation>(Keine zuletzt geöffneten Dateien)</translation>
    </message>
    <message>
        <source>E&amp;xit	Alt+X</source>
        <translation>&amp;Beenden	Alt+X</translation>
    </message>
    <message>
        <source>&amp;Check/Uncheck	Space</source>
        <translation>&amp;Abhaken an/aus	Leertaste</translation>
    </message>
    <message>
        <source>Edit &amp;Quantity...	0-9</source>
        <translation>&amp;Menge bearbeiten...	0-9</translation>
    </message>
    <message>
        <source>&amp;Edit Item...	Enter</source>
        <translation>Gegenstand &amp;bearbeiten...	Enter</translation>
    </message>
    <message>
        <source>&amp;New Item...	Ins</source>
        <translation>&amp;Neuer Gegenstand...	Einfg</translation>
    </message>
    <message>
        <source>&amp;Delete Item	Del</source>
        <translation>Gegenstand &amp;löschen	Entf</translation>
    </message>
    <message>
        <source>Show &amp;Voyanta Only	F8</source>
        <translation>Nur die &amp;Reise zeigen	F8</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Symbolleiste</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>S&amp;tatusleiste</translation>
    </message>
    <message>
        <source>&amp;Refresh	F5</source>
        <translation>&amp;Aktualisieren	F5</translation>
    </message>
    <message>
        <source>&amp;Help...	F1</source>
        <translation>&amp;Hilfe...	F1</translation>
    </message>
    <message>
        <source>&amp;Terms and Conditions</source>
        <translation>&amp;Nutzungsbedingungen</translation>
    </message>
    <message>
        <source>&amp;Web Site of Voyanta</source>
        <translation>&amp;Website von Voyanta</translation>
    </message>
    <message>
        <source>&amp;About Voyanta...	Shift-F1</source>
        <translation>Ü&amp;ber Voyanta...	Umschalt-F1</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>Open this document.
Open document</source>
        <translation>Dieses Dokument öffnen.
Dokument öffnen</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Werkzeuge</translation>
    </message>
    <message>
        <source>Quantity</source>
        <translation>Menge</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <source>Items</source>
        <translation>Gegenstände</translation>
    </message>
    <message>
        <source>not taken along</source>
        <translation>wird nicht mitgenommen</translation>
    </message>
    <message>
        <source>taken along</source>
        <translation>wird mitgenommen</translation>
    </message>
    <message>
        <source>The Voyanta</source>
        <translation>Voyanta</translation>
    </message>
    <message>
        <source>Please select an item first.</source>
        <translation>Bitte wählen Sie zuerst einen Gegenstand aus.</translation>
    </message>
    <message>
        <source>Voyanta cannot start: its item repository %1 can be neither read nor created.</source>
        <translation>Voyanta kann nicht starten: Der Gegenstandsbestand %1 lässt sich weder lesen noch anlegen.</translation>
    </message>
    <message>
        <source>Voyanta is already running with the repository %1.</source>
        <translation>Voyanta läuft bereits mit dem Bestand %1.</translation>
    </message>
    <message>
        <source>Voyanta could not save its item repository %1.</source>
        <translation>Voyanta konnte den Gegenstandsbestand %1 nicht speichern.</translation>
    </message>
    <message>
        <source>Voyanta could not save its settings in %1.</source>
        <translation>Voyanta konnte die Einstellungen nicht in %1 speichern.</translation>
    </message>
    <message>
        <source>Voyanta could not save its item repository %1, which is now damaged.</source>
        <translation>Voyanta konnte den Gegenstandsbestand %1 nicht speichern; er ist jetzt beschädigt.</translation>
    </message>
    <message>
        <source>Every item is kept in %1, from where Voyanta takes them when it starts again.</source>
        <translation>Alle Gegenstände sind in %1 gesichert; von dort übernimmt Voyanta sie beim nächsten Start.</translation>
    </message>
    <message>
        <source>The items could not be kept in a rescue file either: %1</source>
        <translation>Die Gegenstände konnten auch nicht in einer Rettungsdatei gesichert werden: %1</translation>
    </message>
    <message>
        <source>Voyanta tries again at the next change, and when it ends.</source>
        <translation>Voyanta versucht es bei der nächsten Änderung und beim Beenden erneut.</translation>
    </message>
    <message>
        <source>Voyanta did not end properly last time, and the trip %1 had changes that were not saved.

Bring the trip back as it was?</source>
        <translation>Voyanta wurde beim letzten Mal nicht ordnungsgemäß beendet, und die Reise %1 hatte ungespeicherte Änderungen.

Die Reise so wiederherstellen, wie sie war?</translation>
    </message>
    <message>
        <source>Voyanta cannot start: its item repository %1 is damaged.</source>
        <translation>Voyanta kann nicht starten: Der Gegenstandsbestand %1 ist beschädigt.</translation>
    </message>
    <message>
        <source>Voyanta cannot start: the lock file %1, which keeps two users from writing its item repository at once, cannot be used.</source>
        <translation>Voyanta kann nicht starten: Die Sperrdatei %1, die verhindert, dass zwei Benutzer gleichzeitig in den Gegenstandsbestand schreiben, ist nicht verwendbar.</translation>
    </message>
    <message>
        <source>It was started by the user %1.</source>
        <translation>Gestartet wurde es vom Benutzer %1.</translation>
    </message>
    <message>
        <source>Voyanta cannot make sure that it runs only once with the repository %1. Items entered in a second copy started meanwhile could be lost: close any other Voyanta window first.</source>
        <translation>Voyanta kann nicht sicherstellen, dass es mit dem Bestand %1 nur einmal läuft. Gegenstände, die in einer inzwischen gestarteten zweiten Kopie eingegeben werden, könnten verloren gehen: Schließen Sie zuerst jedes andere Voyanta-Fenster.</translation>
    </message>
    <message>
        <source>This will delete the item not only from the current voyanta,
but also from the repository.

To remove it from the voyanta, uncheck the item.

Are you sure to delete the item?</source>
        <translation>Dadurch wird der Gegenstand nicht nur aus der aktuellen Reise,
sondern auch aus dem Bestand gelöscht.

Um ihn nur aus der Reise zu nehmen, entfernen Sie seinen Haken.

Den Gegenstand wirklich löschen?</translation>
    </message>
    <message>
        <source>Create a new document.
New</source>
        <translation>Ein neues Dokument anlegen.
Neu</translation>
    </message>
    <message>
        <source>Open an existing document.
Open</source>
        <translation>Ein vorhandenes Dokument öffnen.
Öffnen</translation>
    </message>
    <message>
        <source>Save the active document.
Save</source>
        <translation>Das aktive Dokument speichern.
Speichern</translation>
    </message>
    <message>
        <source>Save the active document with a new name.
Save as</source>
        <translation>Das aktive Dokument unter einem neuen Namen speichern.
Speichern unter</translation>
    </message>
    <message>
        <source>Delete the item from the repository.
Delete from repository</source>
        <translation>Den Gegenstand aus dem Bestand löschen.
Aus dem Bestand löschen</translation>
    </message>
    <message>
        <source>Display program information.
About</source>
        <translation>Informationen zum Programm anzeigen.
Über</translation>
    </message>
    <message>
        <source>Quit Voyanta.
Exit</source>
        <translation>Voyanta beenden.
Beenden</translation>
    </message>
    <message>
        <source>Set up Voyanta.
Setup</source>
        <translation>Voyanta einrichten.
Einrichten</translation>
    </message>
    <message>
        <source>Open the help of Voyanta.
Help</source>
        <translation>Die Hilfe zu Voyanta öffnen.
Hilfe</translation>
    </message>
    <message>
        <source>Open the Terms and Conditions.
Terms and Conditions</source>
        <translation>Die Nutzungsbedingungen öffnen.
Nutzungsbedingungen</translation>
    </message>
    <message>
        <source>Open the web site of Voyanta.
Web Site</source>
        <translation>Die Website von Voyanta öffnen.
Website</translation>
    </message>
    <message>
        <source>Refresh the view.
Refresh</source>
        <translation>Die Ansicht aktualisieren.
Aktualisieren</translation>
    </message>
    <message>
        <source>Show or hide the toolbar.
Toggle tool bar</source>
        <translation>Die Symbolleiste ein- oder ausblenden.
Symbolleiste ein/aus</translation>
    </message>
    <message>
        <source>Show or hide the status bar.
Toggle status bar</source>
        <translation>Die Statusleiste ein- oder ausblenden.
Statusleiste ein/aus</translation>
    </message>
    <message>
        <source>Voyanta could not keep a copy of the trip&apos;s unsaved changes, which would bring them back after a crash: %1</source>
        <translation>Voyanta konnte keine Kopie der ungespeicherten Änderungen der Reise anlegen, mit der sie sich nach einem Absturz zurückholen ließen: %1</translation>
    </message>
</context>
<context>
    <name>ToolBar</name>
    <message>
        <source>Uncheck</source>
        <translation>Haken entfernen</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>Abhaken</translation>
    </message>
</context>
</TS>
