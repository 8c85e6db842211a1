<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AppDelegate</name>
    <message>
        <source>Warn Before the End</source>
        <translation>Vor dem Ende warnen</translation>
    </message>
    <message>
        <source>Stop Below 20 % Battery</source>
        <translation>Unter 20 % Akku beenden</translation>
    </message>
</context>
<context>
    <name>AppcastParser</name>
    <message>
        <source>The update feed is not an RSS document.</source>
        <translation>Der Update-Feed ist kein RSS-Dokument.</translation>
    </message>
    <message>
        <source>The update feed is not valid XML (line %1: %2).</source>
        <translation>Der Update-Feed ist kein gültiges XML (Zeile %1: %2).</translation>
    </message>
    <message>
        <source>The update feed is empty.</source>
        <translation>Der Update-Feed ist leer.</translation>
    </message>
</context>
<context>
    <name>AppcastUpdater</name>
    <message>
        <source>The update feed address is not a secure address.</source>
        <translation>Die Adresse des Update-Feeds ist keine sichere Adresse.</translation>
    </message>
    <message>
        <source>Corvane could not read the update feed. %1</source>
        <translation>Corvane konnte den Update-Feed nicht lesen. %1</translation>
    </message>
    <message>
        <source>The update&apos;s download address is not a secure address.</source>
        <translation>Die Download-Adresse des Updates ist keine sichere Adresse.</translation>
    </message>
    <message>
        <source>The update does not state a usable size, so it cannot be checked.</source>
        <translation>Das Update gibt keine verwendbare Größe an und kann daher nicht geprüft werden.</translation>
    </message>
    <message>
        <source>The download is larger than the %1 bytes the update announces.</source>
        <translation>Der Download ist größer als die %1 Bytes, die das Update angibt.</translation>
    </message>
    <message>
        <source>Corvane could not download the update. %1</source>
        <translation>Corvane konnte das Update nicht herunterladen. %1</translation>
    </message>
    <message>
        <source>The download has %1 bytes but the update announces %2 bytes.</source>
        <translation>Der Download hat %1 Bytes, das Update gibt aber %2 Bytes an.</translation>
    </message>
</context>
<context>
    <name>ApplicationListDialog</name>
    <message>
        <source>Keep Awake While Applications Run</source>
        <translation>Wach halten, solange Anwendungen laufen</translation>
    </message>
    <message>
        <source>Corvane keeps this computer awake while any of these programs runs.</source>
        <translation>Corvane hält diesen Computer wach, solange eines dieser Programme läuft.</translation>
    </message>
    <message>
        <source>Programs that keep this computer awake</source>
        <translation>Programme, die diesen Computer wach halten</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Add a running program, or type its name:</source>
        <translation>Ein laufendes Programm hinzufügen oder seinen Namen eingeben:</translation>
    </message>
    <message>
        <source>Program name</source>
        <translation>Programmname</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
