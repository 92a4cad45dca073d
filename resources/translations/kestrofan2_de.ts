<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>AboutWindow</name>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>Application icon</source>
        <translation>Programmsymbol</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>%1 (build %2)</source>
        <translation>%1 (Build %2)</translation>
    </message>
    <message>
        <source>Data folder:</source>
        <translation>Datenordner:</translation>
    </message>
    <message>
        <source>Download helper:</source>
        <translation>Download-Helfer:</translation>
    </message>
    <message>
        <source>Asking...</source>
        <translation>Wird abgefragt …</translation>
    </message>
    <message>
        <source>Licences</source>
        <translation>Lizenzen</translation>
    </message>
    <message>
        <source>&lt;p&gt;Kestrofan 2 browses media services and downloads their videos and audio.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Bundled with the program&lt;/b&gt;&lt;/p&gt;&lt;ul&gt;&lt;li&gt;Qt %1, The Qt Company and contributors: GNU Lesser General Public License, version 3&lt;/li&gt;&lt;li&gt;SQLite, through Qt&apos;s SQL driver: public domain&lt;/li&gt;&lt;li&gt;zlib, Jean-loup Gailly and Mark Adler: zlib licence&lt;/li&gt;&lt;li&gt;Icons, pictures and the bell sound: made for Kestrofan 2, under the program&apos;s own licence&lt;/li&gt;&lt;/ul&gt;&lt;p&gt;&lt;b&gt;Used from your system, not bundled&lt;/b&gt;&lt;/p&gt;&lt;ul&gt;&lt;li&gt;yt-dlp, the download helper: The Unlicense&lt;/li&gt;&lt;li&gt;FFmpeg: GNU Lesser General Public License 2.1 or later (some builds GNU General Public License)&lt;/li&gt;&lt;/ul&gt;</source>
        <translation>&lt;p&gt;Kestrofan 2 durchsucht Mediendienste und lädt deren Videos und Audio herunter.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Mit dem Programm ausgeliefert&lt;/b&gt;&lt;/p&gt;&lt;ul&gt;&lt;li&gt;Qt %1, The Qt Company und Mitwirkende: GNU Lesser General Public License, Version 3&lt;/li&gt;&lt;li&gt;SQLite, über Qts SQL-Treiber: gemeinfrei&lt;/li&gt;&lt;li&gt;zlib, Jean-loup Gailly und Mark Adler: zlib-Lizenz&lt;/li&gt;&lt;li&gt;Symbole, Bilder und der Glockenton: für Kestrofan 2 gemacht, unter der Lizenz des Programms&lt;/li&gt;&lt;/ul&gt;&lt;p&gt;&lt;b&gt;Vom System verwendet, nicht ausgeliefert&lt;/b&gt;&lt;/p&gt;&lt;ul&gt;&lt;li&gt;yt-dlp, der Download-Helfer: The Unlicense&lt;/li&gt;&lt;li&gt;FFmpeg: GNU Lesser General Public License 2.1 oder neuer (manche Builds GNU General Public License)&lt;/li&gt;&lt;/ul&gt;</translation>
    </message>
</context>
<context>
    <name>AddressBarForm</name>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vorwärts</translation>
    </message>
    <message>
        <source>Address or search keywords</source>
        <translation>Adresse oder Suchbegriffe</translation>
    </message>
    <message>
        <source>Services</source>
        <translation>Dienste</translation>
    </message>
    <message>
        <source>Services searched for plain words</source>
        <translation>Dienste, in denen nach Suchbegriffen gesucht wird</translation>
    </message>
    <message>
        <source>Services searched</source>
        <translation>Durchsuchte Dienste</translation>
    </message>
    <message>
        <source>The services are not loaded yet</source>
        <translation>Die Dienste sind noch nicht geladen</translation>
    </message>
    <message>
        <source>The URL is not supported</source>
        <translation>Die URL wird nicht unterstützt</translation>
    </message>
    <message>
        <source>None</source>
        <extracomment>No media services selected in address bar</extracomment>
        <translation>Keiner</translation>
    </message>
    <message>
        <source>Multiple</source>
        <translation>Mehrere</translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>%1 will now quit.</source>
        <translation>%1 wird jetzt beendet.</translation>
    </message>
</context>
<context>
    <name>BookmarkDialog</name>
    <message>
        <source>Add Bookmark</source>
        <translation>Lesezeichen hinzufügen</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>BookmarksForm</name>
    <message>
        <source>Bookmarks</source>
        <translation>Lesezeichen</translation>
    </message>
    <message>
        <source>Filter bookmarks by name or URL</source>
        <translation>Lesezeichen nach Name oder URL filtern</translation>
    </message>
    <message>
        <source>Filter...</source>
        <translation>Filtern …</translation>
    </message>
    <message>
        <source>Delete bookmark</source>
        <translation>Lesezeichen löschen</translation>
    </message>
