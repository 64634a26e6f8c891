<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CallLog</name>
    <message>
        <source>An entry to mark needs a number.</source>
        <translation>Ein Eintrag, der markiert werden soll, braucht eine Rufnummer.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a mark: give allow or block.</source>
        <translation>„%1“ ist keine Markierung: Geben Sie allow oder block an.</translation>
    </message>
    <message>
        <source>A name rule needs a text.</source>
        <translation>Eine Namensregel braucht einen Text.</translation>
    </message>
</context>
<context>
    <name>CallNotice</name>
    <message>
        <source>Private number</source>
        <translation>Rufnummer unterdrückt</translation>
    </message>
    <message>
        <source>Number unavailable</source>
        <translation>Rufnummer nicht verfügbar</translation>
    </message>
    <message>
        <source>Blocked: %1</source>
        <translation>Gesperrt: %1</translation>
    </message>
    <message numerus="yes">
        <source>Latest of %n calls</source>
        <translation>
            <numerusform>Neuester von %n Anruf</numerusform>
            <numerusform>Neuester von %n Anrufen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CallNotifier</name>
    <message>
        <source>Show Ringvane</source>
        <translation>Ringvane anzeigen</translation>
    </message>
</context>
<context>
    <name>CallPipeline</name>
    <message>
        <source>The phonebook cannot be read, callers are shown as the line gives them: %1</source>
        <translation>Das Telefonbuch kann nicht gelesen werden, Anrufer werden so angezeigt, wie die Leitung sie übermittelt: %1</translation>
    </message>
    <message>
        <source>The call log is back: 1 waiting call saved</source>
        <translation>Die Anrufliste ist wieder erreichbar: 1 wartender Anruf gespeichert</translation>
    </message>
    <message numerus="yes">
        <source>The call log is back: %n waiting calls saved</source>
        <translation>
            <numerusform>Die Anrufliste ist wieder erreichbar: %n wartender Anruf gespeichert</numerusform>
            <numerusform>Die Anrufliste ist wieder erreichbar: %n wartende Anrufe gespeichert</numerusform>
        </translation>
    </message>
    <message>
        <source>The modem cannot hang up on calls (%1): calls to block are only marked</source>
        <translation>Das Modem kann Anrufe nicht abweisen (%1): Anrufe, die abgewiesen werden sollen, werden nur markiert</translation>
    </message>
    <message>
        <source>The phonebook is not read yet or cannot be read: calls ring and none is hung up</source>
        <translation>Das Telefonbuch ist noch nicht gelesen oder kann nicht gelesen werden: Anrufe klingeln, keiner wird abgewiesen</translation>
    </message>
    <message>
        <source>Ringvane cannot read the number %1, so the call rings: numbers without a country code need [numbers] region= in the settings</source>
        <translation>Ringvane kann die Rufnummer %1 nicht lesen, daher klingelt der Anruf: Rufnummern ohne Ländervorwahl brauchen [numbers] region= in den Einstellungen</translation>
    </message>
    <message>
        <source>The call is kept and will be saved when the call log is back</source>
        <translation>Der Anruf wird aufbewahrt und gespeichert, sobald die Anrufliste wieder erreichbar ist</translation>
    </message>
    <message numerus="yes">
        <source>%n calls are kept and will be saved when the call log is back</source>
        <translation>
            <numerusform>%n Anruf wird aufbewahrt und gespeichert, sobald die Anrufliste wieder erreichbar ist</numerusform>
            <numerusform>%n Anrufe werden aufbewahrt und gespeichert, sobald die Anrufliste wieder erreichbar ist</numerusform>
        </translation>
    </message>
    <message>
        <source>The call is not yet safe: it could not be kept on disk</source>
        <translation>Der Anruf ist noch nicht sicher: Er konnte nicht auf dem Datenträger aufbewahrt werden</translation>
    </message>
    <message numerus="yes">
        <source>%n calls are not yet safe: they could not be kept on disk</source>
        <translation>
            <numerusform>%n Anruf ist noch nicht sicher: Er konnte nicht auf dem Datenträger aufbewahrt werden</numerusform>
            <numerusform>%n Anrufe sind noch nicht sicher: Sie konnten nicht auf dem Datenträger aufbewahrt werden</numerusform>
        </translation>
    </message>
    <message>
        <source>Waiting: [%1] %2</source>
        <translation>Wartet: [%1] %2</translation>
    </message>
    <message>
        <source>Held in memory: [%1] %2</source>
        <translation>Im Arbeitsspeicher gehalten: [%1] %2</translation>
    </message>
    <message>
        <source>1 call waiting for the call log</source>
        <translation>1 Anruf wartet auf die Anrufliste</translation>
    </message>
    <message numerus="yes">
        <source>%n calls waiting for the call log</source>
        <translation>
            <numerusform>%n Anruf wartet auf die Anrufliste</numerusform>
            <numerusform>%n Anrufe warten auf die Anrufliste</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CallRecorder</name>
    <message>
        <source>no database support</source>
        <translation>keine Datenbankunterstützung</translation>
    </message>
    <message>
        <source>not stored within %1 s</source>
        <translation>nicht innerhalb von %1 s gespeichert</translation>
    </message>
</context>
<context>
    <name>CallScreen</name>
    <message>
        <source>on the block list (%1)</source>
        <translation>auf der Sperrliste (%1)</translation>
    </message>
    <message>
        <source>the name matches a rule (%1)</source>
        <translation>der Name passt zu einer Namensregel (%1)</translation>
    </message>
    <message>
        <source>the number is withheld</source>
        <translation>die Rufnummer ist unterdrückt</translation>
    </message>
    <message>
        <source>the number cannot exist</source>
        <translation>diese Rufnummer kann es nicht geben</translation>
    </message>
    <message>
        <source>not in the phonebook</source>
        <translation>nicht im Telefonbuch</translation>
    </message>
