#pragma once

#include "ui/Messages.h"

#include <QList>
#include <QString>

// Stands in for the message boxes while a test runs: records what would have been shown.
class MessageRecorder final : public MessageSink
{
public:
    struct Shown
    {
        QString title;
        QString text;
    };

    MessageRecorder() { Messages::setSink(this); }
    ~MessageRecorder() override { Messages::setSink(nullptr); }

    void information(QWidget*, const QString& title, const QString& text) override { shown.append({title, text}); }
    SaveAnswer askSave(QWidget*, const QString& title, const QString& text) override
    {
        questions.append({title, text});
        return nextSaveAnswer;
    }
    bool ask(QWidget*, const QString& title, const QString& text) override
    {
        questions.append({title, text});
        return nextAnswer;
    }
    void beep() override { ++beeps; }

    QStringList texts() const
    {
        QStringList result;
        for (const Shown& s : shown)
            result.append(s.text);
        return result;
    }
    void clear()
    {
        shown.clear();
        questions.clear();
        beeps = 0;
    }

    QList<Shown> shown;
    QList<Shown> questions;
    SaveAnswer nextSaveAnswer = SaveAnswer::Save;
    bool nextAnswer = true;
    int beeps = 0;
};