</context>
<context>
    <name>BookmarksModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
</context>
<context>
    <name>BusyIndicator</name>
    <message>
        <source>Loading</source>
        <translation>Wird geladen</translation>
    </message>
</context>
<context>
    <name>ClearHistoryDialog</name>
    <message>
        <source>Please confirm clearing browsing history</source>
        <translation>Bitte das Löschen des Verlaufs bestätigen</translation>
    </message>
    <message>
        <source>Please confirm</source>
        <translation>Bitte bestätigen</translation>
    </message>
    <message>
        <source>Are you sure you want to clear the browsing history?</source>
        <translation>Soll der Verlauf wirklich gelöscht werden?</translation>
    </message>
</context>
<context>
    <name>DownloadRowTexts</name>
    <message>
        <source>Download Type: </source>
        <translation>Downloadtyp: </translation>
    </message>
    <message>
        <source>Calculating...</source>
        <translation>Wird berechnet …</translation>
    </message>
    <message>
        <source>Less than a minute</source>
        <translation>Weniger als eine Minute</translation>
    </message>
    <message numerus="yes">
        <source>About %Ln minute(s)</source>
        <comment>minute</comment>
        <translation>
            <numerusform>Etwa %Ln Minute</numerusform>
            <numerusform>Etwa %Ln Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>About %Ln hour(s)</source>
        <comment>hour</comment>
        <translation>
            <numerusform>Etwa %Ln Stunde</numerusform>
            <numerusform>Etwa %Ln Stunden</numerusform>
        </translation>
    </message>
    <message>
        <source>and</source>
        <translation>und</translation>
    </message>
    <message numerus="yes">
        <source>%Ln minute(s)</source>
        <comment>minute</comment>
        <translation>
            <numerusform>%Ln Minute</numerusform>
            <numerusform>%Ln Minuten</numerusform>
        </translation>
    </message>
    <message>
        <source>Remaining time:</source>
        <translation>Restzeit:</translation>
    </message>
    <message>
        <source>%1 MB of %2 MB</source>
        <translation>%1 MB von %2 MB</translation>
    </message>
    <message>
        <source>%1 KB/s</source>
        <translation>%1 KB/s</translation>
    </message>
    <message>
        <source>%1 MB/s</source>
        <translation>%1 MB/s</translation>
    </message>
    <message>
        <source>%1 — %2 %3%</source>
        <translation>%1 — %2 %3 %</translation>
    </message>
    <message>
        <source> | Source: </source>
        <translation> | Quelle: </translation>
    </message>
</context>
<context>
    <name>DownloadsForm</name>
    <message>
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Clean up</source>
        <translation>Aufräumen</translation>
    </message>
    <message>
        <source>Remove all inactive downloads from list</source>
        <translation>Alle inaktiven Downloads aus der Liste entfernen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Remove selected download(s) from list</source>
        <translation>Ausgewählte Downloads aus der Liste entfernen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausieren</translation>
    </message>
    <message>
        <source>Pause/resume download(s)</source>
        <translation>Downloads pausieren/fortsetzen</translation>
    </message>
    <message>
        <source>Download list</source>
        <translation>Download-Liste</translation>
    </message>
    <message>
        <source>Download actions</source>
        <translation>Download-Aktionen</translation>
    </message>
    <message>
        <source>Cancel download</source>
        <translation>Download abbrechen</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>Datei öffnen</translation>
    </message>
    <message>
        <source>Show file</source>
        <translation>Datei anzeigen</translation>
    </message>
    <message>
        <source>Copy video page URL to clipboard</source>
        <translation>URL der Videoseite in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Download again</source>
        <translation>Erneut herunterladen</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
</context>
<context>
    <name>EmptyPageData</name>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
</context>
<context>
    <name>FeedView</name>
    <message>
        <source>Playlist</source>
        <translation>Wiedergabeliste</translation>
    </message>
</context>
<context>
    <name>HelperVersionProbe</name>
    <message>
        <source>No download helper is installed.</source>
        <translation>Es ist kein Download-Helfer installiert.</translation>
    </message>
    <message>
        <source>The download helper did not tell its version.</source>
        <translation>Der Download-Helfer hat seine Version nicht genannt.</translation>
    </message>
    <message>
        <source>The download helper could not be started: %1</source>
        <translation>Der Download-Helfer konnte nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>The download helper did not answer in time.</source>
        <translation>Der Download-Helfer hat nicht rechtzeitig geantwortet.</translation>
    </message>
