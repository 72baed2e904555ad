#include "keywordlist/KeywordListBox.h"

#include "keywordlist/KeywordListAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFutureWatcher>
#include <QMenu>
#include <Qsci/qscicommandset.h>
#include <QtConcurrent/QtConcurrentRun>
#include <cstddef>
#include <mutex>

// Scintilla's ILoader, declared as its ILoader.h does (the distribution's package does not install that
// header): a document that is filled on a worker thread before any view shows it. It is the same class
// as the library's, at global scope and by the same name, so calls through it are calls on the
// library's objects; in an anonymous namespace the compiler would know no implementation of it.
class ILoader
{
public:
    virtual int Release() = 0;
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;
};

namespace {

// Whether an assistive technology is connected, kept up to date by Qt's accessibility: reports of
// changes cost time, so they are only made when someone listens.
class AccessibilityListener : public QAccessible::ActivationObserver
{
public:
    AccessibilityListener() : m_active(QAccessible::isActive()) { QAccessible::installActivationObserver(this); }
    void accessibilityActiveChanged(bool active) override { m_active = active; }
    bool active() const { return m_active; }

private:
    bool m_active;
};

bool assistiveTechnologyListens()
{
    static AccessibilityListener listener;
    return listener.active();
}

constexpr int kLoaderOk = 0;
// Offsets within this many bytes of the start are counted rather than looked up.
constexpr long kCountedBytes = 64 * 1024;
// Pieces small enough to stop soon after closing, large enough to cost nothing in calls.
constexpr qsizetype kPieceBytes = 1 << 20;

// UTF-16 code units of UTF-8 text: one a character, two for one beyond the Basic Multilingual Plane.
qsizetype utf16Units(const char* bytes, qsizetype length)
{
    qsizetype units = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const auto byte = uchar(bytes[i]);
        units += (byte & 0xC0) != 0x80 ? (byte >= 0xF0 ? 2 : 1) : 0;
    }
    return units;
}

} // namespace

// A document being filled off the GUI thread; released unless a box takes it.
class KeywordListBox::Document
{
public:
    explicit Document(ILoader* loader) : m_loader(loader) {}
    ~Document()
    {
        if (m_loader)
            m_loader->Release();
    }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    bool add(QByteArrayView bytes, const std::atomic_bool& cancelled)
    {
        for (qsizetype at = 0; at < bytes.size(); at += kPieceBytes) {
            if (cancelled)
                return false;
            const qsizetype length = std::min(kPieceBytes, bytes.size() - at);
            if (m_loader->AddData(bytes.constData() + at, length) != kLoaderOk)
                return false;
            m_codeUnits += utf16Units(bytes.constData() + at, length);
        }
        return true;
    }
    // The document's length as assistive technology counts it, counted here on the worker.
    qsizetype codeUnits() const { return m_codeUnits; }
    // The document for SCI_SETDOCPOINTER; this object keeps its reference until destroyed.
    void* document() const { return m_loader->ConvertToDocument(); }

private:
    ILoader* m_loader;
    qsizetype m_codeUnits = 0;
};

// Making a loader only builds a new document: it touches nothing of the editor, and so can run on the
// worker. The box's destructor waits for one under way.
struct KeywordListBox::DocumentMaker
{
    std::mutex mutex;
    KeywordListBox* box = nullptr;

    ILoader* make(qsizetype bytes)
    {
        std::lock_guard lock(mutex);
        if (!box)
            return nullptr;
        return reinterpret_cast<ILoader*>(box->SendScintilla(SCI_CREATELOADER, static_cast<unsigned long>(bytes),
                                                             long(SC_DOCUMENTOPTION_STYLES_NONE)));
    }
};

