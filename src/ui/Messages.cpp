#include "ui/Messages.h"

#include "base/AppInfo.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace {

class BoxSink final : public MessageSink
{
public:
    void information(QWidget* parent, const QString& title, const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
        box.exec();
    }

    SaveAnswer askSave(QWidget* parent, const QString& title, const QString& text) override
    {
        QMessageBox box(QMessageBox::Question, title, text,
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
        box.setDefaultButton(QMessageBox::Save);
        // The prompts name this choice 放弃; the button says the same.
        box.button(QMessageBox::Discard)->setText(QStringLiteral("放弃"));
        const int answer = box.exec();
        if (answer == QMessageBox::Save)
            return SaveAnswer::Save;
        return answer == QMessageBox::Discard ? SaveAnswer::Discard : SaveAnswer::Cancel;
    }

    bool ask(QWidget* parent, const QString& title, const QString& text) override
    {
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
               QMessageBox::Yes;
    }

    void beep() override { QApplication::beep(); }
};

BoxSink& boxSink()
{
    static BoxSink sink;
    return sink;
}

MessageSink* g_sink = nullptr;

MessageSink& sink()
{
    return g_sink ? *g_sink : boxSink();
}

} // namespace

namespace Messages {

void show(QWidget* parent, const QString& text, const QString& title)
{
    sink().information(parent, title.isEmpty() ? AppInfo::title() : title, text);
}

void showLater(QWidget* parent, const QString& text, const QString& title, std::function<void()> after)
{
    QMetaObject::invokeMethod(
        parent,
        [parent, text, title, after = std::move(after)] {
            show(parent, text, title);
            if (after)
                after();
        },
        Qt::QueuedConnection);
}

MessageSink::SaveAnswer askSave(QWidget* parent, const QString& text)
{
    return sink().askSave(parent, AppInfo::title(), text);
}

bool ask(QWidget* parent, const QString& text)
{
    return sink().ask(parent, AppInfo::title(), text);
}

void beep()
{
    sink().beep();
}

void setSink(MessageSink* newSink)
{
    g_sink = newSink;
}

} // namespace Messages
