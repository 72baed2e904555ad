#include "ui/PasswordEcho.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>

namespace {

class AsteriskStyle final : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

namespace PasswordEcho {

void useAsterisks(QLineEdit* box)
{
    // One style for every password box, owned by the application; far cheaper than a style sheet.
    static QPointer<AsteriskStyle> style;
    if (!style) {
        style = new AsteriskStyle;
        style->setParent(qApp);
    }
    box->setEchoMode(QLineEdit::Password);
    box->setStyle(style);
}

} // namespace PasswordEcho
