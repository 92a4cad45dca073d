// The login dialog's button rules and outcomes, and the account it hands to a service's
// credentials (offscreen).

#include "ServiceTestSupport.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "core/AppContext.h"
#include "services/MediaService.h"
#include "services/MediaServices.h"
#include "services/ServiceCredentials.h"
#include "ui/GuiUserInterface.h"
#include "ui/WebAuthDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include <functional>
#include <memory>

class TestWebAuthDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ServiceFixture> m_fixture;
    GuiUserInterface m_gui;

    template<typename T> static T* child(QWidget* dialog, const char* name)
    {
        T* widget = dialog->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("No widget %s", name);
        return widget;
    }

    static QWidget* currentPage(QWidget* dialog)
    {
        return child<QStackedWidget>(dialog, "stackedWidget")->currentWidget();
    }

    static void fillIn(QWidget* dialog, const QString& user, const QString& password)
    {
        child<QLineEdit>(dialog, "usernameText")->setText(user);
        child<QLineEdit>(dialog, "passwordText")->setText(password);
    }

    // Works the modal dialog once it is up, from the event loop it runs.
    static void whenDialogShows(std::function<void(WebAuthDialog*)> work)
    {
        QTimer::singleShot(0, [work] {
            auto* dialog = qobject_cast<WebAuthDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                qFatal("The login dialog is not showing");
            work(dialog);
        });
    }

