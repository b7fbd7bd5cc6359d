<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>DavError</name>
    <message>
        <source>The address book server refused the user name or password.</source>
        <translation>Der Adressbuch-Server hat Benutzername oder Passwort abgelehnt.</translation>
    </message>
    <message>
        <source>The address book server cannot be reached.</source>
        <translation>Der Adressbuch-Server ist nicht erreichbar.</translation>
    </message>
    <message>
        <source>No address book was found at this address.</source>
        <translation>Unter dieser Adresse wurde kein Adressbuch gefunden.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted or has changed (SHA-256 %1).</source>
        <translation>Das Zertifikat des Servers ist nicht vertrauenswürdig oder hat sich geändert (SHA-256 %1).</translation>
    </message>
    <message>
        <source>The card was changed on the server in the meantime.</source>
        <translation>Die Karte wurde inzwischen auf dem Server geändert.</translation>
    </message>
    <message>
        <source>The card or address book is not on the server.</source>
        <translation>Die Karte oder das Adressbuch ist nicht auf dem Server.</translation>
    </message>
    <message>
        <source>The address book server does not allow this.</source>
        <translation>Der Adressbuch-Server erlaubt das nicht.</translation>
    </message>
    <message>
        <source>The server asked for plain HTTP at %1, but the account uses HTTPS; refused.</source>
        <translation>Der Server verlangte unverschlüsseltes HTTP unter %1, das Konto nutzt aber HTTPS; abgelehnt.</translation>
    </message>
    <message>
        <source>The server sent us on to another host, %1; the password was not sent there.</source>
        <translation>Der Server leitete an einen anderen Rechner weiter, %1; das Passwort wurde nicht dorthin gesendet.</translation>
    </message>
    <message>
        <source>The server&apos;s answer was too large and was refused.</source>
        <translation>Die Antwort des Servers war zu groß und wurde abgelehnt.</translation>
    </message>
    <message>
        <source>The server no longer knows the last sync state.</source>
        <translation>Der Server kennt den letzten Abgleichstand nicht mehr.</translation>
    </message>
    <message>
        <source>The server&apos;s answer could not be read.</source>
        <translation>Die Antwort des Servers konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The address book server reported an error (HTTP %1).</source>
        <translation>Der Adressbuch-Server meldete einen Fehler (HTTP %1).</translation>
    </message>
    <message>
        <source>The phone book could not be changed for the sync:</source>
        <translation>Das Telefonbuch konnte für den Abgleich nicht geändert werden:</translation>
    </message>
    <message numerus="yes">
        <source>The address book server no longer has %n of the %1 names it shares with this phone book.</source>
        <translation>
            <numerusform>Der Adressbuch-Server hat %n der %1 Namen, die er mit diesem Telefonbuch teilt, nicht mehr.</numerusform>
            <numerusform>Der Adressbuch-Server hat %n der %1 Namen, die er mit diesem Telefonbuch teilt, nicht mehr.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MultistatusParser</name>
    <message>
        <source>The server&apos;s answer is not a WebDAV multistatus.</source>
        <translation>Die Antwort des Servers ist kein WebDAV-Multistatus.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is larger than %1 MB and was refused.</source>
        <translation>Die Antwort des Servers ist größer als %1 MB und wurde abgelehnt.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is empty.</source>
        <translation>Die Antwort des Servers ist leer.</translation>
    </message>
    <message>
        <source>The server&apos;s answer ended before it was complete.</source>
        <translation>Die Antwort des Servers endete, bevor sie vollständig war.</translation>
    </message>
    <message>
        <source>The server&apos;s answer declares a document type, which is refused.</source>
        <translation>Die Antwort des Servers deklariert einen Dokumenttyp; das wird abgelehnt.</translation>
    </message>
    <message>
        <source>The server&apos;s answer uses an unknown entity.</source>
        <translation>Die Antwort des Servers verwendet eine unbekannte Entität.</translation>
    </message>
    <message>
        <source>The server&apos;s answer holds a text longer than %1 characters.</source>
        <translation>Die Antwort des Servers enthält einen Text mit mehr als %1 Zeichen.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is not well-formed XML (line %1): %2</source>
        <translation>Die Antwort des Servers ist kein wohlgeformtes XML (Zeile %1): %2</translation>
    </message>
    <message>
        <source>The server&apos;s answer goes on after its end.</source>
        <translation>Die Antwort des Servers geht nach ihrem Ende weiter.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is nested more than %1 levels deep.</source>
        <translation>Die Antwort des Servers ist mehr als %1 Ebenen tief verschachtelt.</translation>
    </message>
    <message>
        <source>The server&apos;s answer lists more than %1 entries.</source>
        <translation>Die Antwort des Servers enthält mehr als %1 Einträge.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Telvora cannot start: %1.</source>
        <translation>Telvora kann nicht starten: %1.</translation>
    </message>
    <message>
        <source>Telvora cannot tell whether it is already running: %1. It starts anyway.</source>
        <translation>Telvora kann nicht feststellen, ob es bereits läuft: %1. Es startet trotzdem.</translation>
    </message>
    <message>
        <source>the running Telvora did not take the link</source>
        <translation>das laufende Telvora hat den Link nicht angenommen</translation>
    </message>
</context>
<context>
    <name>telvora::AboutWindow</name>
    <message>
        <source>(not in use: no phone book is open)</source>
        <translation>(nicht in Gebrauch: kein Telefonbuch geöffnet)</translation>
    </message>
    <message>
        <source>(unknown)</source>
        <translation>(unbekannt)</translation>
    </message>
    <message>
        <source>&lt;h2&gt;Telvora %1&lt;/h2&gt;&lt;p&gt;A phone book that dials its numbers through your telephone line and redials busy numbers for you.&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; the Telvora developers.&lt;br&gt;Telvora is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License, version 3 or (at your option) any later version. It comes with no warranty.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Built with&lt;/b&gt;&lt;br&gt;Qt %2 (running on %3)&lt;br&gt;SQLite %4&lt;/p&gt;&lt;p&gt;Phone book: %5&lt;/p&gt;</source>
        <translation>&lt;h2&gt;Telvora %1&lt;/h2&gt;&lt;p&gt;Ein Telefonbuch, das seine Rufnummern über Ihre Telefonleitung wählt und besetzte Nummern für Sie erneut wählt.&lt;/p&gt;&lt;p&gt;Copyright &amp;copy; die Telvora-Entwickler.&lt;br&gt;Telvora ist freie Software: Sie können es unter den Bedingungen der GNU General Public License, Version 3 oder (nach Ihrer Wahl) jeder späteren Version, weitergeben und/oder verändern. Es wird ohne jede Gewährleistung geliefert.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Erstellt mit&lt;/b&gt;&lt;br&gt;Qt %2 (läuft unter %3)&lt;br&gt;SQLite %4&lt;/p&gt;&lt;p&gt;Telefonbuch: %5&lt;/p&gt;</translation>
    </message>
    <message>
        <source>About Telvora</source>
        <translation>Über Telvora</translation>
    </message>
</context>
<context>
    <name>telvora::AddressBookDialog</name>
    <message>
        <source>Address Book Server</source>
        <translation>Adressbuch-Server</translation>
    </message>
    <message>
        <source>&amp;Find address books</source>
        <translation>Adressbücher &amp;suchen</translation>
    </message>
    <message>
        <source>Sync &amp;now</source>
        <translation>&amp;Jetzt abgleichen</translation>
    </message>
    <message>
        <source>&amp;Server address:</source>
        <translation>Server-&amp;Adresse:</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>&amp;Benutzer:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>&amp;Address book:</source>
        <translation>A&amp;dressbuch:</translation>
    </message>
    <message>
        <source>Looking for address books...</source>
        <translation>Suche nach Adressbüchern...</translation>
    </message>
    <message>
        <source>The server&apos;s certificate has changed since you accepted it.</source>
        <translation>Das Zertifikat des Servers hat sich geändert, seit Sie es angenommen haben.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted by this system.</source>
        <translation>Dieses System vertraut dem Zertifikat des Servers nicht.</translation>
    </message>
    <message>
        <source>SHA-256 fingerprint:
%1

Trust this certificate for this server?</source>
        <translation>SHA-256-Fingerabdruck:
%1

Diesem Zertifikat für diesen Server vertrauen?</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>The server offers no address book.</source>
        <translation>Der Server bietet kein Adressbuch an.</translation>
    </message>
    <message>
        <source>Choose the address book to sync with.</source>
        <translation>Wählen Sie das Adressbuch für den Abgleich.</translation>
    </message>
    <message>
        <source>The settings could not be saved to &quot;%1&quot;.</source>
        <translation>Die Einstellungen konnten nicht in „%1“ gespeichert werden.</translation>
    </message>
</context>
<context>
    <name>telvora::AtChannel</name>
    <message>
        <source>not a serial port</source>
        <translation>keine serielle Schnittstelle</translation>
    </message>
</context>
<context>
    <name>telvora::CallController</name>
    <message>
        <source>Muted</source>
        <translation>Stumm</translation>
    </message>
    <message>
        <source>Tones: %1</source>
        <translation>Töne: %1</translation>
    </message>
</context>
<context>
    <name>telvora::CallOutcome</name>
    <message>
        <source>Last Status : Busy</source>
        <translation>Letzter Status : Besetzt</translation>
    </message>
    <message>
        <source>Last Status : No Answer</source>
        <translation>Letzter Status : Keine Antwort</translation>
    </message>
    <message>
        <source>Last Status : No Dial Tone</source>
        <translation>Letzter Status : Kein Wählton</translation>
    </message>
    <message>
        <source>Last Status : Call Dropped</source>
        <translation>Letzter Status : Verbindung abgebrochen</translation>
    </message>
    <message>
        <source>Last Status : Call Ended</source>
        <translation>Letzter Status : Gespräch beendet</translation>
    </message>
    <message>
        <source>Last Status : Declined</source>
        <translation>Letzter Status : Abgewiesen</translation>
    </message>
    <message>
        <source>Last Status : Invalid Number</source>
        <translation>Letzter Status : Ungültige Rufnummer</translation>
    </message>
    <message>
        <source>Last Status : Unreachable</source>
        <translation>Letzter Status : Nicht erreichbar</translation>
    </message>
    <message>
        <source>Last Status : Line Lost</source>
        <translation>Letzter Status : Leitung verloren</translation>
    </message>
    <message>
        <source>Last Status :  User Hang UP</source>
        <translation>Letzter Status :  Vom Benutzer aufgelegt</translation>
    </message>
