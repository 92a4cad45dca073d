#include "MessageBoxAnswerer.h"
#include "TestEnvironment.h"
#include "app/AppTestSupport.h"

#include "app/DbConnection.h"
#include "app/Prefs.h"
#include "core/AppContext.h"
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

private slots:
    void initTestCase();
    void init();

    void controlWritesItsPreference_data();
    void controlWritesItsPreference();
    void showsStoredValues();
    void statusBarPickersAreTold();
    void playlistNamesFollowTheirCheckBoxes();
    void everyControlHasAnAccessibleName();
    void startupHomeForm();
    void germanTranslation();

private:
    std::unique_ptr<CoreTestContext> m_core;
    QString m_existingFolder;
};

void PreferencesWindowTest::initTestCase()
{
    m_core = std::make_unique<CoreTestContext>();
    QVERIFY(m_core->isReady());
    m_existingFolder = QDir::homePath() + QStringLiteral("/Videos from tests");
    QVERIFY(QDir().mkpath(m_existingFolder));
}

void PreferencesWindowTest::init()
{
    Prefs::resetToDefaults();
    Prefs::writeDefaults();
}

void PreferencesWindowTest::controlWritesItsPreference_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QStringList>("warnings");

    const QStringList none;
    const QString nativeFolder = QDir::toNativeSeparators(m_existingFolder) + QDir::separator();
    QTest::newRow("typed download folder") << "downloadLocationInput" << QVariant(m_existingFolder)
                                           << "mediaPath" << QVariant(nativeFolder) << none;
    QTest::newRow("typed folder that does not exist")
        << "downloadLocationInput" << QVariant(QStringLiteral("/no/such/folder")) << "mediaPath"
        << QVariant(Prefs::mediaPath()) << QStringList { "The path does not exist" };
    QTest::newRow("default type audio") << "defaultDownloadTypeCombobox" << QVariant(0)
                                        << "defaultDownloadMediaType" << QVariant(0) << none;
    QTest::newRow("adult content off") << "showAdultContentCheckbox" << QVariant()
                                       << "showAdultContent" << QVariant(false) << none;
    QTest::newRow("video size") << "preferredVideoSizeComboBox" << QVariant(5)
                                << "preferredVideoSize" << QVariant(5) << none;
    QTest::newRow("audio format") << "preferredAudioFormatComboBox" << QVariant(1)
                                  << "preferredAudioFormat" << QVariant(1) << none;
    QTest::newRow("video format, plain") << "preferredVideoFormatComboBox" << QVariant(48)
                                         << "preferredVideoFormat" << QVariant(48) << none;
    QTest::newRow("video format, DivX") << "preferredVideoFormatComboBox" << QVariant(51)
                                        << "preferredVideoFormat" << QVariant(51) << none;
    QTest::newRow("video format for a device, warned")
        << "preferredVideoFormatComboBox" << QVariant(6) << "preferredVideoFormat" << QVariant(6)
        << QStringList { "Conversion to specific devices may take a very long time." };
    QTest::newRow("conversion threads")
        << "cpuThreadsSpinBox" << QVariant(3) << "threadsForMP4Conversion" << QVariant(3) << none;
    QTest::newRow("prefer AAC") << "audioFormatPreferAACRadio" << QVariant()
                                << "preferredAudioConversion" << QVariant(2) << none;
    QTest::newRow("prefer Vorbis") << "audioFormatPreferVorbisRadio" << QVariant()
                                   << "preferredAudioConversion" << QVariant(3) << none;
    QTest::newRow("popup off") << "popupNotificationCheckbox" << QVariant()
                               << "visualNotificationOnQueueFinished" << QVariant(false) << none;
    QTest::newRow("bell on") << "soundNotificationCheckbox" << QVariant()
                             << "audioNotificationOnQueueFinished" << QVariant(true) << none;
    QTest::newRow("audio playlist off")
        << "addAudioToItunesCheckbox" << QVariant() << "addAudioToMediaPlayerPlaylist"
        << QVariant(false) << none;
    QTest::newRow("video playlist on") << "addVideoToItunesCheckbox" << QVariant()
                                       << "addVideoToMediaPlayerPlaylist" << QVariant(true) << none;
    QTest::newRow("audio playlist name")
        << "audioPlaylistNameInput" << QVariant(" My songs ") << "mediaPlayerAudioPlaylistName"
        << QVariant(QStringLiteral("My songs")) << none;
    QTest::newRow("playlist name that leaves the folder")
        << "audioPlaylistNameInput" << QVariant("../../outside") << "mediaPlayerAudioPlaylistName"
        << QVariant(Prefs::mediaPlayerAudioPlaylistName()) << none;
    QTest::newRow("typed player is not stored")
        << "audioPlayerNameInput" << QVariant("/usr/bin/true") << "audioPlayerApp"
        << QVariant(QString()) << none;
}