</context>
<context>
    <name>CallSpool</name>
    <message>
        <source>%1 is left alone, since %2</source>
        <translation>%1 bleibt unberührt, da %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot name a file of waiting calls</source>
        <translation>„%1“ taugt nicht als Name einer Datei wartender Anrufe</translation>
    </message>
    <message>
        <source>Waiting calls cannot be kept in the folder %1: %2</source>
        <translation>Wartende Anrufe können nicht im Ordner %1 aufbewahrt werden: %2</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>%1 kann nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Every file of waiting calls for this data source is in use</source>
        <translation>Alle Dateien wartender Anrufe für diese Datenquelle sind in Gebrauch</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Waiting calls: %1 (no call is read from it); calls are kept in %2</source>
        <translation>Wartende Anrufe: %1 (daraus wird kein Anruf gelesen); Anrufe werden in %2 aufbewahrt</translation>
    </message>
    <message>
        <source>Call %1 is already waiting</source>
        <translation>Anruf %1 wartet bereits</translation>
    </message>
    <message>
        <source>Call %1 has no date and time to keep</source>
        <translation>Anruf %1 hat kein Datum und keine Uhrzeit, die aufbewahrt werden könnten</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Waiting calls: skipped a damaged entry of %1 bytes at byte %2 of %3</source>
        <translation>Wartende Anrufe: beschädigten Eintrag von %1 Byte bei Byte %2 in %3 übersprungen</translation>
    </message>
    <message numerus="yes">
        <source>Waiting calls: skipped %n more damaged entries (%1 bytes) of %2</source>
        <translation>
            <numerusform>Wartende Anrufe: %n weiteren beschädigten Eintrag (%1 Byte) in %2 übersprungen</numerusform>
            <numerusform>Wartende Anrufe: %n weitere beschädigte Einträge (%1 Byte) in %2 übersprungen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CallToolTip</name>
    <message>
        <source>Hung up</source>
        <translation>Aufgelegt</translation>
    </message>
    <message>
        <source>Hung up: %1</source>
        <translation>Aufgelegt: %1</translation>
    </message>
    <message>
        <source>Not hung up, but unwanted: %1</source>
        <translation>Nicht aufgelegt, aber unerwünscht: %1</translation>
    </message>
    <message>
        <source>Not yet saved in the call log</source>
        <translation>Noch nicht in der Anrufliste gespeichert</translation>
    </message>
</context>
<context>
    <name>CallWriter</name>
    <message>
        <source>The call log file was deleted or replaced</source>
        <translation>Die Datei der Anrufliste wurde gelöscht oder ersetzt</translation>
    </message>
</context>
<context>
    <name>CommandOutput</name>
    <message>
        <source>The port did not send its output within %1 seconds</source>
        <translation>Der Anschluss hat seine Ausgabe nicht innerhalb von %1 Sekunden gesendet</translation>
    </message>
</context>
<context>
    <name>ContactDialog</name>
    <message>
        <source>&amp;Number:</source>
        <translation>&amp;Rufnummer:</translation>
    </message>
    <message>
        <source>N&amp;ame:</source>
        <translation>&amp;Name:</translation>
    </message>
</context>
<context>
    <name>ContactFiles</name>
    <message>
        <source>no name</source>
        <translation>kein Name</translation>
    </message>
    <message>
        <source>no telephone number</source>
        <translation>keine Telefonnummer</translation>
    </message>
    <message>
        <source>a line longer than 64 KiB</source>
        <translation>eine Zeile länger als 64 KiB</translation>
    </message>
    <message>
        <source>not a Google Contacts export (no &quot;Phone 1 - Value&quot; column)</source>
        <translation>kein Export aus Google Kontakte (keine Spalte „Phone 1 - Value“)</translation>
    </message>
</context>
<context>
    <name>Database</name>
    <message>
        <source>Could not read the next row.</source>
        <translation>Die nächste Zeile konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Could not read a value.</source>
        <translation>Ein Wert konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Could not make a statement.</source>
        <translation>Es konnte keine Anweisung angelegt werden.</translation>
    </message>
    <message>
        <source>Could not read the columns.</source>
        <translation>Die Spalten konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The transaction could not end.</source>
        <translation>Die Transaktion konnte nicht beendet werden.</translation>
    </message>
    <message>
        <source>The source could not be opened.</source>
        <translation>Die Quelle konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Could not prepare the new row.</source>
        <translation>Die neue Zeile konnte nicht vorbereitet werden.</translation>
    </message>
    <message>
        <source>Provider cannot be found. It may not be properly installed.</source>
        <translation>Der Anbieter wurde nicht gefunden. Er ist möglicherweise nicht richtig installiert.</translation>
    </message>
    <message>
        <source>The connection string is too long.</source>
        <translation>Die Verbindungszeichenfolge ist zu lang.</translation>
    </message>
    <message>
        <source>The ODBC driver manager could not start.</source>
        <translation>Der ODBC-Treibermanager konnte nicht starten.</translation>
    </message>
    <message>
        <source>Could not make a connection.</source>
        <translation>Es konnte keine Verbindung hergestellt werden.</translation>
    </message>
    <message>
        <source>Could not open the data source.</source>
        <translation>Die Datenquelle konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The statement failed.</source>
        <translation>Die Anweisung ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>The transaction could not begin.</source>
        <translation>Die Transaktion konnte nicht beginnen.</translation>
    </message>
    <message>
        <source>The row could not be stored.</source>
        <translation>Die Zeile konnte nicht gespeichert werden.</translation>
    </message>