</context>
<context>
    <name>telvora::CellularLineDialog</name>
    <message>
        <source>Cellular Line</source>
        <translation>Mobilfunkleitung</translation>
    </message>
</context>
<context>
    <name>telvora::CellularProvider</name>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Starting</source>
        <translation>Wird gestartet</translation>
    </message>
    <message>
        <source>Locked (SIM PIN needed)</source>
        <translation>Gesperrt (SIM-PIN nötig)</translation>
    </message>
    <message>
        <source>Disabled (enabled when you dial)</source>
        <translation>Ausgeschaltet (wird beim Wählen eingeschaltet)</translation>
    </message>
    <message>
        <source>Disabling</source>
        <translation>Wird ausgeschaltet</translation>
    </message>
    <message>
        <source>Enabling</source>
        <translation>Wird eingeschaltet</translation>
    </message>
    <message>
        <source>Enabled, no network</source>
        <translation>Eingeschaltet, kein Netz</translation>
    </message>
    <message>
        <source>Searching for a network</source>
        <translation>Sucht ein Netz</translation>
    </message>
    <message>
        <source>Registered</source>
        <translation>Angemeldet</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Cellular modem %1</source>
        <translation>Mobilfunkmodem %1</translation>
    </message>
    <message>
        <source>In a call</source>
        <translation>Im Gespräch</translation>
    </message>
    <message>
        <source>Dialling</source>
        <translation>Wählt</translation>
    </message>
    <message>
        <source>Manufacturer</source>
        <translation>Hersteller</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>Equipment identifier</source>
        <translation>Gerätekennung</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Schnittstelle</translation>
    </message>
    <message>
        <source>Own numbers</source>
        <translation>Eigene Rufnummern</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Incoming call</source>
        <translation>Eingehender Anruf</translation>
    </message>
</context>
<context>
    <name>telvora::ChangeMarks</name>
    <message>
        <source>the phone book cannot be changed</source>
        <translation>das Telefonbuch kann nicht geändert werden</translation>
    </message>
</context>
<context>
    <name>telvora::CommandLine</name>
    <message>
        <source>Telvora keeps your phone book and dials its numbers through a telephone line, redialling busy numbers.</source>
        <translation>Telvora verwaltet Ihr Telefonbuch und wählt dessen Nummern über eine Telefonleitung; besetzte Nummern wählt es erneut.</translation>
    </message>
    <message>
        <source>Shows these options and ends.</source>
        <translation>Zeigt diese Optionen an und endet.</translation>
    </message>
    <message>
        <source>Shows the version and ends.</source>
        <translation>Zeigt die Version an und endet.</translation>
    </message>
    <message>
        <source>Dials the number or link at once, with the attempts and the pause set up in Setup.</source>
        <translation>Wählt die Nummer oder den Link sofort, mit den Versuchen und der Pause aus den Optionen.</translation>
    </message>
    <message>
        <source>number-or-link</source>
        <translation>Nummer-oder-Link</translation>
    </message>
    <message>
        <source>Keeps the phone book and the settings in this folder, as TELVORA_HOME does.</source>
        <translation>Legt Telefonbuch und Einstellungen in diesem Ordner ab, wie TELVORA_HOME.</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>A tel:, callto:, sip: or sips: link, or a number: the running window shows it in the quick-dial box, and Enter dials it.</source>
        <translation>Ein tel:-, callto:-, sip:- oder sips:-Link oder eine Nummer: Das laufende Fenster zeigt sie im Feld der Direktwahl, und die Eingabetaste wählt sie.</translation>
    </message>
    <message>
        <source>[link]</source>
        <translation>[Link]</translation>
    </message>
    <message>
        <source>--home needs a folder</source>
        <translation>--home braucht einen Ordner</translation>
    </message>
    <message>
        <source>one link at a time, please: %1 were given</source>
        <translation>bitte nur einen Link auf einmal: %1 wurden angegeben</translation>
    </message>
    <message>
        <source>give either a link or --dial, not both</source>
        <translation>entweder einen Link oder --dial angeben, nicht beides</translation>
    </message>
    <message>
        <source>Adds the names of a vCard (.vcf) or CSV (.csv) file to the phone book and ends.</source>
        <translation>Fügt die Namen einer vCard- (.vcf) oder CSV-Datei (.csv) dem Telefonbuch hinzu und endet.</translation>
    </message>
    <message>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Writes the phone book to a new vCard (.vcf) or CSV (.csv) file and ends.</source>
        <translation>Schreibt das Telefonbuch in eine neue vCard- (.vcf) oder CSV-Datei (.csv) und endet.</translation>
    </message>
    <message>
        <source>With --import: puts every name into this group. With --export: writes this group only.</source>
        <translation>Mit --import: legt jeden Namen in diese Gruppe. Mit --export: schreibt nur diese Gruppe.</translation>
    </message>
    <message>
        <source>name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>give either --import or --export, not both</source>
        <translation>bitte entweder --import oder --export angeben, nicht beides</translation>
    </message>
    <message>
        <source>--import and --export take no link</source>
        <translation>--import und --export nehmen keinen Link</translation>
    </message>
    <message>
        <source>--import and --export need a file</source>
        <translation>--import und --export brauchen eine Datei</translation>
    </message>
    <message>
        <source>--group goes with --import or --export</source>
        <translation>--group gehört zu --import oder --export</translation>
    </message>
    <message>
        <source>With --export to a .vcf file: writes vCard 3.0, which older phones read, instead of 4.0.</source>
        <translation>Mit --export in eine .vcf-Datei: schreibt vCard 3.0, das ältere Telefone lesen, statt 4.0.</translation>
    </message>
    <message>
        <source>--vcard3 goes with --export</source>
        <translation>--vcard3 gehört zu --export</translation>
    </message>
</context>
<context>
    <name>telvora::ContactCommand</name>
    <message>
        <source>the phone book cannot be used: %1</source>
        <translation>das Telefonbuch kann nicht benutzt werden: %1</translation>
    </message>
    <message>
        <source>%1 exists already; give a new file name</source>
        <translation>%1 gibt es schon; bitte einen neuen Dateinamen angeben</translation>
    </message>
    <message>
        <source>the phone book has no group %1</source>
        <translation>das Telefonbuch hat keine Gruppe %1</translation>
    </message>
</context>
<context>
    <name>telvora::ContactExport</name>
    <message>
        <source>Exported %1 names and %2 numbers</source>
        <translation>%1 Namen und %2 Nummern exportiert</translation>
    </message>
    <message>
        <source>%1 is neither a vCard (.vcf) nor a CSV (.csv) file</source>
        <translation>%1 ist weder eine vCard- (.vcf) noch eine CSV-Datei (.csv)</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The file could not be written: %1</source>
        <translation>Die Datei konnte nicht geschrieben werden: %1</translation>
    </message>
</context>
<context>
    <name>telvora::ContactFileCommands</name>
    <message>
        <source>Contacts (*.vcf *.vcard *.csv);;vCard (*.vcf *.vcard);;CSV (*.csv)</source>
        <translation>Kontakte (*.vcf *.vcard *.csv);;vCard (*.vcf *.vcard);;CSV (*.csv)</translation>
    </message>
    <message>
        <source>Nothing was imported from %1.
%2</source>
        <translation>Aus %1 wurde nichts importiert.
%2</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>%1 exists already. Do you want to replace it?</source>
        <translation>%1 gibt es schon. Möchten Sie die Datei ersetzen?</translation>
    </message>
    <message>
        <source>Importing %1...</source>
        <translation>%1 wird importiert...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>vCard 4.0 (*.vcf *.vcard)</source>
        <translation>vCard 4.0 (*.vcf *.vcard)</translation>
    </message>
    <message>
        <source>vCard 3.0 (*.vcf *.vcard)</source>
        <translation>vCard 3.0 (*.vcf *.vcard)</translation>
    </message>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
</context>
<context>
    <name>telvora::ContactImport</name>
    <message>
        <source>Imported %1 names and %2 numbers</source>
        <translation>%1 Namen und %2 Nummern importiert</translation>
    </message>
    <message>
        <source> (%1 skipped: already there or empty)</source>
        <translation> (%1 übersprungen: schon vorhanden oder leer)</translation>
    </message>
    <message>
        <source>%1 is neither a vCard (.vcf) nor a CSV (.csv) file</source>
        <translation>%1 ist weder eine vCard- (.vcf) noch eine CSV-Datei (.csv)</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The card at line %1 (%2) was not stored: %3</source>
        <translation>Die Karte in Zeile %1 (%2) wurde nicht gespeichert: %3</translation>
    </message>
    <message>
        <source>The import was cancelled.</source>
        <translation>Der Import wurde abgebrochen.</translation>
    </message>
</context>
<context>
    <name>telvora::ContactMapping</name>
    <message>
        <source>Also in: %1</source>
        <translation>Auch in: %1</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Full Name</source>
        <translation>Vollständiger Name</translation>
    </message>
    <message>
        <source>Company</source>
        <translation>Firma</translation>
    </message>
    <message>
        <source>Job Title</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Department</source>
        <translation>Abteilung</translation>
    </message>
    <message>
        <source>Extension</source>
        <translation>Durchwahl</translation>
    </message>
    <message>
        <source>Call Back</source>
        <translation>Rückruf</translation>
    </message>
    <message>
        <source>Gender</source>
        <translation>Geschlecht</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Business Address</source>
        <translation>Geschäftsadresse</translation>
    </message>
    <message>
        <source>Home Address</source>
        <translation>Privatadresse</translation>
    </message>
    <message>
        <source>Postal Code</source>
        <translation>Postleitzahl</translation>
    </message>
    <message>
        <source>PO Box</source>
        <translation>Postfach</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Bundesland</translation>
    </message>
    <message>
        <source>Country</source>
        <translation>Land</translation>
    </message>
    <message>
        <source>E-mail Address</source>
        <translation>E-Mail-Adresse</translation>
    </message>
    <message>
        <source>Web Page</source>
        <translation>Webseite</translation>
    </message>
    <message>
        <source>Business Phone</source>
        <translation>Telefon geschäftlich</translation>
    </message>
    <message>
        <source>Business Fax</source>
        <translation>Fax geschäftlich</translation>
    </message>
    <message>
        <source>Mobile Phone</source>
        <translation>Mobiltelefon</translation>
    </message>
    <message>
        <source>Home Phone</source>
        <translation>Telefon privat</translation>
    </message>
    <message>
        <source>UID</source>
        <translation>UID</translation>
    </message>
    <message>
        <source>Parent UID</source>
        <translation>UID des übergeordneten Namens</translation>
    </message>
    <message>
        <source>Given Name</source>
        <translation>Vorname</translation>
    </message>
    <message>
        <source>Family Name</source>
        <translation>Nachname</translation>
    </message>