</context>
<context>
    <name>BatteryGuard</name>
    <message>
        <source>Corvane stopped keeping this computer awake</source>
        <translation>Corvane hält diesen Computer nicht mehr wach</translation>
    </message>
    <message>
        <source>The battery is below %1 %.</source>
        <translation>Der Akku ist unter %1 %.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Keeps this computer awake for a while. Without options, puts Corvane in the tray; with options, drives the Corvane already running, or keeps this computer awake by itself until the period ends.</source>
        <translation>Hält diesen Computer eine Weile wach. Ohne Optionen legt es Corvane in den Infobereich; mit Optionen steuert es das bereits laufende Corvane oder hält diesen Computer selbst wach, bis die Zeit abgelaufen ist.</translation>
    </message>
    <message>
        <source>unknown mode &quot;%1&quot;: use display or system</source>
        <translation>unbekannter Modus „%1“: display oder system verwenden</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;: put a command after --</source>
        <translation>unerwartetes Argument „%1“: einen Befehl nach -- angeben</translation>
    </message>
    <message>
        <source>choose one of --for, --until, --indefinitely, --stop, --toggle, --status, --while-pid and --</source>
        <translation>nur eine der Optionen --for, --until, --indefinitely, --stop, --toggle, --status, --while-pid und -- wählen</translation>
    </message>
    <message>
        <source>unknown duration &quot;%1&quot;: try 90m, 1h30m, 2h or 45</source>
        <translation>unbekannte Dauer „%1“: etwa 90m, 1h30m, 2h oder 45</translation>
    </message>
    <message>
        <source>unknown time &quot;%1&quot;: use HH:MM, from 00:00 to 23:59</source>
        <translation>unbekannte Uhrzeit „%1“: HH:MM von 00:00 bis 23:59 verwenden</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a process id</source>
        <translation>„%1“ ist keine Prozessnummer</translation>
    </message>
    <message>
        <source>no command after --</source>
        <translation>kein Befehl nach --</translation>
    </message>
    <message>
        <source>--json goes with --status</source>
        <translation>--json gehört zu --status</translation>
    </message>
    <message>
        <source>Keep this computer awake for &lt;duration&gt;: 90m, 1h30m, 2h or 45 (minutes).</source>
        <translation>Diesen Computer für &lt;dauer&gt; wach halten: 90m, 1h30m, 2h oder 45 (Minuten).</translation>
    </message>
    <message>
        <source>duration</source>
        <translation>dauer</translation>
    </message>
    <message>
        <source>Keep this computer awake until the next &lt;time&gt; (HH:MM).</source>
        <translation>Diesen Computer bis zur nächsten &lt;zeit&gt; (HH:MM) wach halten.</translation>
    </message>
    <message>
        <source>time</source>
        <translation>zeit</translation>
    </message>
    <message>
        <source>Keep this computer awake until turned off.</source>
        <translation>Diesen Computer wach halten, bis er ausgeschaltet wird.</translation>
    </message>
    <message>
        <source>End the wake period.</source>
        <translation>Die Wachzeit beenden.</translation>
    </message>
    <message>
        <source>Start a wake period with the last duration, or end the one running.</source>
        <translation>Eine Wachzeit mit der letzten Dauer beginnen oder die laufende beenden.</translation>
    </message>
    <message>
        <source>Show the wake period.</source>
        <translation>Die Wachzeit anzeigen.</translation>
    </message>
    <message>
        <source>With --status: print JSON for scripts.</source>
        <translation>Mit --status: JSON für Skripte ausgeben.</translation>
    </message>
    <message>
        <source>Keep the display and the system awake, or the system only.</source>
        <translation>Bildschirm und System wach halten oder nur das System.</translation>
    </message>
    <message>
        <source>Keep this computer awake until process &lt;pid&gt; ends.</source>
        <translation>Diesen Computer wach halten, bis Prozess &lt;pid&gt; endet.</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Diese Hilfe anzeigen.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Die Version anzeigen.</translation>
    </message>
    <message>
        <source>Keep this computer awake while &lt;command&gt; runs; exit with its status.</source>
        <translation>Diesen Computer wach halten, solange &lt;befehl&gt; läuft; mit dessen Status beenden.</translation>
    </message>
    <message>
        <source>Keep this computer awake whenever a media player plays (on or off).</source>
        <translation>Diesen Computer wach halten, solange ein Mediaplayer abspielt (on oder off).</translation>
    </message>
    <message>
        <source>Keep this computer awake whenever one of these programs runs (executable names, comma-separated; empty to clear).</source>
        <translation>Diesen Computer wach halten, solange eines dieser Programme läuft (Namen der ausführbaren Dateien, durch Kommas getrennt; leer zum Löschen).</translation>
    </message>
    <message>
        <source>names</source>
        <translation>Namen</translation>
    </message>
    <message>
        <source>Keep this computer awake whenever someone is logged in remotely (on or off).</source>
        <translation>Diesen Computer wach halten, solange jemand aus der Ferne angemeldet ist (on oder off).</translation>
    </message>
    <message>
        <source>--while-media, --while-apps and --while-remote go without other options</source>
        <translation>--while-media, --while-apps und --while-remote stehen ohne weitere Optionen</translation>
    </message>
    <message>
        <source>--while-media takes on or off, not &quot;%1&quot;</source>
        <translation>--while-media nimmt on oder off, nicht &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--while-remote takes on or off, not &quot;%1&quot;</source>
        <translation>--while-remote nimmt on oder off, nicht &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>CommandLineRunner</name>
    <message>
        <source>no process with id %1</source>
        <translation>kein Prozess mit der Nummer %1</translation>
    </message>
    <message>
        <source>cannot run %1: %2</source>
        <translation>kann %1 nicht ausführen: %2</translation>
    </message>
    <message>
        <source>the running Corvane did not answer: %1</source>
        <translation>das laufende Corvane antwortet nicht: %1</translation>
    </message>
    <message>
        <source>The system refused to keep this computer awake.</source>
        <translation>Das System hat abgelehnt, diesen Computer wach zu halten.</translation>
    </message>
    <message>
        <source>system only</source>
        <translation>nur das System</translation>
    </message>
    <message>
        <source>display and system</source>
        <translation>Bildschirm und System</translation>
    </message>
    <message>
        <source>Not keeping this computer awake (%1).</source>
        <translation>Dieser Computer wird nicht wach gehalten (%1).</translation>
    </message>
    <message>
        <source>Keeping this computer awake until turned off (%1).</source>
        <translation>Dieser Computer wird bis auf Weiteres wach gehalten (%1).</translation>
    </message>
    <message>
        <source>Keeping this computer awake for %1 more, until %2 (%3).</source>
        <translation>Dieser Computer wird noch %1 wach gehalten, bis %2 (%3).</translation>
    </message>
    <message>
        <source>Held by %1.</source>
        <translation>Gehalten von %1.</translation>
    </message>
    <message>
        <source>This computer is not being kept awake: nothing holds the inhibition. Asking again until turned off (%1).</source>
        <translation>Dieser Computer wird nicht wach gehalten: Nichts hält die Sperre. Erneute Anfrage bis zum Ausschalten (%1).</translation>
    </message>
    <message>
        <source>This computer is not being kept awake: nothing holds the inhibition. Asking again for the %1 left, until %2 (%3).</source>
        <translation>Dieser Computer wird nicht wach gehalten: Nichts hält die Sperre. Erneute Anfrage für die verbleibenden %1, bis %2 (%3).</translation>
    </message>
    <message>
        <source>process %1 is this corvane itself: give the id of another process</source>
        <translation>Prozess %1 ist dieses corvane selbst: Geben Sie die Kennung eines anderen Prozesses an</translation>
    </message>
    <message>
        <source>Keeping this computer awake while %1.</source>
        <translation>Hält diesen Computer wach, solange %1.</translation>
    </message>
    <message>
        <source>Also while %1.</source>
        <translation>Außerdem, solange %1.</translation>
    </message>
