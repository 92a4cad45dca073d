#include "AboutWindow.h"

#include "AccessibleNames.h"
#include "HelperVersionProbe.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

AboutWindow::AboutWindow(const Facts& facts, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(tr("About %1").arg(QApplication::applicationName()));
    auto* layout = new QVBoxLayout(this);

    auto* heading = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/images/resources/images/KestrofanIcon2-64.png")));
    icon->setAccessibleName(tr("Application icon"));
    auto* name = new QLabel(
        QStringLiteral("<h2>%1</h2>").arg(QApplication::applicationName().toHtmlEscaped()), this);
    name->setObjectName(QStringLiteral("nameLabel"));
    heading->addWidget(icon);
    heading->addWidget(name, 1);
    layout->addLayout(heading);

    auto* form = new QFormLayout;
    const auto addFact = [&](const QString& label, const QString& text, const char* objectName) {
        auto* value = new QLabel(text, this);
        value->setObjectName(QLatin1String(objectName));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setAccessibleName(label);
        form->addRow(label, value);
        return value;
    };
    addFact(tr("Version:"), tr("%1 (build %2)").arg(facts.version, facts.build), "versionLabel");
    addFact(tr("Data folder:"), QDir::toNativeSeparators(facts.dataLocation), "dataFolderLabel");
    m_helperVersion = addFact(tr("Download helper:"), tr("Asking..."), "helperVersionLabel");
    layout->addLayout(form);

    auto* licences = new QTextBrowser(this);
    licences->setObjectName(QStringLiteral("licencesBrowser"));
    licences->setAccessibleName(tr("Licences"));
    licences->setOpenExternalLinks(true);
    licences->setHtml(licencesHtml());
    layout->addWidget(licences, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    layout->addWidget(buttons);
    AccessibleNames::complete(this);
    resize(520, 480);

    m_probe = new HelperVersionProbe(this);
    connect(m_probe, &HelperVersionProbe::versionFound, m_helperVersion, &QLabel::setText);
    connect(m_probe, &HelperVersionProbe::failed, m_helperVersion, &QLabel::setText);
    m_probe->start(facts.helperProgram);
}

QString AboutWindow::licencesHtml()
{
    return tr("<p>Kestrofan 2 browses media services and downloads their videos and audio.</p>"
              "<p><b>Bundled with the program</b></p><ul>"
              "<li>Qt %1, The Qt Company and contributors: GNU Lesser General Public License, "
              "version 3</li>"
              "<li>SQLite, through Qt's SQL driver: public domain</li>"
              "<li>zlib, Jean-loup Gailly and Mark Adler: zlib licence</li>"
              "<li>Icons, pictures and the bell sound: made for Kestrofan 2, under the "
              "program's own licence</li></ul>"
              "<p><b>Used from your system, not bundled</b></p><ul>"
              "<li>yt-dlp, the download helper: The Unlicense</li>"
              "<li>FFmpeg: GNU Lesser General Public License 2.1 or later (some builds GNU "
              "General Public License)</li></ul>")
        .arg(QString::fromLatin1(qVersion()));
}