</context>
<context>
    <name>telvora::CsvMappingDialog</name>
    <message>
        <source>Columns of the CSV file</source>
        <translation>Spalten der CSV-Datei</translation>
    </message>
    <message>
        <source>These columns have names Telvora does not know. Choose where each one goes; a column left in the notes is kept there as &quot;column: value&quot;.</source>
        <translation>Diese Spalten haben Namen, die Telvora nicht kennt. Wählen Sie, wohin jede gehört; eine Spalte, die in den Notizen bleibt, steht dort als „Spalte: Wert“.</translation>
    </message>
    <message>
        <source>Keep in the notes</source>
        <translation>In den Notizen behalten</translation>
    </message>
</context>
<context>
    <name>telvora::CsvReader</name>
    <message>
        <source>Line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <source>the file is larger than %1 MB</source>
        <translation>die Datei ist größer als %1 MB</translation>
    </message>
    <message>
        <source>the record is longer than %1 bytes</source>
        <translation>der Datensatz ist länger als %1 Bytes</translation>
    </message>
    <message>
        <source>the line holds a NUL byte</source>
        <translation>die Zeile enthält ein NUL-Byte</translation>
    </message>
    <message>
        <source>the record has more than %1 columns</source>
        <translation>der Datensatz hat mehr als %1 Spalten</translation>
    </message>
    <message>
        <source>a field is longer than %1 bytes</source>
        <translation>ein Feld ist länger als %1 Bytes</translation>
    </message>
    <message>
        <source>a quoted field is not closed</source>
        <translation>ein Feld in Anführungszeichen wird nicht geschlossen</translation>
    </message>
    <message>
        <source>the text is not valid UTF-8</source>
        <translation>der Text ist kein gültiges UTF-8</translation>
    </message>
</context>
<context>
    <name>telvora::DataFolder</name>
    <message>
        <source>no data folder could be found for this user</source>
        <translation>für diesen Benutzer wurde kein Datenordner gefunden</translation>
    </message>
    <message>
        <source>the folder &quot;%1&quot; could not be entered</source>
        <translation>in den Ordner „%1“ konnte nicht gewechselt werden</translation>
    </message>
    <message>
        <source>the folder &quot;%1&quot; could not be created</source>
        <translation>der Ordner „%1“ konnte nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>telvora::DavClient</name>
    <message>
        <source>&quot;%1&quot; is not a web address.</source>
        <translation>„%1“ ist keine Webadresse.</translation>
    </message>
    <message>
        <source>The answer took too long.</source>
        <translation>Die Antwort dauerte zu lange.</translation>
    </message>
    <message>
        <source>Too many redirects.</source>
        <translation>Zu viele Weiterleitungen.</translation>
    </message>
</context>
<context>
    <name>telvora::DialForm</name>
    <message>
        <source>All Groups</source>
        <translation>Alle Gruppen</translation>
    </message>
    <message>
        <source>No Group</source>
        <translation>Ohne Gruppe</translation>
    </message>
    <message>
        <source>Move to Group</source>
        <translation>In Gruppe verschieben</translation>
    </message>
    <message>
        <source>Speed Dials</source>
        <translation>Kurzwahlen</translation>
    </message>
    <message>
        <source>Double Click for Telvora</source>
        <translation>Doppelklick öffnet Telvora</translation>
    </message>
    <message>
        <source>The phone book &quot;%1&quot; could not be opened: %2.

The file is left as it is and nothing will be saved to it.</source>
        <translation>Das Telefonbuch „%1“ konnte nicht geöffnet werden: %2.

Die Datei bleibt unverändert, und nichts wird darin gespeichert.</translation>
    </message>
    <message>
        <source>The phone book &quot;%1&quot; is read-only: %2.</source>
        <translation>Das Telefonbuch „%1“ ist schreibgeschützt: %2.</translation>
    </message>
    <message>
        <source>Telvora  (%1)</source>
        <translation>Telvora  (%1)</translation>
    </message>
    <message>
        <source>The changes to the card could not be saved: %1.</source>
        <translation>Die Änderungen an der Karte konnten nicht gespeichert werden: %1.</translation>
    </message>
    <message>
        <source>(No speed dials)</source>
        <translation>(Keine Kurzwahlen)</translation>
    </message>
    <message>
        <source>%1 is a SIP address: it can be called on a SIP line only. Choose one in Setup.</source>
        <translation>%1 ist eine SIP-Adresse: Sie kann nur über eine SIP-Leitung angerufen werden. Wählen Sie eine in den Optionen.</translation>
    </message>
    <message>
        <source>at an unknown time</source>
        <translation>zu unbekannter Zeit</translation>
    </message>
    <message>
        <source>Last called %1: %2</source>
        <translation>Zuletzt angerufen %1: %2</translation>
    </message>
    <message>
        <source>Connected to %1 after 1 attempt</source>
        <translation>Verbunden mit %1 nach 1 Versuch</translation>
    </message>
    <message>
        <source>Connected to %1 after %2 attempts</source>
        <translation>Verbunden mit %1 nach %2 Versuchen</translation>
    </message>
    <message>
        <source>Connected to %1 (%2) after 1 attempt</source>
        <translation>Verbunden mit %1 (%2) nach 1 Versuch</translation>
    </message>
    <message>
        <source>Connected to %1 (%2) after %3 attempts</source>
        <translation>Verbunden mit %1 (%2) nach %3 Versuchen</translation>
    </message>
    <message>
        <source>Call answered</source>
        <translation>Anruf angenommen</translation>
    </message>
    <message>
        <source>Redial ended</source>
        <translation>Wahlwiederholung beendet</translation>
    </message>
    <message>
        <source>The settings could not be saved to &quot;%1&quot;.</source>
        <translation>Die Einstellungen konnten nicht in „%1“ gespeichert werden.</translation>
    </message>
    <message>
        <source>Answer...</source>
        <translation>Antworten...</translation>
    </message>
    <message>
        <source>The address book sync waits for your answer to a question.</source>
        <translation>Der Abgleich des Adressbuchs wartet auf Ihre Antwort auf eine Frage.</translation>
    </message>
</context>
<context>
    <name>telvora::DialFormControls</name>
    <message>
        <source>This field holds %1 characters, too many to show and edit here; it is shown cut short and kept as it is.</source>
        <translation>Dieses Feld enthält %1 Zeichen, zu viele, um sie hier anzuzeigen und zu bearbeiten; es wird gekürzt angezeigt und bleibt unverändert.</translation>
    </message>
    <message>
        <source>Add New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Add SUB Name</source>
        <translation>Unternamen hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Ausschneiden</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Groups List</source>
        <translation>Gruppenliste</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Sub List</source>
        <translation>Unterliste</translation>
    </message>
    <message>
        <source>Names</source>
        <translation>Namen</translation>
    </message>
    <message>
        <source>Phones</source>
        <translation>Telefon</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Internet</source>
        <translation>Internet</translation>
    </message>
    <message>
        <source>Business</source>
        <translation>Büro</translation>
    </message>
    <message>
        <source>Business Numbers</source>
        <translation>Rufnummern Büro</translation>
    </message>
    <message>
        <source>Fax</source>
        <translation>Fax</translation>
    </message>
    <message>
        <source>Fax Numbers</source>
        <translation>Faxnummern</translation>
    </message>
    <message>
        <source>Mobile</source>
        <translation>Mobil</translation>
    </message>
    <message>
        <source>Mobile Numbers</source>
        <translation>Mobilnummern</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Privat</translation>
    </message>
    <message>
        <source>Home Numbers</source>
        <translation>Rufnummern privat</translation>
    </message>
    <message>
        <source>Dial</source>
        <translation>Wählen</translation>
    </message>
    <message>
        <source>Company</source>
        <translation>Firma</translation>
    </message>
    <message>
        <source>Gender</source>
        <translation>Anrede</translation>
    </message>
    <message>
        <source>Full Name / Contact Name</source>
        <translation>Voller Name / Kontaktname</translation>
    </message>
    <message>
        <source>Job Title</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>Department</source>
        <translation>Abteilung</translation>
    </message>
    <message>
        <source>Extention</source>
        <translation>Durchwahl</translation>
    </message>
    <message>
        <source>Call Back No</source>
        <translation>Rückrufnr.</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Business Address</source>
        <translation>Adresse Büro</translation>
    </message>
    <message>
        <source>Home Address</source>
        <translation>Adresse privat</translation>
    </message>
    <message>
        <source>Zip Code</source>
        <translation>PLZ</translation>
    </message>
    <message>
        <source>POBox</source>
        <translation>Postfach</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Region</translation>
    </message>
    <message>
        <source>Country</source>
        <translation>Land</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>WEB:</source>
        <translation>Web:</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>E-Mail schreiben</translation>
    </message>
    <message>
        <source>Goto WEB Site</source>
        <translation>Webseite öffnen</translation>
    </message>
    <message>
        <source>Quick Dial</source>
        <translation>Direktwahl</translation>
    </message>
    <message>
        <source>Add New Speed Dial</source>
        <translation>Neue Kurzwahl</translation>
    </message>
    <message>
        <source>Edit Speed Dial</source>
        <translation>Kurzwahl bearbeiten</translation>
    </message>
    <message>
        <source>Delete Speed Dial</source>
        <translation>Kurzwahl löschen</translation>
    </message>
    <message>
        <source>Speed Dials List</source>
        <translation>Kurzwahlliste</translation>
    </message>
    <message>
        <source>Clear Number</source>
        <translation>Eingabe leeren</translation>
    </message>
    <message>
        <source>Number to dial</source>
        <translation>Zu wählende Rufnummer</translation>
    </message>
    <message>
        <source>&amp;Dial</source>
        <translation>&amp;Wählen</translation>
    </message>
    <message>
        <source>Hang The Phone Call</source>
        <translation>Gespräch beenden</translation>
    </message>
    <message>
        <source>&amp;Setup</source>
        <translation>&amp;Extras</translation>
    </message>
    <message>
        <source>A&amp;bout</source>
        <translation>&amp;Über</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Hang &amp;UP</source>
        <translation>&amp;Auflegen</translation>
    </message>
    <message>
        <source>Sea&amp;rch</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>Histor&amp;y</source>
        <translation>&amp;Verlauf</translation>
    </message>
    <message>
        <source>Call History</source>
        <translation>Anrufliste</translation>
    </message>