</context>
<context>
    <name>DeviceAccess</name>
    <message>
        <source>Only members of the group &quot;%1&quot; may: add yourself with &quot;%2&quot;, then log out and in again.</source>
        <translation>Nur Mitglieder der Gruppe &quot;%1&quot; dürfen das: Fügen Sie sich mit &quot;%2&quot; hinzu, melden Sie sich dann ab und wieder an.</translation>
    </message>
    <message>
        <source>It is reserved for the administrator. To give it to the group &quot;dialout&quot;, run: %1; then add yourself with &quot;%2&quot; and log out and in again.</source>
        <translation>Es ist dem Administrator vorbehalten. Um es der Gruppe &quot;dialout&quot; zu geben, führen Sie aus: %1; fügen Sie sich dann mit &quot;%2&quot; hinzu und melden Sie sich ab und wieder an.</translation>
    </message>
</context>
<context>
    <name>FeedServer</name>
    <message>
        <source>Network feed off: %1 is already in use, perhaps by another caller-ID server</source>
        <translation>Netzwerk-Feed aus: %1 ist bereits belegt, vielleicht von einem anderen Anruferkennungs-Server</translation>
    </message>
    <message>
        <source>Network feed off: %1 is not an address of this computer</source>
        <translation>Netzwerk-Feed aus: %1 ist keine Adresse dieses Computers</translation>
    </message>
    <message>
        <source>Network feed off: no permission to listen on %1</source>
        <translation>Netzwerk-Feed aus: keine Berechtigung, auf %1 Verbindungen anzunehmen</translation>
    </message>
    <message>
        <source>Network feed off: cannot listen on %1 (%2)</source>
        <translation>Netzwerk-Feed aus: auf %1 können keine Verbindungen angenommen werden (%2)</translation>
    </message>
    <message>
        <source>Network feed off: &quot;%1&quot; is not an address and port such as 127.0.0.1:3333</source>
        <translation>Netzwerk-Feed aus: „%1“ ist keine Adresse mit Port wie 127.0.0.1:3333</translation>
    </message>
</context>
<context>
    <name>FirstStart</name>
    <message>
        <source>ringvane-find-modems left no report: run it in a terminal to look for modems and see why none was found.</source>
        <translation>ringvane-find-modems hat keinen Bericht hinterlassen: Führen Sie es in einem Terminal aus, um nach Modems zu suchen und zu sehen, warum keines gefunden wurde.</translation>
    </message>
    <message>
        <source>ringvane-find-modems reported:</source>
        <translation>ringvane-find-modems meldete:</translation>
    </message>
    <message>
        <source>... (the rest is in %1)</source>
        <translation>... (der Rest steht in %1)</translation>
    </message>
    <message>
        <source>No caller-ID modem found: see Help, or run ringvane-find-modems in a terminal</source>
        <translation>Kein Modem mit Rufnummernanzeige gefunden: siehe Hilfe, oder führen Sie ringvane-find-modems in einem Terminal aus</translation>
    </message>
    <message>
        <source>Join the group &quot;%2&quot; to use %1: see the receive log</source>
        <translation>Treten Sie der Gruppe &quot;%2&quot; bei, um %1 zu nutzen: siehe Empfangsprotokoll</translation>
    </message>
    <message>
        <source>%1 belongs to the administrator: see the receive log</source>
        <translation>%1 gehört dem Administrator: siehe Empfangsprotokoll</translation>
    </message>
</context>
<context>
    <name>FreedesktopNotifications</name>
    <message>
        <source>no notification service on the session bus</source>
        <translation>kein Benachrichtigungsdienst auf dem Sitzungsbus</translation>
    </message>
    <message numerus="yes">
        <source>the notification service did not answer within %n seconds</source>
        <translation>
            <numerusform>der Benachrichtigungsdienst hat innerhalb von %n Sekunde nicht geantwortet</numerusform>
            <numerusform>der Benachrichtigungsdienst hat innerhalb von %n Sekunden nicht geantwortet</numerusform>
        </translation>
    </message>
    <message>
        <source>the notification service did not answer</source>
        <translation>der Benachrichtigungsdienst hat nicht geantwortet</translation>
    </message>
    <message>
        <source>the session bus went away</source>
        <translation>der Sitzungsbus ist weggefallen</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>kein Sitzungsbus</translation>
    </message>
    <message>
        <source>no session bus (%1)</source>
        <translation>kein Sitzungsbus (%1)</translation>
    </message>
    <message>
        <source>Desktop notifications are not available: %1</source>
        <translation>Desktop-Benachrichtigungen sind nicht verfügbar: %1</translation>
    </message>
</context>
<context>
    <name>Layout</name>
    <message>
        <source>Help of Ringvane</source>
        <translation>Hilfe zu Ringvane</translation>
    </message>
    <message>
        <source> Search the history record by select a day</source>
        <translation> Die Anrufe eines gewählten Tages anzeigen</translation>
    </message>
    <message>
        <source>Initiate Ringvane</source>
        <translation>Ringvane starten</translation>
    </message>
    <message>
        <source>Select your modem</source>
        <translation>Wählen Sie Ihr Modem</translation>
    </message>
    <message>
        <source>history of the last day</source>
        <translation>Anrufe des vorigen Tages</translation>
    </message>
    <message>
        <source>history of the next day</source>
        <translation>Anrufe des nächsten Tages</translation>
    </message>
    <message>
        <source>Exit from Ringvane</source>
        <translation>Ringvane beenden</translation>
    </message>
    <message>
        <source>the record of today</source>
        <translation>Die Anrufe von heute</translation>
    </message>
    <message>
        <source>Minimize the Monitor</source>
        <translation>Fenster minimieren</translation>
    </message>
    <message>
        <source>Incoming call history record</source>
        <translation>Liste der eingegangenen Anrufe</translation>
    </message>
    <message>
        <source>Solve problem</source>
        <translation>Probleme lösen</translation>
    </message>
