#include "TestEnvironment.h"
#include "UpdateTestSupport.h"
#include "core/AppContext.h"
#include "services/ServiceTestSupport.h"
#include "support/TestHttpServer.h"

#include "app/DbConnection.h"
#include "download/BinaryHelperModel.h"
#include "ui/NewAppVersionAvailableDialog.h"
#include "ui/PluginUpdateFlow.h"
#include "ui/ServicePluginUpdateDialog.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {

QString program(const QString& name, int revision)
{
    return pluginProgram(name, QStringLiteral("revision: %1").arg(revision));
}

} // namespace

class TestUpdateDialogs : public QObject
{
    Q_OBJECT

private:
    ServiceFixture m_services;
    UpdateServerFixture m_repository;
    QPointer<ServicePluginUpdateDialog> m_dialog;

    template<typename T> T* child(const char* name) const
    {
        return m_dialog->findChild<T*>(QLatin1String(name));
    }
    QString pageName() const
    {
        return child<QStackedWidget>("stackedWidget")->currentWidget()->objectName();
    }
    bool visible(const char* button) const { return !child<QPushButton>(button)->isHidden(); }
    QString text(const char* button) const { return child<QPushButton>(button)->text(); }

    void open(bool automatic, const QString& baseAddress)
    {
        auto* installer = new PluginInstaller(
            UpdateServer(baseAddress, m_repository.publicKey()), AppContext::pluginInstallTarget());
        installer->setTransferTimeoutMs(20000);
        m_dialog = new ServicePluginUpdateDialog(automatic, installer);
        m_dialog->show();
    }
    // Alpha 1 installed; the repository offers Alpha 2 with notes, a new Beta and a new helper.
    void checkAgainstRepository()
    {
        PluginVersionsChecker::clearPendingUpdates();
        {
            DbConnection db;
            BinaryHelperModel(nullptr, db.connection(true)).deleteHelper(5);
        }
        m_services.loadOnly({ { "alpha", program("Alpha", 1) } });
        m_repository.clear();
        m_repository.addPlugin("alpha", program("Alpha", 2), { "- Faster search", "- Playlists" });
        m_repository.addPlugin("beta", program("Beta", 1));
        m_repository.addHelper("fetcher",
            QJsonObject { { "id", 5 }, { "name", "Fetcher" }, { "binary_name", "fetcher" },
                { "version", "1.0" } },
            UpdateServerFixture::helperBody(600));
        QVERIFY(m_repository.start());
        QCOMPARE(
            UpdateRun::check(UpdateServer(m_repository.baseAddress(), m_repository.publicKey()))
                .count,
            3);
    }

private slots:
    void cleanup()
    {
        if (m_dialog)
            delete m_dialog;
    }

    void noUpdatesOffersOk()
    {
        open(false, QString());
        QCOMPARE(m_dialog->windowTitle(), "Kestrofan Plugin Update");
        QCOMPARE(child<QLabel>("infoLabel")->text(),
            "Please wait while checking for new or updated plugins");
        m_dialog->setUpdateCount(0);
        QCOMPARE(child<QLabel>("infoLabel")->text(), "No service updates available");
        QVERIFY(!visible("updateLaterButton") && !visible("updateNowButton"));
        QCOMPARE(text("updatingButton"), "OK");
        QSignalSpy finished(m_dialog.data(), qOverload<>(&ServicePluginUpdateDialog::finished));
        QTest::mouseClick(child<QPushButton>("updatingButton"), Qt::LeftButton);
        QCOMPARE(finished.count(), 1);
        QTRY_VERIFY(m_dialog.isNull());
    }

    void listsThenInstalls()
    {
        checkAgainstRepository();
        open(false, m_repository.baseAddress());
        m_dialog->setUpdateCount(3);
        QCOMPARE(pageName(), "updateListPage");
        QVERIFY(visible("updateLaterButton") && visible("updateNowButton"));
        QVERIFY(!visible("updatingButton"));
        QStringList items;
        auto* tree = child<QTreeWidget>("itemTree");
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            items << tree->topLevelItem(i)->text(0);
            for (int c = 0; c < tree->topLevelItem(i)->childCount(); ++c)
                items << tree->topLevelItem(i)->child(c)->text(0);
        }
        items.sort();
        QCOMPARE(items,
            QStringList({ "    Faster search", "    Playlists", "Alpha service",
                "Beta service - New", "Fetcher - New" }));
        QCOMPARE(child<QLabel>("infoLabel")->text(),
            "Checking for necessary service plugins and helpers");