</context>
<context>
    <name>CorvaneBusInterface</name>
    <message>
        <source>The end must lie within the next 48 hours.</source>
        <translation>Das Ende muss innerhalb der nächsten 48 Stunden liegen.</translation>
    </message>
    <message>
        <source>The system refused to keep this computer awake.</source>
        <translation>Das System hat abgelehnt, diesen Computer wach zu halten.</translation>
    </message>
    <message>
        <source>The wake period ended before the system answered.</source>
        <translation>Die Wachphase endete, bevor das System antwortete.</translation>
    </message>
    <message>
        <source>No such mode &quot;%1&quot;: use displayAndSystem or systemOnly.</source>
        <translation>Unbekannter Modus &quot;%1&quot;: displayAndSystem oder systemOnly verwenden.</translation>
    </message>
    <message>
        <source>Triggers are set by the Corvane in the tray.</source>
        <translation>Auslöser stellt das Corvane im Systembereich ein.</translation>
    </message>
</context>
<context>
    <name>CorvaneTimerService</name>
    <message>
        <source>Corvane: keeping this computer awake until turned off</source>
        <translation>Corvane: hält diesen Computer bis auf Weiteres wach</translation>
    </message>
    <message>
        <source>Corvane: keeping this computer awake for %1</source>
        <translation>Corvane: hält diesen Computer für %1 wach</translation>
    </message>
</context>
<context>
    <name>CustomDurationSection</name>
    <message>
        <source>Custom duration</source>
        <translation>Eigene Dauer</translation>
    </message>
    <message>
        <source>Keep awake for %1</source>
        <translation>%1 wach halten</translation>
    </message>