</context>
<context>
    <name>LineGuard</name>
    <message>
        <source>it answered ERROR to ATH1</source>
        <translation>es hat auf ATH1 mit ERROR geantwortet</translation>
    </message>
    <message>
        <source>it did not answer ATH1</source>
        <translation>es hat auf ATH1 nicht geantwortet</translation>
    </message>
</context>
<context>
    <name>LockedFile</name>
    <message>
        <source>it is not a folder</source>
        <translation>es ist kein Ordner</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it belongs to another user</source>
        <translation>es gehört einem anderen Benutzer</translation>
    </message>
    <message>
        <source>other users may write to it</source>
        <translation>andere Benutzer dürfen hineinschreiben</translation>
    </message>
    <message>
        <source>it is a symbolic link</source>
        <translation>es ist ein symbolischer Link</translation>
    </message>
    <message>
        <source>it may not be opened (%1)</source>
        <translation>es darf nicht geöffnet werden (%1)</translation>
    </message>
    <message>
        <source>the file kept changing while it was being opened</source>
        <translation>die Datei hat sich beim Öffnen ständig geändert</translation>
    </message>
    <message>
        <source>&quot;%1&quot; makes it safe</source>
        <translation>&quot;%1&quot; macht ihn sicher</translation>
    </message>
    <message>
        <source>remove or rename it, and a folder of your own will take its place</source>
        <translation>entfernen Sie ihn oder benennen Sie ihn um, dann tritt ein eigener Ordner an seine Stelle</translation>
    </message>
</context>
<context>
    <name>ModemCatalogue</name>
    <message>
        <source>The configuration of modem is not correct！</source>
        <translation>Die Konfiguration des Modems ist nicht korrekt!</translation>
    </message>
    <message>
        <source>Please firstly check your modem configuration.</source>
        <translation>Bitte prüfen Sie zuerst die Konfiguration Ihres Modems.</translation>
    </message>
    <message>
        <source>your modem don&apos;t support ringvane！</source>
        <translation>Ihr Modem unterstützt Ringvane nicht!</translation>
    </message>
    <message>
        <source>Sorry,your modem don&apos;t support ringvane!</source>
        <translation>Leider unterstützt Ihr Modem Ringvane nicht!</translation>
    </message>
</context>
<context>
    <name>PhonebookEdit</name>
    <message>
        <source>Name this caller…</source>
        <translation>Diesen Anrufer benennen…</translation>
    </message>
    <message>
        <source>Change name…</source>
        <translation>Namen ändern…</translation>
    </message>
    <message>
        <source>Remove from phonebook</source>
        <translation>Aus dem Telefonbuch entfernen</translation>
    </message>
    <message>
        <source>Block this number</source>
        <translation>Diese Rufnummer sperren</translation>
    </message>
    <message>
        <source>Allow this number</source>
        <translation>Diese Rufnummer zulassen</translation>
    </message>
    <message>
        <source>Remove from the lists</source>
        <translation>Von den Listen entfernen</translation>
    </message>
</context>
<context>
    <name>PortSettings</name>
    <message>
        <source>Modem haven&apos;t been installed properly</source>
        <translation>Das Modem ist nicht richtig installiert</translation>
    </message>
    <message>
        <source>Please firstly make sure your modem is installed correctly.</source>
        <translation>Bitte stellen Sie zuerst sicher, dass Ihr Modem richtig installiert ist.</translation>
    </message>
    <message>
        <source>Sorry , I couldn&apos;t use the modem</source>
        <translation>Das Modem kann leider nicht verwendet werden</translation>
    </message>
    <message>
        <source>Maybe other applications are using the modem now.</source>
        <translation>Möglicherweise verwenden gerade andere Anwendungen das Modem.</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>The system refused access to the modem (%1): join the group the device belongs to (usually dialout), then log in again.</source>
        <translation>Das System hat den Zugriff auf das Modem verweigert (%1): Treten Sie der Gruppe bei, der das Gerät gehört (meist dialout), und melden Sie sich dann neu an.</translation>
    </message>
    <message>
        <source>The system refused access to %1 (%2): join the group the device belongs to (usually dialout), then log in again.</source>
        <translation>Das System hat den Zugriff auf %1 verweigert (%2): Treten Sie der Gruppe bei, der das Gerät gehört (meist dialout), und melden Sie sich dann neu an.</translation>
    </message>
    <message>
        <source>The system refused access to %1 (%2). %3</source>
        <translation>Das System hat den Zugriff auf %1 verweigert (%2). %3</translation>
    </message>
    <message>
        <source>The modem has gone away</source>
        <translation>Das Modem ist nicht mehr da</translation>
    </message>
    <message>
        <source>Monitoring is off until the modem is connected again; then it resumes by itself.</source>
        <translation>Die Überwachung ist aus, bis das Modem wieder angeschlossen ist; dann läuft sie von selbst weiter.</translation>
    </message>
