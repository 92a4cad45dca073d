#pragma once

#include <QWidget>

class QLabel;
class HelperVersionProbe;

// Who we are: name, version and build, where the data lives, the download helper's version
// and the licences of what comes with the program.
class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    struct Facts
    {
        QString version;
        QString build;
        QString dataLocation;
        // The download helper's executable; empty when none is installed.
        QString helperProgram;
    };

    explicit AboutWindow(const Facts& facts, QWidget* parent = nullptr);

    // What is bundled and under which licence, as HTML.
    static QString licencesHtml();

private:
    QLabel* m_helperVersion = nullptr;
    HelperVersionProbe* m_probe = nullptr;
};
