<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>AppDelegate</name>
    <message>
        <source>Warn Before the End</source>
        <translation>Prévenir avant la fin</translation>
    </message>
    <message>
        <source>Stop Below 20 % Battery</source>
        <translation>Arrêter sous 20 % de batterie</translation>
    </message>
</context>
<context>
    <name>AppcastParser</name>
    <message>
        <source>The update feed is not an RSS document.</source>
        <translation>Le flux de mises à jour n’est pas un document RSS.</translation>
    </message>
    <message>
        <source>The update feed is not valid XML (line %1: %2).</source>
        <translation>Le flux de mises à jour n’est pas un XML valide (ligne %1&#xa0;: %2).</translation>
    </message>
    <message>
        <source>The update feed is empty.</source>
        <translation>Le flux de mises à jour est vide.</translation>
    </message>
</context>
<context>
    <name>AppcastUpdater</name>
    <message>
        <source>The update feed address is not a secure address.</source>
        <translation>L’adresse du flux de mises à jour n’est pas une adresse sécurisée.</translation>
    </message>
    <message>
        <source>Corvane could not read the update feed. %1</source>
        <translation>Corvane n’a pas pu lire le flux de mises à jour. %1</translation>
    </message>
    <message>
        <source>The update&apos;s download address is not a secure address.</source>
        <translation>L’adresse de téléchargement de la mise à jour n’est pas une adresse sécurisée.</translation>
    </message>
    <message>
        <source>The update does not state a usable size, so it cannot be checked.</source>
        <translation>La mise à jour n’indique pas de taille utilisable, elle ne peut donc pas être vérifiée.</translation>
    </message>
    <message>
        <source>The download is larger than the %1 bytes the update announces.</source>
        <translation>Le téléchargement dépasse les %1 octets annoncés par la mise à jour.</translation>
    </message>
    <message>
        <source>Corvane could not download the update. %1</source>
        <translation>Corvane n’a pas pu télécharger la mise à jour. %1</translation>
    </message>
    <message>
        <source>The download has %1 bytes but the update announces %2 bytes.</source>
        <translation>Le téléchargement fait %1 octets, mais la mise à jour en annonce %2.</translation>
    </message>
</context>
<context>
    <name>ApplicationListDialog</name>
    <message>
        <source>Keep Awake While Applications Run</source>
        <translation>Garder éveillé pendant que des applications tournent</translation>
    </message>
    <message>
        <source>Corvane keeps this computer awake while any of these programs runs.</source>
        <translation>Corvane garde cet ordinateur éveillé tant que l’un de ces programmes tourne.</translation>
    </message>
    <message>
        <source>Programs that keep this computer awake</source>
        <translation>Programmes qui gardent cet ordinateur éveillé</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Add a running program, or type its name:</source>
        <translation>Ajoutez un programme en cours ou tapez son nom :</translation>
    </message>
    <message>
        <source>Program name</source>
        <translation>Nom du programme</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
</context>
<context>
    <name>BatteryGuard</name>
    <message>
        <source>Corvane stopped keeping this computer awake</source>
        <translation>Corvane ne garde plus cet ordinateur éveillé</translation>
    </message>
    <message>
        <source>The battery is below %1 %.</source>
        <translation>La batterie est sous %1 %.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Keeps this computer awake for a while. Without options, puts Corvane in the tray; with options, drives the Corvane already running, or keeps this computer awake by itself until the period ends.</source>
        <translation>Garde cet ordinateur éveillé un moment. Sans option, place Corvane dans la zone de notification ; avec des options, pilote le Corvane déjà lancé, ou garde lui-même cet ordinateur éveillé jusqu’à la fin de la période.</translation>
    </message>
    <message>
        <source>unknown mode &quot;%1&quot;: use display or system</source>
        <translation>mode « %1 » inconnu : utiliser display ou system</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;: put a command after --</source>
        <translation>argument « %1 » inattendu : placer une commande après --</translation>
    </message>
    <message>
        <source>choose one of --for, --until, --indefinitely, --stop, --toggle, --status, --while-pid and --</source>
        <translation>choisir une seule option parmi --for, --until, --indefinitely, --stop, --toggle, --status, --while-pid et --</translation>
    </message>
    <message>
        <source>unknown duration &quot;%1&quot;: try 90m, 1h30m, 2h or 45</source>
        <translation>durée « %1 » inconnue : essayer 90m, 1h30m, 2h ou 45</translation>
    </message>
    <message>
        <source>unknown time &quot;%1&quot;: use HH:MM, from 00:00 to 23:59</source>
        <translation>heure « %1 » inconnue : utiliser HH:MM, de 00:00 à 23:59</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a process id</source>
        <translation>« %1 » n’est pas un numéro de processus</translation>
    </message>
    <message>
        <source>no command after --</source>
        <translation>aucune commande après --</translation>
    </message>
    <message>
        <source>--json goes with --status</source>
        <translation>--json va avec --status</translation>
    </message>
    <message>
        <source>Keep this computer awake for &lt;duration&gt;: 90m, 1h30m, 2h or 45 (minutes).</source>
        <translation>Garder cet ordinateur éveillé pendant &lt;durée&gt; : 90m, 1h30m, 2h ou 45 (minutes).</translation>
    </message>
    <message>
        <source>duration</source>
        <translation>durée</translation>
    </message>
    <message>
        <source>Keep this computer awake until the next &lt;time&gt; (HH:MM).</source>
        <translation>Garder cet ordinateur éveillé jusqu’à la prochaine &lt;heure&gt; (HH:MM).</translation>
    </message>
    <message>
        <source>time</source>
        <translation>heure</translation>
    </message>
    <message>
        <source>Keep this computer awake until turned off.</source>
        <translation>Garder cet ordinateur éveillé jusqu’à l’arrêt.</translation>
    </message>
    <message>
        <source>End the wake period.</source>
        <translation>Terminer la période d’éveil.</translation>
    </message>
    <message>
        <source>Start a wake period with the last duration, or end the one running.</source>
        <translation>Commencer une période d’éveil de la dernière durée, ou terminer celle en cours.</translation>
    </message>
    <message>
        <source>Show the wake period.</source>
        <translation>Afficher la période d’éveil.</translation>
    </message>
    <message>
        <source>With --status: print JSON for scripts.</source>
        <translation>Avec --status : afficher du JSON pour les scripts.</translation>
    </message>
    <message>
        <source>Keep the display and the system awake, or the system only.</source>
        <translation>Garder l’écran et le système éveillés, ou le système seulement.</translation>
    </message>
    <message>
        <source>Keep this computer awake until process &lt;pid&gt; ends.</source>
        <translation>Garder cet ordinateur éveillé jusqu’à la fin du processus &lt;pid&gt;.</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Afficher cette aide.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Afficher la version.</translation>
    </message>
    <message>
        <source>Keep this computer awake while &lt;command&gt; runs; exit with its status.</source>
        <translation>Garder cet ordinateur éveillé pendant que &lt;commande&gt; s’exécute ; sortir avec son code.</translation>
    </message>
    <message>
        <source>Keep this computer awake whenever a media player plays (on or off).</source>
        <translation>Garder cet ordinateur éveillé tant qu’un lecteur multimédia lit (on ou off).</translation>
    </message>
    <message>
        <source>Keep this computer awake whenever one of these programs runs (executable names, comma-separated; empty to clear).</source>
        <translation>Garder cet ordinateur éveillé tant qu’un de ces programmes tourne (noms des exécutables, séparés par des virgules ; vide pour effacer).</translation>
    </message>
    <message>
        <source>names</source>
        <translation>noms</translation>
    </message>
    <message>
        <source>Keep this computer awake whenever someone is logged in remotely (on or off).</source>
        <translation>Garder cet ordinateur éveillé tant que quelqu’un est connecté à distance (on ou off).</translation>
    </message>
    <message>
        <source>--while-media, --while-apps and --while-remote go without other options</source>
        <translation>--while-media, --while-apps et --while-remote s’emploient sans autre option</translation>
    </message>
    <message>
        <source>--while-media takes on or off, not &quot;%1&quot;</source>
        <translation>--while-media prend on ou off, pas «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>--while-remote takes on or off, not &quot;%1&quot;</source>
        <translation>--while-remote prend on ou off, pas «&#xa0;%1&#xa0;»</translation>
    </message>
</context>
<context>
    <name>CommandLineRunner</name>
    <message>
        <source>no process with id %1</source>
        <translation>aucun processus de numéro %1</translation>
    </message>
    <message>
        <source>cannot run %1: %2</source>
        <translation>impossible d’exécuter %1 : %2</translation>
    </message>
    <message>
        <source>the running Corvane did not answer: %1</source>
        <translation>le Corvane en cours n’a pas répondu : %1</translation>
    </message>
    <message>
        <source>The system refused to keep this computer awake.</source>
        <translation>Le système a refusé de garder cet ordinateur éveillé.</translation>
    </message>
    <message>
        <source>system only</source>
        <translation>le système seulement</translation>
    </message>
    <message>
        <source>display and system</source>
        <translation>l’écran et le système</translation>
    </message>
    <message>
        <source>Not keeping this computer awake (%1).</source>
        <translation>Cet ordinateur n’est pas maintenu éveillé (%1).</translation>
    </message>
    <message>
        <source>Keeping this computer awake until turned off (%1).</source>
        <translation>Cet ordinateur est maintenu éveillé jusqu’à l’arrêt (%1).</translation>
    </message>
    <message>
        <source>Keeping this computer awake for %1 more, until %2 (%3).</source>
        <translation>Cet ordinateur est maintenu éveillé encore %1, jusqu’à %2 (%3).</translation>
    </message>
    <message>
        <source>Held by %1.</source>
        <translation>Tenu par %1.</translation>
    </message>
    <message>
        <source>This computer is not being kept awake: nothing holds the inhibition. Asking again until turned off (%1).</source>
        <translation>Cet ordinateur n’est pas maintenu éveillé : rien ne tient l’inhibition. Nouvelle demande jusqu’à l’arrêt (%1).</translation>
    </message>
    <message>
        <source>This computer is not being kept awake: nothing holds the inhibition. Asking again for the %1 left, until %2 (%3).</source>
        <translation>Cet ordinateur n’est pas maintenu éveillé : rien ne tient l’inhibition. Nouvelle demande pour les %1 restantes, jusqu’à %2 (%3).</translation>
    </message>
    <message>
        <source>process %1 is this corvane itself: give the id of another process</source>
        <translation>le processus %1 est ce corvane lui-même : indiquez l’identifiant d’un autre processus</translation>
    </message>
    <message>
        <source>Keeping this computer awake while %1.</source>
        <translation>Garde cet ordinateur éveillé tant que %1.</translation>
    </message>
    <message>
        <source>Also while %1.</source>
        <translation>Aussi tant que %1.</translation>
    </message>
</context>
<context>
    <name>CorvaneBusInterface</name>
    <message>
        <source>The end must lie within the next 48 hours.</source>
        <translation>La fin doit se situer dans les 48 prochaines heures.</translation>
    </message>
    <message>
        <source>The system refused to keep this computer awake.</source>
        <translation>Le système a refusé de garder cet ordinateur éveillé.</translation>
    </message>
    <message>
        <source>The wake period ended before the system answered.</source>
        <translation>La période d’éveil a pris fin avant la réponse du système.</translation>
    </message>
    <message>
        <source>No such mode &quot;%1&quot;: use displayAndSystem or systemOnly.</source>
        <translation>Mode &quot;%1&quot; inconnu : utilisez displayAndSystem ou systemOnly.</translation>
    </message>
    <message>
        <source>Triggers are set by the Corvane in the tray.</source>
        <translation>Les déclencheurs se règlent dans le Corvane de la barre d’état.</translation>
    </message>
</context>
<context>
    <name>CorvaneTimerService</name>
    <message>
        <source>Corvane: keeping this computer awake until turned off</source>
        <translation>Corvane&#xa0;: garde cet ordinateur éveillé jusqu’à désactivation</translation>
    </message>
    <message>
        <source>Corvane: keeping this computer awake for %1</source>
        <translation>Corvane&#xa0;: garde cet ordinateur éveillé pendant %1</translation>
    </message>
</context>
<context>
    <name>CustomDurationSection</name>
    <message>
        <source>Custom duration</source>
        <translation>Durée personnalisée</translation>
    </message>
    <message>
        <source>Keep awake for %1</source>
        <translation>Garder éveillé pendant %1</translation>
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
        <translation>Heures</translation>
    </message>
    <message>
        <source>min</source>
        <comment>minutes column unit</comment>
        <translation>min</translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>Minutes</translation>
    </message>
</context>
<context>
    <name>Ed25519Verifier</name>
    <message>
        <source>This copy of Corvane has no valid update key, so it cannot check updates.</source>
        <translation>Cette copie de Corvane n’a pas de clé de mise à jour valide et ne peut donc pas vérifier les mises à jour.</translation>
    </message>
    <message>
        <source>The update does not state its size, so it cannot be checked.</source>
        <translation>La mise à jour n’indique pas sa taille, elle ne peut donc pas être vérifiée.</translation>
    </message>
    <message>
        <source>The download has %1 bytes but the update announces %2 bytes.</source>
        <translation>Le téléchargement fait %1 octets, mais la mise à jour en annonce %2.</translation>
    </message>
    <message>
        <source>The update is not signed.</source>
        <translation>La mise à jour n’est pas signée.</translation>
    </message>
    <message>
        <source>The update&apos;s signature is garbled.</source>
        <translation>La signature de la mise à jour est illisible.</translation>
    </message>
    <message>
        <source>The update&apos;s signature does not match: it was not made by Corvane&apos;s developers or was damaged on the way.</source>
        <translation>La signature de la mise à jour ne correspond pas&#xa0;: elle ne vient pas des développeurs de Corvane ou a été endommagée en chemin.</translation>
    </message>
    <message>
        <source>Corvane cannot check the update&apos;s signature: the system&apos;s OpenSSL library (libcrypto 3) is missing.</source>
        <translation>Corvane ne peut pas vérifier la signature de la mise à jour : la bibliothèque OpenSSL du système (libcrypto 3) est absente.</translation>
    </message>
</context>
<context>
    <name>EndOfPeriodWarning</name>
    <message>
        <source>This computer may sleep soon</source>
        <translation>Cet ordinateur pourra bientôt se mettre en veille</translation>
    </message>
    <message>
        <source>Corvane stops keeping it awake at %1.</source>
        <translation>Corvane cessera de le garder éveillé à %1.</translation>
    </message>
    <message>
        <source>Extend 15 min</source>
        <translation>Prolonger de 15 min</translation>
    </message>
    <message>
        <source>Stop Now</source>
        <translation>Arrêter maintenant</translation>
    </message>
</context>
<context>
    <name>GlassPanel</name>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>GlassPopoverView</name>
    <message>
        <source>The system refused to keep this computer awake.</source>
        <translation>Le système a refusé de garder cet ordinateur éveillé.</translation>
    </message>
    <message>
        <source>Click to keep this computer awake</source>
        <translation>Cliquer pour rester éveillé</translation>
    </message>
    <message>
        <source>Until turned off</source>
        <translation>Jusqu’à désactivation</translation>
    </message>
    <message>
        <source>Until %1</source>
        <translation>Jusqu’à %1</translation>
    </message>
    <message>
        <source>AWAKE</source>
        <translation>ÉVEILLÉ</translation>
    </message>
    <message>
        <source>IDLE</source>
        <translation>INACTIF</translation>
    </message>
    <message>
        <source>Until tomorrow %1</source>
        <translation>Jusqu’à demain %1</translation>
    </message>
    <message>
        <source>Until %1 %2</source>
        <extracomment>%1 is the short weekday name, %2 the time: &quot;Until Tue 21:40&quot;</extracomment>
        <translation>Jusqu’à %1 %2</translation>
    </message>
    <message>
        <source>Kept awake by %1</source>
        <translation>Maintenu éveillé par %1</translation>
    </message>
    <message>
        <source>NOT AWAKE</source>
        <translation>PAS ÉVEILLÉ</translation>
    </message>
    <message>
        <source>Asking the system again · click to stop</source>
        <translation>Nouvelle demande · cliquer pour arrêter</translation>
    </message>
    <message>
        <source>Kept awake while %1</source>
        <translation>Maintenu éveillé tant que %1</translation>
    </message>
</context>
<context>
    <name>GnomeCustomKeybinding</name>
    <message>
        <source>GNOME&apos;s keyboard settings cannot be read (%1).</source>
        <translation>Impossible de lire les réglages clavier de GNOME (%1).</translation>
    </message>
    <message>
        <source>GNOME&apos;s keyboard settings cannot be written (%1).</source>
        <translation>Impossible d’écrire les réglages clavier de GNOME (%1).</translation>
    </message>
    <message>
        <source>GNOME cannot use %1 as a shortcut.</source>
        <translation>GNOME ne peut pas utiliser %1 comme raccourci.</translation>
    </message>
    <message>
        <source>%1 is already used by “%2”.</source>
        <translation>%1 est déjà utilisé par « %2 ».</translation>
    </message>
    <message>
        <source>Corvane: Keep Awake On or Off</source>
        <translation>Corvane : activer ou désactiver l’éveil</translation>
    </message>
</context>
<context>
    <name>KGlobalAccelShortcut</name>
    <message>
        <source>Keep Awake On or Off</source>
        <translation>Activer ou désactiver l’éveil</translation>
    </message>
    <message>
        <source>%1 is not a key combination.</source>
        <translation>%1 n’est pas une combinaison de touches.</translation>
    </message>
    <message>
        <source>KDE&apos;s shortcut service does not answer (%1).</source>
        <translation>Le service de raccourcis de KDE ne répond pas (%1).</translation>
    </message>
    <message>
        <source>%1 is already used by “%2”.</source>
        <translation>%1 est déjà utilisé par « %2 ».</translation>
    </message>
    <message>
        <source>KDE&apos;s shortcut service refused %1 (%2).</source>
        <translation>Le service de raccourcis de KDE a refusé %1 (%2).</translation>
    </message>
    <message>
        <source>KDE&apos;s shortcut service refused %1.</source>
        <translation>Le service de raccourcis de KDE a refusé %1.</translation>
    </message>
</context>
<context>
    <name>MprisWatcher</name>
    <message>
        <source>%1 plays media</source>
        <translation>%1 lit un média</translation>
    </message>
</context>
<context>
    <name>PopoverFooter</name>
    <message>
        <source>Settings</source>
        <translation>Paramètres</translation>
    </message>
    <message>
        <source>Update available</source>
        <translation>Mise à jour disponible</translation>
    </message>
    <message>
        <source>Launch at Login</source>
        <translation>Lancer à l’ouverture de session</translation>
    </message>
    <message>
        <source>Enable in Autostart Settings…</source>
        <translation>Activer dans les paramètres de démarrage automatique…</translation>
    </message>
    <message>
        <source>Keep Display Off, Keep System Awake</source>
        <translation>Écran éteint, système éveillé</translation>
    </message>
    <message>
        <source>Turn Display Off Now</source>
        <translation>Éteindre l’écran maintenant</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Rechercher des mises à jour…</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Quit Corvane</source>
        <translation>Quitter Corvane</translation>
    </message>
    <message>
        <source>System Only</source>
        <translation>Système seul</translation>
    </message>
    <message>
        <source>Display + System</source>
        <translation>Écran + système</translation>
    </message>
    <message>
        <source>Not keeping this computer awake</source>
        <translation>Ne maintient pas cet ordinateur éveillé</translation>
    </message>
    <message>
        <source>Kept awake by %1</source>
        <translation>Maintenu éveillé par %1</translation>
    </message>
    <message>
        <source>Also keeping it awake: %1</source>
        <translation>Le maintiennent aussi éveillé : %1</translation>
    </message>
    <message>
        <source>Keep Awake Automatically</source>
        <translation>Garder éveillé automatiquement</translation>
    </message>
    <message>
        <source>While Media Plays</source>
        <translation>Pendant la lecture de médias</translation>
    </message>
    <message>
        <source>While Someone Is Logged In Remotely</source>
        <translation>Pendant une connexion à distance</translation>
    </message>
    <message>
        <source>While Applications Run…</source>
        <translation>Pendant que des applications tournent…</translation>
    </message>
    <message>
        <source>While Applications Run (%1)…</source>
        <translation>Pendant que des applications tournent (%1)…</translation>
    </message>
    <message>
        <source>Also on Battery</source>
        <translation>Aussi sur batterie</translation>
    </message>
    <message>
        <source>Keyboard Shortcut…</source>
        <translation>Raccourci clavier…</translation>
    </message>
</context>
<context>
    <name>PortalGlobalShortcut</name>
    <message>
        <source>The desktop is still answering the last change of the shortcut.</source>
        <translation>Le bureau répond encore à la dernière modification du raccourci.</translation>
    </message>
    <message>
        <source>%1 is not a key combination.</source>
        <translation>%1 n’est pas une combinaison de touches.</translation>
    </message>
    <message>
        <source>Start or stop keeping this computer awake</source>
        <translation>Démarrer ou arrêter le maintien en éveil de cet ordinateur</translation>
    </message>
    <message>
        <source>The desktop did not take %1.</source>
        <translation>Le bureau n’a pas accepté %1.</translation>
    </message>
    <message>
        <source>The desktop&apos;s shortcut portal opened no session.</source>
        <translation>Le portail de raccourcis du bureau n’a ouvert aucune session.</translation>
    </message>
    <message>
        <source>The desktop&apos;s shortcut portal does not answer (%1).</source>
        <translation>Le portail de raccourcis du bureau ne répond pas (%1).</translation>
    </message>
    <message>
        <source>The desktop declined the shortcut.</source>
        <translation>Le bureau a refusé le raccourci.</translation>
    </message>
    <message>
        <source>The desktop&apos;s shortcut portal refused the request.</source>
        <translation>Le portail de raccourcis du bureau a rejeté la demande.</translation>
    </message>
    <message>
        <source>The desktop&apos;s shortcut portal did not answer within %1 s.</source>
        <translation>Le portail de raccourcis du bureau n’a pas répondu dans les %1 s.</translation>
    </message>
</context>
<context>
    <name>ProcessNameWatcher</name>
    <message>
        <source>%1 runs</source>
        <translation>%1 tourne</translation>
    </message>
</context>
<context>
    <name>QtUserDriver</name>
    <message>
        <source>Corvane Update</source>
        <translation>Mise à jour de Corvane</translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation>Recherche de mises à jour…</translation>
    </message>
    <message>
        <source>You&apos;re up to date!</source>
        <translation>Vous êtes à jour&#xa0;!</translation>
    </message>
    <message>
        <source>Corvane %1 is currently the newest version available.</source>
        <translation>Corvane %1 est actuellement la version la plus récente.</translation>
    </message>
    <message>
        <source>Update Error!</source>
        <translation>Erreur de mise à jour&#xa0;!</translation>
    </message>
    <message>
        <source>Software Update</source>
        <translation>Mise à jour logicielle</translation>
    </message>
    <message>
        <source>A new version of Corvane is available!</source>
        <translation>Une nouvelle version de Corvane est disponible&#xa0;!</translation>
    </message>
    <message>
        <source>Corvane %1 is now available—you have %2. Would you like to install it now?</source>
        <translation>Corvane %1 est disponible — vous avez la version %2. Voulez-vous l’installer maintenant&#xa0;?</translation>
    </message>
    <message>
        <source>Release notes</source>
        <translation>Notes de version</translation>
    </message>
    <message>
        <source>No release notes were published for this version.</source>
        <translation>Aucune note de version n’a été publiée pour cette version.</translation>
    </message>
    <message>
        <source>Skip This Version</source>
        <translation>Ignorer cette version</translation>
    </message>
    <message>
        <source>Remind Me Later</source>
        <translation>Me le rappeler plus tard</translation>
    </message>
    <message>
        <source>Install Update</source>
        <translation>Installer la mise à jour</translation>
    </message>
    <message>
        <source>Downloading Corvane %1…</source>
        <translation>Téléchargement de Corvane %1…</translation>
    </message>
    <message>
        <source>Corvane %1 is installed.</source>
        <translation>Corvane %1 est installé.</translation>
    </message>
    <message>
        <source>Restart Corvane now to use the new version?</source>
        <translation>Redémarrer Corvane maintenant pour utiliser la nouvelle version&#xa0;?</translation>
    </message>
    <message>
        <source>Restart Now</source>
        <translation>Redémarrer maintenant</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Plus tard</translation>
    </message>
</context>
<context>
    <name>RefusalNotice</name>
    <message>
        <source>Corvane could not keep this computer awake</source>
        <translation>Corvane n’a pas pu maintenir cet ordinateur éveillé</translation>
    </message>
</context>
<context>
    <name>RemoteSessionWatcher</name>
    <message>
        <source>someone is logged in remotely</source>
        <translation>quelqu’un est connecté à distance</translation>
    </message>
</context>
<context>
    <name>ShortcutDialog</name>
    <message>
        <source>Shortcut</source>
        <translation>Raccourci</translation>
    </message>
    <message>
        <source>Keyboard Shortcut</source>
        <translation>Raccourci clavier</translation>
    </message>
    <message>
        <source>Press the keys that turn keeping awake on and off, whichever window is active.</source>
        <translation>Appuyez sur les touches qui activent et désactivent l’éveil, quelle que soit la fenêtre active.</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Définir</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Hold Ctrl, Alt or Super with the key; only function keys may stand alone.</source>
        <translation>Maintenez Ctrl, Alt ou Super avec la touche ; seules les touches de fonction peuvent être utilisées seules.</translation>
    </message>
    <message>
        <source>Press the keys…</source>
        <translation>Appuyez sur les touches…</translation>
    </message>
</context>
<context>
    <name>StatusChip</name>
    <message>
        <source>Indefinite Wake</source>
        <translation>Éveil illimité</translation>
    </message>
    <message>
        <source>Sleep allowed</source>
        <translation>Veille autorisée</translation>
    </message>
</context>
<context>
    <name>TopBarOffer</name>
    <message>
        <source>GNOME&apos;s top bar shows Corvane&apos;s icon once its AppIndicator extension is on.</source>
        <translation>La barre supérieure de GNOME affiche l’icône de Corvane dès que son extension AppIndicator est activée.</translation>
    </message>
    <message>
        <source>To see Corvane&apos;s icon in GNOME&apos;s top bar, install the package %1 and log in again.</source>
        <translation>Pour voir l’icône de Corvane dans la barre supérieure de GNOME, installez le paquet %1 et reconnectez-vous.</translation>
    </message>
    <message>
        <source>Show Corvane in the Top Bar</source>
        <translation>Afficher Corvane dans la barre supérieure</translation>
    </message>
</context>
<context>
    <name>TrayPresenter</name>
    <message>
        <source>Corvane active</source>
        <translation>Corvane actif</translation>
    </message>
    <message>
        <source>Corvane idle</source>
        <translation>Corvane inactif</translation>
    </message>
    <message>
        <source>Awake until turned off</source>
        <translation>Éveillé jusqu’à l’arrêt</translation>
    </message>
    <message>
        <source>Click for options, middle-click to keep this computer awake</source>
        <translation>Cliquez pour les options, clic du milieu pour garder cet ordinateur éveillé</translation>
    </message>
    <message>
        <source>Less than a minute left</source>
        <translation>Moins d’une minute restante</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>%1 restant</translation>
    </message>
    <message>
        <source>%1, awake until %2</source>
        <translation>%1, éveillé jusqu’à %2</translation>
    </message>
    <message>
        <source>Awake until %1</source>
        <translation>Éveillé jusqu’à %1</translation>
    </message>
    <message>
        <source>Keep Awake for %1</source>
        <translation>Garder éveillé pendant %1</translation>
    </message>
    <message>
        <source>Keep Awake Until Turned Off</source>
        <translation>Garder éveillé jusqu’à l’arrêt</translation>
    </message>
    <message>
        <source>Corvane is not keeping this computer awake</source>
        <translation>Corvane ne maintient pas cet ordinateur éveillé</translation>
    </message>
    <message>
        <source>Not being kept awake: nothing holds the inhibition. Asking again until turned off</source>
        <translation>Pas maintenu éveillé : rien ne tient l’inhibition. Nouvelle demande jusqu’à l’arrêt</translation>
    </message>
    <message>
        <source>Not being kept awake: nothing holds the inhibition. Asking again until %1</source>
        <translation>Pas maintenu éveillé : rien ne tient l’inhibition. Nouvelle demande jusqu’à %1</translation>
    </message>
    <message>
        <source>Turn Off (not being kept awake)</source>
        <translation>Arrêter (pas maintenu éveillé)</translation>
    </message>
    <message>
        <source>Turn Off (awake until %1)</source>
        <translation>Arrêter (éveillé jusqu’à %1)</translation>
    </message>
    <message>
        <source>Turn Off</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Keep the Display On</source>
        <translation>Garder l’écran allumé</translation>
    </message>
    <message>
        <source>Open Corvane</source>
        <translation>Ouvrir Corvane</translation>
    </message>
    <message>
        <source>Quit Corvane</source>
        <translation>Quitter Corvane</translation>
    </message>
    <message>
        <source>Corvane could not keep this computer awake</source>
        <translation>Corvane n’a pas pu maintenir cet ordinateur éveillé</translation>
    </message>
    <message>
        <source>Until Turned Off</source>
        <translation>Jusqu’à désactivation</translation>
    </message>
    <message>
        <source>tomorrow %1</source>
        <translation>demain %1</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <extracomment>%1 is the short weekday name, %2 the time: &quot;Wed 15:44&quot;</extracomment>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Awake while %1</source>
        <translation>Éveillé tant que %1</translation>
    </message>
</context>
<context>
    <name>UpdateCheckProcess</name>
    <message>
        <source>The server answered with HTTP status %1.</source>
        <translation>Le serveur a répondu avec le statut HTTP %1.</translation>
    </message>
    <message>
        <source>The server sent more data than expected.</source>
        <translation>Le serveur a envoyé plus de données que prévu.</translation>
    </message>
    <message>
        <source>The server took too long to answer.</source>
        <translation>Le serveur a mis trop de temps à répondre.</translation>
    </message>
</context>
<context>
    <name>UpdateInstaller</name>
    <message>
        <source>Corvane cannot replace %1: the file or its folder is not writable.</source>
        <translation>Corvane ne peut pas remplacer %1&#xa0;: le fichier ou son dossier n’est pas accessible en écriture.</translation>
    </message>
    <message>
        <source>Corvane could not write the new version next to %1.</source>
        <translation>Corvane n’a pas pu écrire la nouvelle version à côté de %1.</translation>
    </message>
    <message>
        <source>Corvane could not keep a backup of %1, so it left it unchanged.</source>
        <translation>Corvane n’a pas pu garder de copie de sauvegarde de %1 et l’a donc laissé inchangé.</translation>
    </message>
    <message>
        <source>Corvane could not move the new version into place.</source>
        <translation>Corvane n’a pas pu mettre la nouvelle version en place.</translation>
    </message>
</context>
<context>
    <name>WakeDecision</name>
    <message>
        <source>Corvane: keeping this computer awake while %1</source>
        <translation>Corvane&#xa0;: garde cet ordinateur éveillé tant que %1</translation>
    </message>
</context>
<context>
    <name>WakeDuration</name>
    <message>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1 h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
</context>
<context>
    <name>WakeSwitch</name>
    <message>
        <source>Keep awake</source>
        <translation>Garder éveillé</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Activé</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivé</translation>
    </message>
</context>
<context>
    <name>X11KeyGrab</name>
    <message>
        <source>There is no X display to register the shortcut with.</source>
        <translation>Aucun affichage X auprès duquel enregistrer le raccourci.</translation>
    </message>
    <message>
        <source>The keyboard has no key for %1.</source>
        <translation>Le clavier n’a pas de touche pour %1.</translation>
    </message>
    <message>
        <source>%1 is already used by another program.</source>
        <translation>%1 est déjà utilisé par un autre programme.</translation>
    </message>
    <message>
        <source>The X server refused %1.</source>
        <translation>Le serveur X a refusé %1.</translation>
    </message>
</context>
<context>
    <name>XfconfShortcut</name>
    <message>
        <source>XFCE&apos;s settings service does not answer (%1).</source>
        <translation>Le service de réglages de XFCE ne répond pas (%1).</translation>
    </message>
    <message>
        <source>XFCE cannot use %1 as a shortcut.</source>
        <translation>XFCE ne peut pas utiliser %1 comme raccourci.</translation>
    </message>
    <message>
        <source>%1 is already used by “%2”.</source>
        <translation>%1 est déjà utilisé par « %2 ».</translation>
    </message>
    <message>
        <source>XFCE&apos;s settings service refused %1 (%2).</source>
        <translation>Le service de réglages de XFCE a refusé %1 (%2).</translation>
    </message>
</context>
</TS>