</context>
<context>
    <name>RegistryFile</name>
    <message>
        <source>cannot create the folder %1</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>TAPI</name>
    <message>
        <source>Could not convert the text to a date and time.</source>
        <translation>Der Text konnte nicht in ein Datum mit Uhrzeit umgewandelt werden.</translation>
    </message>
</context>
<context>
    <name>TtyComm</name>
    <message>
        <source>Invalid port number</source>
        <translation>Ungültige Anschlussnummer</translation>
    </message>
    <message>
        <source>Port already open</source>
        <translation>Anschluss bereits geöffnet</translation>
    </message>
    <message>
        <source>No device for this port</source>
        <translation>Kein Gerät für diesen Anschluss</translation>
    </message>
    <message>
        <source>Not a serial device</source>
        <translation>Kein serielles Gerät</translation>
    </message>
    <message>
        <source>Not a serial device (%1)</source>
        <translation>Kein serielles Gerät (%1)</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>1 call from an earlier run is waiting for the call log</source>
        <translation>1 Anruf aus einem früheren Programmlauf wartet auf die Anrufliste</translation>
    </message>
    <message numerus="yes">
        <source>%n calls from an earlier run are waiting for the call log</source>
        <translation>
            <numerusform>%n Anruf aus einem früheren Programmlauf wartet auf die Anrufliste</numerusform>
            <numerusform>%n Anrufe aus einem früheren Programmlauf warten auf die Anrufliste</numerusform>
        </translation>
    </message>
    <message>
        <source>The call log is unavailable: calls are kept until it is back</source>
        <translation>Die Anrufliste ist nicht verfügbar: Anrufe werden aufbewahrt, bis sie wieder verfügbar ist</translation>
    </message>
    <message>
        <source>The call log is back</source>
        <translation>Die Anrufliste ist wieder verfügbar</translation>
    </message>
    <message>
        <source>The call log is unavailable: %1</source>
        <translation>Die Anrufliste ist nicht verfügbar: %1</translation>
    </message>
    <message>
        <source>The call log could not be read for this day</source>
        <translation>Die Anrufliste konnte für diesen Tag nicht gelesen werden</translation>
    </message>
    <message>
        <source>The modem is back: monitoring again</source>
        <translation>Das Modem ist wieder da: Die Überwachung läuft wieder</translation>
    </message>
    <message>
        <source>The phonebook could not be changed</source>
        <translation>Das Telefonbuch konnte nicht geändert werden</translation>
    </message>
    <message>
        <source>System initialization...</source>
        <translation>Systeminitialisierung...</translation>
    </message>
    <message>
        <source>Could not acquire the database support from your system</source>
        <translation>Die Datenbankunterstützung Ihres Systems ist nicht verfügbar</translation>
    </message>
    <message>
        <source>The call log could not be opened: calls are kept until it is back</source>
        <translation>Die Anrufliste konnte nicht geöffnet werden: Anrufe werden aufbewahrt, bis sie wieder verfügbar ist</translation>
    </message>
    <message>
        <source>hi</source>
        <translation>Hallo</translation>
    </message>
</context>
<context>
    <name>ringvane</name>
    <message>
        <source>Raise no desktop notifications for calls.</source>
        <translation>Keine Desktop-Benachrichtigungen für Anrufe anzeigen.</translation>
    </message>
    <message>
        <source>ADDRESS:PORT</source>
        <translation>ADRESSE:PORT</translation>
    </message>
    <message>
        <source>Send calls to caller-ID clients (NCID) listening here; a port alone means this computer only.</source>
        <translation>Anrufe an Anruferkennungs-Clients (NCID) senden, die hier auf Verbindungen warten; ein Port allein bedeutet: nur dieser Computer.</translation>
    </message>
    <message>
        <source>CC</source>
        <translation>LAND</translation>
    </message>
    <message>
        <source>Read telephone numbers as the country with this two-letter code writes them (GB, US, DE...); by default the country of your regional format.</source>
        <translation>Rufnummern so lesen, wie das Land mit diesem zweibuchstabigen Code sie schreibt (GB, US, DE...); standardmäßig das Land Ihres Regionalformats.</translation>
    </message>
    <message>
        <source>MODE</source>
        <translation>MODUS</translation>
    </message>
    <message>
        <source>off: hang up on no call, only mark the listed ones (the default); list: hang up on the calls the block list and rules name, unless allowed or in the phonebook; known-only: hang up on every call not allowed and not in the phonebook.</source>
        <translation>off: bei keinem Anruf auflegen, nur die gelisteten markieren (Standard); list: bei den Anrufen auflegen, die die Sperrliste und die Regeln nennen, außer sie sind zugelassen oder im Telefonbuch; known-only: bei jedem Anruf auflegen, der weder zugelassen noch im Telefonbuch ist.</translation>
    </message>
    <message>
        <source>Whether calls with the number withheld count as blocked.</source>
        <translation>Ob Anrufe mit unterdrückter Rufnummer als gesperrt gelten.</translation>
    </message>
    <message>
        <source>Whether calls from numbers that cannot exist count as blocked.</source>
        <translation>Ob Anrufe von Rufnummern, die es nicht geben kann, als gesperrt gelten.</translation>
    </message>
    <message>
        <source>SECONDS</source>
        <translation>SEKUNDEN</translation>
    </message>
    <message>
        <source>How long the line is held off hook before hanging up (1.5).</source>
        <translation>Wie lange die Leitung vor dem Auflegen abgehoben bleibt (1.5).</translation>
    </message>
    <message>
        <source>Raise no desktop notification for a call hung up on.</source>
        <translation>Keine Desktop-Benachrichtigung für einen Anruf anzeigen, bei dem aufgelegt wurde.</translation>
    </message>
    <message>
        <source>--%1 takes %2, not &apos;%3&apos;.</source>
        <translation>--%1 erwartet %2, nicht &apos;%3&apos;.</translation>
    </message>
    <message>
        <source>%1: %2 in [blocking] is &quot;%3&quot;, not %4; ignored</source>
        <translation>%1: %2 in [blocking] ist &quot;%3&quot;, nicht %4; ignoriert</translation>
    </message>
    <message>
        <source>off, list or known-only</source>
        <translation>off, list oder known-only</translation>
    </message>
    <message>
        <source>block or allow</source>
        <translation>block oder allow</translation>
    </message>
    <message>
        <source>seconds from 0.2 to 30</source>
        <translation>Sekunden von 0.2 bis 30</translation>
    </message>
    <message>
        <source>%1: %2 in [%3] is &quot;%4&quot;, neither true nor false; ignored</source>
        <translation>%1: %2 in [%3] ist &quot;%4&quot;, weder true noch false; ignoriert</translation>
    </message>
    <message>
        <source>Shows who is calling on your telephone line and keeps a log of the calls.
