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

QString uploadBody(const UploadFields& fields)
{
    QString joined;
    for (int i = 0; i < 5; ++i) {
        if (i > 0)
            joined += u"|*|";
        joined += trimmed(fields.contact[i]);
    }
    const QString contact = trimmed(QString(EncodeFormValue(joined) + u"|*|"));
    return u"action=UWork&Contact=" + contact + u"&url=" + trimmed(fields.urlJoined) + u"&biaoshi=" +
           trimmed(fields.biaoshiJoined) + u"&Word=" + trimmed(fields.keywords);
}

QString generationBody(const GenerationFields& fields)
{
    return u"action=madeweb&Biaoshi=" + trimmed(fields.biaoshi) + u"&shuliang=" + trimmed(fields.shuliang) +
           u"&Ltitle=" + trimmed(fields.title) + u"&Lbody=" + trimmed(fields.body) + u"&Lhang=" + trimmed(fields.hang) +
           u"&Ljj=" + trimmed(fields.introduction);
}

ReplyOutcome classifyReply(Action action, const QString& reply)
{
    const bool material = action == Action::UWork || action == Action::madeweb;
    if (reply.size() >= 3)
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