KeywordListBox::KeywordListBox(QWidget* parent)
    : QsciScintilla(parent), m_documentMaker(std::make_shared<DocumentMaker>())
{
    m_documentMaker->box = this;
    // A document without a style byte per character: the list is never highlighted, and styles would
    // double its memory.
    const long document = SendScintilla(SCI_CREATEDOCUMENT, 0UL, long(SC_DOCUMENTOPTION_STYLES_NONE));
    SendScintilla(SCI_SETDOCPOINTER, 0UL, reinterpret_cast<void*>(document));
    SendScintilla(SCI_RELEASEDOCUMENT, 0UL, reinterpret_cast<void*>(document));

    setUtf8(true);
    setEolMode(EolUnix);
    setWrapMode(WrapNone);
    for (int margin = 0; margin < 3; ++margin)
        setMarginWidth(margin, 0);
    // The horizontal scroll bar follows the widest line shown so far, as in other text boxes.
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
    // Redo also on the platform's own key, which the context menu shows.
    if (QsciCommand* redo = standardCommands()->find(QsciCommand::Redo))
        redo->setAlternateKey(QKeySequence(QKeySequence::Redo)[0].toCombined());
    setFrameShape(QFrame::StyledPanel);
    setFont(QApplication::font(this));
    applyPalette();
    // Changes are reported before they are made, and nothing after: the library's own report of a
    // change counts every character from the start of the text to it, a quarter of a second at the end
    // of a million lines, at every key pressed there.
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE));
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, [this](int position, int type, const char*, int length) {
        // The length in UTF-16 follows every change, so that asking for it never builds the index of a
        // million lines on this thread: text going in is counted once it is in.
        countInsertion();
        aboutToChange(position, type, length);
        if (type & SC_MOD_BEFOREINSERT)
            m_uncounted = {position, length};
        else if (type & SC_MOD_BEFOREDELETE)
            m_codeUnits -=
                SendScintilla(SCI_COUNTCODEUNITS, static_cast<unsigned long>(position), long(position) + length);
    });
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this] {
        reportInsertion();
        reportCaret();
    });
    // The same, for the keyword window, which knows the box through its interface only.
    connect(this, &KeywordListBox::edited, this, [this] {
        if (onEdited)
            onEdited();
    });
    connect(this, &KeywordListBox::filled, this, [this](bool complete) {
        if (onFilled)
            onFilled(complete);
    });
    KeywordListAccessible::install();
    assistiveTechnologyListens(); // from now on, follows connecting and leaving
}

void KeywordListBox::aboutToChange(int position, int type, int length)
{
    reportInsertion();
    // Quiet changes leave the text as it was (the buffer's gap moved for the next keywords): nothing to
    // tell the window or assistive technology, whose first report would cost a pass over the whole list.
    if (m_quiet)
        return;
    emit edited();
    if (!assistiveTechnologyListens() || length <= 0)
        return;
    if (type & SC_MOD_BEFOREDELETE) {
        QAccessibleTextRemoveEvent removed(this, offsetAt(position), textBetween(position, position + length));
        QAccessible::updateAccessibility(&removed);
    } else if (type & SC_MOD_BEFOREINSERT) {
        // The text is there to report once the insertion is done: before the next change or update.
        m_insertedAt = position;
        m_insertedLength = length;
        QMetaObject::invokeMethod(this, &KeywordListBox::reportInsertion, Qt::QueuedConnection);
    }
}

void KeywordListBox::reportInsertion()
{
    if (m_insertedAt < 0)
        return;
    const long at = std::exchange(m_insertedAt, -1);
    QAccessibleTextInsertEvent inserted(this, offsetAt(at), textBetween(at, at + m_insertedLength));
    QAccessible::updateAccessibility(&inserted);
}

void KeywordListBox::reportCaret()
{
    if (!assistiveTechnologyListens())
        return;
    const int caret = offsetAt(SendScintilla(SCI_GETCURRENTPOS));
    const int anchor = offsetAt(SendScintilla(SCI_GETANCHOR));
    const int start = std::min(caret, anchor);
    const int end = std::max(caret, anchor);
    // A selection that appears, changes or goes away is reported; a caret moving without one is not.
    if ((start != m_reportedStart || end != m_reportedEnd) && (start != end || m_reportedStart != m_reportedEnd)) {
        QAccessibleTextSelectionEvent selection(this, start, end);
        QAccessible::updateAccessibility(&selection);
    }
    if (caret != m_reportedCaret) {
        QAccessibleTextCursorEvent moved(this, caret);
        QAccessible::updateAccessibility(&moved);
    }
    m_reportedCaret = caret;
    m_reportedStart = start;
    m_reportedEnd = end;
}

void KeywordListBox::ensureLineIndex() const
{
    if (!(SendScintilla(SCI_GETLINECHARACTERINDEX) & SC_LINECHARACTERINDEX_UTF16))
        SendScintilla(SCI_ALLOCATELINECHARACTERINDEX, static_cast<unsigned long>(SC_LINECHARACTERINDEX_UTF16));
}

void KeywordListBox::countInsertion() const
{
    if (m_uncounted.first < 0)
        return;
    const auto [position, length] = std::exchange(m_uncounted, {-1, 0});
    m_codeUnits += SendScintilla(SCI_COUNTCODEUNITS, static_cast<unsigned long>(position), position + length);
}