</context>
<context>
    <name>DurationWheelPicker</name>
    <message>
        <source>h</source>
        <comment>hours column unit</comment>
        <translation>h</translation>
    </message>
    <message>
        <source>Hours</source>
        <translation>Stunden</translation>
    </message>
    <message>
        <source>min</source>
        <comment>minutes column unit</comment>
        <translation>min</translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>Minuten</translation>
    </message>
</context>
<context>
    <name>Ed25519Verifier</name>
    <message>
        <source>This copy of Corvane has no valid update key, so it cannot check updates.</source>
        <translation>Diese Corvane-Kopie hat keinen gültigen Update-Schlüssel und kann Updates daher nicht prüfen.</translation>
    </message>
    <message>
        <source>The update does not state its size, so it cannot be checked.</source>
        <translation>Das Update gibt seine Größe nicht an und kann daher nicht geprüft werden.</translation>
    </message>
    <message>
        <source>The download has %1 bytes but the update announces %2 bytes.</source>
        <translation>Der Download hat %1 Bytes, das Update gibt aber %2 Bytes an.</translation>
    </message>
    <message>
        <source>The update is not signed.</source>
        <translation>Das Update ist nicht signiert.</translation>
    </message>
    <message>
        <source>The update&apos;s signature is garbled.</source>
        <translation>Die Signatur des Updates ist beschädigt.</translation>
    </message>
    <message>
        <source>The update&apos;s signature does not match: it was not made by Corvane&apos;s developers or was damaged on the way.</source>
        <translation>Die Signatur des Updates passt nicht: Es stammt nicht von den Entwicklern von Corvane oder wurde unterwegs beschädigt.</translation>
    </message>
    <message>
        <source>Corvane cannot check the update&apos;s signature: the system&apos;s OpenSSL library (libcrypto 3) is missing.</source>
        <translation>Corvane kann die Signatur des Updates nicht prüfen: Die OpenSSL-Bibliothek des Systems (libcrypto 3) fehlt.</translation>
    </message>
</context>
<context>
    <name>EndOfPeriodWarning</name>
    <message>
        <source>This computer may sleep soon</source>
        <translation>Dieser Computer darf bald schlafen</translation>
    </message>
    <message>
        <source>Corvane stops keeping it awake at %1.</source>
        <translation>Corvane hält ihn nur noch bis %1 wach.</translation>
    </message>
    <message>
        <source>Extend 15 min</source>
        <translation>15 Min. verlängern</translation>
    </message>
    <message>
        <source>Stop Now</source>
        <translation>Jetzt beenden</translation>
    </message>
</context>
<context>
    <name>GlassPanel</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>GlassPopoverView</name>
    <message>
        <source>The system refused to keep this computer awake.</source>
        <translation>Das System hat abgelehnt, diesen Computer wach zu halten.</translation>
    </message>
    <message>
        <source>Click to keep this computer awake</source>
        <translation>Zum Wachhalten klicken</translation>
    </message>
    <message>
        <source>Until turned off</source>
        <translation>Bis zum Ausschalten</translation>
    </message>
    <message>
        <source>Until %1</source>
        <translation>Bis %1</translation>
    </message>
    <message>
        <source>AWAKE</source>
        <translation>WACH</translation>
    </message>
    <message>
        <source>IDLE</source>
        <translation>INAKTIV</translation>
    </message>
    <message>
        <source>Until tomorrow %1</source>
        <translation>Bis morgen %1</translation>
    </message>
    <message>
        <source>Until %1 %2</source>
        <extracomment>%1 is the short weekday name, %2 the time: &quot;Until Tue 21:40&quot;</extracomment>
        <translation>Bis %1 %2</translation>
    </message>
    <message>
        <source>Kept awake by %1</source>
        <translation>Wach gehalten von %1</translation>
    </message>
    <message>
        <source>NOT AWAKE</source>
        <translation>NICHT WACH</translation>
    </message>
    <message>
        <source>Asking the system again · click to stop</source>
        <translation>Erneute Anfrage · Klicken zum Beenden</translation>
    </message>
    <message>
        <source>Kept awake while %1</source>
        <translation>Wach gehalten, solange %1</translation>
    </message>