Settings: %1</source>
        <translation>Zeigt, wer auf Ihrer Telefonleitung anruft, und führt eine Anrufliste.
Einstellungen: %1</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Unerwartetes Argument &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>%1 cannot be read; its settings are ignored</source>
        <translation>%1 kann nicht gelesen werden; die Einstellungen darin werden ignoriert</translation>
    </message>
    <message>
        <source>Try &apos;ringvane --help&apos;.</source>
        <translation>Versuchen Sie &apos;ringvane --help&apos;.</translation>
    </message>
</context>
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
<context>
    <name>ringvane-find-modems</name>
    <message>
        <source>%1: you may not open it. %2</source>
        <translation>%1: Sie dürfen es nicht öffnen. %2</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; answers at %3 bit/s and reports caller ID (%4).</source>
        <translation>%1: &quot;%2&quot; antwortet mit %3 bit/s und meldet die Rufnummer des Anrufers (%4).</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; is a modem that cannot report caller ID (it refused %3); not registered.</source>
        <translation>%1: &quot;%2&quot; ist ein Modem ohne Rufnummernanzeige (es hat %3 abgelehnt); nicht registriert.</translation>
    </message>
    <message>
        <source>%1: nothing answered like a modem; left alone.</source>
        <translation>%1: nichts hat wie ein Modem geantwortet; unverändert gelassen.</translation>
    </message>
    <message>
        <source>%1: answered at first but not after a reset (ATZ); left alone.</source>
        <translation>%1: hat zuerst geantwortet, nach dem Zurücksetzen (ATZ) aber nicht mehr; unverändert gelassen.</translation>
    </message>
    <message>
        <source>%1: &quot;%2&quot; did not answer OK to all of &quot;%3&quot;, &quot;ats0=0&quot; and &quot;%4&quot; sent 50 ms apart, as Ringvane sends them; not registered.</source>
        <translation>%1: &quot;%2&quot; hat nicht auf alle von &quot;%3&quot;, &quot;ats0=0&quot; und &quot;%4&quot; mit OK geantwortet, im Abstand von 50 ms gesendet, wie Ringvane sie sendet; nicht registriert.</translation>
    </message>
    <message>
        <source>%1: in use by another program; not probed. ModemManager is running and may be the one holding it (see below).</source>
        <translation>%1: von einem anderen Programm belegt; nicht geprüft. ModemManager läuft und hält es womöglich fest (siehe unten).</translation>
    </message>
    <message>
        <source>%1: in use by another program; not probed.</source>
        <translation>%1: von einem anderen Programm belegt; nicht geprüft.</translation>
    </message>
    <message>
        <source>%1: cannot open it (%2); skipped.</source>
        <translation>%1: kann nicht geöffnet werden (%2); übersprungen.</translation>
    </message>
    <message>
        <source>cannot keep a copy of the previous file: %1</source>
        <translation>eine Kopie der bisherigen Datei kann nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>Cannot register: %1 is being changed by another program.</source>
        <translation>Registrieren nicht möglich: %1 wird gerade von einem anderen Programm geändert.</translation>
    </message>
    <message>
        <source>Cannot register: %1.</source>
        <translation>Registrieren nicht möglich: %1.</translation>
    </message>
    <message>
        <source>Registered &quot;%1&quot; on %2 as %3 (modem %4).</source>
        <translation>&quot;%1&quot; an %2 als %3 registriert (Modem %4).</translation>
    </message>
    <message>
        <source>Cannot write %1: %2. Nothing was registered.</source>
        <translation>%1 kann nicht geschrieben werden: %2. Es wurde nichts registriert.</translation>
    </message>
    <message>
        <source>Started %1 as a copy of %2.</source>
        <translation>%1 als Kopie von %2 angelegt.</translation>
    </message>
    <message>
        <source>Ringvane reads its modems from %1.</source>
        <translation>Ringvane liest seine Modems aus %1.</translation>
    </message>
    <message>
        <source>No serial or USB ports to look at.</source>
        <translation>Keine seriellen oder USB-Anschlüsse zum Durchsuchen.</translation>
    </message>
    <message>
        <source>Cannot look for modems: %1.</source>
        <translation>Suche nach Modems nicht möglich: %1.</translation>
    </message>
    <message>
        <source>%1: already registered as %2 (&quot;%3&quot;); not probed again.</source>
        <translation>%1: bereits als %2 registriert (&quot;%3&quot;); nicht erneut geprüft.</translation>
    </message>
    <message>
        <source>ModemManager is running: it probes modem ports and may hold the modem so Ringvane cannot open it. To keep it away, put these lines in %1:</source>
        <translation>ModemManager läuft: Er prüft Modemanschlüsse und kann das Modem festhalten, sodass Ringvane es nicht öffnen kann. Um ihn fernzuhalten, schreiben Sie diese Zeilen in %1:</translation>
    </message>
    <message>
        <source>then run &quot;%1&quot; and plug the modem in again.</source>
        <translation>führen Sie dann &quot;%1&quot; aus und stecken Sie das Modem neu ein.</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>kein serielles Gerät</translation>
    </message>
    <message>
        <source>cannot read %1: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 is too large to be a registry file</source>
        <translation>%1 ist zu groß für eine Registrierungsdatei</translation>
    </message>
    <message>
        <source>%1 does not look like a registry file</source>
        <translation>%1 sieht nicht wie eine Registrierungsdatei aus</translation>
    </message>
    <message>
        <source>Looks for caller-ID modems on the serial and USB ports and registers the ones it finds for Ringvane.</source>
        <translation>Sucht an den seriellen und USB-Anschlüssen nach Modems mit Rufnummernanzeige und registriert die gefundenen für Ringvane.</translation>
    </message>
    <message>
        <source>Probe only this device (repeatable).</source>
        <translation>Nur dieses Gerät prüfen (mehrfach möglich).</translation>
    </message>
    <message>
        <source>The registry file to update (default: $RINGVANE_REGISTRY, else %1).</source>
        <translation>Die zu aktualisierende Registrierungsdatei (Standard: $RINGVANE_REGISTRY, sonst %1).</translation>
    </message>
    <message>
        <source>The file a new registry file starts as a copy of (default: %1).</source>
        <translation>Die Datei, als deren Kopie eine neue Registrierungsdatei beginnt (Standard: %1).</translation>
    </message>
    <message>
        <source>How long to wait for each answer (default 600).</source>
        <translation>Wie lange auf jede Antwort gewartet wird (Standard 600).</translation>
    </message>
    <message>
        <source>Say so when there is nothing to look at.</source>
        <translation>Melden, wenn es nichts zu durchsuchen gibt.</translation>
    </message>
    <message>
        <source>unexpected argument %1</source>
        <translation>unerwartetes Argument %1</translation>
    </message>
    <message>
        <source>%1 wants 50 to 60000 ms</source>
        <translation>%1 erwartet 50 bis 60000 ms</translation>
    </message>
