#pragma once

#include <QFont>

// The fonts the window designs name, with the faces Linux desktops have in their place, so text keeps
// fitting its boxes where the Windows fonts are missing.
namespace Fonts {

inline QFont yahei(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(points);
    return font;
}

inline QFont song(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Serif CJK SC")});
    font.setPointSizeF(points);
    return font;
}

} // namespace Fonts
