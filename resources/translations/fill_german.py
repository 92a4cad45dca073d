#!/usr/bin/env python3
"""Fills kestrofan2_de.ts with the German texts below (run after update_translations).

Texts without a German entry stay unfinished, and the script says which.
"""
import sys
import xml.etree.ElementTree as ET

GERMAN = {
    'About %1': 'Über %1',
    'Application icon': 'Programmsymbol',
    'Version:': 'Version:',
    '%1 (build %2)': '%1 (Build %2)',
    'Data folder:': 'Datenordner:',
    'Download helper:': 'Download-Helfer:',
    'Asking...': 'Wird abgefragt …',
    'Licences': 'Lizenzen',
    "<p>Kestrofan 2 browses media services and downloads their videos and audio.</p><p><b>Bundled with the program</b></p><ul><li>Qt %1, The Qt Company and contributors: GNU Lesser General Public License, version 3</li><li>SQLite, through Qt's SQL driver: public domain</li><li>zlib, Jean-loup Gailly and Mark Adler: zlib licence</li><li>Icons, pictures and the bell sound: made for Kestrofan 2, under the program's own licence</li></ul><p><b>Used from your system, not bundled</b></p><ul><li>yt-dlp, the download helper: The Unlicense</li><li>FFmpeg: GNU Lesser General Public License 2.1 or later (some builds GNU General Public License)</li></ul>":
        "<p>Kestrofan 2 durchsucht Mediendienste und lädt deren Videos und Audio herunter.</p><p><b>Mit dem Programm ausgeliefert</b></p><ul><li>Qt %1, The Qt Company und Mitwirkende: GNU Lesser General Public License, Version 3</li><li>SQLite, über Qts SQL-Treiber: gemeinfrei</li><li>zlib, Jean-loup Gailly und Mark Adler: zlib-Lizenz</li><li>Symbole, Bilder und der Glockenton: für Kestrofan 2 gemacht, unter der Lizenz des Programms</li></ul><p><b>Vom System verwendet, nicht ausgeliefert</b></p><ul><li>yt-dlp, der Download-Helfer: The Unlicense</li><li>FFmpeg: GNU Lesser General Public License 2.1 oder neuer (manche Builds GNU General Public License)</li></ul>",
    '%1 will now quit.': '%1 wird jetzt beendet.',
    'Add Bookmark': 'Lesezeichen hinzufügen',
    'Title:': 'Titel:',
    'Cancel': 'Abbrechen',
    'Bookmarks': 'Lesezeichen',
    'Filter bookmarks by name or URL': 'Lesezeichen nach Name oder URL filtern',
    'Filter...': 'Filtern …',
    'Delete bookmark': 'Lesezeichen löschen',
    'Name': 'Name',
    'URL': 'URL',
    'Date': 'Datum',
    'Please confirm clearing browsing history': 'Bitte das Löschen des Verlaufs bestätigen',
    'Please confirm': 'Bitte bestätigen',
    'Are you sure you want to clear the browsing history?': 'Soll der Verlauf wirklich gelöscht werden?',
    'Today at': 'Heute um',
    'Yesterday at': 'Gestern um',
    'No download helper is installed.': 'Es ist kein Download-Helfer installiert.',
    'The download helper did not tell its version.': 'Der Download-Helfer hat seine Version nicht genannt.',
    'The download helper could not be started: %1': 'Der Download-Helfer konnte nicht gestartet werden: %1',
    'The download helper did not answer in time.': 'Der Download-Helfer hat nicht rechtzeitig geantwortet.',
    'History': 'Verlauf',
    'Filter history by name or URL': 'Verlauf nach Name oder URL filtern',
    'Oops...': 'Hoppla …',
    'Copy URL': 'URL kopieren',
    'Open URL': 'URL öffnen',
    'Open URL in new tab': 'URL in neuem Tab öffnen',
    '<h2>Kestrofan 2</h2>': '<h2>Kestrofan 2</h2>',
    'Version %1 (build %2)<br>Data folder: %3<br>Downloads go to: %4': 'Version %1 (Build %2)<br>Datenordner: %3<br>Downloads landen in: %4',
    'Tools': 'Extras',
    'About': 'Über',
    'Options': 'Einstellungen',
    'Ctrl+,': 'Ctrl+,',
    'Asked to open %1': 'Aufgefordert, %1 zu öffnen',
    'Kestrofan 2 Preferences ': 'Kestrofan 2 Einstellungen ',
    'Download location:': 'Download-Ordner:',
    'Change...': 'Ändern …',
    'Default download type:': 'Standard-Downloadtyp:',
    'Services:': 'Dienste:',
    'Service': 'Dienst',
    'Show content marked as adult': 'Als nicht jugendfrei markierte Inhalte zeigen',
    'Preferred download resolution:': 'Bevorzugte Auflösung:',
    'Download as selected resolution if available. If not available, Kestrofan will pick next best resolution.':
        'In der gewählten Auflösung herunterladen, wenn vorhanden. Sonst wählt Kestrofan die nächstbeste Auflösung.',
    'Destination audio format:': 'Audio-Zielformat:',
    'Destination video format:': 'Video-Zielformat:',
    'Media conversion threads:': 'Threads für die Umwandlung:',
    'Number of threads to use for media conversion. More threads converts faster, but uses more CPU power.':
        'Anzahl der Threads für die Umwandlung. Mehr Threads wandeln schneller um, brauchen aber mehr Rechenleistung.',
    'Fewer threads means less CPU utilization.': 'Weniger Threads bedeuten weniger Prozessorlast.',
    'Audio conversion options': 'Audio-Umwandlung',
    'Always convert to selected format': 'Immer in das gewählte Format umwandeln',
    'Downloaded audio will be converted to the selected format. \nNote that a conversion will always result in a quality loss.':
        'Heruntergeladenes Audio wird in das gewählte Format umgewandelt. \nJede Umwandlung kostet Qualität.',
    'Prefer AAC if available (no conversion)': 'AAC bevorzugen, wenn vorhanden (keine Umwandlung)',
    'If the best version of the selected media has AAC audio, there will be no conversion (and hence no quality loss).\nThe downloaded file will be wrapped in a M4A container with the .m4a file extension.\nAAC audio is mostly used in the very common MP4 video container. ':
        'Hat die beste Fassung des Mediums AAC-Audio, wird nicht umgewandelt (also ohne Qualitätsverlust).\nDie Datei wird in einen M4A-Container mit der Endung .m4a verpackt.\nAAC-Audio steckt meist im sehr verbreiteten MP4-Videocontainer. ',
    'Prefer Vorbis if available (no conversion)': 'Vorbis bevorzugen, wenn vorhanden (keine Umwandlung)',
    'If the best version of the selected media has Vorbis audio, there will be no conversion (and hence no quality loss).\nThe downloaded file will be saved with the .ogg file extension.\nVorbis audio is used in the WEBM video container.':
        'Hat die beste Fassung des Mediums Vorbis-Audio, wird nicht umgewandelt (also ohne Qualitätsverlust).\nDie Datei wird mit der Endung .ogg gespeichert.\nVorbis-Audio steckt im WEBM-Videocontainer.',
    'When download queue finishes:': 'Wenn die Download-Warteschlange fertig ist:',
    'Show notification popup': 'Benachrichtigung anzeigen',
    'Sound bell': 'Glocke läuten',
    'Video player application:': 'Videoprogramm:',
    'Select...': 'Auswählen …',
    'Audio player application:': 'Audioprogramm:',
    'Media player playlists:': 'Wiedergabelisten:',
    'Add downloaded audio files to a playlist in the Music folder': 'Heruntergeladene Audiodateien einer Wiedergabeliste im Musikordner hinzufügen',
    'Playlist name:': 'Name der Liste:',
    'Add downloaded video files to a playlist in the Music folder': 'Heruntergeladene Videodateien einer Wiedergabeliste im Musikordner hinzufügen',
    'Delete original files when added to a playlist': 'Originaldateien löschen, wenn sie einer Liste hinzugefügt wurden',
    'Preference pages': 'Einstellungsseiten',
    'System default': 'Systemstandard',
    'Download': 'Download',
    'Services': 'Dienste',
    'Media Formats': 'Medienformate',
    'Notifications': 'Benachrichtigungen',
    'Applications': 'Programme',
    'iTunes integration:': 'iTunes-Anbindung:',
    'Add downloaded audio files to iTunes library': 'Heruntergeladene Audiodateien zur iTunes-Mediathek hinzufügen',
    'Add downloaded video files to iTunes library': 'Heruntergeladene Videodateien zur iTunes-Mediathek hinzufügen',
    'Delete original files when added to iTunes library': 'Originaldateien löschen, wenn sie zur iTunes-Mediathek hinzugefügt wurden',
    'An extended M3U playlist of this name in your Music folder (%1), created when missing.':
        'Eine erweiterte M3U-Wiedergabeliste dieses Namens in Ihrem Musikordner (%1), die bei Bedarf angelegt wird.',
    'A playlist only refers to the file, so the downloaded file is always kept.':
        'Eine Wiedergabeliste verweist nur auf die Datei, darum bleibt die heruntergeladene Datei immer erhalten.',
    'Video': 'Video',
    'Audio': 'Audio',
    'Keep original size': 'Originalgröße behalten',
    'Select directory for downloaded files': 'Ordner für heruntergeladene Dateien wählen',
    'The path does not exist': 'Der Pfad existiert nicht',
    'Conversion to specific devices may take a very long time.\n\nUnless you have specific needs (limited storage on your device, for example), you are almost always better off using the "Keep Original Size" formats in the beginning of this option list.\n\nNewer devices can easily handle and scale HD videos, and there\'s no need to convert the size.':
        'Die Umwandlung für bestimmte Geräte kann sehr lange dauern.\n\nWenn Sie keine besonderen Anforderungen haben (etwa wenig Speicher auf dem Gerät), fahren Sie mit den Formaten „Originalgröße behalten“ am Anfang dieser Liste fast immer besser.\n\nNeuere Geräte kommen mit HD-Videos gut zurecht und skalieren sie selbst; die Größe muss nicht umgewandelt werden.',
    'Application': 'Programm',
    'Select video player application': 'Videoprogramm wählen',
    'Select audio player application': 'Audioprogramm wählen',
    'Show': 'Anzeigen',
    'Hi! It seems like you are using Kestrofan for the first time.\n\nThe following settings has been configured for you automatically:':
        'Hallo! Sie benutzen Kestrofan anscheinend zum ersten Mal.\n\nDiese Einstellungen wurden automatisch für Sie gewählt:',
    'Add downloaded audio files to a playlist:': 'Audiodateien einer Wiedergabeliste hinzufügen:',
    'If you want to change these settings, click the button "Open Preferences" below.':
        'Um diese Einstellungen zu ändern, klicken Sie unten auf „Einstellungen öffnen“.',
    'Open Preferences': 'Einstellungen öffnen',
    'Add downloaded audio files to iTunes:': 'Audiodateien zu iTunes hinzufügen:',
    'Yes': 'Ja',
    'No': 'Nein',
    'Log in': 'Anmelden',
    'This item is only available for logged in users. \nKestrofan needs your username and password for %1 in order to download it.':
        'Dieser Eintrag ist nur für angemeldete Benutzer verfügbar. \nKestrofan braucht Ihren Benutzernamen und Ihr Passwort für %1, um ihn herunterzuladen.',
    'Username': 'Benutzername',
    'Password': 'Passwort',
    'Save for later': 'Für später speichern',
    'Warning: Saved passwords are saved on your computer using weak encryption.':
        'Achtung: Gespeicherte Passwörter liegen nur schwach verschlüsselt auf Ihrem Rechner.',
    'OK': 'OK',
    'Check message': 'Prüfmeldung',
    'Back': 'Zurück',
    'Attempting to log into %1 account, please wait...': 'Anmeldung bei %1 läuft, bitte warten …',
    'Successfully logged into %1': 'Bei %1 angemeldet',
    'Could not log in to %1': 'Anmeldung bei %1 fehlgeschlagen',
    'Address bar': 'Adressleiste',
    'Sections': 'Bereiche',
    'No downloads yet.': 'Noch keine Downloads.',
    'Browse': 'Stöbern',
    'Downloads': 'Downloads',
    'File': 'Datei',
    'Edit': 'Bearbeiten',
    'Window': 'Fenster',
    'Feedback': 'Rückmeldung',
    'New Tab': 'Neuer Tab',
    'Close Tab': 'Tab schließen',
    'Undo': 'Rückgängig',
    'Redo': 'Wiederholen',
    'Cut': 'Ausschneiden',
    'Copy': 'Kopieren',
    'Paste': 'Einfügen',
    'Add bookmark': 'Lesezeichen hinzufügen',
    'Clear history...': 'Verlauf löschen …',
    'Minimize': 'Minimieren',
    'Zoom': 'Zoomen',
    'Previous tab': 'Vorheriger Tab',
    'Next tab': 'Nächster Tab',
    'Email bug report/suggestion...': 'Fehlerbericht/Vorschlag per E-Mail …',
    'Quit': 'Beenden',
    'Untitled': 'Unbenannt',
    "No services loaded. Can't continue without 'em.": 'Keine Dienste geladen. Ohne sie geht es nicht weiter.',
    'Downloads cannot be started in this build.': 'In dieser Version können keine Downloads gestartet werden.',
    'Loading...': 'Wird geladen …',
    'Error loading page': 'Fehler beim Laden der Seite',
    'Page request timed out': 'Zeitüberschreitung beim Laden der Seite',
    '\nKestrofan %1, build %2': '\nKestrofan %1, Build %2',
    'Playlist: ': 'Wiedergabeliste: ',
    'Results for': 'Ergebnisse für',
    'Related media not available': 'Keine ähnlichen Medien verfügbar',
    'Related': 'Ähnliche',
    'Feeds': 'Feeds',
    'Loading': 'Wird geladen',
    'Browsing tabs': 'Tabs',
    'Create new tab': 'Neuen Tab öffnen',
    'Error': 'Fehler',
    'Close tab': 'Tab schließen',
    'Forward': 'Vorwärts',
    'Address or search keywords': 'Adresse oder Suchbegriffe',
    'Services searched for plain words': 'Dienste, in denen nach Suchbegriffen gesucht wird',
    'Services searched': 'Durchsuchte Dienste',
    'The services are not loaded yet': 'Die Dienste sind noch nicht geladen',
    'The URL is not supported': 'Die URL wird nicht unterstützt',
    'None': 'Keiner',
    'Multiple': 'Mehrere',
    'Page status': 'Seitenstatus',
    'Set download format as video or audio': 'Download als Video oder Audio festlegen',
    'Download format': 'Download-Format',
    'Download as audio': 'Als Audio herunterladen',
    'Download as video': 'Als Video herunterladen',
    'Preferred video size': 'Bevorzugte Videogröße',
    'Video size': 'Videogröße',
    'Feed status': 'Feed-Status',
    'Feed items': 'Feed-Einträge',
    'Nothing found': 'Nichts gefunden',
    'New Version Available': 'Neue Version verfügbar',
    'New version %1': 'Neue Version %1',
    'Skip': 'Überspringen',
    'Try again': 'Erneut versuchen',
    'Checking for service plugin updates': 'Suche nach Aktualisierungen der Dienst-Plugins',
    'New service updates available': 'Neue Dienst-Aktualisierungen verfügbar',
    'Service updates usually takes a few moments - no restart required': 'Dienst-Aktualisierungen dauern meist nur einen Moment – kein Neustart nötig',
    'Please wait while downloading and installing the updates. This should only take a few moments.': 'Bitte warten, die Aktualisierungen werden heruntergeladen und installiert. Das dauert nur einen Moment.',
    'Update later': 'Später aktualisieren',
    'Update now': 'Jetzt aktualisieren',
    'Kestrofan Plugin Update': 'Kestrofan-Plugin-Aktualisierung',
    'Checking for necessary service plugins and helpers': 'Suche nach benötigten Dienst-Plugins und Helfern',
    'Please wait while checking for new or updated plugins': 'Bitte warten, es wird nach neuen oder aktualisierten Plugins gesucht',
    'Pending updates': 'Ausstehende Aktualisierungen',
    'Installation log': 'Installationsprotokoll',
    'No service updates available': 'Keine Dienst-Aktualisierungen verfügbar',
    'New': 'Neu',
    '%1 service': 'Dienst %1',
    'Saved passwords are kept in your desktop keyring.': 'Gespeicherte Passwörter liegen im Schlüsselbund Ihres Desktops.',
}


def main(path):
    tree = ET.parse(path)
    missing = []
    for message in tree.getroot().iter('message'):
        source = message.find('source').text
        translation = message.find('translation')
        if source in GERMAN:
            translation.text = GERMAN[source]
            translation.attrib.pop('type', None)
        else:
            missing.append(source)
    tree.write(path, encoding='utf-8', xml_declaration=True)
    with open(path, 'r+', encoding='utf-8') as ts:
        text = ts.read().replace("<?xml version='1.0' encoding='utf-8'?>",
                                 '<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>', 1)
        ts.seek(0)
        ts.write(text)
        ts.truncate()
    for source in missing:
        print('no German text for:', repr(source))
    return 1 if missing else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else 'kestrofan2_de.ts'))