</context>
<context>
    <name>HistoryForm</name>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Filter history by name or URL</source>
        <translation>Verlauf nach Name oder URL filtern</translation>
    </message>
    <message>
        <source>Filter...</source>
        <translation>Filtern …</translation>
    </message>
</context>
<context>
    <name>HistoryModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>URL</source>
        <translation>URL</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
</context>
<context>
    <name>KObject</name>
    <message>
        <source>Oops...</source>
        <translation>Hoppla …</translation>
    </message>
</context>
<context>
    <name>KQOverlayLabel</name>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Not downloaded</source>
        <translation>Nicht heruntergeladen</translation>
    </message>
    <message>
        <source>%1 %2%</source>
        <translation>%1 %2 %</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>HD</source>
        <translation>HD</translation>
    </message>
</context>
<context>
    <name>MainTabsForm</name>
    <message>
        <source>Browsing tabs</source>
        <translation>Tabs</translation>
    </message>
    <message>
        <source>Create new tab</source>
        <translation>Neuen Tab öffnen</translation>
    </message>
    <message>
        <source>Close tab</source>
        <translation>Tab schließen</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Address bar</source>
        <translation>Adressleiste</translation>
    </message>
    <message>
        <source>Sections</source>
        <translation>Bereiche</translation>
    </message>
    <message>
        <source>No downloads yet.</source>
        <translation>Noch keine Downloads.</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Stöbern</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation>Lesezeichen</translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>Fenster</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>Extras</translation>
    </message>
    <message>
        <source>Feedback</source>
        <translation>Rückmeldung</translation>
    </message>
    <message>
        <source>New Tab</source>
        <translation>Neuer Tab</translation>
    </message>
    <message>
        <source>Close Tab</source>
        <translation>Tab schließen</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>Ausschneiden</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Add bookmark</source>
        <translation>Lesezeichen hinzufügen</translation>
    </message>
    <message>
        <source>Clear history...</source>
        <translation>Verlauf löschen …</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoomen</translation>
    </message>
    <message>
        <source>Previous tab</source>
        <translation>Vorheriger Tab</translation>
    </message>
    <message>
        <source>Next tab</source>
        <translation>Nächster Tab</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Email bug report/suggestion...</source>
        <translation>Fehlerbericht/Vorschlag per E-Mail …</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>No services loaded. Can&apos;t continue without &apos;em.</source>
        <translation>Keine Dienste geladen. Ohne sie geht es nicht weiter.</translation>
    </message>
    <message>
        <source>Downloads cannot be started in this build.</source>
        <translation>In dieser Version können keine Downloads gestartet werden.</translation>
    </message>
    <message>
        <source>Loading...</source>
        <extracomment>Loading a page</extracomment>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Error loading page</source>
        <translation>Fehler beim Laden der Seite</translation>
    </message>
    <message>
        <source>Page request timed out</source>
        <translation>Zeitüberschreitung beim Laden der Seite</translation>
    </message>
    <message>
        <source>
Kestrofan %1, build %2</source>
        <translation>
Kestrofan %1, Build %2</translation>
    </message>
    <message>
        <source>Playback needs the download helper, which is not set up.</source>
        <translation>Für die Wiedergabe wird der Download-Helfer benötigt, er ist aber nicht eingerichtet.</translation>
    </message>
    <message>
        <source>Buffering...</source>
        <translation>Wird gepuffert …</translation>
    </message>
</context>
<context>
    <name>MediaDescriptor</name>
    <message>
        <source>audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Medium (360p)</source>
        <translation>Mittel (360p)</translation>
    </message>
    <message>
        <source>Large (480p)</source>
        <translation>Groß (480p)</translation>
    </message>
    <message>
        <source>HD (720p)</source>
        <translation>HD (720p)</translation>
    </message>
    <message>
        <source>HD (1080p)</source>
        <translation>HD (1080p)</translation>
    </message>
    <message>
        <source>Biggest available</source>
        <translation>Größte verfügbare</translation>
    </message>
