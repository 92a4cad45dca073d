#include "KStyle.h"

void KStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
    const QWidget* widget) const
{
    if (element == PE_FrameTabBarBase)
        return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