</context>
<context>
    <name>GnomeCustomKeybinding</name>
    <message>
        <source>GNOME&apos;s keyboard settings cannot be read (%1).</source>
        <translation>GNOMEs Tastatureinstellungen lassen sich nicht lesen (%1).</translation>
    </message>
    <message>
        <source>GNOME&apos;s keyboard settings cannot be written (%1).</source>
        <translation>GNOMEs Tastatureinstellungen lassen sich nicht schreiben (%1).</translation>
    </message>
    <message>
        <source>GNOME cannot use %1 as a shortcut.</source>
        <translation>GNOME kann %1 nicht als Tastenkürzel verwenden.</translation>
    </message>
    <message>
        <source>%1 is already used by “%2”.</source>
        <translation>%1 ist bereits mit „%2“ belegt.</translation>
    </message>
    <message>
        <source>Corvane: Keep Awake On or Off</source>
        <translation>Corvane: Wachhalten ein oder aus</translation>
    </message>
</context>
<context>
    <name>KGlobalAccelShortcut</name>
    <message>
        <source>Keep Awake On or Off</source>
        <translation>Wachhalten ein oder aus</translation>
    </message>
    <message>
        <source>%1 is not a key combination.</source>
        <translation>%1 ist keine Tastenkombination.</translation>
    </message>
    <message>
        <source>KDE&apos;s shortcut service does not answer (%1).</source>
        <translation>KDEs Kurzbefehl-Dienst antwortet nicht (%1).</translation>
    </message>
    <message>
        <source>%1 is already used by “%2”.</source>
        <translation>%1 ist bereits mit „%2“ belegt.</translation>
    </message>
    <message>
        <source>KDE&apos;s shortcut service refused %1 (%2).</source>
        <translation>KDEs Kurzbefehl-Dienst hat %1 abgelehnt (%2).</translation>
    </message>
    <message>
        <source>KDE&apos;s shortcut service refused %1.</source>
        <translation>KDEs Kurzbefehl-Dienst hat %1 abgelehnt.</translation>
    </message>
</context>
<context>
    <name>MprisWatcher</name>
    <message>
        <source>%1 plays media</source>
        <translation>%1 Medien abspielt</translation>
    </message>
</context>
<context>
    <name>PopoverFooter</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Update available</source>
        <translation>Update verfügbar</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Beim Anmelden starten</translation>
    </message>
    <message>
        <source>Enable in Autostart Settings…</source>
        <translation>In den Autostart-Einstellungen aktivieren…</translation>
    </message>
    <message>
        <source>Keep Display Off, Keep System Awake</source>
        <translation>Bildschirm aus, System wach halten</translation>
    </message>
    <message>
        <source>Turn Display Off Now</source>
        <translation>Bildschirm jetzt ausschalten</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Quit Corvane</source>
        <translation>Corvane beenden</translation>
    </message>
    <message>
        <source>System Only</source>
        <translation>Nur System</translation>
    </message>
    <message>
        <source>Display + System</source>
        <translation>Bildschirm + System</translation>
    </message>
    <message>
        <source>Not keeping this computer awake</source>
        <translation>Hält diesen Computer nicht wach</translation>
    </message>
    <message>
        <source>Kept awake by %1</source>
        <translation>Wach gehalten von %1</translation>
    </message>
    <message>
        <source>Also keeping it awake: %1</source>
        <translation>Halten ihn außerdem wach: %1</translation>
    </message>
    <message>
        <source>Keep Awake Automatically</source>
        <translation>Automatisch wach halten</translation>
    </message>
    <message>
        <source>While Media Plays</source>
        <translation>Während Medien abgespielt werden</translation>
    </message>
    <message>
        <source>While Someone Is Logged In Remotely</source>
        <translation>Während jemand aus der Ferne angemeldet ist</translation>
    </message>
    <message>
        <source>While Applications Run…</source>
        <translation>Während Anwendungen laufen…</translation>
    </message>
    <message>
        <source>While Applications Run (%1)…</source>
        <translation>Während Anwendungen laufen (%1)…</translation>
    </message>
    <message>
        <source>Also on Battery</source>
        <translation>Auch im Akkubetrieb</translation>
    </message>
    <message>
        <source>Keyboard Shortcut…</source>
        <translation>Tastenkürzel …</translation>
    </message>
