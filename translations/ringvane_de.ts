<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>ringvane-calls</name>
    <message>
        <source>%1 is not a day: give it as 2026-12-09 or as the day entry shows it, for example %2.</source>
        <translation>%1 ist kein Tag: Geben Sie ihn als 2026-12-09 an oder so, wie ihn die Tagesauswahl zeigt, zum Beispiel %2.</translation>
    </message>
    <message>
        <source>Unexpected argument %1.</source>
        <translation>Unerwartetes Argument %1.</translation>
    </message>
    <message>
        <source>--%1 is given more than once.</source>
        <translation>--%1 ist mehr als einmal angegeben.</translation>
    </message>
    <message>
        <source>--day goes alone, without --from and --to.</source>
        <translation>--day steht allein, ohne --from und --to.</translation>
    </message>
    <message>
        <source>--from and --to go together.</source>
        <translation>--from und --to gehören zusammen.</translation>
    </message>
    <message>
        <source>--from %1 is after --to %2.</source>
        <translation>--from %1 liegt nach --to %2.</translation>
    </message>
    <message numerus="yes">
        <source>--number is longer than %n characters.</source>
        <translation>
            <numerusform>--number ist länger als %n Zeichen.</numerusform>
            <numerusform>--number ist länger als %n Zeichen.</numerusform>
        </translation>
    </message>
    <message>
        <source>Unknown format %1: give text, csv or json.</source>
        <translation>Unbekanntes Format %1: Geben Sie text, csv oder json an.</translation>
    </message>
    <message>
        <source>%1 is not a data source name.</source>
        <translation>%1 ist kein Name einer Datenquelle.</translation>
    </message>
    <message>
        <source>The ODBC support is not installed (package unixodbc).</source>
        <translation>Die ODBC-Unterstützung ist nicht installiert (Paket unixodbc).</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1. ringvane-setup-calllog creates it.</source>
        <translation>Es gibt keine ODBC-Datenquelle %1. ringvane-setup-calllog legt sie an.</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1.</source>
        <translation>Es gibt keine ODBC-Datenquelle %1.</translation>
    </message>
    <message>
        <source>The data source %1 holds no call log (its file is not a database):
%2</source>
        <translation>Die Datenquelle %1 enthält keine Anrufliste (ihre Datei ist keine Datenbank):
%2</translation>
    </message>
    <message numerus="yes">
        <source>The data source %1 did not answer within %n seconds:
%2</source>
        <translation>
            <numerusform>Die Datenquelle %1 hat nicht innerhalb von %n Sekunde geantwortet:
%2</numerusform>
            <numerusform>Die Datenquelle %1 hat nicht innerhalb von %n Sekunden geantwortet:
%2</numerusform>
        </translation>
    </message>
    <message>
        <source>The data source %1 cannot be reached:
%2</source>
        <translation>Die Datenquelle %1 ist nicht erreichbar:
%2</translation>
    </message>
    <message>
        <source>The data source %1 holds no call log (table IDList):
%2</source>
        <translation>Die Datenquelle %1 enthält keine Anrufliste (Tabelle IDList):
%2</translation>
    </message>
    <message>
        <source>The data source %1 could not give the call log:
%2</source>
        <translation>Die Datenquelle %1 konnte die Anrufliste nicht liefern:
%2</translation>
    </message>
    <message>
        <source>[hung up]</source>
        <translation>[aufgelegt]</translation>
    </message>
    <message>
        <source>Usage: ringvane-calls [--day DATE | --from DATE --to DATE] [--number TEXT]
                      [--format text|csv|json] [--dsn NAME]

Lists the calls in Ringvane&apos;s call log, oldest first.

  --day DATE           the calls of one day (without a range: today)
  --from DATE --to DATE
                       the calls of these days and every day between them
  --number TEXT        only calls from this number, exactly as stored (upper and
                       lower case differ); a * stands for any text, as in 555*
  --format FORMAT      text (lines like the call list, the default), csv or json
                       (one object a line)
  --dsn NAME           the ODBC data source of the call log (default CallerID)
  -h, --help           this text

A DATE is written as 2026-12-09, or as Ringvane&apos;s day entry shows it.

In csv, a number or name that a spreadsheet would run as a formula (one that
starts with = + - @ or a tab) gets a leading apostrophe, unless it is only a phone
number such as +1 555 0123.

