#include "PageMessageForm.h"

#include <QLabel>
#include <QVBoxLayout>

PageMessageForm::PageMessageForm(const QString& text, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PageMessageForm"));
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("messageLabel"));
    label->setAlignment(Qt::AlignCenter);
    label->setAccessibleName(text);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}
