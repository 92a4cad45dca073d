#pragma once

#include <QWidget>

// A sub-tab that only says something ("Related media not available").
class PageMessageForm : public QWidget
{
    Q_OBJECT
public:
    explicit PageMessageForm(const QString& text, QWidget* parent = nullptr);
};