Exit status: 0 done, 1 wrong arguments, 2 no such data source, 3 the data source
cannot be reached, 4 no call log table in it, 5 another failure of the data
source, 6 the ODBC support is not installed, 7 the output could not be written.
</source>
        <translation>Aufruf: ringvane-calls [--day DATUM | --from DATUM --to DATUM] [--number TEXT]
                       [--format text|csv|json] [--dsn NAME]

Listet die Anrufe aus Ringvanes Anrufliste auf, die ältesten zuerst.

  --day DATUM          die Anrufe eines Tages (ohne Zeitraum: heute)
  --from DATUM --to DATUM
                       die Anrufe dieser Tage und aller Tage dazwischen
  --number TEXT        nur Anrufe von dieser Rufnummer, genau wie gespeichert
                       (Groß- und Kleinschreibung zählen); * steht für beliebigen
                       Text, wie in 555*
  --format FORMAT      text (Zeilen wie in der Anrufliste, der Standard), csv oder
                       json (ein Objekt je Zeile)
  --dsn NAME           die ODBC-Datenquelle der Anrufliste (Standard CallerID)
  -h, --help           dieser Text

Ein DATUM wird als 2026-12-09 geschrieben oder so, wie es Ringvanes Tagesauswahl
zeigt.

In csv erhält eine Rufnummer oder ein Name, den eine Tabellenkalkulation als
Formel ausführen würde (beginnend mit = + - @ oder einem Tabulator), einen
Apostroph davor, außer es ist nur eine Rufnummer wie +1 555 0123.

Rückgabewert: 0 erledigt, 1 falsche Argumente, 2 keine solche Datenquelle,
3 Datenquelle nicht erreichbar, 4 keine Anrufliste darin, 5 ein anderer Fehler
der Datenquelle, 6 ODBC-Unterstützung nicht installiert, 7 die Ausgabe konnte
nicht geschrieben werden.
</translation>
    </message>
    <message>
        <source>The phonebook cannot be read, calls are listed without contacts: %1</source>
        <translation>Das Telefonbuch kann nicht gelesen werden, die Anrufe werden ohne Kontakte aufgelistet: %1</translation>
    </message>
    <message>
        <source>More calls than the list can number; give a shorter range.</source>
        <translation>Mehr Anrufe, als die Liste nummerieren kann; geben Sie einen kürzeren Zeitraum an.</translation>
    </message>
    <message>
        <source>Could not write the output: %1.</source>
        <translation>Die Ausgabe konnte nicht geschrieben werden: %1.</translation>
    </message>
    <message>
        <source>Could not write the output: standard output is closed.</source>
        <translation>Die Ausgabe konnte nicht geschrieben werden: Die Standardausgabe ist geschlossen.</translation>
    </message>
    <message>
        <source>Try &apos;ringvane-calls --help&apos;.</source>
        <translation>Siehe &apos;ringvane-calls --help&apos;.</translation>
    </message>