</context>
<context>
    <name>telvora::DialRun</name>
    <message>
        <source>No telephone line is set up.
To add one, open Setup and click &quot;Lines...&quot;.</source>
        <translation>Es ist keine Telefonleitung eingerichtet.
Um eine hinzuzufügen, öffnen Sie „Optionen“ und klicken Sie auf „Leitungen...“.</translation>
    </message>
    <message>
        <source>Retry No: %1 / %2</source>
        <translation>Versuch Nr.: %1 / %2</translation>
    </message>
    <message>
        <source>Dialing: </source>
        <translation>Wähle: </translation>
    </message>
    <message>
        <source>Error #%1
%2</source>
        <translation>Fehler #%1
%2</translation>
    </message>
    <message>
        <source>Last Status : Call Failed (%1)</source>
        <translation>Letzter Status : Anruf fehlgeschlagen (%1)</translation>
    </message>
    <message>
        <source>Waiting : %1</source>
        <translation>Wartezeit : %1</translation>
    </message>
    <message>
        <source>Last Status :  User Hang UP</source>
        <translation>Letzter Status :  Vom Benutzer aufgelegt</translation>
    </message>
</context>
<context>
    <name>telvora::EditContext</name>
    <message>
        <source>The change could not be saved: %1.</source>
        <translation>Die Änderung konnte nicht gespeichert werden: %1.</translation>
    </message>
    <message>
        <source>no reason was given</source>
        <translation>es wurde kein Grund genannt</translation>
    </message>
    <message>
        <source>This entry has no usable id in the phone book file (only a positive whole number stands for one row), so Telvora leaves it as it is.</source>
        <translation>Dieser Eintrag hat in der Telefonbuchdatei keine brauchbare Kennung (nur eine positive ganze Zahl bezeichnet eine Zeile), daher lässt Telvora ihn unverändert.</translation>
    </message>
</context>
<context>
    <name>telvora::Editing</name>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>löschen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Add New Name</source>
        <translation>Neuer Name</translation>
    </message>
    <message>
        <source>Add SUB Name</source>
        <translation>Unternamen hinzufügen</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Ausschneiden</translation>
    </message>
    <message>
        <source>Move to Group</source>
        <translation>In Gruppe verschieben</translation>
    </message>
    <message>
        <source>Dial</source>
        <translation>Wählen</translation>
    </message>
    <message>
        <source>Import...</source>
        <translation>Importieren...</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>Exportieren...</translation>
    </message>
</context>
<context>
    <name>telvora::GroupCommands</name>
    <message>
        <source>Enter New Group:</source>
        <translation>Neue Gruppe eingeben:</translation>
    </message>
    <message>
        <source>Enter New Number:</source>
        <translation>Neue Nummer eingeben:</translation>
    </message>
</context>
<context>
    <name>telvora::HelpWindow</name>
    <message>
        <source>Telvora Help</source>
        <translation>Telvora-Hilfe</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>&amp;Back</source>
        <translation>&amp;Zurück</translation>
    </message>
    <message>
        <source>&amp;Forward</source>
        <translation>&amp;Vorwärts</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>qrc:/help/index.html</source>
        <comment>the help&apos;s contents page in this language</comment>
        <translation>qrc:/help/de/index.html</translation>
    </message>
</context>
<context>
    <name>telvora::HistoryModel</name>
    <message>
        <source>Answered</source>
        <translation>Angenommen</translation>
    </message>
    <message>
        <source>Busy</source>
        <translation>Besetzt</translation>
    </message>
    <message>
        <source>No answer</source>
        <translation>Keine Antwort</translation>
    </message>
    <message>
        <source>No dial tone</source>
        <translation>Kein Wählton</translation>
    </message>
    <message>
        <source>Dropped</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Declined</source>
        <translation>Abgelehnt</translation>
    </message>
    <message>
        <source>Invalid number</source>
        <translation>Ungültige Nummer</translation>
    </message>
    <message>
        <source>Unreachable</source>
        <translation>Nicht erreichbar</translation>
    </message>
    <message>
        <source>Line lost</source>
        <translation>Leitung verloren</translation>
    </message>
    <message>
        <source>Hung up</source>
        <translation>Aufgelegt</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>Missed</source>
        <translation>Verpasst</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>This number is longer than the history shows.</source>
        <translation>Diese Nummer ist länger, als die Anrufliste sie zeigt.</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Wann</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Number</source>
        <translation>Nummer</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Leitung</translation>
    </message>
    <message>
        <source>Attempt</source>
        <translation>Versuch</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Talk time</source>
        <translation>Gesprächsdauer</translation>
    </message>
</context>
<context>
    <name>telvora::HistoryWindow</name>
    <message>
        <source>Call History</source>
        <translation>Anrufliste</translation>
    </message>
    <message>
        <source>Name, number or line</source>
        <translation>Name, Nummer oder Leitung</translation>
    </message>
    <message>
        <source>All outcomes</source>
        <translation>Alle Ergebnisse</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>&amp;Suchen:</translation>
    </message>
    <message>
        <source>&amp;Dial</source>
        <translation>&amp;Wählen</translation>
    </message>
    <message>
        <source>&amp;Copy Number</source>
        <translation>Nummer &amp;kopieren</translation>
    </message>
    <message>
        <source>D&amp;elete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Clear &amp;All</source>
        <translation>&amp;Alle löschen</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>Schl&amp;ießen</translation>
    </message>
    <message numerus="yes">
        <source>%n call(s) could not be written to the history yet: %1</source>
        <translation>
            <numerusform>%n Anruf konnte noch nicht in die Anrufliste geschrieben werden: %1</numerusform>
            <numerusform>%n Anrufe konnten noch nicht in die Anrufliste geschrieben werden: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>This entry has no number that can be dialled.</source>
        <translation>Dieser Eintrag hat keine Nummer, die gewählt werden kann.</translation>
    </message>
    <message>
        <source>The entries could not be deleted (%1).</source>
        <translation>Die Einträge konnten nicht gelöscht werden (%1).</translation>
    </message>
    <message>
        <source>Delete the whole call history?</source>
        <translation>Die ganze Anrufliste löschen?</translation>
    </message>
    <message>
        <source>The call history could not be cleared (%1).</source>
        <translation>Die Anrufliste konnte nicht geleert werden (%1).</translation>
    </message>
    <message>
        <source>The call history cannot be read (%1).</source>
        <translation>Die Anrufliste kann nicht gelesen werden (%1).</translation>
    </message>
</context>
<context>
    <name>telvora::IncomingCallWindow</name>
    <message>
        <source>Incoming call</source>
        <translation>Eingehender Anruf</translation>
    </message>
    <message>
        <source>&amp;Answer</source>
        <translation>&amp;Annehmen</translation>
    </message>
    <message>
        <source>&amp;Decline</source>
        <translation>A&amp;blehnen</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>&amp;Hang Up</source>
        <translation>Au&amp;flegen</translation>
    </message>
