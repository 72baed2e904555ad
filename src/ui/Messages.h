#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message box and beep of the program goes through here, so that tests can put a recorder in
// place of the real boxes and no modal box ever blocks them.
class MessageSink
{
public:
    enum class SaveAnswer
    {
        Save,
        Discard,
        Cancel
    };

    virtual ~MessageSink() = default;
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual SaveAnswer askSave(QWidget* parent, const QString& title, const QString& text) = 0;
    // A yes/no question; true for yes.
    virtual bool ask(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void beep() = 0;
};

namespace Messages {

// Shows an OK-only box; without a title the application's title is used.
void show(QWidget* parent, const QString& text, const QString& title = {});
MessageSink::SaveAnswer askSave(QWidget* parent, const QString& text);
bool ask(QWidget* parent, const QString& text);
// Shows the box from the event loop, never inside the signal being handled, then runs after. Nothing
// happens once parent is gone.
void showLater(QWidget* parent, const QString& text, const QString& title = {}, std::function<void()> after = {});
void beep();

// Installs another sink (not owned); nullptr restores the real message boxes.
void setSink(MessageSink* sink);

} // namespace Messages