int KeywordListBox::characterCount() const
{
    countInsertion();
    return int(m_codeUnits);
}

int KeywordListBox::offsetAt(long position) const
{
    // Near the top, where the caret stands after a load and the search inserts, the code units are
    // counted from the start: the index over a million lines is built only when a place deeper in the
    // list is asked for.
    countInsertion();
    const bool indexed = SendScintilla(SCI_GETLINECHARACTERINDEX) & SC_LINECHARACTERINDEX_UTF16;
    if (position <= kCountedBytes && !indexed)
        return int(SendScintilla(SCI_COUNTCODEUNITS, 0UL, position));
    // So near the end, where a screen reader reads what came in last: counted back from the length.
    const long length = SendScintilla(SCI_GETLENGTH);
    if (length - position <= kCountedBytes && !indexed)
        return int(m_codeUnits - SendScintilla(SCI_COUNTCODEUNITS, static_cast<unsigned long>(position), length));
    ensureLineIndex();
    const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    return int(
        SendScintilla(SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line), long(SC_LINECHARACTERINDEX_UTF16)) +
        SendScintilla(SCI_COUNTCODEUNITS, static_cast<unsigned long>(lineStart), position));
}

long KeywordListBox::positionAt(int offset) const
{
    if (offset <= kCountedBytes / 4 && !(SendScintilla(SCI_GETLINECHARACTERINDEX) & SC_LINECHARACTERINDEX_UTF16)) {
        // Within the first kCountedBytes / 4 units a position is found by counting from the start.
        const long position = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, 0UL, long(offset));
        if (position > 0 || offset == 0)
            return position;
    }
    countInsertion();
    if (m_codeUnits - offset <= kCountedBytes / 4 &&
        !(SendScintilla(SCI_GETLINECHARACTERINDEX) & SC_LINECHARACTERINDEX_UTF16)) {
        const long end = SendScintilla(SCI_GETLENGTH);
        const long position = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(end),
                                            -long(m_codeUnits - std::max(offset, 0)));
        if (position > 0 || offset <= 0)
            return position;
    }
    ensureLineIndex();
    offset = std::clamp(offset, 0, characterCount());
    const long line =
        SendScintilla(SCI_LINEFROMINDEXPOSITION, static_cast<unsigned long>(offset), long(SC_LINECHARACTERINDEX_UTF16));
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long lineOffset =
        SendScintilla(SCI_INDEXPOSITIONFROMLINE, static_cast<unsigned long>(line), long(SC_LINECHARACTERINDEX_UTF16));
    if (offset == lineOffset)
        return lineStart;
    // An offset inside a surrogate pair gives 0: the character's start is meant.
    const long position =
        SendScintilla(SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(lineStart), long(offset - lineOffset));
    return position > 0 ? position
                        : SendScintilla(SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(lineStart),
                                        long(offset - lineOffset - 1));
}

QString KeywordListBox::textBetween(long from, long to) const
{
    const long length = SendScintilla(SCI_GETLENGTH);
    from = std::clamp(from, 0L, length);
    to = std::clamp(to, from, length);
    QByteArray bytes(to - from + 1, Qt::Uninitialized);
    SendScintilla(SCI_GETTEXTRANGE, from, to, bytes.data());
    return QString::fromUtf8(bytes.constData(), to - from);
}

KeywordListBox::~KeywordListBox()
{
    cancelFill();
    std::lock_guard lock(m_documentMaker->mutex);
    m_documentMaker->box = nullptr;
}

void KeywordListBox::cancelFill()
{
    if (m_fillCancelled)
        *m_fillCancelled = true;
}

void KeywordListBox::applyPalette()
{
    const QPalette colors = palette();
    setPaper(colors.color(QPalette::Base));
    setColor(colors.color(QPalette::Text));
    setCaretForegroundColor(colors.color(QPalette::Text));
    setSelectionBackgroundColor(colors.color(QPalette::Highlight));
    setSelectionForegroundColor(colors.color(QPalette::HighlightedText));
}

void KeywordListBox::changeEvent(QEvent* event)
{
    QsciScintilla::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyPalette();
    else if (event->type() == QEvent::FontChange)
        setFont(font());
}

void KeywordListBox::appendListInBackground(QByteArray utf8Lines)
{
    const qsizetype size = length() + utf8Lines.size();
    fillInBackground(
        [lines = std::move(utf8Lines)](Document& document, QByteArrayView current, const std::atomic_bool& cancelled) {
            return document.add(current, cancelled) && document.add(lines, cancelled);
        },
        size);
}

