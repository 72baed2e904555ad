#include "service/ServiceProtocol.h"

#include "base/FormEncoding.h"
#include "base/TextRules.h"

using TextRules::trimmed;

namespace ServiceProtocol {

QString requestAddress(const QString& serverAddr)
{
    return serverAddr + u"/ajax.asp";
}

QString contentTypeHeader()
{
    return QStringLiteral("Content-Type: application/x-www-form-urlencoded");
}

QString loginBody(const QString& password)
{
    return u"action=Ulogin&Pass=" + trimmed(password);
}

QString passwordChangeBody(const QString& newPassword)
{
    return u"action=modmima&mima=" + trimmed(newPassword);
}

namespace {

// A data field's value, trimmed, its form delimiters escaped.
QString field(const QString& value)
{
    return EscapeFormDelimiters(trimmed(value));
}

} // namespace

QString uploadBody(const UploadFields& fields)
{
    QString joined;
    for (int i = 0; i < 5; ++i) {
        if (i > 0)
            joined += u"|*|";
        joined += trimmed(fields.contact[i]);
    }
    const QString contact = trimmed(QString(EncodeFormValue(EscapeFormDelimiters(joined)) + u"|*|"));
    return u"action=UWork&Contact=" + contact + u"&url=" + field(fields.urlJoined) + u"&biaoshi=" +
           field(fields.biaoshiJoined) + u"&Word=" + field(fields.keywords);
}

QString generationBody(const GenerationFields& fields)
{
    return u"action=madeweb&Biaoshi=" + field(fields.biaoshi) + u"&shuliang=" + field(fields.shuliang) + u"&Ltitle=" +
           field(fields.title) + u"&Lbody=" + field(fields.body) + u"&Lhang=" + field(fields.hang) + u"&Ljj=" +
           field(fields.introduction);
}

ReplyOutcome classifyReply(Action action, const QString& reply, int httpStatus)
{
    const bool material = action == Action::UWork || action == Action::madeweb;
    const bool errorPage = httpStatus < 200 || httpStatus > 299;
    if (reply.size() >= 3 || errorPage)
        return {false,
                material ? QStringLiteral("网络中断或服务器超时！！") : QStringLiteral("网络中断或服务器超时！")};
    if (reply == u"0")
        return {false, QStringLiteral("请不要非法操作！")};
    if (reply == u"1")
        return {false, QStringLiteral("服务器错误,重试...")};
    if (reply == u"2") {
        if (action == Action::Ulogin)
            return {false, QStringLiteral("用户信息错误！")};
        return {true, QStringLiteral("成功保存!")};
    }
    if (reply == u"3" && action == Action::Ulogin)
        return {true, {}};
    return {};
}

QString secureConnectionMessage(const QString& host, const QString& detail, bool certificateRefused)
{
    if (certificateRefused)
        return QStringLiteral("无法与 %1 建立安全连接：服务器的证书不可信（%2）。为了安全，密码和资料都没有发送。\n"
                              "请检查 server.txt 里的地址，或请服务商更换有效的证书。")
            .arg(host, detail);
    return QStringLiteral("无法与 %1 建立安全连接（%2）。为了安全，密码和资料都没有发送。\n"
                          "请检查 server.txt 里的地址是否确是 https 服务。")
        .arg(host, detail);
}

QString newPasswordProblem(const QString& password)
{
    for (const char16_t c : {u'&', u'%', u'+'}) {
        if (password.contains(QChar(c)))
            return QStringLiteral("新密码不能含有 &、% 或 + 字符，请换一个。");
    }
    return {};
}

QString stateText(int state)
{
    static const char16_t* const kTexts[] = {
        u"无状态可报告",           u"查询主机",
        u"成功找到主机",           u"与主机连接",
        u"成功与主机连接",         u"向主机发送请",
        u"发送请求已成功",         u"正在接收主机的响应",
        u"成功地接收到主机的响应", u"正在解除与主机的连接",
        u"成功地与主机解除了连接", u"与主机通讯时出现了错误",
        u"向主机发送数据完毕",
    };
    if (state < 0 || state > kStateComplete)
        return {};
    return QString::fromUtf16(kTexts[state]);
}

} // namespace ServiceProtocol