</context>
<context>
    <name>PortalGlobalShortcut</name>
    <message>
        <source>The desktop is still answering the last change of the shortcut.</source>
        <translation>Die Arbeitsumgebung beantwortet noch die letzte Änderung des Tastenkürzels.</translation>
    </message>
    <message>
        <source>%1 is not a key combination.</source>
        <translation>%1 ist keine Tastenkombination.</translation>
    </message>
    <message>
        <source>Start or stop keeping this computer awake</source>
        <translation>Wachhalten dieses Computers starten oder beenden</translation>
    </message>
    <message>
        <source>The desktop did not take %1.</source>
        <translation>Die Arbeitsumgebung hat %1 nicht übernommen.</translation>
    </message>
    <message>
        <source>The desktop&apos;s shortcut portal opened no session.</source>
        <translation>Das Tastenkürzel-Portal der Arbeitsumgebung hat keine Sitzung geöffnet.</translation>
    </message>
    <message>
        <source>The desktop&apos;s shortcut portal does not answer (%1).</source>
        <translation>Das Tastenkürzel-Portal der Arbeitsumgebung antwortet nicht (%1).</translation>
    </message>
    <message>
        <source>The desktop declined the shortcut.</source>
        <translation>Die Arbeitsumgebung hat das Tastenkürzel abgelehnt.</translation>
    </message>
    <message>
        <source>The desktop&apos;s shortcut portal refused the request.</source>
        <translation>Das Tastenkürzel-Portal der Arbeitsumgebung hat die Anfrage abgelehnt.</translation>
    </message>
    <message>
        <source>The desktop&apos;s shortcut portal did not answer within %1 s.</source>
        <translation>Das Tastenkürzel-Portal der Arbeitsumgebung hat nicht innerhalb von %1 s geantwortet.</translation>
    </message>
</context>
<context>
    <name>ProcessNameWatcher</name>
    <message>
        <source>%1 runs</source>
        <translation>%1 läuft</translation>
    </message>
</context>
<context>
    <name>QtUserDriver</name>
    <message>
        <source>Corvane Update</source>
        <translation>Corvane-Update</translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation>Suche nach Updates…</translation>
    </message>
    <message>
        <source>You&apos;re up to date!</source>
        <translation>Sie sind auf dem neuesten Stand!</translation>
    </message>
    <message>
        <source>Corvane %1 is currently the newest version available.</source>
        <translation>Corvane %1 ist die neueste verfügbare Version.</translation>
    </message>
    <message>
        <source>Update Error!</source>
        <translation>Update-Fehler!</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>Softwareaktualisierung</translation>
    </message>
    <message>
        <source>A new version of Corvane is available!</source>
        <translation>Eine neue Version von Corvane ist verfügbar!</translation>
    </message>
    <message>
        <source>Corvane %1 is now available—you have %2. Would you like to install it now?</source>
        <translation>Corvane %1 ist jetzt verfügbar – Sie haben %2. Möchten Sie es jetzt installieren?</translation>
    </message>
    <message>
        <source>Release notes</source>
        <translation>Versionshinweise</translation>
    </message>
    <message>
        <source>No release notes were published for this version.</source>
        <translation>Für diese Version wurden keine Versionshinweise veröffentlicht.</translation>
    </message>
    <message>
        <source>Skip This Version</source>
        <translation>Diese Version überspringen</translation>
    </message>
    <message>
        <source>Remind Me Later</source>
        <translation>Später erinnern</translation>
    </message>
    <message>
        <source>Install Update</source>
        <translation>Update installieren</translation>
    </message>
    <message>
        <source>Downloading Corvane %1…</source>
        <translation>Corvane %1 wird heruntergeladen…</translation>
    </message>
    <message>
        <source>Corvane %1 is installed.</source>
        <translation>Corvane %1 ist installiert.</translation>
    </message>
    <message>
        <source>Restart Corvane now to use the new version?</source>
        <translation>Corvane jetzt neu starten, um die neue Version zu verwenden?</translation>
    </message>
    <message>
        <source>Restart Now</source>
        <translation>Jetzt neu starten</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
</context>
<context>
    <name>RefusalNotice</name>
    <message>
        <source>Corvane could not keep this computer awake</source>
        <translation>Corvane konnte diesen Computer nicht wach halten</translation>
    </message>
