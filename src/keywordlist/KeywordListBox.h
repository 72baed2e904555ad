#pragma once

#include "keywordlist/KeywordList.h"

#include <Qsci/qsciscintilla.h>
#include <atomic>
#include <functional>
#include <memory>

template <typename T> class QFutureWatcher;

// The list of mined keywords: a plain multi-line text box, one keyword a line, that lays out only the
// lines in view and keeps its text as UTF-8 without styling, so a list of a million lines loads, scrolls
// and takes insertions at once and in little memory. It behaves as a text box does: typing, selection,
// clipboard, undo, Tab to the next control, a context menu in Chinese, and the accessible text
// interface with the whole text, caret and selection.
class KeywordListBox : public QsciScintilla, public KeywordList
{
    Q_OBJECT

public:
    explicit KeywordListBox(QWidget* parent = nullptr);
    ~KeywordListBox() override;

    QWidget* widget() override { return this; }
    QString toPlainText() const override { return text(); }
    qsizetype utf8Length() const override { return length(); }
    bool isEmpty() const { return length() == 0; }
    // Lines as the user sees them; an empty box has none, and a final line end starts an empty line.
    int lineCount() const override { return isEmpty() ? 0 : lines(); }

    // Appends a list read in (from a file, say) without holding up the window: its document is built
    // on a worker thread and then put in place of the box's, with no undo history. The box is read-only
    // until filled() follows.
    void appendListInBackground(QByteArray utf8Lines) override;
    void keepLinesInBackground(LineFilter filter) override;
    bool isFilling() const override { return m_filling != nullptr; }
    // Drops the text still being appended: nothing changes, and filled() does not follow.
    void cancelFill() override;
    // Puts text before the first line, also while the box is read-only. The caret, the selection and,
    // when scrolled down, the lines in view stay with the text they were on. While the box is being
    // filled, the text waits and goes on top of the filled list.
    void insertAtTop(QStringView text) override;
    qsizetype removeLines(const QSet<QString>& lines) override;
    void undo() override { QsciScintilla::undo(); }
    // Off while the box is filled from a file: a million lines of undo history would be of no use.
    void setUndoEnabled(bool enabled) override;
    void setReadOnly(bool readOnly) override { QsciScintilla::setReadOnly(readOnly); }

    // Positions in the text as assistive technology counts them (UTF-16 code units), converted through
    // Scintilla's line index in time that does not grow with the list.
    int characterCount() const;
    int offsetAt(long position) const;
    long positionAt(int offset) const;
    QString textBetween(long from, long to) const;

    // Input methods get the caret's line, not the whole list, as the text around the caret.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // The text changed other than by appendListInBackground(): by the user, or by insertAtTop().
    void edited();
    // The text given to appendListInBackground() is in the box; false when there was no memory for it
    // and the box is unchanged.
    void filled(bool complete);

protected:
    bool focusNextPrevChild(bool next) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class Document;
    // Builds the new document on a worker thread from the text in place; false when it cannot.
    using Build = std::function<bool(Document& document, QByteArrayView current, const std::atomic_bool& cancelled)>;
    void fillInBackground(Build build, qsizetype sizeHint);
    void adoptDocument(const std::shared_ptr<Document>& document);
    void applyPalette();
    void aboutToChange(int position, int type, int length);
    void reportInsertion();
    void reportCaret();
    void ensureLineIndex() const;
    void countInsertion() const;

    QFutureWatcher<std::shared_ptr<Document>>* m_filling = nullptr;
    std::shared_ptr<std::atomic_bool> m_fillCancelled;
    // The worker makes a fill's document through the box while the box lives: its buffer of many
    // megabytes is allocated there, not on the GUI thread.
    struct DocumentMaker;
    std::shared_ptr<DocumentMaker> m_documentMaker;
    bool m_readOnlyBeforeFill = false;
    QString m_waitingForTop; // insertAtTop() while filling
    bool m_quiet = false;    // the text changes without edited()
    // For assistive technology: an insertion reported once it is done, and the caret last reported.
    long m_insertedAt = -1;
    long m_insertedLength = 0;
    int m_reportedCaret = -1;
    int m_reportedStart = 0;
    int m_reportedEnd = 0;
    // The text's length in UTF-16 code units, and an insertion not counted in it yet.
    mutable qsizetype m_codeUnits = 0;
    mutable std::pair<long, long> m_uncounted{-1, 0};
};