</context>
<context>
    <name>MediaFeedContainer</name>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Thumbnails view</source>
        <translation>Miniaturansicht</translation>
    </message>
    <message>
        <source>List view</source>
        <translation>Listenansicht</translation>
    </message>
    <message>
        <source>Download all</source>
        <translation>Alle herunterladen</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>Vorherige Seite</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>Nächste Seite</translation>
    </message>
    <message>
        <source>Feed items</source>
        <translation>Feed-Einträge</translation>
    </message>
    <message>
        <source>No results</source>
        <translation>Keine Ergebnisse</translation>
    </message>
    <message>
        <source>More results expected, but none available</source>
        <translation>Weitere Ergebnisse erwartet, aber keine verfügbar</translation>
    </message>
    <message>
        <source>Page %1, total results unknown</source>
        <translation>Seite %1, Gesamtzahl der Ergebnisse unbekannt</translation>
    </message>
    <message>
        <source>Page %1 of %2, %3 results in total</source>
        <translation>Seite %1 von %2, insgesamt %3 Ergebnisse</translation>
    </message>
    <message>
        <source>Please confirm download of multiple items</source>
        <translation>Bitte das Herunterladen mehrerer Einträge bestätigen</translation>
    </message>
    <message>
        <source>You are about to download %1 items as %2.</source>
        <translation>Sie sind dabei, %1 Einträge als %2 herunterzuladen.</translation>
    </message>
</context>
<context>
    <name>MediaItemFormController</name>
    <message>
        <source>No web browser could open %1.</source>
        <translation>Kein Webbrowser konnte %1 öffnen.</translation>
    </message>
    <message>
        <source>The downloaded file cannot be shown.</source>
        <translation>Die heruntergeladene Datei kann nicht angezeigt werden.</translation>
    </message>
    <message>
        <source>Media actions</source>
        <translation>Medienaktionen</translation>
    </message>
    <message>
        <source>Open video in new tab</source>
        <translation>Video in neuem Tab öffnen</translation>
    </message>
    <message>
        <source>Open video in web browser</source>
        <translation>Video im Webbrowser öffnen</translation>
    </message>
    <message>
        <source>Copy video URL to clipboard</source>
        <translation>Video-URL in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Bookmark video</source>
        <translation>Lesezeichen für das Video hinzufügen</translation>
    </message>
    <message>
        <source>Download as video</source>
        <translation>Als Video herunterladen</translation>
    </message>
    <message>
        <source>Download as audio</source>
        <translation>Als Audio herunterladen</translation>
    </message>
    <message>
        <source>Cancel download</source>
        <translation>Download abbrechen</translation>
    </message>
    <message>
        <source>Show downloaded file</source>
        <translation>Heruntergeladene Datei anzeigen</translation>
    </message>
    <message>
        <source>User actions</source>
        <translation>Benutzeraktionen</translation>
    </message>
    <message>
        <source>Open user channel in new tab</source>
        <translation>Kanal des Benutzers in neuem Tab öffnen</translation>
    </message>
    <message>
        <source>Open user channel in browser</source>
        <translation>Kanal des Benutzers im Browser öffnen</translation>
    </message>
    <message>
        <source>Copy user channel URL to clipboard</source>
        <translation>URL des Benutzerkanals in die Zwischenablage kopieren</translation>
    </message>
</context>
<context>
    <name>MediaItemListForm</name>
    <message>
        <source>HD</source>
        <translation>HD</translation>
    </message>
    <message numerus="yes">
        <source>%Ln views</source>
        <extracomment>Number of times a video has been viewed</extracomment>
        <translation>
            <numerusform>%Ln Aufruf</numerusform>
            <numerusform>%Ln Aufrufe</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MediaItemParts</name>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Uploader %1</source>
        <translation>Hochgeladen von %1</translation>
    </message>
    <message>
        <source>%Ln likes</source>
        <translation type="unfinished">%Ln Like</translation>
    </message>
</context>
<context>
    <name>MediaItemViewBase</name>
    <message>
        <source>Currently streaming</source>
        <translation>Gerade live</translation>
    </message>
</context>
<context>
    <name>MediaPageData</name>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
</context>
<context>
    <name>MediaTexts</name>
    <message>
        <source>Today</source>
        <translation>Heute</translation>
    </message>
    <message>
        <source>%1 day ago</source>
        <translation>vor %1 Tag</translation>
    </message>
    <message>
        <source>%1 days ago</source>
        <translation>vor %1 Tagen</translation>
    </message>
    <message>
        <source>%1 week ago</source>
        <translation>vor %1 Woche</translation>
    </message>
    <message>
        <source>%1 weeks ago</source>
        <translation>vor %1 Wochen</translation>
    </message>
    <message>
        <source>%1 month ago</source>
        <translation>vor %1 Monat</translation>
    </message>
    <message>
        <source>%1 months ago</source>
        <translation>vor %1 Monaten</translation>
    </message>
    <message>
        <source>%1 year ago</source>
        <translation>vor %1 Jahr</translation>
    </message>
    <message>
        <source>%1 years ago</source>
        <translation>vor %1 Jahren</translation>
    </message>
    <message>
        <source>Today at</source>
        <translation>Heute um</translation>
    </message>
    <message>
        <source>Yesterday at</source>
        <translation>Gestern um</translation>
    </message>