</context>
<context>
    <name>RemoteSessionWatcher</name>
    <message>
        <source>someone is logged in remotely</source>
        <translation>jemand aus der Ferne angemeldet ist</translation>
    </message>
</context>
<context>
    <name>ShortcutDialog</name>
    <message>
        <source>Shortcut</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Keyboard Shortcut</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Press the keys that turn keeping awake on and off, whichever window is active.</source>
        <translation>Drücken Sie die Tasten, die das Wachhalten ein- und ausschalten, egal welches Fenster aktiv ist.</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Festlegen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Hold Ctrl, Alt or Super with the key; only function keys may stand alone.</source>
        <translation>Halten Sie Strg, Alt oder Super mit der Taste gedrückt; nur Funktionstasten dürfen allein stehen.</translation>
    </message>
    <message>
        <source>Press the keys…</source>
        <translation>Tasten drücken …</translation>
    </message>
</context>
<context>
    <name>StatusChip</name>
    <message>
        <source>Indefinite Wake</source>
        <translation>Unbegrenzt wach</translation>
    </message>
    <message>
        <source>Sleep allowed</source>
        <translation>Ruhezustand erlaubt</translation>
    </message>
</context>
<context>
    <name>TopBarOffer</name>
    <message>
        <source>GNOME&apos;s top bar shows Corvane&apos;s icon once its AppIndicator extension is on.</source>
        <translation>GNOMEs obere Leiste zeigt das Symbol von Corvane, sobald ihre Erweiterung AppIndicator eingeschaltet ist.</translation>
    </message>
    <message>
        <source>To see Corvane&apos;s icon in GNOME&apos;s top bar, install the package %1 and log in again.</source>
        <translation>Damit GNOMEs obere Leiste das Symbol von Corvane zeigt, installieren Sie das Paket %1 und melden Sie sich neu an.</translation>
    </message>
    <message>
        <source>Show Corvane in the Top Bar</source>
        <translation>Corvane in der oberen Leiste zeigen</translation>
    </message>
</context>
<context>
    <name>TrayPresenter</name>
    <message>
        <source>Corvane active</source>
        <translation>Corvane aktiv</translation>
    </message>
    <message>
        <source>Corvane idle</source>
        <translation>Corvane inaktiv</translation>
    </message>
    <message>
        <source>Awake until turned off</source>
        <translation>Wach, bis ausgeschaltet</translation>
    </message>
    <message>
        <source>Click for options, middle-click to keep this computer awake</source>
        <translation>Klicken für Optionen, Mittelklick hält diesen Computer wach</translation>
    </message>
    <message>
        <source>Less than a minute left</source>
        <translation>Weniger als eine Minute übrig</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>Noch %1</translation>
    </message>
    <message>
        <source>%1, awake until %2</source>
        <translation>%1, wach bis %2</translation>
    </message>
    <message>
        <source>Awake until %1</source>
        <translation>Wach bis %1</translation>
    </message>
    <message>
        <source>Keep Awake for %1</source>
        <translation>%1 wach halten</translation>
    </message>
    <message>
        <source>Keep Awake Until Turned Off</source>
        <translation>Wach halten, bis ausgeschaltet</translation>
    </message>
    <message>
        <source>Corvane is not keeping this computer awake</source>
        <translation>Corvane hält diesen Computer nicht wach</translation>
    </message>
    <message>
        <source>Not being kept awake: nothing holds the inhibition. Asking again until turned off</source>
        <translation>Nicht wach gehalten: Nichts hält die Sperre. Erneute Anfrage bis zum Ausschalten</translation>
    </message>
    <message>
        <source>Not being kept awake: nothing holds the inhibition. Asking again until %1</source>
        <translation>Nicht wach gehalten: Nichts hält die Sperre. Erneute Anfrage bis %1</translation>
    </message>
    <message>
        <source>Turn Off (not being kept awake)</source>
        <translation>Ausschalten (nicht wach gehalten)</translation>
    </message>
    <message>
        <source>Turn Off (awake until %1)</source>
        <translation>Ausschalten (wach bis %1)</translation>
    </message>
    <message>
        <source>Turn Off</source>
        <translation>Ausschalten</translation>
    </message>
    <message>
        <source>Keep the Display On</source>
        <translation>Bildschirm eingeschaltet lassen</translation>
    </message>
    <message>
        <source>Open Corvane</source>
        <translation>Corvane öffnen</translation>
    </message>
    <message>
        <source>Quit Corvane</source>
        <translation>Corvane beenden</translation>
    </message>
    <message>
        <source>Corvane could not keep this computer awake</source>
        <translation>Corvane konnte diesen Computer nicht wach halten</translation>
    </message>
    <message>
        <source>Until Turned Off</source>
        <translation>Bis zum Ausschalten</translation>
    </message>
    <message>
        <source>tomorrow %1</source>
        <translation>morgen %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <extracomment>%1 is the short weekday name, %2 the time: &quot;Wed 15:44&quot;</extracomment>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Awake while %1</source>
        <translation>Wach, solange %1</translation>
    </message>