</context>
<context>
    <name>telvora::LineError</name>
    <message>
        <source>Allocated</source>
        <translation>Belegt</translation>
    </message>
    <message>
        <source>Bad Device ID</source>
        <translation>Ungültige Gerätekennung</translation>
    </message>
    <message>
        <source>Bearer Mode Unavail</source>
        <translation>Übertragungsart nicht verfügbar</translation>
    </message>
    <message>
        <source>Call UnAvail</source>
        <translation>Anruf nicht verfügbar</translation>
    </message>
    <message>
        <source>Completion Overrun</source>
        <translation>Rückrufaufträge überzählig</translation>
    </message>
    <message>
        <source>Conference Full</source>
        <translation>Konferenz voll</translation>
    </message>
    <message>
        <source>Dial Billing</source>
        <translation>Wählen: Gebührenton erwartet</translation>
    </message>
    <message>
        <source>Dial Dialtone</source>
        <translation>Wählen: Wählton erwartet</translation>
    </message>
    <message>
        <source>Dial Prompt</source>
        <translation>Wählen: Eingabeaufforderung</translation>
    </message>
    <message>
        <source>Dial Quiet</source>
        <translation>Wählen: Stille erwartet</translation>
    </message>
    <message>
        <source>Incompatible API Version</source>
        <translation>Inkompatible API-Version</translation>
    </message>
    <message>
        <source>Incompatible Ext Version</source>
        <translation>Inkompatible Erweiterungsversion</translation>
    </message>
    <message>
        <source>Ini File Corrupt</source>
        <translation>Einstellungsdatei beschädigt</translation>
    </message>
    <message>
        <source>In Use</source>
        <translation>Belegt durch anderen Anruf</translation>
    </message>
    <message>
        <source>Invalid Address</source>
        <translation>Ungültige Adresse</translation>
    </message>
    <message>
        <source>Invalid Address ID</source>
        <translation>Ungültige Adresskennung</translation>
    </message>
    <message>
        <source>Invalid Address Mode</source>
        <translation>Ungültiger Adressmodus</translation>
    </message>
    <message>
        <source>Invalid Address State</source>
        <translation>Ungültiger Adresszustand</translation>
    </message>
    <message>
        <source>Invalid App Handle</source>
        <translation>Ungültiges Anwendungshandle</translation>
    </message>
    <message>
        <source>Invalid App Name</source>
        <translation>Ungültiger Anwendungsname</translation>
    </message>
    <message>
        <source>Invalid Bearer Mode</source>
        <translation>Ungültige Übertragungsart</translation>
    </message>
    <message>
        <source>Invalid Call Completion Mode</source>
        <translation>Ungültiger Rückrufmodus</translation>
    </message>
    <message>
        <source>Invalid Call Handle</source>
        <translation>Ungültiges Anrufhandle</translation>
    </message>
    <message>
        <source>Invalid Call Params</source>
        <translation>Ungültige Anrufparameter</translation>
    </message>
    <message>
        <source>Invalid Call Privilege</source>
        <translation>Ungültige Anrufberechtigung</translation>
    </message>
    <message>
        <source>Invalid Call Select</source>
        <translation>Ungültige Anrufauswahl</translation>
    </message>
    <message>
        <source>Invalid Call State</source>
        <translation>Ungültiger Anrufzustand</translation>
    </message>
    <message>
        <source>Invalid Call State List</source>
        <translation>Ungültige Anrufzustandsliste</translation>
    </message>
    <message>
        <source>Invalid Card</source>
        <translation>Ungültige Karte</translation>
    </message>
    <message>
        <source>Invalid Completion ID</source>
        <translation>Ungültige Rückrufkennung</translation>
    </message>
    <message>
        <source>Invalid Conf Call Handle</source>
        <translation>Ungültiges Konferenzhandle</translation>
    </message>
    <message>
        <source>Invalid Consult Call Handle</source>
        <translation>Ungültiges Rückfragehandle</translation>
    </message>
    <message>
        <source>Invalid Country Code</source>
        <translation>Ungültige Landesvorwahl</translation>
    </message>
    <message>
        <source>Invalid Device Class</source>
        <translation>Ungültige Geräteklasse</translation>
    </message>
    <message>
        <source>Invalid Device Handle</source>
        <translation>Ungültiges Gerätehandle</translation>
    </message>
    <message>
        <source>Invalid Digit List</source>
        <translation>Ungültige Ziffernliste</translation>
    </message>
    <message>
        <source>Invalid Digit Mode</source>
        <translation>Ungültiger Ziffernmodus</translation>
    </message>
    <message>
        <source>Invalid Digits</source>
        <translation>Ungültige Ziffern</translation>
    </message>
    <message>
        <source>Invalid Ext Version</source>
        <translation>Ungültige Erweiterungsversion</translation>
    </message>
    <message>
        <source>Invalid Group ID</source>
        <translation>Ungültige Gruppenkennung</translation>
    </message>
    <message>
        <source>Invalid Line Handle</source>
        <translation>Ungültiges Leitungshandle</translation>
    </message>
    <message>
        <source>Invalid Line State</source>
        <translation>Ungültiger Leitungszustand</translation>
    </message>
    <message>
        <source>Invalid Location</source>
        <translation>Ungültiger Standort</translation>
    </message>
    <message>
        <source>Invalid Media List</source>
        <translation>Ungültige Medienliste</translation>
    </message>
    <message>
        <source>Invalid Media Mode</source>
        <translation>Ungültiger Medienmodus</translation>
    </message>
    <message>
        <source>Invalid Message ID</source>
        <translation>Ungültige Nachrichtenkennung</translation>
    </message>
    <message>
        <source>Invalid Param</source>
        <translation>Ungültiger Parameter</translation>
    </message>
    <message>
        <source>Invalid Park ID</source>
        <translation>Ungültige Parkkennung</translation>
    </message>
    <message>
        <source>Invalid Park Mode</source>
        <translation>Ungültiger Parkmodus</translation>
    </message>
    <message>
        <source>Invalid Pointer</source>
        <translation>Ungültiger Zeiger</translation>
    </message>
    <message>
        <source>Invalid Priv Select</source>
        <translation>Ungültige Berechtigungsauswahl</translation>
    </message>
    <message>
        <source>Invalid Rate</source>
        <translation>Ungültige Rate</translation>
    </message>
    <message>
        <source>Invalid Request Mode</source>
        <translation>Ungültiger Anforderungsmodus</translation>
    </message>
    <message>
        <source>Invalid Terminal ID</source>
        <translation>Ungültige Endgerätekennung</translation>
    </message>
    <message>
        <source>Invalid Terminal Mode</source>
        <translation>Ungültiger Endgerätemodus</translation>
    </message>
    <message>
        <source>Invalid Time Out</source>
        <translation>Ungültige Zeitüberschreitung</translation>
    </message>
    <message>
        <source>Invalid Tone</source>
        <translation>Ungültiger Ton</translation>
    </message>
    <message>
        <source>Invalid Tone List</source>
        <translation>Ungültige Tonliste</translation>
    </message>
    <message>
        <source>Invalid Tone Mode</source>
        <translation>Ungültiger Tonmodus</translation>
    </message>
    <message>
        <source>Invalid Transfer Mode</source>
        <translation>Ungültiger Vermittlungsmodus</translation>
    </message>
    <message>
        <source>Line Mapper Failed</source>
        <translation>Leitungszuordnung fehlgeschlagen</translation>
    </message>
    <message>
        <source>No Conference</source>
        <translation>Keine Konferenz</translation>
    </message>
    <message>
        <source>No Device</source>
        <translation>Kein Gerät</translation>
    </message>
    <message>
        <source>No Driver</source>
        <translation>Kein Treiber</translation>
    </message>
    <message>
        <source>No Memory</source>
        <translation>Kein Speicher</translation>
    </message>
    <message>
        <source>No Request</source>
        <translation>Keine Anforderung</translation>
    </message>
    <message>
        <source>Not Owner</source>
        <translation>Nicht Eigentümer</translation>
    </message>
    <message>
        <source>Not Registered</source>
        <translation>Nicht angemeldet</translation>
    </message>
    <message>
        <source>Operation Failed</source>
        <translation>Vorgang fehlgeschlagen</translation>
    </message>
    <message>
        <source>Operation Unavailable</source>
        <translation>Vorgang nicht verfügbar</translation>
    </message>
    <message>
        <source>Rate Unavailable</source>
        <translation>Rate nicht verfügbar</translation>
    </message>
    <message>
        <source>Resource Unavailable</source>
        <translation>Ressource nicht verfügbar</translation>
    </message>
    <message>
        <source>Request Overrun</source>
        <translation>Zu viele Anforderungen</translation>
    </message>
    <message>
        <source>Structure Too Small</source>
        <translation>Struktur zu klein</translation>
    </message>
    <message>
        <source>Target Not found</source>
        <translation>Ziel nicht gefunden</translation>
    </message>
    <message>
        <source>Target Self</source>
        <translation>Ziel ist der Anrufer selbst</translation>
    </message>
    <message>
        <source>Uninitialized</source>
        <translation>Nicht initialisiert</translation>
    </message>
    <message>
        <source>UserUser Info Too Big</source>
        <translation>Benutzerinformation zu groß</translation>
    </message>
    <message>
        <source>Re-init</source>
        <translation>Neuinitialisierung</translation>
    </message>
    <message>
        <source>Address Blocked</source>
        <translation>Adresse gesperrt</translation>
    </message>
    <message>
        <source>Billing Rejected</source>
        <translation>Gebührenabrechnung abgelehnt</translation>
    </message>
    <message>
        <source>Invalid Feature</source>
        <translation>Ungültiges Leistungsmerkmal</translation>
    </message>
    <message>
        <source>No Multiple Instance</source>
        <translation>Keine Mehrfachinstanz</translation>
    </message>
    <message>
        <source>Unknown Error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>telvora::LineSettingsDialogs</name>
    <message>
        <source>Numbers dialled on &quot;%1&quot; are called at %2.</source>
        <translation>Auf „%1“ gewählte Rufnummern werden unter %2 angerufen.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; leaves nothing to dial on &quot;%2&quot;.</source>
        <translation>„%1“ lässt auf „%2“ nichts zu wählen übrig.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is dialled on &quot;%2&quot; as %3</source>
        <translation>„%1“ wird auf „%2“ als %3 gewählt</translation>
    </message>
    <message>
        <source>Dialing Properties</source>
        <translation>Wähleigenschaften</translation>
    </message>
</context>
<context>
    <name>telvora::LinesDialog</name>
    <message>
        <source>Modem</source>
        <translation>Modem</translation>
    </message>
    <message>
        <source>Cellular</source>
        <translation>Mobilfunk</translation>
    </message>
    <message>
        <source>Telephone Lines</source>
        <translation>Telefonleitungen</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Leitung</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>&amp;Hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Edit...</source>
        <translation>&amp;Bearbeiten...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>&amp;Settings...</source>
        <translation>Ein&amp;stellungen...</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Remove the line &quot;%1&quot;? Its SIP account and password are deleted.</source>
        <translation>Die Leitung „%1“ entfernen? Ihr SIP-Konto und Passwort werden gelöscht.</translation>
    </message>
    <message>
        <source>The line &quot;%1&quot; could not be removed.</source>
        <translation>Die Leitung „%1“ konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>The line &quot;%1&quot; has no settings to show.</source>
        <translation>Die Leitung „%1“ hat keine Einstellungen zum Anzeigen.</translation>
    </message>
</context>
<context>
    <name>telvora::ModemLineDialog</name>
    <message>
        <source>Modem Line</source>
        <translation>Modemleitung</translation>
    </message>
    <message>
        <source>e.g. ATM0 (sent before each call)</source>
        <translation>z. B. ATM0 (vor jedem Anruf gesendet)</translation>
    </message>
    <message>
        <source>Tone</source>
        <translation>Tonwahl</translation>
    </message>
    <message>
        <source>Pulse</source>
        <translation>Impulswahl</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Schnittstelle:</translation>
    </message>
    <message>
        <source>Extra init string:</source>
        <translation>Zusätzlicher Init-String:</translation>
    </message>
    <message>
        <source>Dialling:</source>
        <translation>Wahlverfahren:</translation>
    </message>
    <message>
        <source>State:</source>
        <translation>Zustand:</translation>
    </message>
    <message>
        <source>Name the modem&apos;s port, e.g. /dev/ttyACM0.</source>
        <translation>Geben Sie die Schnittstelle des Modems an, z. B. /dev/ttyACM0.</translation>
    </message>
    <message>
        <source>The modem settings could not be saved.</source>
        <translation>Die Modemeinstellungen konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>The modem settings could not be saved: %1</source>
        <translation>Die Modemeinstellungen konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Take incoming calls</source>
        <translation>Eingehende Anrufe annehmen</translation>
    </message>
    <message>
        <source>Keeps the port open while the line is idle, to ring for calls that come in.</source>
        <translation>Hält den Anschluss offen, solange die Leitung frei ist, um bei eingehenden Anrufen zu klingeln.</translation>
    </message>
