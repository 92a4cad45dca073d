// Runs the GUI start-up exactly as the kestrofan executable does, answering what it shows,
// and prints what was seen and the exit code as JSON on stdout.
#include "ModalAnswerer.h"

#include "gui/GuiMain.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>

namespace {

ModalAnswerer::Seen g_seen;

void startAnswering()
{
    new ModalAnswerer(&g_seen, 20000, QCoreApplication::instance());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startAnswering)

int main(int argc, char* argv[])
{
    const int exitCode = runGui(argc, argv);
    QJsonObject report = g_seen.toJson();
    report.insert("exitCode", exitCode);
    std::fputs(QJsonDocument(report).toJson(QJsonDocument::Compact).constData(), stdout);
    return 0;
}