void PreferencesWindowTest::controlWritesItsPreference()
{
    QFETCH(QString, control);
    QFETCH(QVariant, input);
    QFETCH(QString, key);
    QFETCH(QVariant, expected);
    QFETCH(QStringList, warnings);
    // The row's own starting values: the video playlist must be on to rename it.
    Prefs::setAddAudioToMediaPlayerPlaylist(true);

    PreferencesWindow window(DbConnection().connection(), { QStringLiteral("PeerTube") });
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
    QTRY_COMPARE(answerer.texts.size(), warnings.size());
    for (int i = 0; i < warnings.size(); ++i)
        QVERIFY2(answerer.texts.at(i).startsWith(warnings.at(i)), qPrintable(answerer.texts.at(i)));
}

void PreferencesWindowTest::showsStoredValues()
{
    Prefs::setPreferredVideoFormat(47);
    Prefs::setPreferredAudioFormat(2);
    Prefs::setPreferredAudioConversion(3);
    Prefs::setDefaultDownloadMediaType(0);
    Prefs::setVideoPlayerApp(QStringLiteral("/opt/player/bin/play"));
    PreferencesWindow window(
        DbConnection().connection(), { QStringLiteral("Archive"), QStringLiteral("PeerTube") });

    const auto combo
        = [&](const char* name) { return window.findChild<QComboBox*>(QLatin1String(name)); };
    QCOMPARE(combo("preferredVideoFormatComboBox")->currentText(),
        QStringLiteral("WebM (Keep original size)"));
    QCOMPARE(combo("preferredAudioFormatComboBox")->currentText(), QStringLiteral("AAC"));
    QCOMPARE(combo("defaultDownloadTypeCombobox")->currentText(), QStringLiteral("Audio"));
    QCOMPARE(combo("preferredVideoSizeComboBox")->currentData().toInt(), 3);
    QVERIFY(window.findChild<QRadioButton*>(QStringLiteral("audioFormatPreferVorbisRadio"))
                ->isChecked());
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("videoPlayerNameInput"))->text(),
        QStringLiteral("/opt/player/bin/play"));
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("audioPlayerNameInput"))->text(),
        QStringLiteral("System default"));
    auto* services = window.findChild<QTreeWidget*>(QStringLiteral("servicesTree"));
    QCOMPARE(services->topLevelItemCount(), 2);
    QCOMPARE(services->topLevelItem(1)->text(0), QStringLiteral("PeerTube"));
    QCOMPARE(services->topLevelItem(1)->checkState(0), Qt::Checked);
    // The separator row of the presets stays a separator.
    QComboBox* formats = combo("preferredVideoFormatComboBox");
    QCOMPARE(formats->findText(QStringLiteral("- (Keep original size)")), -1);
    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrofan 2 Preferences "));
    // Showing the values wrote nothing back.
    QCOMPARE(storedPref(QStringLiteral("preferredVideoFormat")).toInt(), 47);
}