void KeywordListBox::keepLinesInBackground(LineFilter filter)
{
    fillInBackground(
        [filter = std::move(filter)](Document& document, QByteArrayView current, const std::atomic_bool& cancelled) {
            // Written piece by piece through a small buffer: the kept lines are never copied whole.
            QByteArray piece;
            piece.reserve(kPieceBytes + 4096);
            for (QByteArrayView line : filter(current)) {
                piece += line;
                piece += '\n';
                if (piece.size() >= kPieceBytes) {
                    if (!document.add(piece, cancelled))
                        return false;
                    piece.resize(0);
                }
            }
            return document.add(piece, cancelled);
        },
        length());
}

void KeywordListBox::fillInBackground(Build build, qsizetype sizeHint)
{
    if (isFilling())
        return;
    m_readOnlyBeforeFill = isReadOnly();
    setReadOnly(true);
    // Read in place by the worker: the document cannot change while the box is read-only, and nothing
    // moves its text while nothing is inserted.
    const QByteArrayView current(reinterpret_cast<const char*>(SendScintilla(SCI_GETCHARACTERPOINTER)), length());
    m_fillCancelled = std::make_shared<std::atomic_bool>(false);
    m_filling = new QFutureWatcher<std::shared_ptr<Document>>(this);
    connect(m_filling, &QFutureWatcher<std::shared_ptr<Document>>::finished, this, [this] {
        const std::shared_ptr<Document> built = m_filling->result();
        const bool cancelled = *m_fillCancelled;
        m_filling->deleteLater();
        m_filling = nullptr;
        m_fillCancelled.reset();
        const QString waiting = std::exchange(m_waitingForTop, QString());
        if (!cancelled && built)
            adoptDocument(built);
        // Read-only is a property of the document: set it on the one now shown.
        setReadOnly(m_readOnlyBeforeFill);
        if (cancelled)
            return;
        insertAtTop(waiting);
        emit filled(built != nullptr);
    });
    m_filling->setFuture(QtConcurrent::run([maker = m_documentMaker, sizeHint, current, build = std::move(build),
                                            cancelled = m_fillCancelled]() -> std::shared_ptr<Document> {
        if (*cancelled)
            return nullptr;
        // The new buffer is allocated whole before it is filled, with room for the keywords a search
        // adds: growing it piece by piece would copy it again and again.
        ILoader* loader = maker->make(sizeHint + sizeHint / 8 + 65536);
        if (!loader)
            return nullptr;
        auto document = std::make_shared<Document>(loader);
        if (*cancelled || !build(*document, current, *cancelled))
            return nullptr;
        return document;
    }));
}

void KeywordListBox::adoptDocument(const std::shared_ptr<Document>& document)
{
    m_uncounted = {-1, 0};
    m_codeUnits = document->codeUnits();
    const bool collecting = SendScintilla(SCI_GETUNDOCOLLECTION);
    m_quiet = true;
    SendScintilla(SCI_SETDOCPOINTER, 0UL, document->document());
    // A new document has the defaults: no styles are kept, line ends are LF, and undo is as it was.
    SendScintilla(SCI_SETEOLMODE, SC_EOL_LF);
    SendScintilla(SCI_SETUNDOCOLLECTION, collecting ? 1UL : 0UL);
    // New keywords go in at the top: the buffer's gap is moved there now, as part of the loading,
    // rather than by the first insertion.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_INSERTTEXT, 0UL, "\n");
    SendScintilla(SCI_DELETERANGE, 0UL, 1L);
    m_quiet = false;
    SendScintilla(SCI_SETUNDOCOLLECTION, collecting ? 1UL : 0UL);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
}

