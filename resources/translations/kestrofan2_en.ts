<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>AboutWindow</name>
    <message>
        <source>About %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Application icon</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (build %2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download helper:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Asking...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Licences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;p&gt;Kestrofan 2 browses media services and downloads their videos and audio.&lt;/p&gt;&lt;p&gt;&lt;b&gt;Bundled with the program&lt;/b&gt;&lt;/p&gt;&lt;ul&gt;&lt;li&gt;Qt %1, The Qt Company and contributors: GNU Lesser General Public License, version 3&lt;/li&gt;&lt;li&gt;SQLite, through Qt&apos;s SQL driver: public domain&lt;/li&gt;&lt;li&gt;zlib, Jean-loup Gailly and Mark Adler: zlib licence&lt;/li&gt;&lt;li&gt;Icons, pictures and the bell sound: made for Kestrofan 2, under the program&apos;s own licence&lt;/li&gt;&lt;/ul&gt;&lt;p&gt;&lt;b&gt;Used from your system, not bundled&lt;/b&gt;&lt;/p&gt;&lt;ul&gt;&lt;li&gt;yt-dlp, the download helper: The Unlicense&lt;/li&gt;&lt;li&gt;FFmpeg: GNU Lesser General Public License 2.1 or later (some builds GNU General Public License)&lt;/li&gt;&lt;/ul&gt;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>AddressBarForm</name>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address or search keywords</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Services</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Services searched for plain words</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Services searched</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The services are not loaded yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The URL is not supported</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <extracomment>No media services selected in address bar</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Multiple</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Application</name>
    <message>
        <source>%1 will now quit.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BookmarkDialog</name>
    <message>
        <source>Add Bookmark</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BookmarksForm</name>
    <message>
        <source>Bookmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter bookmarks by name or URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete bookmark</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BookmarksModel</name>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>URL</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BusyIndicator</name>
    <message>
        <source>Loading</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ClearHistoryDialog</name>
    <message>
        <source>Please confirm clearing browsing history</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please confirm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to clear the browsing history?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DownloadRowTexts</name>
    <message>
        <source>Download Type: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calculating...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Less than a minute</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>About %Ln minute(s)</source>
        <comment>minute</comment>
        <translation>
            <numerusform>About %Ln minute</numerusform>
            <numerusform>About %Ln minutes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>About %Ln hour(s)</source>
        <comment>hour</comment>
        <translation>
            <numerusform>About %Ln hour</numerusform>
            <numerusform>About %Ln hours</numerusform>
        </translation>
    </message>
    <message>
        <source>and</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln minute(s)</source>
        <comment>minute</comment>
        <translation>
            <numerusform>%Ln minute</numerusform>
            <numerusform>%Ln minutes</numerusform>
        </translation>
    </message>
    <message>
        <source>Remaining time:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 MB of %2 MB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 KB/s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 MB/s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 — %2 %3%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> | Source: </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DownloadsForm</name>
    <message>
        <source>Downloads</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clean up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove all inactive downloads from list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove selected download(s) from list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause/resume download(s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download list</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download actions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy video page URL to clipboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resume</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EmptyPageData</name>
    <message>
        <source>Untitled</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FeedView</name>
    <message>
        <source>Playlist</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HelperVersionProbe</name>
    <message>
        <source>No download helper is installed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download helper did not tell its version.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download helper could not be started: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download helper did not answer in time.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HistoryForm</name>
    <message>
        <source>History</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter history by name or URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HistoryModel</name>
    <message>
        <source>Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>KObject</name>
    <message>
        <source>Oops...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>KQOverlayLabel</name>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not downloaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %2%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HD</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainTabsForm</name>
    <message>
        <source>Browsing tabs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create new tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Address bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No downloads yet.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>History</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Window</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Feedback</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New Tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close Tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Redo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Paste</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add bookmark</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear history...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Email bug report/suggestion...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No services loaded. Can&apos;t continue without &apos;em.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloads cannot be started in this build.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading...</source>
        <extracomment>Loading a page</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error loading page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Page request timed out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
Kestrofan %1, build %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playback needs the download helper, which is not set up.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Buffering...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaDescriptor</name>
    <message>
        <source>audio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Medium (360p)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Large (480p)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HD (720p)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HD (1080p)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Biggest available</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaFeedContainer</name>
    <message>
        <source>Loading...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thumbnails view</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>List view</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Feed items</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No results</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>More results expected, but none available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Page %1, total results unknown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Page %1 of %2, %3 results in total</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please confirm download of multiple items</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You are about to download %1 items as %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaItemFormController</name>
    <message>
        <source>No web browser could open %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The downloaded file cannot be shown.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Media actions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open video in new tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open video in web browser</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy video URL to clipboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bookmark video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download as video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download as audio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show downloaded file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User actions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open user channel in new tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open user channel in browser</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy user channel URL to clipboard</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaItemListForm</name>
    <message>
        <source>HD</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%Ln views</source>
        <extracomment>Number of times a video has been viewed</extracomment>
        <translation>
            <numerusform>%Ln view</numerusform>
            <numerusform>%Ln views</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MediaItemParts</name>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploader %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%Ln likes</source>
        <translation type="unfinished">%Ln like</translation>
    </message>
</context>
<context>
    <name>MediaItemViewBase</name>
    <message>
        <source>Currently streaming</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaPageData</name>
    <message>
        <source>Loading...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaTexts</name>
    <message>
        <source>Today</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 day ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 days ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 week ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 weeks ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 month ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 months ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 year ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 years ago</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Today at</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yesterday at</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MediaTopForm</name>
    <message>
        <source>Loading...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Uploader</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Publish date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Views</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Likes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rating</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Media Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Duration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Play</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HD</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>NewAppVersionAvailableDialog</name>
    <message>
        <source>New Version Available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New version %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PageForm</name>
    <message>
        <source>Loading...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Related media not available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Related</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Feeds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PageListForm</name>
    <message>
        <source>Copy URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open URL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open URL in new tab</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PlaylistItemForm</name>
    <message>
        <source>Playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playlist actions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open playlist in new tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show playlist in browser</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PlaylistPageData</name>
    <message>
        <source>Playlist: </source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PluginUpdateFlow</name>
    <message>
        <source>Skip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try again</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Kestrofan 2 Preferences </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download location:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Change...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default download type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Services:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Service</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show content marked as adult</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferred download resolution:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download as selected resolution if available. If not available, Kestrofan will pick next best resolution.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination audio format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination video format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Media conversion threads:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Number of threads to use for media conversion. More threads converts faster, but uses more CPU power.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fewer threads means less CPU utilization.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio conversion options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Always convert to selected format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloaded audio will be converted to the selected format. 
Note that a conversion will always result in a quality loss.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prefer AAC if available (no conversion)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If the best version of the selected media has AAC audio, there will be no conversion (and hence no quality loss).
The downloaded file will be wrapped in a M4A container with the .m4a file extension.
AAC audio is mostly used in the very common MP4 video container. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Prefer Vorbis if available (no conversion)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If the best version of the selected media has Vorbis audio, there will be no conversion (and hence no quality loss).
The downloaded file will be saved with the .ogg file extension.
Vorbis audio is used in the WEBM video container.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>When download queue finishes:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show notification popup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound bell</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Video player application:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio player application:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Media player playlists:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add downloaded audio files to a playlist in the Music folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playlist name:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add downloaded video files to a playlist in the Music folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete original files when added to a playlist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preference pages</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>System default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Services</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Media Formats</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Applications</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>iTunes integration:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add downloaded audio files to iTunes library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add downloaded video files to iTunes library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete original files when added to iTunes library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An extended M3U playlist of this name in your Music folder (%1), created when missing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A playlist only refers to the file, so the downloaded file is always kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Audio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep original size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select directory for downloaded files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The path does not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Conversion to specific devices may take a very long time.

Unless you have specific needs (limited storage on your device, for example), you are almost always better off using the &quot;Keep Original Size&quot; formats in the beginning of this option list.

Newer devices can easily handle and scale HD videos, and there&apos;s no need to convert the size.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Application</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select video player application</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select audio player application</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProcessingStates</name>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connecting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resuming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Converting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Finished</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Buffering...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Paused</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown state</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QueueFinishedNotifier</name>
    <message>
        <source>Show</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RatingWidget</name>
    <message>
        <source>Rating %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SearchPageData</name>
    <message>
        <source>Results for</source>
        <extracomment>(Search) Results for (something)</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ServicePluginUpdateDialog</name>
    <message>
        <source>Checking for service plugin updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New service updates available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Service updates usually takes a few moments - no restart required</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please wait while downloading and installing the updates. This should only take a few moments.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kestrofan Plugin Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking for necessary service plugins and helpers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please wait while checking for new or updated plugins</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pending updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installation log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No service updates available</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 service</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StartupHomeForm</name>
    <message>
        <source>Hi! It seems like you are using Kestrofan for the first time.

The following settings has been configured for you automatically:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download location:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Default download type:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination audio format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination video format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add downloaded audio files to a playlist:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If you want to change these settings, click the button &quot;Open Preferences&quot; below.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Preferences</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add downloaded audio files to iTunes:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StatusBarPickers</name>
    <message>
        <source>Page status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set download format as video or audio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download as audio</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download as video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preferred video size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Video size</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UserTopForm</name>
    <message>
        <source>User / Channel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Location</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Subscribers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playlists</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>User actions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open user channel in new tab</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open user channel in browser</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy user channel URL to clipboard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>N/A</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WebAuthDialog</name>
    <message>
        <source>Log in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This item is only available for logged in users. 
Kestrofan needs your username and password for %1 in order to download it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save for later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning: Saved passwords are saved on your computer using weak encryption.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check message</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Attempting to log into %1 account, please wait...</source>
        <extracomment>Variable is service account name, for example youtube</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Successfully logged into %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not log in to %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved passwords are kept in your desktop keyring.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