        QSignalSpy finished(m_dialog.data(), qOverload<>(&ServicePluginUpdateDialog::finished));
        QTest::mouseClick(child<QPushButton>("updateNowButton"), Qt::LeftButton);
        QCOMPARE(pageName(), "updatePage");
        QCOMPARE(text("updatingButton"), "Cancel");
        QTRY_COMPARE_WITH_TIMEOUT(text("updatingButton"), "  OK  ", 20000);
        const QString log = child<QPlainTextEdit>("updateEdit")->toPlainText();
        QVERIFY2(log.contains("Installed updated Alpha service plugin")
                && log.contains("Installed updated Fetcher") && log.endsWith("Update finished."),
            qPrintable(log));
        QVERIFY(child<QPushButton>("updatingButton")->isDefault());
        QTest::mouseClick(child<QPushButton>("updatingButton"), Qt::LeftButton);
        QCOMPARE(finished.count(), 1);
    }

    void cancelAbortsWithoutFinished()
    {
        // The helper download never completes until it is cancelled.
        TestHttpServer stalling;
        QVERIFY(stalling.start());
        stalling.route("/kestrofan/update/gethelperupdate_1.1.0.php", [](const auto&) {
            TestHttpResponse response;
            response.body = QByteArray(4096, 'x');
            response.stallAfterBytes = 10;
            return response;
        });
        checkAgainstRepository();
        open(true, stalling.url("/").toString().chopped(1));
        QVERIFY(!visible("updateLaterButton"));
        m_dialog->setUpdateCount(3);
        QCOMPARE(pageName(), "updatePage");
        QVERIFY(!visible("updatingButton"));
        QSignalSpy finished(m_dialog.data(), qOverload<>(&ServicePluginUpdateDialog::finished));
        QSignalSpy abort(m_dialog.data(), &ServicePluginUpdateDialog::abort);
        QTRY_VERIFY(stalling.requestCount("/kestrofan/update/gethelperupdate_1.1.0.php") > 0);
        m_dialog->onCancelUpdateButtonClicked();
        QCOMPARE(abort.count(), 1);
        QTRY_VERIFY(m_dialog.isNull());
        QCOMPARE(finished.count(), 0);
    }

    void unreachableServerOffersTryAgain()
    {
        m_services.loadOnly({ { "alpha", program("Alpha", 1) } });
        QWidget window;
        PluginUpdateFlow flow(UpdateServer("http://127.0.0.1:1", m_repository.publicKey()),
            AppContext::pluginInstallation(), AppContext::pluginInstallTarget(), &window);
        QSignalSpy ready(&flow, &PluginUpdateFlow::servicesReady);
        // Answers each message box as a person would: first "Try again", then "Skip".
        QStringList seen;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QStringList buttons;
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            buttons.sort();
            seen << box->text() + " | " + buttons.join(",");
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == (seen.size() == 1 ? "Try again" : "Skip"))
                    button->click();
            }
        });
        answerer.start(20);
        flow.start(false);
        QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 20000);
        QCOMPARE(seen.first(), "127.0.0.1 could not be reached | Skip,Try again");
        QCOMPARE(ready.count(), 1);
    }

    void noServerConfiguredIsQuiet()
    {
        QWidget window;
        PluginUpdateFlow flow(UpdateServer(), AppContext::pluginInstallation(),
            AppContext::pluginInstallTarget(), &window);
        QSignalSpy ready(&flow, &PluginUpdateFlow::servicesReady);
        flow.start(true);
        QCOMPARE(ready.count(), 1);
        QVERIFY(!flow.checker());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void newVersionDialogShowsTheText()
    {
        NewAppVersionAvailableDialog dialog("1.2", "<b>Faster</b>", "https://example.invalid/");
        QCOMPARE(dialog.windowTitle(), "New Version Available");
        QCOMPARE(dialog.findChild<QTextBrowser*>("textField")->toPlainText(), "Faster");
        QCOMPARE(dialog.findChild<QPushButton*>("downloadButton")->text(), "Download");
        QCOMPARE(dialog.location(), "https://example.invalid/");
    }
};

KESTROFAN_TEST_MAIN(TestUpdateDialogs)
#include "tst_updatedialogs.moc"