</context>
<context>
    <name>telvora::ModemProvider</name>
    <message>
        <source>The modem did not answer</source>
        <translation>Das Modem hat nicht geantwortet</translation>
    </message>
    <message>
        <source>The modem went away</source>
        <translation>Das Modem ist nicht mehr vorhanden</translation>
    </message>
    <message>
        <source>Cellular AT module</source>
        <translation>Mobilfunkmodul (AT)</translation>
    </message>
    <message>
        <source>Voice modem</source>
        <translation>Sprachmodem</translation>
    </message>
    <message>
        <source>Data modem</source>
        <translation>Datenmodem</translation>
    </message>
    <message>
        <source>Modem</source>
        <translation>Modem</translation>
    </message>
    <message>
        <source>Modem on %1</source>
        <translation>Modem an %1</translation>
    </message>
    <message>
        <source>Waiting for the modem to be free</source>
        <translation>Wartet, bis das Modem frei ist</translation>
    </message>
    <message>
        <source>In a call</source>
        <translation>Im Gespräch</translation>
    </message>
    <message>
        <source>Dialling</source>
        <translation>Wählt</translation>
    </message>
    <message>
        <source>Hanging up</source>
        <translation>Legt auf</translation>
    </message>
    <message>
        <source>Checking the modem...</source>
        <translation>Prüft das Modem...</translation>
    </message>
    <message>
        <source>No modem answers on this port</source>
        <translation>An dieser Schnittstelle antwortet kein Modem</translation>
    </message>
    <message>
        <source>Cannot open the port: %1</source>
        <translation>Die Schnittstelle kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>Used by ModemManager (see its cellular line)</source>
        <translation>Von ModemManager belegt (siehe dessen Mobilfunkleitung)</translation>
    </message>
    <message>
        <source>Ready (voice modem)</source>
        <translation>Bereit (Sprachmodem)</translation>
    </message>
    <message>
        <source>Ready (data modem: tells busy and no dial tone only)</source>
        <translation>Bereit (Datenmodem: meldet nur „besetzt“ und „kein Wählton“)</translation>
    </message>
    <message>
        <source>Ready (cellular module)</source>
        <translation>Bereit (Mobilfunkmodul)</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>The modem refused a setup command</source>
        <translation>Das Modem hat einen Einrichtungsbefehl abgelehnt</translation>
    </message>
    <message>
        <source>The modem could not call: %1</source>
        <translation>Das Modem konnte nicht anrufen: %1</translation>
    </message>
    <message>
        <source>The modem refused to dial: %1</source>
        <translation>Das Modem hat das Wählen abgelehnt: %1</translation>
    </message>
    <message>
        <source>The modem ended the call with &quot;%1&quot;, which is no result code this program knows</source>
        <translation>Das Modem hat den Anruf mit „%1“ beendet, einem Ergebniscode, den dieses Programm nicht kennt</translation>
    </message>
    <message>
        <source>Incoming call</source>
        <translation>Eingehender Anruf</translation>
    </message>
    <message>
        <source>Ready, taking calls</source>
        <translation>Bereit, nimmt Anrufe an</translation>
    </message>
    <message>
        <source>Cannot listen for calls: %1</source>
        <translation>Kann nicht auf Anrufe warten: %1</translation>
    </message>
    <message>
        <source>This modem cannot take voice calls</source>
        <translation>Dieses Modem kann keine Sprachanrufe annehmen</translation>
    </message>
</context>
<context>
    <name>telvora::ModemSettings</name>
    <message>
        <source>The port has no path.</source>
        <translation>Die Schnittstelle hat keinen Pfad.</translation>
    </message>
    <message>
        <source>The port&apos;s path is longer than any device path.</source>
        <translation>Der Pfad der Schnittstelle ist länger als jeder Gerätepfad.</translation>
    </message>
    <message>
        <source>The port&apos;s path holds a control character.</source>
        <translation>Der Pfad der Schnittstelle enthält ein Steuerzeichen.</translation>
    </message>
    <message>
        <source>The init string is longer than %1 characters.</source>
        <translation>Der Init-String ist länger als %1 Zeichen.</translation>
    </message>
    <message>
        <source>The init string may hold only printable ASCII characters (no line breaks).</source>
        <translation>Der Init-String darf nur druckbare ASCII-Zeichen enthalten (keine Zeilenumbrüche).</translation>
    </message>
    <message>
        <source>%1 is larger than %2 MB and was not read.</source>
        <translation>%1 ist größer als %2 MB und wurde nicht gelesen.</translation>
    </message>
    <message>
        <source>%1 is not a modem settings file: %2</source>
        <translation>%1 ist keine Datei mit Modemeinstellungen: %2</translation>
    </message>
    <message>
        <source>More than %1 ports are named.</source>
        <translation>Es sind mehr als %1 Schnittstellen angegeben.</translation>
    </message>
</context>
<context>
    <name>telvora::NameCommands</name>
    <message>
        <source>Enter New Name:</source>
        <translation>Neuen Namen eingeben:</translation>
    </message>
    <message>
        <source>Enter New SUB Name:</source>
        <translation>Neuen Unternamen eingeben:</translation>
    </message>
    <message>
        <source>Enter New Number:</source>
        <translation>Neue Nummer eingeben:</translation>
    </message>
    <message>
        <source>Are you Sure ??</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
</context>
<context>
    <name>telvora::NumberCommands</name>
    <message>
        <source>Enter New Business Number:</source>
        <translation>Neue Büronummer eingeben:</translation>
    </message>
    <message>
        <source>Are you Sure ??</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>Enter New Fax Number:</source>
        <translation>Neue Faxnummer eingeben:</translation>
    </message>
    <message>
        <source>Are You Sure?</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Enter New Number:</source>
        <translation>Neue Nummer eingeben:</translation>
    </message>
    <message>
        <source>Enter New Home Number:</source>
        <translation>Neue Privatnummer eingeben:</translation>
    </message>
</context>
<context>
    <name>telvora::OpenInBrowser</name>
    <message>
        <source>a mail may be given only recipients, a subject and a body</source>
        <translation>einer E-Mail dürfen nur Empfänger, ein Betreff und ein Text mitgegeben werden</translation>
    </message>
    <message>
        <source>it holds control characters</source>
        <translation>sie enthält Steuerzeichen</translation>
    </message>
    <message>
        <source>it starts with &quot;-&quot;</source>
        <translation>sie beginnt mit „-“</translation>
    </message>
    <message>
        <source>only web pages (http, https) and mail (mailto) are opened, not &quot;%1:&quot; addresses</source>
        <translation>geöffnet werden nur Webseiten (http, https) und E-Mail (mailto), keine „%1:“-Adressen</translation>
    </message>
    <message>
        <source>it names a file on this computer, not a web page</source>
        <translation>sie bezeichnet eine Datei auf diesem Computer, keine Webseite</translation>
    </message>
    <message>
        <source>it names a desktop entry, which would start a program</source>
        <translation>sie bezeichnet einen Desktop-Eintrag, der ein Programm starten würde</translation>
    </message>
    <message>
        <source>it is not a web address</source>
        <translation>sie ist keine Webadresse</translation>
    </message>
    <message>
        <source>This address was not opened: %1.</source>
        <translation>Diese Adresse wurde nicht geöffnet: %1.</translation>
    </message>
    <message>
        <source>URL Refused</source>
        <translation>Adresse abgelehnt</translation>
    </message>
    <message>
        <source>Could not find associated Browser</source>
        <translation>Kein zugeordneter Browser gefunden</translation>
    </message>
    <message>
        <source>Browser Not Found</source>
        <translation>Browser nicht gefunden</translation>
    </message>
    <message>
        <source>Web Page not Opened</source>
        <translation>Webseite nicht geöffnet</translation>
    </message>
    <message>
        <source>URL Failed</source>
        <translation>Adresse fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>telvora::PhoneBook</name>
    <message>
        <source>it is not a file</source>
        <translation>es ist keine Datei</translation>
    </message>
    <message>
        <source>permission to read it is denied</source>
        <translation>die Leseberechtigung fehlt</translation>
    </message>
    <message>
        <source>it is not a phone book database (unknown file format)</source>
        <translation>es ist keine Telefonbuch-Datenbank (unbekanntes Dateiformat)</translation>
    </message>
    <message>
        <source>it is missing and could not be created (%1)</source>
        <translation>es fehlt und konnte nicht angelegt werden (%1)</translation>
    </message>
    <message>
        <source>you may read it but not change it, so no change is saved</source>
        <translation>Sie dürfen es lesen, aber nicht ändern; daher wird keine Änderung gespeichert</translation>
    </message>
    <message>
        <source>it cannot be read (%1)</source>
        <translation>es kann nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>it is not a phone book of this program (it has no table &quot;%1&quot;)</source>
        <translation>es ist kein Telefonbuch dieses Programms (es hat keine Tabelle „%1“)</translation>
    </message>
    <message>
        <source>it is not a phone book of this program (the table &quot;%1&quot; has no column %2)</source>
        <translation>es ist kein Telefonbuch dieses Programms (die Tabelle „%1“ hat keine Spalte %2)</translation>
    </message>
    <message>
        <source>you may read it but not change it, and it has no column %1, so that part of the card stays empty and no change is saved</source>
        <translation>Sie dürfen es lesen, aber nicht ändern, und es hat keine Spalte %1; daher bleibt dieser Teil der Karte leer und keine Änderung wird gespeichert</translation>
    </message>
    <message>
        <source>it has no column %1 and the column could not be added (%2), so no change is saved</source>
        <translation>es hat keine Spalte %1, und die Spalte konnte nicht hinzugefügt werden (%2); daher wird keine Änderung gespeichert</translation>
    </message>
    <message>
        <source>the phone book is not open for changes</source>
        <translation>das Telefonbuch ist nicht für Änderungen geöffnet</translation>
    </message>
    <message>
        <source>the file &quot;%1&quot; cannot be reached (%2)</source>
        <translation>die Datei „%1“ ist nicht erreichbar (%2)</translation>
    </message>
    <message>
        <source>the file &quot;%1&quot; was replaced while Telvora was running, so the change is not saved; start Telvora again to use the new file</source>
        <translation>die Datei „%1“ wurde ersetzt, während Telvora lief; daher wird die Änderung nicht gespeichert. Starten Sie Telvora neu, um die neue Datei zu verwenden</translation>
    </message>
    <message>
        <source>the file &quot;%1&quot; was deleted and could not be written again (%2)</source>
        <translation>die Datei „%1“ wurde gelöscht und konnte nicht neu geschrieben werden (%2)</translation>
    </message>
    <message>
        <source>the row has no usable id in the file (only a positive whole number stands for one row), so it is left as it is</source>
        <translation>die Zeile hat in der Datei keine brauchbare Kennung (nur eine positive ganze Zahl bezeichnet eine Zeile); daher bleibt sie unverändert</translation>
    </message>
    <message>
        <source>the phone book has no column %1</source>
        <translation>das Telefonbuch hat keine Spalte %1</translation>
    </message>
    <message>
        <source>the file has no id left for a new row</source>
        <translation>die Datei hat keine Kennung mehr für eine neue Zeile frei</translation>
    </message>
    <message>
        <source>the file gave the new row no usable id</source>
        <translation>die Datei hat der neuen Zeile keine brauchbare Kennung gegeben</translation>
    </message>
    <message>
        <source>the phone book is in use by another program (%1)</source>
        <translation>das Telefonbuch wird von einem anderen Programm verwendet (%1)</translation>
    </message>
    <message>
        <source>rows of the file share an id with this name or a sub-name below it, so none of them is deleted</source>
        <translation>Zeilen der Datei teilen sich eine Kennung mit diesem Namen oder einem Unternamen darunter; daher wird keine davon gelöscht</translation>
    </message>
    <message>
        <source>%1 rows of the file share the id %2, so none of them is changed</source>
        <translation>%1 Zeilen der Datei teilen sich die Kennung %2; daher wird keine davon geändert</translation>
    </message>
    <message>
        <source>another file took its place</source>
        <translation>eine andere Datei hat ihren Platz eingenommen</translation>
    </message>
