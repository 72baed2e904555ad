#pragma once

#include <QRect>

// Window designs are laid out in twips, 15 to a pixel at 96 dpi; Qt scales the pixels for other screens.
namespace Twips {

constexpr int px(int twips)
{
    return (twips + 7) / 15;
}
inline QRect rect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

} // namespace Twips