</context>
<context>
    <name>ringvane-setup-calllog</name>
    <message>
        <source>Usage: ringvane-setup-calllog [--add-columns] [--add-name-column] [--help]

Prepares Ringvane&apos;s call log: the table IDList (with an index on its datetime column)
in the ODBC data source &quot;CallerID&quot;. A new table has four columns: datetime, number,
name (the caller&apos;s name, where the line sends one) and action (&quot;blocked&quot; for a call
Ringvane hung up on). Beside it, the table Phonebook (number, name, mark) holds your
own names for callers (see ringvane-contacts).

When no data source &quot;CallerID&quot; exists yet, it adds one to your ODBC file ($ODBCINI, or
~/.odbc.ini when ODBCINI is not set), keeping every other entry of that file. It uses the
SQLite ODBC driver and the file $XDG_DATA_HOME/ringvane/calllog.db (by default
~/.local/share/ringvane/calllog.db), written with a write-ahead journal and full sync.
The file must then stay where it is: if it goes missing, Ringvane reports the call log
as unavailable instead of starting a new, empty one. Run this command again to make a
new, empty file there; Ringvane then stores the calls that waited meanwhile.

When &quot;CallerID&quot; already exists (yours, or the system&apos;s in /etc/odbc.ini), it is left as
it is, and only the tables and the index are created where they are missing (and, for a
SQLite data source, its file). Existing rows are never changed.

  --add-columns      adds the columns name and action to an existing table, each
                     where it is missing; Ringvane stores names and hung-up calls
                     there from its next connection. Programs that insert into the
                     table by position must name their columns once it has more.
  --add-name-column  adds only the column name, where it is missing.

To keep the call log in PostgreSQL, define &quot;CallerID&quot; before running this command, for
example in ~/.odbc.ini:

    [CallerID]
    Driver=PostgreSQL Unicode
    Servername=localhost
    Port=5432
    Database=ringvane
    Username=ringvane
    pqopt=connect_timeout=5

The pqopt line gives up on an unreachable server after 5 seconds, so that Ringvane does
not hang at start-up waiting for it.

Exit status: 0 done, 1 wrong arguments, 2 a file could not be written, 3 the data source
could not be opened or the table not created, 4 the ODBC support is not installed.
</source>
        <translation>Aufruf: ringvane-setup-calllog [--add-columns] [--add-name-column] [--help]

Richtet die Anrufliste von Ringvane ein: die Tabelle IDList (mit einem Index auf ihrer
Spalte datetime) in der ODBC-Datenquelle &quot;CallerID&quot;. Eine neue Tabelle hat vier Spalten:
datetime, number, name (der Name des Anrufers, wo die Leitung einen sendet) und action
(&quot;blocked&quot; für einen Anruf, den Ringvane abgewiesen hat). Daneben hält die Tabelle
Phonebook (number, name, mark) Ihre eigenen Namen für Anrufer (siehe ringvane-contacts).

