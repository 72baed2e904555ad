#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

// What the keyword window needs of its list of keywords. The list box is built on the Scintilla editor
// component and lives in a module of its own, loaded with the first keyword window: a run that never
// opens one never loads the editor.
class KeywordList
{
public:
    // The lines to keep, each a piece of the text it is given (UTF-8, without its line end).
    using LineFilter = std::function<std::vector<QByteArrayView>(QByteArrayView utf8Text)>;

    virtual ~KeywordList() = default;

    // The box itself, a child of the parent it was made with.
    virtual QWidget* widget() = 0;
    virtual QString toPlainText() const = 0;
    // The text's size as UTF-8.
    virtual qsizetype utf8Length() const = 0;
    // Lines as the user sees them; an empty box has none.
    virtual int lineCount() const = 0;

    // Appends lines read in (UTF-8) without holding up the window and without undo history; the box is
    // read-only until onFilled.
    virtual void appendListInBackground(QByteArray utf8Lines) = 0;
    // Keeps only the lines the filter picks, in its order, each followed by a line end: on a worker
    // thread, in the same way.
    virtual void keepLinesInBackground(LineFilter filter) = 0;
    virtual bool isFilling() const = 0;
    // Drops what is still being filled in: nothing changes, and onFilled does not follow.
    virtual void cancelFill() = 0;
    // Puts text before the first line; the caret, the selection and the lines in view stay with theirs.
    virtual void insertAtTop(QStringView text) = 0;
    // Removes every line that is one of lines, in one step the user can undo; how many lines went.
    virtual qsizetype removeLines(const QSet<QString>& lines) = 0;
    // Takes back the last change, as the box's own undo does.
    virtual void undo() = 0;
    virtual void setUndoEnabled(bool enabled) = 0;
    virtual void setReadOnly(bool readOnly) = 0;

    // The text changed other than by filling: by the user or by insertAtTop().
    std::function<void()> onEdited;
    // A fill is done; false when there was no memory for it and the box is unchanged.
    std::function<void(bool complete)> onFilled;
};

// The module's entry point.
extern "C" {
using CreateKeywordListFunction = KeywordList* (*)(QWidget* parent);
}
#define QUILLON_CREATE_KEYWORD_LIST "quillon_create_keyword_list"