</context>
<context>
    <name>UpdateCheckProcess</name>
    <message>
        <source>The server answered with HTTP status %1.</source>
        <translation>Der Server antwortete mit HTTP-Status %1.</translation>
    </message>
    <message>
        <source>The server sent more data than expected.</source>
        <translation>Der Server hat mehr Daten gesendet als erwartet.</translation>
    </message>
    <message>
        <source>The server took too long to answer.</source>
        <translation>Der Server hat zu lange nicht geantwortet.</translation>
    </message>
</context>
<context>
    <name>UpdateInstaller</name>
    <message>
        <source>Corvane cannot replace %1: the file or its folder is not writable.</source>
        <translation>Corvane kann %1 nicht ersetzen: Die Datei oder ihr Ordner ist nicht beschreibbar.</translation>
    </message>
    <message>
        <source>Corvane could not write the new version next to %1.</source>
        <translation>Corvane konnte die neue Version nicht neben %1 speichern.</translation>
    </message>
    <message>
        <source>Corvane could not keep a backup of %1, so it left it unchanged.</source>
        <translation>Corvane konnte keine Sicherungskopie von %1 anlegen und hat die Datei daher unverändert gelassen.</translation>
    </message>
    <message>
        <source>Corvane could not move the new version into place.</source>
        <translation>Corvane konnte die neue Version nicht an ihren Platz verschieben.</translation>
    </message>
</context>
<context>
    <name>WakeDecision</name>
    <message>
        <source>Corvane: keeping this computer awake while %1</source>
        <translation>Corvane: hält diesen Computer wach, solange %1</translation>
    </message>
</context>
<context>
    <name>WakeDuration</name>
    <message>
        <source>%1 min</source>
        <translation>%1 Min.</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 Std.</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 Std. %2 Min.</translation>
    </message>
</context>
<context>
    <name>WakeSwitch</name>
    <message>
        <source>Keep awake</source>
        <translation>Wach halten</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Ein</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
</context>
<context>
    <name>X11KeyGrab</name>
    <message>
        <source>There is no X display to register the shortcut with.</source>
        <translation>Es gibt keine X-Anzeige, bei der das Tastenkürzel angemeldet werden kann.</translation>
    </message>
    <message>
        <source>The keyboard has no key for %1.</source>
        <translation>Die Tastatur hat keine Taste für %1.</translation>
    </message>
    <message>
        <source>%1 is already used by another program.</source>
        <translation>%1 ist bereits von einem anderen Programm belegt.</translation>
    </message>
    <message>
        <source>The X server refused %1.</source>
        <translation>Der X-Server hat %1 abgelehnt.</translation>
    </message>
</context>
<context>
    <name>XfconfShortcut</name>
    <message>
        <source>XFCE&apos;s settings service does not answer (%1).</source>
        <translation>XFCEs Einstellungsdienst antwortet nicht (%1).</translation>
    </message>
    <message>
        <source>XFCE cannot use %1 as a shortcut.</source>
        <translation>XFCE kann %1 nicht als Tastenkürzel verwenden.</translation>
    </message>
    <message>
        <source>%1 is already used by “%2”.</source>
        <translation>%1 ist bereits mit „%2“ belegt.</translation>
    </message>
    <message>
        <source>XFCE&apos;s settings service refused %1 (%2).</source>
        <translation>XFCEs Einstellungsdienst hat %1 abgelehnt (%2).</translation>
    </message>
</context>
</TS>
