#pragma once

#include <QMainWindow>

// Stands in for the main window until browsing and the downloads view exist: shows where
// the program keeps its data and what it would download to.
class PlaceholderWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit PlaceholderWindow(QWidget* parent = nullptr);

public slots:
    void setExternalOpenURL(const QString& url);

private:
    class QLabel* m_status = nullptr;
};