</context>
<context>
    <name>MediaTopForm</name>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Uploader</source>
        <translation>Hochgeladen von</translation>
    </message>
    <message>
        <source>Publish date</source>
        <translation>Veröffentlicht</translation>
    </message>
    <message>
        <source>Views</source>
        <translation>Aufrufe</translation>
    </message>
    <message>
        <source>Likes</source>
        <translation>Likes</translation>
    </message>
    <message>
        <source>Rating</source>
        <translation>Bewertung</translation>
    </message>
    <message>
        <source>Media Options</source>
        <translation>Medienoptionen</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>HD</source>
        <translation>HD</translation>
    </message>
</context>
<context>
    <name>NewAppVersionAvailableDialog</name>
    <message>
        <source>New Version Available</source>
        <translation>Neue Version verfügbar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>New version %1</source>
        <translation>Neue Version %1</translation>
    </message>
</context>
<context>
    <name>PageForm</name>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Related media not available</source>
        <translation>Keine ähnlichen Medien verfügbar</translation>
    </message>
    <message>
        <source>Related</source>
        <translation>Ähnliche</translation>
    </message>
    <message>
        <source>Feeds</source>
        <translation>Feeds</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Wird geladen</translation>
    </message>
</context>
<context>
    <name>PageListForm</name>
    <message>
        <source>Copy URL</source>
        <translation>URL kopieren</translation>
    </message>
    <message>
        <source>Open URL</source>
        <translation>URL öffnen</translation>
    </message>
    <message>
        <source>Open URL in new tab</source>
        <translation>URL in neuem Tab öffnen</translation>
    </message>
</context>
<context>
    <name>PlaylistItemForm</name>
    <message>
        <source>Playlist</source>
        <translation>Wiedergabeliste</translation>
    </message>
    <message>
        <source>Playlist actions</source>
        <translation>Wiedergabelisten-Aktionen</translation>
    </message>
    <message>
        <source>Open playlist in new tab</source>
        <translation>Wiedergabeliste in neuem Tab öffnen</translation>
    </message>
    <message>
        <source>Show playlist in browser</source>
        <translation>Wiedergabeliste im Browser anzeigen</translation>
    </message>
</context>
<context>
    <name>PlaylistPageData</name>
    <message>
        <source>Playlist: </source>
        <translation>Wiedergabeliste: </translation>
    </message>
</context>
<context>
    <name>PluginUpdateFlow</name>
    <message>
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <source>Try again</source>
        <translation>Erneut versuchen</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Kestrofan 2 Preferences </source>
        <translation>Kestrofan 2 Einstellungen </translation>
    </message>
    <message>
        <source>Download location:</source>
        <translation>Download-Ordner:</translation>
    </message>
    <message>
        <source>Change...</source>
        <translation>Ändern …</translation>
    </message>
    <message>
        <source>Default download type:</source>
        <translation>Standard-Downloadtyp:</translation>
    </message>
    <message>
        <source>Services:</source>
        <translation>Dienste:</translation>
    </message>
    <message>
        <source>Service</source>
        <translation>Dienst</translation>
    </message>
    <message>
        <source>Show content marked as adult</source>
        <translation>Als nicht jugendfrei markierte Inhalte zeigen</translation>
    </message>
    <message>
        <source>Preferred download resolution:</source>
        <translation>Bevorzugte Auflösung:</translation>
    </message>
    <message>
        <source>Download as selected resolution if available. If not available, Kestrofan will pick next best resolution.</source>
        <translation>In der gewählten Auflösung herunterladen, wenn vorhanden. Sonst wählt Kestrofan die nächstbeste Auflösung.</translation>
    </message>
    <message>
        <source>Destination audio format:</source>
        <translation>Audio-Zielformat:</translation>
    </message>
    <message>
        <source>Destination video format:</source>
        <translation>Video-Zielformat:</translation>
    </message>
    <message>
        <source>Media conversion threads:</source>
        <translation>Threads für die Umwandlung:</translation>
    </message>
    <message>
        <source>Number of threads to use for media conversion. More threads converts faster, but uses more CPU power.</source>
        <translation>Anzahl der Threads für die Umwandlung. Mehr Threads wandeln schneller um, brauchen aber mehr Rechenleistung.</translation>
    </message>
    <message>
        <source>Fewer threads means less CPU utilization.</source>
        <translation>Weniger Threads bedeuten weniger Prozessorlast.</translation>
    </message>
    <message>
        <source>Audio conversion options</source>
        <translation>Audio-Umwandlung</translation>
    </message>
    <message>
        <source>Always convert to selected format</source>
        <translation>Immer in das gewählte Format umwandeln</translation>
    </message>
    <message>
        <source>Downloaded audio will be converted to the selected format. 