</context>
<context>
    <name>telvora::PhoneLink</name>
    <message>
        <source>the link is longer than %1 characters</source>
        <translation>der Link ist länger als %1 Zeichen</translation>
    </message>
    <message>
        <source>the link holds a control character</source>
        <translation>der Link enthält ein Steuerzeichen</translation>
    </message>
    <message>
        <source>no number was given</source>
        <translation>es wurde keine Nummer angegeben</translation>
    </message>
    <message>
        <source>%1: links cannot be dialled (only tel:, callto:, sip: and sips:)</source>
        <translation>%1:-Links können nicht gewählt werden (nur tel:, callto:, sip: und sips:)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a telephone number</source>
        <translation>„%1“ ist keine Telefonnummer</translation>
    </message>
    <message>
        <source>the number has more than %1 digits</source>
        <translation>die Nummer hat mehr als %1 Ziffern</translation>
    </message>
    <message>
        <source>&quot;tel:%1&quot; is not a telephone link</source>
        <translation>„tel:%1“ ist kein Telefonlink</translation>
    </message>
    <message>
        <source>&quot;callto:%1&quot; is not a telephone link</source>
        <translation>„callto:%1“ ist kein Telefonlink</translation>
    </message>
    <message>
        <source>&quot;%1:%2&quot; is not a SIP address</source>
        <translation>„%1:%2“ ist keine SIP-Adresse</translation>
    </message>
</context>
<context>
    <name>telvora::Registry</name>
    <message>
        <source>Incorrect Format:

</source>
        <translation>Falsches Format:

</translation>
    </message>
</context>
<context>
    <name>telvora::SearchForm</name>
    <message>
        <source>Search</source>
        <translation>Suche</translation>
    </message>
    <message>
        <source>Name Contains : </source>
        <translation>Name enthält : </translation>
    </message>
    <message>
        <source>Number Contains : </source>
        <translation>Nummer enthält : </translation>
    </message>
    <message>
        <source>Searc&amp;h</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Name Contains</source>
        <translation>Name enthält</translation>
    </message>
    <message>
        <source>Number Contains</source>
        <translation>Nummer enthält</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
</context>
<context>
    <name>telvora::SetupForm</name>
    <message>
        <source>Setup</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Modem :</source>
        <translation>Leitung :</translation>
    </message>
    <message>
        <source>to Acces an Outside Line Call :</source>
        <translation>Vorwahl zur Amtsholung :</translation>
    </message>
    <message>
        <source>Retry Times :</source>
        <translation>Versuche :</translation>
    </message>
    <message>
        <source>Time between redial attempts</source>
        <translation>Pause zwischen den Versuchen</translation>
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
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>&amp;Lines...</source>
        <translation>&amp;Leitungen...</translation>
    </message>
    <message>
        <source>The settings could not be saved to &quot;%1&quot;.</source>
        <translation>Die Einstellungen konnten nicht in „%1“ gespeichert werden.</translation>
    </message>
    <message>
        <source>Country of the lines :</source>
        <translation>Land der Leitungen :</translation>
    </message>
    <message>
        <source>Dial links at once</source>
        <translation>Links sofort wählen</translation>
    </message>
    <message>
        <source>Keep call history, days :</source>
        <translation>Anrufliste behalten, Tage :</translation>
    </message>
    <message>
        <source>0 keeps the call history for ever</source>
        <translation>0 behält die Anrufliste für immer</translation>
    </message>
    <message>
        <source>Address book server...</source>
        <translation>Adressbuch-Server...</translation>
    </message>
</context>
<context>
    <name>telvora::SingleInstance</name>
    <message>
        <source>the folder %1 cannot be read (%2)</source>
        <translation>der Ordner %1 kann nicht gelesen werden (%2)</translation>
    </message>
    <message>
        <source>%1 is a link, not a folder of yours</source>
        <translation>%1 ist eine Verknüpfung, kein Ordner von Ihnen</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 ist kein Ordner</translation>
    </message>
    <message>
        <source>the folder %1 belongs to another user</source>
        <translation>der Ordner %1 gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>the folder %1 is open to other users (mode %2, not 700)</source>
        <translation>der Ordner %1 ist für andere Benutzer offen (Modus %2, nicht 700)</translation>
    </message>
    <message>
        <source>the folder %1 cannot be created (%2)</source>
        <translation>der Ordner %1 kann nicht angelegt werden (%2)</translation>
    </message>
    <message>
        <source>the lock %1 cannot be opened (%2)</source>
        <translation>die Sperrdatei %1 kann nicht geöffnet werden (%2)</translation>
    </message>
    <message>
        <source>the lock %1 is not a file of yours</source>
        <translation>die Sperrdatei %1 ist keine Datei von Ihnen</translation>
    </message>
    <message>
        <source>a later start cannot reach this copy (%1)</source>
        <translation>ein späterer Start kann diese Instanz nicht erreichen (%1)</translation>
    </message>
    <message>
        <source>the lock %1 cannot be taken (%2)</source>
        <translation>die Sperre %1 kann nicht gesetzt werden (%2)</translation>
    </message>
    <message>
        <source>another copy holds the lock %1 but did not answer</source>
        <translation>eine andere Instanz hält die Sperre %1, hat aber nicht geantwortet</translation>
    </message>
</context>
<context>
    <name>telvora::SipAccount</name>
    <message>
        <source>name</source>
        <translation>Anzeigename</translation>
    </message>
    <message>
        <source>server</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>user name</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>outbound proxy</source>
        <translation>ausgehende Proxy</translation>
    </message>
    <message>
        <source>The %1 contains a line break or another control character, which a SIP account cannot hold.</source>
        <translation>Feld „%1“ enthält einen Zeilenumbruch oder ein anderes Steuerzeichen, das ein SIP-Konto nicht aufnehmen kann.</translation>
    </message>
    <message>
        <source>The user name cannot contain blanks, quotes or backslashes.</source>
        <translation>Der Benutzername darf keine Leerzeichen, Anführungszeichen oder Backslashes enthalten.</translation>
    </message>
    <message>
        <source>The server must be a host name or address, with a port if needed (host or host:port).</source>
        <translation>Der Server muss ein Hostname oder eine Adresse sein, bei Bedarf mit Port (Host oder Host:Port).</translation>
    </message>
    <message>
        <source>The outbound proxy must be a host name or address, with a port if needed (host or host:port).</source>
        <translation>Der ausgehende Proxy muss ein Hostname oder eine Adresse sein, bei Bedarf mit Port (Host oder Host:Port).</translation>
    </message>
    <message>
        <source>account&apos;s id</source>
        <translation>Kennung des Kontos</translation>
    </message>
</context>
<context>
    <name>telvora::SipAccountDialog</name>
    <message>
        <source>Add SIP Account</source>
        <translation>SIP-Konto hinzufügen</translation>
    </message>
    <message>
        <source>SIP Account</source>
        <translation>SIP-Konto</translation>
    </message>
    <message>
        <source>as the line is listed</source>
        <translation>wie die Leitung aufgeführt wird</translation>
    </message>
    <message>
        <source>host or host:port</source>
        <translation>Host oder Host:Port</translation>
    </message>
    <message>
        <source>unchanged</source>
        <translation>unverändert</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keiner</translation>
    </message>
    <message>
        <source>&amp;Register with the server</source>
        <translation>Beim Server &amp;registrieren</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Anzeigename:</translation>
    </message>
    <message>
        <source>&amp;Server:</source>
        <translation>&amp;Server:</translation>
    </message>
    <message>
        <source>&amp;User:</source>
        <translation>&amp;Benutzer:</translation>
    </message>
    <message>
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message>
        <source>&amp;Transport:</source>
        <translation>&amp;Transport:</translation>
    </message>
    <message>
        <source>Outbound &amp;proxy:</source>
        <translation>Ausgehender Pro&amp;xy:</translation>
    </message>
    <message>
        <source>Enter the server of the account (host or host:port).</source>
        <translation>Geben Sie den Server des Kontos ein (Host oder Host:Port).</translation>
    </message>
    <message>
        <source>The server cannot contain blanks.</source>
        <translation>Der Server darf keine Leerzeichen enthalten.</translation>
    </message>
    <message>
        <source>Enter the user name: an account that registers with its server needs one.</source>
        <translation>Geben Sie den Benutzernamen ein: Ein Konto, das sich beim Server anmeldet, braucht einen.</translation>
    </message>
    <message>
        <source>The user name cannot contain blanks.</source>
        <translation>Der Benutzername darf keine Leerzeichen enthalten.</translation>
    </message>
    <message>
        <source>The outbound proxy cannot contain blanks.</source>
        <translation>Der ausgehende Proxy darf keine Leerzeichen enthalten.</translation>
    </message>
    <message>
        <source>This account no longer exists.</source>
        <translation>Dieses Konto gibt es nicht mehr.</translation>
    </message>
    <message>
        <source>The account could not be saved to &quot;%1&quot;.</source>
        <translation>Das Konto konnte nicht in „%1“ gespeichert werden.</translation>
    </message>
    <message>
        <source>Send numbers from links as dialled in the &amp;country</source>
        <translation>Nummern aus Links wie im &amp;Land gewählt senden</translation>
    </message>
    <message>
        <source>For servers that do not take numbers that begin with +: the country is the one chosen in Setup.</source>
        <translation>Für Server, die keine Nummern mit + annehmen: Das Land ist das in den Optionen gewählte.</translation>
    </message>
    <message>
        <source>Send touch tones as SIP &amp;INFO</source>
        <translation>Tastentöne als SIP-&amp;INFO senden</translation>
    </message>
    <message>
        <source>For servers that drop the tones sent in the sound stream.</source>
        <translation>Für Server, die im Tonstrom gesendete Töne verwerfen.</translation>
    </message>
    <message>
        <source>&amp;Microphone:</source>
        <translation>&amp;Mikrofon:</translation>
    </message>
    <message>
        <source>Spea&amp;ker:</source>
        <translation>Lautspre&amp;cher:</translation>
    </message>
    <message>
        <source>Rin&amp;ging:</source>
        <translation>&amp;Klingeln:</translation>
    </message>
    <message>
        <source>Sound devices for all SIP calls</source>
        <translation>Audiogeräte für alle SIP-Anrufe</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>%1 (not connected)</source>
        <translation>%1 (nicht angeschlossen)</translation>
    </message>
