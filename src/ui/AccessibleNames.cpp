#include "AccessibleNames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

namespace {

QString withoutMnemonic(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text.trimmed().remove(QRegularExpression(QStringLiteral(":$")));
}

QString buddyText(const QWidget* widget, const QWidget* root)
{
    const QList<QLabel*> labels = root->findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (label->buddy() == widget && !label->text().isEmpty())
            return withoutMnemonic(label->text());
    }
    return {};
}

QString nameFor(const QWidget* widget, const QWidget* root)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        if (!button->text().isEmpty())
            return withoutMnemonic(button->text());
        return button->toolTip();
    }
    QString name = buddyText(widget, root);
    if (name.isEmpty())
        name = widget->toolTip();
    if (name.isEmpty()) {
        if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
            name = edit->placeholderText();
    }
    return name;
}

bool isControl(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget)
        || qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget)
        || qobject_cast<const QAbstractItemView*>(widget);
}

} // namespace

void AccessibleNames::complete(QWidget* root)
{
    const QList<QWidget*> widgets = root->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!isControl(widget) || !widget->accessibleName().isEmpty())
            continue;
        // Parts of composite widgets (a spin box's line edit) are named by their owner.
        if (qobject_cast<QLineEdit*>(widget)
            && (qobject_cast<QAbstractSpinBox*>(widget->parentWidget())
                || qobject_cast<QComboBox*>(widget->parentWidget())))
            continue;
        const QString name = nameFor(widget, root);
        if (!name.isEmpty())
            widget->setAccessibleName(name);
    }
}