Note that a conversion will always result in a quality loss.</source>
        <translation>Heruntergeladenes Audio wird in das gewählte Format umgewandelt. 
Jede Umwandlung kostet Qualität.</translation>
    </message>
    <message>
        <source>Prefer AAC if available (no conversion)</source>
        <translation>AAC bevorzugen, wenn vorhanden (keine Umwandlung)</translation>
    </message>
    <message>
        <source>If the best version of the selected media has AAC audio, there will be no conversion (and hence no quality loss).
The downloaded file will be wrapped in a M4A container with the .m4a file extension.
AAC audio is mostly used in the very common MP4 video container. </source>
        <translation>Hat die beste Fassung des Mediums AAC-Audio, wird nicht umgewandelt (also ohne Qualitätsverlust).
Die Datei wird in einen M4A-Container mit der Endung .m4a verpackt.
AAC-Audio steckt meist im sehr verbreiteten MP4-Videocontainer. </translation>
    </message>
    <message>
        <source>Prefer Vorbis if available (no conversion)</source>
        <translation>Vorbis bevorzugen, wenn vorhanden (keine Umwandlung)</translation>
    </message>
    <message>
        <source>If the best version of the selected media has Vorbis audio, there will be no conversion (and hence no quality loss).
The downloaded file will be saved with the .ogg file extension.
Vorbis audio is used in the WEBM video container.</source>
        <translation>Hat die beste Fassung des Mediums Vorbis-Audio, wird nicht umgewandelt (also ohne Qualitätsverlust).
Die Datei wird mit der Endung .ogg gespeichert.
Vorbis-Audio steckt im WEBM-Videocontainer.</translation>
    </message>
    <message>
        <source>When download queue finishes:</source>
        <translation>Wenn die Download-Warteschlange fertig ist:</translation>
    </message>
    <message>
        <source>Show notification popup</source>
        <translation>Benachrichtigung anzeigen</translation>
    </message>
    <message>
        <source>Sound bell</source>
        <translation>Glocke läuten</translation>
    </message>
    <message>
        <source>Video player application:</source>
        <translation>Videoprogramm:</translation>
    </message>
    <message>
        <source>Select...</source>
        <translation>Auswählen …</translation>
    </message>
    <message>
        <source>Audio player application:</source>
        <translation>Audioprogramm:</translation>
    </message>
    <message>
        <source>Media player playlists:</source>
        <translation>Wiedergabelisten:</translation>
    </message>
    <message>
        <source>Add downloaded audio files to a playlist in the Music folder</source>
        <translation>Heruntergeladene Audiodateien einer Wiedergabeliste im Musikordner hinzufügen</translation>
    </message>
    <message>
        <source>Playlist name:</source>
        <translation>Name der Liste:</translation>
    </message>
    <message>
        <source>Add downloaded video files to a playlist in the Music folder</source>
        <translation>Heruntergeladene Videodateien einer Wiedergabeliste im Musikordner hinzufügen</translation>
    </message>
    <message>
        <source>Delete original files when added to a playlist</source>
        <translation>Originaldateien löschen, wenn sie einer Liste hinzugefügt wurden</translation>
    </message>
    <message>
        <source>Preference pages</source>
        <translation>Einstellungsseiten</translation>
    </message>
    <message>
        <source>System default</source>
        <translation>Systemstandard</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Services</source>
        <translation>Dienste</translation>
    </message>
    <message>
        <source>Media Formats</source>
        <translation>Medienformate</translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation>Benachrichtigungen</translation>
    </message>
    <message>
        <source>Applications</source>
        <translation>Programme</translation>
    </message>
    <message>
        <source>iTunes integration:</source>
        <translation>iTunes-Anbindung:</translation>
    </message>
    <message>
        <source>Add downloaded audio files to iTunes library</source>
        <translation>Heruntergeladene Audiodateien zur iTunes-Mediathek hinzufügen</translation>
    </message>
    <message>
        <source>Add downloaded video files to iTunes library</source>
        <translation>Heruntergeladene Videodateien zur iTunes-Mediathek hinzufügen</translation>
    </message>
    <message>
        <source>Delete original files when added to iTunes library</source>
        <translation>Originaldateien löschen, wenn sie zur iTunes-Mediathek hinzugefügt wurden</translation>
    </message>
    <message>
        <source>An extended M3U playlist of this name in your Music folder (%1), created when missing.</source>
        <translation>Eine erweiterte M3U-Wiedergabeliste dieses Namens in Ihrem Musikordner (%1), die bei Bedarf angelegt wird.</translation>
    </message>
    <message>
        <source>A playlist only refers to the file, so the downloaded file is always kept.</source>
        <translation>Eine Wiedergabeliste verweist nur auf die Datei, darum bleibt die heruntergeladene Datei immer erhalten.</translation>
    </message>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Audio</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>Keep original size</source>
        <translation>Originalgröße behalten</translation>
    </message>
    <message>
        <source>Select directory for downloaded files</source>
        <translation>Ordner für heruntergeladene Dateien wählen</translation>
    </message>
    <message>
        <source>The path does not exist</source>
        <translation>Der Pfad existiert nicht</translation>
    </message>
    <message>
        <source>Conversion to specific devices may take a very long time.

