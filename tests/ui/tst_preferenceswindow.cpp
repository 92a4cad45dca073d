#include "MessageBoxAnswerer.h"
#include "TestEnvironment.h"
#include "app/AppTestSupport.h"

#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "core/AppContext.h"
#include "download/ProcessingStates.h"
#include "ui/PreferencesWindow.h"
#include "ui/StartupHomeForm.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTranslator>
#include <QTreeWidget>

namespace {

QVariant storedPref(const QString& key)
{
    return AppContext::settings()->value(QStringLiteral("prefs/") + key);
}

// What a person does to a control: click it, pick the item that carries a value, or type
// a text and leave the field.
void operate(QWidget* control, const QVariant& input)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
    } else if (auto* box = qobject_cast<QComboBox*>(control)) {
        const int index = box->findData(input);
        QVERIFY2(index >= 0, qPrintable(input.toString()));
        box->setCurrentIndex(index);
        emit box->activated(index);
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        spin->setValue(input.toInt());
        emit spin->editingFinished();
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(input.toString());
        emit edit->editingFinished();
    } else {
        QFAIL("a control the test cannot operate");
    }
}

} // namespace

// Every control of the preferences window writes its preference at once; the first-run
// form shows the chosen settings.
class PreferencesWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<CoreTestContext> m_core;
    QString m_existingFolder;