void PreferencesWindowTest::statusBarPickersAreTold()
{
    PreferencesWindow window(DbConnection().connection(), {});
    QSignalSpy type(&window, &PreferencesWindow::defaultDownloadMediaTypeChanged);
    QSignalSpy size(&window, &PreferencesWindow::preferredVideoSizeChanged);
    operate(window.findChild<QComboBox*>(QStringLiteral("defaultDownloadTypeCombobox")), 0);
    operate(window.findChild<QComboBox*>(QStringLiteral("preferredVideoSizeComboBox")), 4);
    QCOMPARE(type.size(), 1);
    QCOMPARE(type.first().first().toInt(), 0);
    QCOMPARE(size.size(), 1);
    QCOMPARE(size.first().first().toInt(), 4);
}

void PreferencesWindowTest::playlistNamesFollowTheirCheckBoxes()
{
    Prefs::setAddVideoToMediaPlayerPlaylist(false);
    PreferencesWindow window(DbConnection().connection(), {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* check = window.findChild<QCheckBox*>(QStringLiteral("addVideoToItunesCheckbox"));
    auto* input = window.findChild<QLineEdit*>(QStringLiteral("videoPlaylistNameInput"));
    auto* label = window.findChild<QLabel*>(QStringLiteral("videoPlaylistNameLabel"));
    QVERIFY(!input->isEnabled());
    QVERIFY(!label->isEnabled());
    window.findChild<QStackedWidget*>()->setCurrentIndex(PreferencesWindow::ApplicationsPage);
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(4, check->height() / 2));
    QVERIFY(input->isEnabled());
    QVERIFY(label->isEnabled());
}

void PreferencesWindowTest::everyControlHasAnAccessibleName()
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
                qPrintable(widget->objectName() + QLatin1Char(' ')
                    + QLatin1String(widget->metaObject()->className())));
        }
    }
}

void PreferencesWindowTest::startupHomeForm()
{
    Prefs::setDefaultDownloadMediaType(0);
    Prefs::setPreferredAudioFormat(3);
    Prefs::setAddAudioToMediaPlayerPlaylist(false);
    AppContext::setFirstRun(true);
    StartupHomeForm form;
    QVERIFY(!AppContext::isFirstRun());

    const auto value
        = [&](const char* name) { return form.findChild<QLabel*>(QLatin1String(name))->text(); };
    QCOMPARE(value("downloadLocationValue"), Prefs::mediaPath());
    QCOMPARE(value("downloadTypeValue"), QStringLiteral("Audio"));
    QCOMPARE(value("audioFormatValue"), QStringLiteral("Opus"));
    QCOMPARE(value("videoFormatValue"), QStringLiteral("MP4"));
    QCOMPARE(value("playlistValue"), QStringLiteral("No"));

    QSignalSpy open(&form, &StartupHomeForm::openPreferencesRequested);
    form.findChild<QPushButton*>(QStringLiteral("openPreferencesButton"))->click();
    QCOMPARE(open.size(), 1);
}

void PreferencesWindowTest::germanTranslation()
{
    // Loaded as the program loads it for a German system.
    QTranslator german;
    QVERIFY(german.load(QStringLiteral(":/translations/kestrofan2_") + QStringLiteral("de_DE")));
    QCoreApplication::installTranslator(&german);
    PreferencesWindow window(DbConnection().connection(), {});
    StartupHomeForm home;
    QCoreApplication::removeTranslator(&german);

    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrofan 2 Einstellungen "));
    QCOMPARE(window.findChild<QCheckBox*>(QStringLiteral("soundNotificationCheckbox"))->text(),
        QStringLiteral("Glocke läuten"));
    QCOMPARE(home.findChild<QPushButton*>(QStringLiteral("openPreferencesButton"))->text(),
        QStringLiteral("Einstellungen öffnen"));
}

KESTROFAN_TEST_MAIN(PreferencesWindowTest)
#include "tst_preferenceswindow.moc"