Unless you have specific needs (limited storage on your device, for example), you are almost always better off using the &quot;Keep Original Size&quot; formats in the beginning of this option list.

Newer devices can easily handle and scale HD videos, and there&apos;s no need to convert the size.</source>
        <translation>Die Umwandlung für bestimmte Geräte kann sehr lange dauern.

Wenn Sie keine besonderen Anforderungen haben (etwa wenig Speicher auf dem Gerät), fahren Sie mit den Formaten „Originalgröße behalten“ am Anfang dieser Liste fast immer besser.

Neuere Geräte kommen mit HD-Videos gut zurecht und skalieren sie selbst; die Größe muss nicht umgewandelt werden.</translation>
    </message>
    <message>
        <source>Application</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>Select video player application</source>
        <translation>Videoprogramm wählen</translation>
    </message>
    <message>
        <source>Select audio player application</source>
        <translation>Audioprogramm wählen</translation>
    </message>
</context>
<context>
    <name>ProcessingStates</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation>Wartet</translation>
    </message>
    <message>
        <source>Connecting</source>
        <translation>Verbinde</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Lädt herunter</translation>
    </message>
    <message>
        <source>Resuming</source>
        <translation>Wird fortgesetzt</translation>
    </message>
    <message>
        <source>Converting</source>
        <translation>Wird umgewandelt</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>Buffering...</source>
        <translation>Wird gepuffert …</translation>
    </message>
    <message>
        <source>Playing</source>
        <translation>Wird abgespielt</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Pausiert</translation>
    </message>
    <message>
        <source>Unknown state</source>
        <translation>Unbekannter Zustand</translation>
    </message>
</context>
<context>
    <name>QueueFinishedNotifier</name>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
</context>
<context>
    <name>RatingWidget</name>
    <message>
        <source>Rating %1 of %2</source>
        <translation>Bewertung %1 von %2</translation>
    </message>
</context>
<context>
    <name>SearchPageData</name>
    <message>
        <source>Results for</source>
        <extracomment>(Search) Results for (something)</extracomment>
        <translation>Ergebnisse für</translation>
    </message>
</context>
<context>
    <name>ServicePluginUpdateDialog</name>
    <message>
        <source>Checking for service plugin updates</source>
        <translation>Suche nach Aktualisierungen der Dienst-Plugins</translation>
    </message>
    <message>
        <source>New service updates available</source>
        <translation>Neue Dienst-Aktualisierungen verfügbar</translation>
    </message>
    <message>
        <source>Service updates usually takes a few moments - no restart required</source>
        <translation>Dienst-Aktualisierungen dauern meist nur einen Moment – kein Neustart nötig</translation>
    </message>
    <message>
        <source>Please wait while downloading and installing the updates. This should only take a few moments.</source>
        <translation>Bitte warten, die Aktualisierungen werden heruntergeladen und installiert. Das dauert nur einen Moment.</translation>
    </message>
    <message>
        <source>Update later</source>
        <translation>Später aktualisieren</translation>
    </message>
    <message>
        <source>Update now</source>
        <translation>Jetzt aktualisieren</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Kestrofan Plugin Update</source>
        <translation>Kestrofan-Plugin-Aktualisierung</translation>
    </message>
    <message>
        <source>Checking for necessary service plugins and helpers</source>
        <translation>Suche nach benötigten Dienst-Plugins und Helfern</translation>
    </message>
    <message>
        <source>Please wait while checking for new or updated plugins</source>
        <translation>Bitte warten, es wird nach neuen oder aktualisierten Plugins gesucht</translation>
    </message>
    <message>
        <source>Pending updates</source>
        <translation>Ausstehende Aktualisierungen</translation>
    </message>
    <message>
        <source>Installation log</source>
        <translation>Installationsprotokoll</translation>
    </message>
    <message>
        <source>No service updates available</source>
        <translation>Keine Dienst-Aktualisierungen verfügbar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>%1 service</source>
        <translation>Dienst %1</translation>
    </message>