Gibt es noch keine Datenquelle &quot;CallerID&quot;, fügt der Befehl eine zu Ihrer ODBC-Datei
hinzu ($ODBCINI, oder ~/.odbc.ini, wenn ODBCINI nicht gesetzt ist) und behält jeden
anderen Eintrag dieser Datei. Er verwendet den SQLite-ODBC-Treiber und die Datei
$XDG_DATA_HOME/ringvane/calllog.db (standardmäßig ~/.local/share/ringvane/calllog.db),
geschrieben mit Write-Ahead-Journal und vollständiger Synchronisierung. Die Datei muss
dann bleiben, wo sie ist: Fehlt sie, meldet Ringvane die Anrufliste als nicht
verfügbar, statt eine neue, leere anzufangen. Führen Sie diesen Befehl erneut aus, um
dort eine neue, leere Datei anzulegen; Ringvane speichert dann die Anrufe, die
inzwischen gewartet haben.

Gibt es &quot;CallerID&quot; bereits (Ihre oder die des Systems in /etc/odbc.ini), bleibt sie,
wie sie ist, und nur die Tabellen und der Index werden angelegt, wo sie fehlen (und bei
einer SQLite-Datenquelle ihre Datei). Vorhandene Zeilen werden nie geändert.

  --add-columns      fügt einer vorhandenen Tabelle die Spalten name und action
                     hinzu, jede, wo sie fehlt; Ringvane speichert dort ab seiner
                     nächsten Verbindung Namen und abgewiesene Anrufe. Programme,
                     die nach Position in die Tabelle einfügen, müssen ihre Spalten
                     benennen, sobald sie mehr hat.
  --add-name-column  fügt nur die Spalte name hinzu, wo sie fehlt.

Um die Anrufliste in PostgreSQL zu führen, legen Sie &quot;CallerID&quot; an, bevor Sie diesen
Befehl ausführen, zum Beispiel in ~/.odbc.ini:

    [CallerID]
    Driver=PostgreSQL Unicode
    Servername=localhost
    Port=5432
    Database=ringvane
    Username=ringvane
    pqopt=connect_timeout=5

Die Zeile pqopt gibt einen nicht erreichbaren Server nach 5 Sekunden auf, damit
Ringvane beim Start nicht hängt, während es auf ihn wartet.

Rückgabewert: 0 erledigt, 1 falsche Argumente, 2 eine Datei konnte nicht geschrieben
werden, 3 die Datenquelle konnte nicht geöffnet oder die Tabelle nicht angelegt
werden, 4 die ODBC-Unterstützung ist nicht installiert.
</translation>
    </message>
    <message>
        <source>Could not create the call log file %1: %2.</source>
        <translation>Die Datei der Anrufliste %1 konnte nicht angelegt werden: %2.</translation>
    </message>
    <message>
        <source>Could not create the folder %1.</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Could not write %1: %2.</source>
        <translation>%1 konnte nicht geschrieben werden: %2.</translation>
    </message>
    <message>
        <source>Added the data source CallerID to %1; the call log is kept in %2.</source>
        <translation>Die Datenquelle CallerID wurde zu %1 hinzugefügt; die Anrufliste liegt in %2.</translation>
    </message>
    <message>
        <source>Unknown argument: %1</source>
        <translation>Unbekanntes Argument: %1</translation>
    </message>
    <message>
        <source>Could not read %1.</source>
        <translation>%1 konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The data source CallerID already exists; it is left as it is.</source>
        <translation>Die Datenquelle CallerID gibt es bereits; sie bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>The call log file %1 was missing; it was made anew.</source>
        <translation>Die Datei der Anrufliste %1 fehlte; sie wurde neu angelegt.</translation>
    </message>
    <message>
        <source>The ODBC support is not installed (package unixodbc).</source>
        <translation>Die ODBC-Unterstützung ist nicht installiert (Paket unixodbc).</translation>
    </message>
    <message>
        <source>Could not prepare the call log in the data source CallerID: %1</source>
        <translation>Die Anrufliste in der Datenquelle CallerID konnte nicht eingerichtet werden: %1</translation>
    </message>
    <message>
        <source>Added the column %1 to the call log table IDList.</source>
        <translation>Die Spalte %1 wurde zur Tabelle IDList der Anrufliste hinzugefügt.</translation>
    </message>
    <message>
        <source>The call log table IDList and the table Phonebook are ready.</source>
        <translation>Die Tabelle IDList der Anrufliste und die Tabelle Phonebook sind bereit.</translation>
    </message>
    <message>
        <source>It has no column for callers&apos; names or for hung-up calls; %1 adds what is missing (programs that insert into it by position must then name their columns).</source>
        <translation>Die Tabelle hat keine Spalte für die Namen der Anrufer und keine für abgewiesene Anrufe; %1 ergänzt, was fehlt (Programme, die nach Position in sie einfügen, müssen dann ihre Spalten benennen).</translation>
    </message>
    <message>
        <source>It has no column for callers&apos; names; %1 adds what is missing (programs that insert into it by position must then name their columns).</source>
        <translation>Die Tabelle hat keine Spalte für die Namen der Anrufer; %1 ergänzt, was fehlt (Programme, die nach Position in sie einfügen, müssen dann ihre Spalten benennen).</translation>
    </message>
    <message>
        <source>It has no column for hung-up calls; %1 adds what is missing (programs that insert into it by position must then name their columns).</source>
        <translation>Die Tabelle hat keine Spalte für abgewiesene Anrufe; %1 ergänzt, was fehlt (Programme, die nach Position in sie einfügen, müssen dann ihre Spalten benennen).</translation>
    </message>
</context>
</TS>