private slots:
    void initTestCase()
    {
        // A headless session: no desktop keyring can answer.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        m_fixture = std::make_unique<ServiceFixture>();
        ServiceFixture::removeAllPlugins();
        ServiceFixture::writePlugin("tube",
            pluginProgram("Tube", QString(),
                "function login(user, password) {"
                "  return user === 'ann' && password === 'secret'; }"));
        QVERIFY(m_fixture->loadRegistry(&m_gui));
    }

    void cleanupTestCase() { m_fixture.reset(); }

    void okNeedsBothUserNameAndPassword()
    {
        WebAuthDialog dialog("Tube");
        QVERIFY(child<QLabel>(&dialog, "headerText")->text().contains("password for Tube in"));
        auto* ok = child<QPushButton>(&dialog, "credentialsOkButton");
        QVERIFY(!ok->isEnabled());
        child<QLineEdit>(&dialog, "usernameText")->setText("ann");
        QVERIFY(!ok->isEnabled());
        child<QLineEdit>(&dialog, "passwordText")->setText("x");
        QVERIFY(ok->isEnabled());
        QVERIFY(ok->isDefault());
        child<QLineEdit>(&dialog, "usernameText")->clear();
        QVERIFY(!ok->isEnabled());
        QVERIFY(!ok->isDefault());
    }

    void failedLoginOffersBack()
    {
        WebAuthDialog dialog("Tube");
        fillIn(&dialog, "ann", "wrong");
        QTest::mouseClick(child<QPushButton>(&dialog, "credentialsOkButton"), Qt::LeftButton);
        QCOMPARE(currentPage(&dialog)->objectName(), "checkCredsPage");
        // The check runs on a worker; the dialog waits with OK off.
        QVERIFY(!child<QPushButton>(&dialog, "checkOkButton")->isEnabled());
        QTRY_COMPARE(
            child<QLabel>(&dialog, "checkStatusLabel")->text(), "Could not log in to Tube");
        QVERIFY(!dialog.isLoggedIn());
        QVERIFY(!child<QPushButton>(&dialog, "checkBackButton")->isHidden());
        QVERIFY(child<QPushButton>(&dialog, "checkCancelButton")->isHidden());
        QVERIFY(child<QPushButton>(&dialog, "checkOkButton")->isEnabled());
        QTest::mouseClick(child<QPushButton>(&dialog, "checkBackButton"), Qt::LeftButton);
        QCOMPARE(currentPage(&dialog)->objectName(), "credentialsPage");
    }

    void successfulLogin()
    {
        WebAuthDialog dialog("Tube");
        fillIn(&dialog, "ann", "secret");
        QTest::mouseClick(child<QPushButton>(&dialog, "credentialsOkButton"), Qt::LeftButton);
        QTRY_COMPARE(
            child<QLabel>(&dialog, "checkStatusLabel")->text(), "Successfully logged into Tube");
        QVERIFY(dialog.isLoggedIn());
        QVERIFY(child<QPushButton>(&dialog, "checkBackButton")->isHidden());
        QVERIFY(!child<QPushButton>(&dialog, "checkCancelButton")->isEnabled());
        QTest::mouseClick(child<QPushButton>(&dialog, "checkOkButton"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void credentialsTakeTheAccountAndSaveItWhenAsked()
    {
        ServiceCredentials* credentials
            = AppContext::serviceRegistry()->service("Tube")->credentials();
        QVERIFY(!credentials->hasSavedCredentials());
        QSignalSpy saved(credentials, &ServiceCredentials::credentialsSaved);
        whenDialogShows([](WebAuthDialog* dialog) {
            fillIn(dialog, "ann", "secret");
            child<QCheckBox>(dialog, "saveCheckbox")->setChecked(true);
            child<QPushButton>(dialog, "credentialsOkButton")->click();
            QTRY_VERIFY(child<QPushButton>(dialog, "checkOkButton")->isEnabled());
            child<QPushButton>(dialog, "checkOkButton")->click();
        });
        // No session bus, so no keyring: the settings file keeps the password, and says so.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("keyring was unavailable"));
        QVERIFY(credentials->showLoginDialog());
        QCOMPARE(credentials->userName(), "ann");
        QCOMPARE(credentials->password(), "secret");
        QTRY_COMPARE_WITH_TIMEOUT(saved.count(), 1, 20000);
        QCOMPARE(saved.first().first().toBool(), false);
        QVERIFY(credentials->hasSavedCredentials());
        // Not in plain text, and readable by the user only.
        const QString store = AppContext::settings()->fileName();
        QVERIFY(!readFile(store).isEmpty() && !readFile(store).contains("secret"));
        QCOMPARE(QFile::permissions(store) & (QFile::ReadGroup | QFile::ReadOther),
            QFile::Permissions());

        // Reading it back is asynchronous too, also when nothing was saved.
        ServiceCredentials again("Tube", AppContext::settings(), &m_gui);
        ServiceCredentials nobody("Nobody", AppContext::settings(), &m_gui);
        QSignalSpy loaded(&again, &ServiceCredentials::savedCredentialsLoaded);
        QSignalSpy notFound(&nobody, &ServiceCredentials::savedCredentialsLoaded);
        again.loadSaved();
        nobody.loadSaved();
        QTRY_COMPARE(loaded.count(), 1);
        QTRY_COMPARE(notFound.count(), 1);
        QVERIFY(loaded.first().first().toBool());
        QCOMPARE(again.userName(), "ann");
        QCOMPARE(again.password(), "secret");
        QVERIFY(again.saveForLater());
        QVERIFY(!notFound.first().first().toBool());
        QVERIFY(nobody.password().isEmpty());
    }

    void cancellingKeepsTheCredentialsAsTheyWere()
    {
        ServiceCredentials credentials("Tube", AppContext::settings(), &m_gui);
        whenDialogShows([](WebAuthDialog* dialog) {
            child<QPushButton>(dialog, "credentialsCancelButton")->click();
        });
        QVERIFY(!credentials.showLoginDialog());
        QVERIFY(credentials.userName().isEmpty());

        // A successful check closed with Escape still counts as cancelled.
        whenDialogShows([](WebAuthDialog* dialog) {
            fillIn(dialog, "ann", "secret");
            child<QPushButton>(dialog, "credentialsOkButton")->click();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!credentials.showLoginDialog());
        QVERIFY(credentials.userName().isEmpty());
    }
};

KESTROFAN_TEST_MAIN(TestWebAuthDialog)
#include "tst_webauthdialog.moc"