</context>
<context>
    <name>telvora::SipProvider</name>
    <message>
        <source>The account&apos;s server or user is not valid</source>
        <translation>Server oder Benutzer des Kontos ist ungültig</translation>
    </message>
    <message>
        <source>The password could not be read from the secret store</source>
        <translation>Das Passwort konnte nicht aus dem Schlüsselbund gelesen werden</translation>
    </message>
    <message>
        <source>Not registering</source>
        <translation>Meldet sich nicht an</translation>
    </message>
    <message>
        <source>Not registered: only the first %1 accounts register; this one is used when dialled</source>
        <translation>Nicht angemeldet: Nur die ersten %1 Konten melden sich an; dieses wird beim Wählen verwendet</translation>
    </message>
    <message>
        <source>Not registered yet</source>
        <translation>Noch nicht angemeldet</translation>
    </message>
    <message>
        <source>Waiting for the password from the secret store</source>
        <translation>Wartet auf das Passwort aus dem Schlüsselbund</translation>
    </message>
    <message>
        <source>Registered</source>
        <translation>Angemeldet</translation>
    </message>
    <message>
        <source>Registering...</source>
        <translation>Meldet sich an...</translation>
    </message>
    <message>
        <source>Not registered</source>
        <translation>Nicht angemeldet</translation>
    </message>
    <message>
        <source>Registration refused: wrong user name or password</source>
        <translation>Anmeldung abgelehnt: falscher Benutzername oder falsches Passwort</translation>
    </message>
    <message>
        <source>Registration failed: %1 %2</source>
        <translation>Anmeldung fehlgeschlagen: %1 %2</translation>
    </message>
    <message>
        <source>Registration failed: %1</source>
        <translation>Anmeldung fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>no answer from the server</source>
        <translation>keine Antwort vom Server</translation>
    </message>
    <message>
        <source>The SIP stack is not installed (%1 is missing)</source>
        <translation>Der SIP-Stack ist nicht installiert (%1 fehlt)</translation>
    </message>
    <message>
        <source>The SIP stack was not loaded: %1 or a folder above it could be changed by another user</source>
        <translation>Der SIP-Stack wurde nicht geladen: %1 oder ein Ordner darüber könnte von einem anderen Benutzer geändert werden</translation>
    </message>
    <message>
        <source>The SIP stack could not be loaded: %1</source>
        <translation>Der SIP-Stack konnte nicht geladen werden: %1</translation>
    </message>
    <message>
        <source>The SIP stack could not be started</source>
        <translation>Der SIP-Stack konnte nicht gestartet werden</translation>
    </message>
</context>
<context>
    <name>telvora::SipSoundDevices</name>
    <message>
        <source>The microphone &quot;%1&quot; is not connected; the default one is used.</source>
        <translation>Das Mikrofon &quot;%1&quot; ist nicht angeschlossen; das Standardmikrofon wird verwendet.</translation>
    </message>
    <message>
        <source>The speaker &quot;%1&quot; is not connected; the default one is used.</source>
        <translation>Der Lautsprecher &quot;%1&quot; ist nicht angeschlossen; der Standardlautsprecher wird verwendet.</translation>
    </message>
    <message>
        <source>The ringing device &quot;%1&quot; is not connected; the default one is used.</source>
        <translation>Das Klingelgerät &quot;%1&quot; ist nicht angeschlossen; das Standardgerät wird verwendet.</translation>
    </message>
</context>
<context>
    <name>telvora::SpeedDialCommands</name>
    <message>
        <source>Entry not found or No Name Selected</source>
        <translation>Eintrag nicht gefunden oder kein Name ausgewählt</translation>
    </message>
    <message>
        <source>The speed dial could not be saved.</source>
        <translation>Die Kurzwahl konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Input Name</source>
        <translation>Name eingeben</translation>
    </message>
    <message>
        <source>Input Number</source>
        <translation>Rufnummer eingeben</translation>
    </message>
    <message>
        <source>Are You Sure</source>
        <translation>Sind Sie sicher?</translation>
    </message>
</context>
<context>
    <name>telvora::SyncCards</name>
    <message>
        <source>the card is empty</source>
        <translation>die Karte ist leer</translation>
    </message>
    <message>
        <source>it holds more than one card</source>
        <translation>sie enthält mehr als eine Karte</translation>
    </message>
    <message>
        <source>the card has no name</source>
        <translation>die Karte hat keinen Namen</translation>
    </message>
</context>
<context>
    <name>telvora::SyncEngine</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Conflict copy: changed here while it was changed on the address book server (%1).</source>
        <translation>Konfliktkopie: hier geändert, während es auf dem Adressbuch-Server geändert wurde (%1).</translation>
    </message>
    <message>
        <source>%1: changed on both sides; both kept, ours as a copy marked in its notes</source>
        <translation>%1: auf beiden Seiten geändert; beide behalten, unsere als Kopie, in den Notizen gekennzeichnet</translation>
    </message>
</context>
<context>
    <name>telvora::SyncService</name>
    <message>
        <source>No address book server is set up.</source>
        <translation>Es ist kein Adressbuch-Server eingerichtet.</translation>
    </message>
    <message>
        <source>Syncing with the address book server...</source>
        <translation>Abgleich mit dem Adressbuch-Server...</translation>
    </message>
    <message>
        <source>Address book synced at %1.</source>
        <translation>Adressbuch abgeglichen um %1.</translation>
    </message>
    <message>
        <source>Address book sync failed at %1: %2</source>
        <translation>Abgleich des Adressbuchs um %1 fehlgeschlagen: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n change(s) waiting to be sent.</source>
        <translation>
            <numerusform>%n Änderung wartet darauf, gesendet zu werden.</numerusform>
            <numerusform>%n Änderungen warten darauf, gesendet zu werden.</numerusform>
        </translation>
    </message>
    <message>
        <source>Cards not taken: %1</source>
        <translation>Nicht übernommene Karten: %1</translation>
    </message>
    <message>
        <source>A question waits for your answer.</source>
        <translation>Eine Frage wartet auf Ihre Antwort.</translation>
    </message>
    <message>
        <source>The address book server sends the sync on to another address:
%1

The password was not sent there. Sync with this address from now on and send the password there?</source>
        <translation>Der Adressbuch-Server leitet den Abgleich an eine andere Adresse weiter:
%1

Das Passwort wurde nicht dorthin gesendet. Künftig mit dieser Adresse abgleichen und das Passwort dorthin senden?</translation>
    </message>
    <message>
        <source>The server&apos;s certificate is not trusted by this system.</source>
        <translation>Dieses System vertraut dem Zertifikat des Servers nicht.</translation>
    </message>
    <message>
        <source>The server&apos;s certificate has changed since you accepted it.

Accepted before (SHA-256):
%1</source>
        <translation>Das Zertifikat des Servers hat sich geändert, seit Sie es angenommen haben.

Bisher angenommen (SHA-256):
%1</translation>
    </message>
    <message>
        <source>Shown now (SHA-256):
%1

Trust this certificate for this server?</source>
        <translation>Jetzt gezeigt (SHA-256):
%1

Diesem Zertifikat für diesen Server vertrauen?</translation>
    </message>
    <message>
        <source>Address book server</source>
        <translation>Adressbuch-Server</translation>
    </message>
    <message>
        <source>The address book server&apos;s settings could not be saved.</source>
        <translation>Die Einstellungen des Adressbuch-Servers konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Address book sync stopped at %1: %2</source>
        <translation>Adressbuch-Abgleich um %1 angehalten: %2</translation>
    </message>
    <message>
        <source>Delete them here too? If not, they are sent to the server again.</source>
        <translation>Auch hier löschen? Wenn nicht, werden sie wieder an den Server gesendet.</translation>
    </message>
</context>
<context>
    <name>telvora::SyncState</name>
    <message>
        <source>the phone book cannot be changed</source>
        <translation>das Telefonbuch kann nicht geändert werden</translation>
    </message>
    <message>
        <source>the file&apos;s sync tables are not the ones this program writes</source>
        <translation>die Abgleichstabellen der Datei sind nicht die, die dieses Programm schreibt</translation>
    </message>
</context>
<context>
    <name>telvora::VCardReader</name>
    <message>
        <source>Card %1 (line %2): %3</source>
        <translation>Karte %1 (Zeile %2): %3</translation>
    </message>
    <message>
        <source>Line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <source>the file is larger than %1 MB</source>
        <translation>die Datei ist größer als %1 MB</translation>
    </message>
    <message>
        <source>the line is longer than %1 bytes</source>
        <translation>die Zeile ist länger als %1 Bytes</translation>
    </message>
    <message>
        <source>the line holds a NUL byte</source>
        <translation>die Zeile enthält ein NUL-Byte</translation>
    </message>
    <message>
        <source>the line is folded but continues no line</source>
        <translation>die Zeile ist umbrochen, setzt aber keine Zeile fort</translation>
    </message>
    <message>
        <source>this is not a vCard line</source>
        <translation>das ist keine vCard-Zeile</translation>
    </message>
    <message>
        <source>a card must start with BEGIN:VCARD</source>
        <translation>eine Karte muss mit BEGIN:VCARD beginnen</translation>
    </message>
    <message>
        <source>a card starts inside another card</source>
        <translation>eine Karte beginnt innerhalb einer anderen Karte</translation>
    </message>
    <message>
        <source>the card has more than %1 lines</source>
        <translation>die Karte hat mehr als %1 Zeilen</translation>
    </message>
    <message>
        <source>vCard version %1 is not known</source>
        <translation>die vCard-Version %1 ist unbekannt</translation>
    </message>
    <message>
        <source>the character set %1 is not known</source>
        <translation>der Zeichensatz %1 ist unbekannt</translation>
    </message>
    <message>
        <source>the text is not valid %1</source>
        <translation>der Text ist kein gültiges %1</translation>
    </message>
    <message>
        <source>the file ends inside the card (END:VCARD is missing)</source>
        <translation>die Datei endet innerhalb der Karte (END:VCARD fehlt)</translation>
    </message>
</context>
</TS>