</context>
<context>
    <name>StartupHomeForm</name>
    <message>
        <source>Hi! It seems like you are using Kestrofan for the first time.

The following settings has been configured for you automatically:</source>
        <translation>Hallo! Sie benutzen Kestrofan anscheinend zum ersten Mal.

Diese Einstellungen wurden automatisch für Sie gewählt:</translation>
    </message>
    <message>
        <source>Download location:</source>
        <translation>Download-Ordner:</translation>
    </message>
    <message>
        <source>Default download type:</source>
        <translation>Standard-Downloadtyp:</translation>
    </message>
    <message>
        <source>Destination audio format:</source>
        <translation>Audio-Zielformat:</translation>
    </message>
    <message>
        <source>Destination video format:</source>
        <translation>Video-Zielformat:</translation>
    </message>
    <message>
        <source>Add downloaded audio files to a playlist:</source>
        <translation>Audiodateien einer Wiedergabeliste hinzufügen:</translation>
    </message>
    <message>
        <source>If you want to change these settings, click the button &quot;Open Preferences&quot; below.</source>
        <translation>Um diese Einstellungen zu ändern, klicken Sie unten auf „Einstellungen öffnen“.</translation>
    </message>
    <message>
        <source>Open Preferences</source>
        <translation>Einstellungen öffnen</translation>
    </message>
    <message>
        <source>Add downloaded audio files to iTunes:</source>
        <translation>Audiodateien zu iTunes hinzufügen:</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
</context>
<context>
    <name>StatusBarPickers</name>
    <message>
        <source>Page status</source>
        <translation>Seitenstatus</translation>
    </message>
    <message>
        <source>Set download format as video or audio</source>
        <translation>Download als Video oder Audio festlegen</translation>
    </message>
    <message>
        <source>Download format</source>
        <translation>Download-Format</translation>
    </message>
    <message>
        <source>Download as audio</source>
        <translation>Als Audio herunterladen</translation>
    </message>
    <message>
        <source>Download as video</source>
        <translation>Als Video herunterladen</translation>
    </message>
    <message>
        <source>Preferred video size</source>
        <translation>Bevorzugte Videogröße</translation>
    </message>
    <message>
        <source>Video size</source>
        <translation>Videogröße</translation>
    </message>
</context>
<context>
    <name>UserTopForm</name>
    <message>
        <source>User / Channel</source>
        <translation>Benutzer / Kanal</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Ort</translation>
    </message>
    <message>
        <source>Subscribers</source>
        <translation>Abonnenten</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Playlists</source>
        <translation>Wiedergabelisten</translation>
    </message>
    <message>
        <source>User actions</source>
        <translation>Benutzeraktionen</translation>
    </message>
    <message>
        <source>Open user channel in new tab</source>
        <translation>Kanal des Benutzers in neuem Tab öffnen</translation>
    </message>
    <message>
        <source>Open user channel in browser</source>
        <translation>Kanal des Benutzers im Browser öffnen</translation>
    </message>
    <message>
        <source>Copy user channel URL to clipboard</source>
        <translation>URL des Benutzerkanals in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>k. A.</translation>
    </message>
</context>
<context>
    <name>WebAuthDialog</name>
    <message>
        <source>Log in</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>This item is only available for logged in users. 
Kestrofan needs your username and password for %1 in order to download it.</source>
        <translation>Dieser Eintrag ist nur für angemeldete Benutzer verfügbar. 
Kestrofan braucht Ihren Benutzernamen und Ihr Passwort für %1, um ihn herunterzuladen.</translation>
    </message>
    <message>
        <source>Username</source>
        <translation>Benutzername</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Save for later</source>
        <translation>Für später speichern</translation>
    </message>
    <message>
        <source>Warning: Saved passwords are saved on your computer using weak encryption.</source>
        <translation>Achtung: Gespeicherte Passwörter liegen nur schwach verschlüsselt auf Ihrem Rechner.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Check message</source>
        <translation>Prüfmeldung</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Attempting to log into %1 account, please wait...</source>
        <extracomment>Variable is service account name, for example youtube</extracomment>
        <translation>Anmeldung bei %1 läuft, bitte warten …</translation>
    </message>
    <message>
        <source>Successfully logged into %1</source>
        <translation>Bei %1 angemeldet</translation>
    </message>
    <message>
        <source>Could not log in to %1</source>
        <translation>Anmeldung bei %1 fehlgeschlagen</translation>
    </message>
    <message>
        <source>Saved passwords are kept in your desktop keyring.</source>
        <translation>Gespeicherte Passwörter liegen im Schlüsselbund Ihres Desktops.</translation>
    </message>
</context>
</TS>