private slots:
    void initTestCase()
    {
        m_core = std::make_unique<CoreTestContext>();
        QVERIFY(m_core->isReady());
        m_existingFolder = QDir::homePath() + "/Videos from tests";
        QVERIFY(QDir().mkpath(m_existingFolder));
    }

    void init()
    {
        Prefs::resetToDefaults();
        Prefs::writeDefaults();
    }

    void controlWritesItsPreference_data()
    {
        testColumns<QString, QVariant, QString, QVariant, QString>(
            "control", "input", "key", "expected", "warning");
        const QString nativeFolder = QDir::toNativeSeparators(m_existingFolder) + QDir::separator();
        const auto row = [](const char* name, const char* control, const QVariant& input,
                             const char* key, const QVariant& expected, const char* warning = "") {
            testRow(name, control, input, key, expected, warning);
        };
        row("typed download folder", "downloadLocationInput", m_existingFolder, "mediaPath",
            nativeFolder);
        row("typed folder that does not exist", "downloadLocationInput", "/no/such/folder",
            "mediaPath", Prefs::mediaPath(), "The path does not exist");
        row("default type audio", "defaultDownloadTypeCombobox", 0, "defaultDownloadMediaType", 0);
        row("adult content off", "showAdultContentCheckbox", {}, "showAdultContent", false);
        row("video size", "preferredVideoSizeComboBox", 5, "preferredVideoSize", 5);
        row("audio format", "preferredAudioFormatComboBox", 1, "preferredAudioFormat", 1);
        row("video format, plain", "preferredVideoFormatComboBox", 48, "preferredVideoFormat", 48);
        row("video format, DivX", "preferredVideoFormatComboBox", 51, "preferredVideoFormat", 51);
        row("video format for a device, warned", "preferredVideoFormatComboBox", 6,
            "preferredVideoFormat", 6, "Conversion to specific devices may take a very long time.");
        row("conversion threads", "cpuThreadsSpinBox", 3, "threadsForMP4Conversion", 3);
        row("prefer AAC", "audioFormatPreferAACRadio", {}, "preferredAudioConversion", 2);
        row("prefer Vorbis", "audioFormatPreferVorbisRadio", {}, "preferredAudioConversion", 3);
        row("popup off", "popupNotificationCheckbox", {}, "visualNotificationOnQueueFinished",
            false);
        row("bell on", "soundNotificationCheckbox", {}, "audioNotificationOnQueueFinished", true);
        row("audio playlist off", "addAudioToItunesCheckbox", {}, "addAudioToMediaPlayerPlaylist",
            false);
        row("video playlist on", "addVideoToItunesCheckbox", {}, "addVideoToMediaPlayerPlaylist",
            true);
        row("audio playlist name", "audioPlaylistNameInput", " My songs ",
            "mediaPlayerAudioPlaylistName", QString("My songs"));
        row("playlist name that leaves the folder", "audioPlaylistNameInput", "../../outside",
            "mediaPlayerAudioPlaylistName", Prefs::mediaPlayerAudioPlaylistName());
        row("typed player is not stored", "audioPlayerNameInput", "/usr/bin/true", "audioPlayerApp",
            QString());
    }

    void controlWritesItsPreference()
    {
        const auto [control, input, key, expected, warning]
            = testFetch<QString, QVariant, QString, QVariant, QString>(
                "control", "input", "key", "expected", "warning");
        // The row's own starting values: the video playlist must be on to rename it.
        Prefs::setAddAudioToMediaPlayerPlaylist(true);

        PreferencesWindow window(DbConnection().connection(), { "PeerTube" });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* widget = window.findChild<QWidget*>(control);
        QVERIFY(widget);
        // Show the control's page, as its toolbar button would.
        for (QWidget* page = widget->parentWidget(); page; page = page->parentWidget()) {
            if (auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget())) {
                stack->setCurrentWidget(page);
                break;
            }
        }
        MessageBoxAnswerer answerer;
        operate(widget, input);

        QCOMPARE(Prefs::value(key), expected);
        QCOMPARE(storedPref(key), expected);
        QTRY_COMPARE(answerer.texts.size(), warning.isEmpty() ? 0 : 1);
        QVERIFY2(
            answerer.texts.value(0, "").startsWith(warning), qPrintable(answerer.texts.value(0)));
    }

    void showsStoredValues()
    {
        Prefs::setPreferredVideoFormat(47);
        Prefs::setPreferredAudioFormat(2);
        Prefs::setPreferredAudioConversion(3);
        Prefs::setDefaultDownloadMediaType(0);
        Prefs::setVideoPlayerApp("/opt/player/bin/play");
        PreferencesWindow window(DbConnection().connection(), { "Archive", "PeerTube" });

        const auto combo = [&](const char* name) { return window.findChild<QComboBox*>(name); };
        QCOMPARE(combo("preferredVideoFormatComboBox")->currentText(), "WebM (Keep original size)");
        QCOMPARE(combo("preferredAudioFormatComboBox")->currentText(), "AAC");
        QCOMPARE(combo("defaultDownloadTypeCombobox")->currentText(), "Audio");
        QCOMPARE(combo("preferredVideoSizeComboBox")->currentData().toInt(), 3);
        QVERIFY(window.findChild<QRadioButton*>("audioFormatPreferVorbisRadio")->isChecked());
        QCOMPARE(
            window.findChild<QLineEdit*>("videoPlayerNameInput")->text(), "/opt/player/bin/play");
        QCOMPARE(window.findChild<QLineEdit*>("audioPlayerNameInput")->text(), "System default");
        auto* services = window.findChild<QTreeWidget*>("servicesTree");
        QCOMPARE(services->topLevelItemCount(), 2);
        QCOMPARE(services->topLevelItem(1)->text(0), "PeerTube");
        QCOMPARE(services->topLevelItem(1)->checkState(0), Qt::Checked);
        // The separator row of the presets stays a separator.
        QCOMPARE(combo("preferredVideoFormatComboBox")->findText("- (Keep original size)"), -1);
        QCOMPARE(window.windowTitle(), "Kestrofan 2 Preferences ");
        // Showing the values wrote nothing back.
        QCOMPARE(storedPref("preferredVideoFormat").toInt(), 47);

        // The status bar's pickers are told of changes.
        QSignalSpy type(&window, &PreferencesWindow::defaultDownloadMediaTypeChanged);
        QSignalSpy size(&window, &PreferencesWindow::preferredVideoSizeChanged);
        operate(combo("defaultDownloadTypeCombobox"), 1);
        operate(combo("preferredVideoSizeComboBox"), 4);
        QCOMPARE(QList<QVariantList>(type), QList<QVariantList> { { 1 } });
        QCOMPARE(QList<QVariantList>(size), QList<QVariantList> { { 4 } });
    }

    void playlistNamesFollowTheirCheckBoxes()
    {
        Prefs::setAddVideoToMediaPlayerPlaylist(false);
        PreferencesWindow window(DbConnection().connection(), {});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* input = window.findChild<QLineEdit*>("videoPlaylistNameInput");
        auto* label = window.findChild<QLabel*>("videoPlaylistNameLabel");
        QVERIFY(!input->isEnabled() && !label->isEnabled());
        window.findChild<QStackedWidget*>()->setCurrentIndex(PreferencesWindow::ApplicationsPage);
        operate(window.findChild<QCheckBox*>("addVideoToItunesCheckbox"), {});
        QVERIFY(input->isEnabled() && label->isEnabled());
        // What was changed is stored already: Escape just closes the window.
        QApplication::setActiveWindow(&window);
        QTest::keyClick(&window, Qt::Key_Escape);
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(Prefs::addVideoToMediaPlayerPlaylist());
    }

    void everyControlHasAnAccessibleName()
    {
        PreferencesWindow window(DbConnection().connection(), {});
        StartupHomeForm home;
        for (QWidget* root : { static_cast<QWidget*>(&window), static_cast<QWidget*>(&home) }) {
            const QList<QWidget*> widgets = root->findChildren<QWidget*>();
            for (QWidget* widget : widgets) {
                // Parts of composite controls are announced through their owner.
                const bool part
                    = widget->parentWidget() && widget->parentWidget()->focusProxy() == widget;
                if (widget->focusPolicy() == Qt::NoFocus || widget->focusProxy() || part
                    || widget->isHidden())
                    continue;
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
                QVERIFY(accessible);
                QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(),
                    qPrintable(widget->objectName() + ' ' + widget->metaObject()->className()));
            }
        }
    }

    void startupHomeForm()
    {
        Prefs::setDefaultDownloadMediaType(0);
        Prefs::setPreferredAudioFormat(3);
        Prefs::setAddAudioToMediaPlayerPlaylist(false);
        AppContext::setFirstRun(true);
        StartupHomeForm form;
        QVERIFY(!AppContext::isFirstRun());

        const auto value = [&](const char* name) { return form.findChild<QLabel*>(name)->text(); };
        QCOMPARE(value("downloadLocationValue"), Prefs::mediaPath());
        QCOMPARE(value("downloadTypeValue"), "Audio");
        QCOMPARE(value("audioFormatValue"), "Opus");
        QCOMPARE(value("videoFormatValue"), "MP4");
        QCOMPARE(value("playlistValue"), "No");

        QSignalSpy open(&form, &StartupHomeForm::openPreferencesRequested);
        form.findChild<QPushButton*>("openPreferencesButton")->click();
        QCOMPARE(open.size(), 1);
    }

    void germanTranslation()
    {
        // Loaded as the program loads it for a German system.
        QTranslator german;
        QVERIFY(german.load(":/translations/kestrofan2_de_DE"));
        QCoreApplication::installTranslator(&german);
        PreferencesWindow window(DbConnection().connection(), {});
        StartupHomeForm home;
        // Counts take their plural forms; state names from the core are in the catalogue.
        const QString oneView
            = QCoreApplication::translate("MediaItemListForm", "%Ln views", nullptr, 1);
        const QString twoViews
            = QCoreApplication::translate("MediaItemListForm", "%Ln views", nullptr, 2);
        const QString finished = ProcessingStates::displayName(ProcessingStates::Finished);
        QCoreApplication::removeTranslator(&german);
        QCOMPARE(oneView, "1 Aufruf");
        QCOMPARE(twoViews, "2 Aufrufe");
        QCOMPARE(finished, "Fertig");

        QCOMPARE(window.windowTitle(), "Kestrofan 2 Einstellungen ");
        QCOMPARE(
            window.findChild<QCheckBox*>("soundNotificationCheckbox")->text(), "Glocke läuten");
        QCOMPARE(
            home.findChild<QPushButton*>("openPreferencesButton")->text(), "Einstellungen öffnen");
    }
};

KESTROFAN_TEST_MAIN(PreferencesWindowTest)
#include "tst_preferenceswindow.moc"