</context>
<context>
    <name>ringvane-contacts</name>
    <message>
        <source>Removed %1 from the block list.</source>
        <translation>%1 von der Sperrliste entfernt.</translation>
    </message>
    <message>
        <source>Removed %1 from the allow list.</source>
        <translation>%1 von der Erlaubnisliste entfernt.</translation>
    </message>
    <message>
        <source>Removed %1 from the %2 list.</source>
        <translation>%1 von der Liste %2 entfernt.</translation>
    </message>
    <message>
        <source>%1 is already on the block list.</source>
        <translation>%1 steht bereits auf der Sperrliste.</translation>
    </message>
    <message>
        <source>%1 is already on the allow list.</source>
        <translation>%1 steht bereits auf der Erlaubnisliste.</translation>
    </message>
    <message>
        <source>%1 is already on the %2 list.</source>
        <translation>%1 steht bereits auf der Liste %2.</translation>
    </message>
    <message>
        <source>Added %1 to the block list.</source>
        <translation>%1 auf die Sperrliste gesetzt.</translation>
    </message>
    <message>
        <source>Added %1 to the allow list.</source>
        <translation>%1 auf die Erlaubnisliste gesetzt.</translation>
    </message>
    <message>
        <source>Added %1 to the %2 list.</source>
        <translation>%1 auf die Liste %2 gesetzt.</translation>
    </message>
    <message>
        <source>Moved %1 from the block list to the allow list.</source>
        <translation>%1 von der Sperrliste auf die Erlaubnisliste verschoben.</translation>
    </message>
    <message>
        <source>Moved %1 from the allow list to the block list.</source>
        <translation>%1 von der Erlaubnisliste auf die Sperrliste verschoben.</translation>
    </message>
    <message>
        <source>Moved %1 from the %2 list to the %3 list.</source>
        <translation>%1 von der Liste %2 auf die Liste %3 verschoben.</translation>
    </message>
    <message>
        <source>--%1 is given more than once.</source>
        <translation>--%1 ist mehr als einmal angegeben.</translation>
    </message>
    <message>
        <source>Give a command: %1.</source>
        <translation>Geben Sie einen Befehl an: %1.</translation>
    </message>
    <message>
        <source>Unknown command %1: give %2.</source>
        <translation>Unbekannter Befehl %1: Geben Sie %2 an.</translation>
    </message>
    <message>
        <source>%1 takes no arguments.</source>
        <translation>%1 nimmt keine Argumente.</translation>
    </message>
    <message>
        <source>%1 takes %2 (in quotes where it has blanks).</source>
        <translation>%1 erwartet %2 (in Anführungszeichen, wo Leerzeichen vorkommen).</translation>
    </message>
    <message>
        <source>--format goes with list and export.</source>
        <translation>--format gehört zu list und export.</translation>
    </message>
    <message>
        <source>Unknown format %1: give text, csv or json.</source>
        <translation>Unbekanntes Format %1: Geben Sie text, csv oder json an.</translation>
    </message>
    <message>
        <source>Unknown format %1: give vcard or csv.</source>
        <translation>Unbekanntes Format %1: Geben Sie vcard oder csv an.</translation>
    </message>
    <message>
        <source>%1 is not a data source name.</source>
        <translation>%1 ist kein Name einer Datenquelle.</translation>
    </message>
    <message>
        <source>%1 (%2): given twice</source>
        <translation>%1 (%2): doppelt angegeben</translation>
    </message>
    <message>
        <source>%1 (%2): the same number as for %3 before it</source>
        <translation>%1 (%2): dieselbe Rufnummer wie zuvor für %3</translation>
    </message>
    <message>
        <source>Added %1 (%2).</source>
        <translation>%1 (%2) hinzugefügt.</translation>
    </message>
    <message>
        <source>Gave %1 the name %2.</source>
        <translation>%1 hat den Namen %2 erhalten.</translation>
    </message>
    <message>
        <source>Changed the name of %1 from %2 to %3.</source>
        <translation>Name von %1 von %2 in %3 geändert.</translation>
    </message>
    <message>
        <source>%1 (%2) is already in the phonebook.</source>
        <translation>%1 (%2) steht bereits im Telefonbuch.</translation>
    </message>
    <message>
        <source>The ODBC support is not installed (package unixodbc).</source>
        <translation>Die ODBC-Unterstützung ist nicht installiert (Paket unixodbc).</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1. ringvane-setup-calllog creates it.</source>
        <translation>Es gibt keine ODBC-Datenquelle %1. ringvane-setup-calllog legt sie an.</translation>
    </message>
    <message>
        <source>There is no ODBC data source %1.</source>
        <translation>Es gibt keine ODBC-Datenquelle %1.</translation>
    </message>
    <message numerus="yes">
        <source>The data source %1 did not answer within %n seconds:
%2</source>
        <translation>
            <numerusform>Die Datenquelle %1 hat nicht innerhalb von %n Sekunde geantwortet:
%2</numerusform>
            <numerusform>Die Datenquelle %1 hat nicht innerhalb von %n Sekunden geantwortet:
%2</numerusform>
        </translation>
    </message>
    <message>
        <source>The data source %1 cannot be reached:
%2</source>
        <translation>Die Datenquelle %1 ist nicht erreichbar:
%2</translation>
    </message>
    <message>
        <source>The data source %1 could not give or take the phonebook:
%2</source>
        <translation>Die Datenquelle %1 konnte das Telefonbuch nicht liefern oder speichern:
%2</translation>
    </message>
    <message>
        <source>Usage: ringvane-contacts list [--format text|csv|json]
       ringvane-contacts add NUMBER NAME
       ringvane-contacts remove NUMBER
       ringvane-contacts block|allow|unmark NUMBER
       ringvane-contacts block-name|remove-name RULE
       ringvane-contacts import FILE
       ringvane-contacts export [--format vcard|csv]
       (each with [--dsn NAME])

Keeps Ringvane&apos;s phonebook, the names it shows for callers&apos; numbers, in the table
Phonebook beside the call log.

  list                 the entries, by name (text, csv or json lines)
  add NUMBER NAME      adds an entry, or gives a number already there the new name
  remove NUMBER        removes the entries with this number, their marks with them
  block NUMBER         puts the number on the block list (a new number becomes an
                       entry without a name)
  allow NUMBER         puts the number on the allow list
  unmark NUMBER        takes the number off either list (keeps its name)
  block-name RULE      puts the calls whose name from the line is RULE on the block
                       list (* for any text, capitals or not: &apos;SPAM*&apos;, TELEMARKETER)
  remove-name RULE     removes that name rule
  import FILE          brings in the numbers of a vCard file (2.1, 3.0, 4.0) or of
                       Google Contacts&apos; CSV export, each under its card&apos;s name;
                       says what it added, changed and skipped
  export               writes the named entries as vCard 4.0 (the default) or as CSV
                       in Google Contacts&apos; columns; marks and rules stay out (list
                       --format csv has them)
  --dsn NAME           the ODBC data source of the call log (default CallerID)
  -h, --help           this text

A number ending in * covers every number that starts so (0800*). Numbers are the
same when they are the same telephone number in your country (from your locale):
+44 20 7946 0958 and 020 7946 0958 are one entry in the United Kingdom.

list shows each entry&apos;s mark ([block], [allow]) and the name rules last
([block-name]). Whether Ringvane hangs up on a listed call is set in the group
[blocking] of ~/.config/ringvane/ringvane.conf.

Exit status: 0 done, 1 wrong arguments, 2 no such data source, 3 the data source
cannot be reached, 4 nothing to remove (remove, unmark, remove-name) or the file
cannot be read (import), 5 another failure of the data source, 6 the ODBC support
is not installed, 7 the output could not be written.
</source>
        <translation>Aufruf: ringvane-contacts list [--format text|csv|json]
        ringvane-contacts add NUMMER NAME
        ringvane-contacts remove NUMMER
        ringvane-contacts block|allow|unmark NUMMER
        ringvane-contacts block-name|remove-name REGEL
        ringvane-contacts import DATEI
        ringvane-contacts export [--format vcard|csv]
        (jeweils mit [--dsn NAME])

Pflegt Ringvanes Telefonbuch, die Namen, die es zu den Rufnummern der Anrufer
zeigt, in der Tabelle Phonebook neben der Anrufliste.

  list                 die Einträge, nach Namen (text, csv oder json)
  add NUMMER NAME      legt einen Eintrag an oder gibt einer vorhandenen Rufnummer
                       den neuen Namen
  remove NUMMER        entfernt die Einträge mit dieser Rufnummer samt Markierungen
  block NUMMER         setzt die Rufnummer auf die Sperrliste (eine neue Rufnummer
                       wird ein Eintrag ohne Namen)
  allow NUMMER         setzt die Rufnummer auf die Erlaubnisliste
  unmark NUMMER        nimmt die Rufnummer von beiden Listen (behält ihren Namen)
  block-name REGEL     setzt die Anrufe, deren Name aus der Leitung REGEL ist, auf
                       die Sperrliste (* für beliebigen Text, Groß- und
                       Kleinschreibung egal: &apos;SPAM*&apos;, TELEMARKETER)
  remove-name REGEL    entfernt diese Namensregel
  import DATEI         übernimmt die Rufnummern einer vCard-Datei (2.1, 3.0, 4.0)
                       oder des CSV-Exports von Google Kontakte, jeweils unter dem
                       Namen der Karte; meldet, was hinzugefügt, geändert und
                       übersprungen wurde
  export               schreibt die Einträge mit Namen als vCard 4.0 (Standard)
                       oder als CSV in den Spalten von Google Kontakte; Markierungen
                       und Regeln bleiben außen vor (list --format csv enthält sie)
  --dsn NAME           die ODBC-Datenquelle der Anrufliste (Standard CallerID)
  -h, --help           dieser Text