void KeywordListBox::insertAtTop(QStringView text)
{
    if (text.isEmpty())
        return;
    if (isFilling()) {
        m_waitingForTop.prepend(text);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    const bool readOnly = isReadOnly();
    setReadOnly(false);
    const long anchor = SendScintilla(SCI_GETANCHOR);
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    SendScintilla(SCI_SETTARGETRANGE, 0UL, 0L);
    SendScintilla(SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
    // Positions after the insertion moved with it; a caret at the very start stays with the old first
    // line rather than ending up before the new text.
    if (anchor == 0 || caret == 0) {
        const long moved = bytes.size();
        const long newAnchor = anchor == 0 ? moved : SendScintilla(SCI_GETANCHOR);
        const long newCaret = caret == 0 ? moved : SendScintilla(SCI_GETCURRENTPOS);
        // Set without scrolling the caret into view: the lines in view stay where they are.
        SendScintilla(SCI_SETCURRENTPOS, static_cast<unsigned long>(newCaret));
        SendScintilla(SCI_SETANCHOR, static_cast<unsigned long>(newAnchor));
    }
    setReadOnly(readOnly);
}

qsizetype KeywordListBox::removeLines(const QSet<QString>& lines)
{
    if (lines.isEmpty() || isFilling() || isReadOnly())
        return 0;
    QSet<QByteArray> wanted;
    for (const QString& line : lines)
        wanted.insert(line.toUtf8());
    // The ranges of the lines to go, read from the document in place, then taken out from the last.
    const auto* text = reinterpret_cast<const char*>(SendScintilla(SCI_GETCHARACTERPOINTER));
    const QByteArrayView document(text, length());
    std::vector<std::pair<long, long>> ranges; // start, end after the line end
    qsizetype removed = 0;
    for (qsizetype start = 0; start < document.size();) {
        qsizetype end = document.indexOf('\n', start);
        end = end < 0 ? document.size() : end + 1;
        QByteArrayView line = document.sliced(start, end - start);
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (wanted.contains(QByteArray::fromRawData(line.data(), line.size()))) {
            ++removed;
            if (!ranges.empty() && ranges.back().second == start)
                ranges.back().second = long(end);
            else
                ranges.emplace_back(long(start), long(end));
        }
        start = end;
    }
    SendScintilla(SCI_BEGINUNDOACTION);
    for (auto range = ranges.crbegin(); range != ranges.crend(); ++range)
        SendScintilla(SCI_DELETERANGE, static_cast<unsigned long>(range->first), range->second - range->first);
    SendScintilla(SCI_ENDUNDOACTION);
    return removed;
}

QVariant KeywordListBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // The base class gives the whole paragraph around the caret, which in a list without blank lines
    // is the whole list, copied at every caret move.
    switch (query) {
    case Qt::ImSurroundingText:
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: {
        const long caret = SendScintilla(SCI_GETCURRENTPOS);
        const long line = SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(caret));
        const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        if (query == Qt::ImSurroundingText)
            return textBetween(start, end);
        long position = query == Qt::ImCursorPosition ? caret : SendScintilla(SCI_GETANCHOR);
        position = std::clamp(position, start, end);
        return int(textBetween(start, position).size());
    }
    default:
        return QsciScintilla::inputMethodQuery(query);
    }
}

void KeywordListBox::setUndoEnabled(bool enabled)
{
    SendScintilla(SCI_SETUNDOCOLLECTION, enabled ? 1UL : 0UL);
    if (!enabled)
        SendScintilla(SCI_EMPTYUNDOBUFFER);
}

bool KeywordListBox::focusNextPrevChild(bool next)
{
    // Tab moves on to the next control; a list of keywords has no use for tab characters.
    return QWidget::focusNextPrevChild(next);
}

void KeywordListBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const bool writable = !isReadOnly();
    const bool selected = hasSelectedText();
    menu.addAction(QStringLiteral("撤销(&U)"), QKeySequence::Undo, this, &KeywordListBox::undo)
        ->setEnabled(writable && isUndoAvailable());
    menu.addAction(QStringLiteral("重做(&R)"), QKeySequence::Redo, this, &KeywordListBox::redo)
        ->setEnabled(writable && isRedoAvailable());
    menu.addSeparator();
    menu.addAction(QStringLiteral("剪切(&T)"), QKeySequence::Cut, this, &KeywordListBox::cut)
        ->setEnabled(writable && selected);
    menu.addAction(QStringLiteral("复制(&C)"), QKeySequence::Copy, this, &KeywordListBox::copy)->setEnabled(selected);
    menu.addAction(QStringLiteral("粘贴(&P)"), QKeySequence::Paste, this, &KeywordListBox::paste)
        ->setEnabled(writable && SendScintilla(SCI_CANPASTE));
    menu.addAction(QStringLiteral("删除"), this, &KeywordListBox::removeSelectedText)->setEnabled(writable && selected);
    menu.addSeparator();
    menu.addAction(QStringLiteral("全选(&A)"), QKeySequence::SelectAll, this, [this] { selectAll(true); })
        ->setEnabled(!isEmpty());
    menu.exec(event->globalPos());
}