Eine Rufnummer mit * am Ende umfasst alle Rufnummern, die so beginnen (0800*).
Rufnummern gelten als gleich, wenn sie in Ihrem Land (laut Ihrem Gebietsschema)
dieselbe Telefonnummer sind: +49 30 1234567 und 030 1234567 sind in Deutschland
ein Eintrag.

list zeigt die Markierung jedes Eintrags ([block], [allow]) und die Namensregeln
zuletzt ([block-name]). Ob Ringvane bei einem gelisteten Anruf auflegt, steht in
der Gruppe [blocking] von ~/.config/ringvane/ringvane.conf.

Rückgabewert: 0 erledigt, 1 falsche Argumente, 2 keine solche Datenquelle,
3 Datenquelle nicht erreichbar, 4 nichts zu entfernen (remove, unmark,
remove-name) oder die Datei ist nicht lesbar (import), 5 ein anderer Fehler der
Datenquelle, 6 ODBC-Unterstützung nicht installiert, 7 die Ausgabe konnte nicht
geschrieben werden.
</translation>
    </message>
    <message>
        <source>Could not write the output: %1.</source>
        <translation>Die Ausgabe konnte nicht geschrieben werden: %1.</translation>
    </message>
    <message numerus="yes">
        <source>%1 is larger than %n MiB; no address book is.</source>
        <translation>
            <numerusform>%1 ist größer als %n MiB; so groß ist kein Adressbuch.</numerusform>
            <numerusform>%1 ist größer als %n MiB; so groß ist kein Adressbuch.</numerusform>
        </translation>
    </message>
    <message>
        <source>Could not read %1: %2.</source>
        <translation>%1 konnte nicht gelesen werden: %2.</translation>
    </message>
    <message numerus="yes">
        <source>Added %n, changed %1, already there %2, skipped %3.</source>
        <translation>
            <numerusform>%n Eintrag hinzugefügt, %1 geändert, %2 bereits vorhanden, %3 übersprungen.</numerusform>
            <numerusform>%n Einträge hinzugefügt, %1 geändert, %2 bereits vorhanden, %3 übersprungen.</numerusform>
        </translation>
    </message>
    <message>
        <source>skipped line %1: %2</source>
        <translation>übersprungen, Zeile %1: %2</translation>
    </message>
    <message>
        <source>skipped %1</source>
        <translation>übersprungen: %1</translation>
    </message>
    <message>
        <source>Removed %1.</source>
        <translation>%1 entfernt.</translation>
    </message>
    <message>
        <source>No entry has the number %1.</source>
        <translation>Kein Eintrag hat die Rufnummer %1.</translation>
    </message>
    <message>
        <source>%1 is on neither list.</source>
        <translation>%1 steht auf keiner der beiden Listen.</translation>
    </message>
    <message>
        <source>The name rule %1 is already there.</source>
        <translation>Die Namensregel %1 ist bereits vorhanden.</translation>
    </message>
    <message>
        <source>Added the name rule %1.</source>
        <translation>Namensregel %1 hinzugefügt.</translation>
    </message>
    <message>
        <source>There is no name rule %1.</source>
        <translation>Es gibt keine Namensregel %1.</translation>
    </message>
    <message>
        <source>Removed the name rule %1.</source>
        <translation>Namensregel %1 entfernt.</translation>
    </message>
    <message>
        <source>Could not write the output: standard output is closed.</source>
        <translation>Die Ausgabe konnte nicht geschrieben werden: Die Standardausgabe ist geschlossen.</translation>
    </message>
    <message>
        <source>Try &apos;ringvane-contacts --help&apos;.</source>
        <translation>Siehe &apos;ringvane-contacts --help&apos;.</translation>
    </message>
    <message numerus="yes">
        <source>Give a %1 of 1 to %n characters.</source>
        <translation>
            <numerusform>Geben Sie %1 mit 1 bis %n Zeichen an.</numerusform>
            <numerusform>Geben Sie %1 mit 1 bis %n Zeichen an.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: longer than %n characters</source>
        <translation>
            <numerusform>%1: länger als %n Zeichen</numerusform>
            <numerusform>%1: länger als %n Zeichen</numerusform>
        </translation>
    </message>
</context>
</TS>
