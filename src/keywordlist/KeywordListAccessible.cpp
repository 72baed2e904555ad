#include "keywordlist/KeywordListAccessible.h"

#include "keywordlist/KeywordListBox.h"

#include <QTextBoundaryFinder>

namespace {

QAccessibleInterface* keywordListFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("KeywordListBox") && object && object->isWidgetType())
        return new KeywordListAccessible(static_cast<KeywordListBox*>(object));
    return nullptr;
}

// Scintilla positions are longs and its messages take unsigned ones.
unsigned long at(long position)
{
    return static_cast<unsigned long>(position);
}

} // namespace

KeywordListAccessible::KeywordListAccessible(KeywordListBox* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

void KeywordListAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(keywordListFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

KeywordListBox* KeywordListAccessible::box() const
{
    return static_cast<KeywordListBox*>(widget());
}

QAccessible::State KeywordListAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.multiLine = true;
    state.selectableText = true;
    if (box()->isReadOnly())
        state.readOnly = true;
    else
        state.editable = true;
    return state;
}

void* KeywordListAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

void KeywordListAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || selectionCount() == 0)
        return;
    *startOffset = box()->offsetAt(box()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART));
    *endOffset = box()->offsetAt(box()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND));
}

int KeywordListAccessible::selectionCount() const
{
    return box()->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEMPTY) ? 0 : 1;
}

void KeywordListAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void KeywordListAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->SendScintilla(QsciScintillaBase::SCI_SETEMPTYSELECTION,
                             at(box()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS)));
}

void KeywordListAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        box()->SendScintilla(QsciScintillaBase::SCI_SETSEL, at(box()->positionAt(startOffset)),
                             box()->positionAt(endOffset));
}

int KeywordListAccessible::cursorPosition() const
{
    return box()->offsetAt(box()->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS));
}

void KeywordListAccessible::setCursorPosition(int position)
{
    box()->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, at(box()->positionAt(position)));
}

QString KeywordListAccessible::text(int startOffset, int endOffset) const
{
    return box()->textBetween(box()->positionAt(startOffset), box()->positionAt(endOffset));
}

int KeywordListAccessible::characterCount() const
{
    return box()->characterCount();
}

bool KeywordListAccessible::pieceAt(int offset, QAccessible::TextBoundaryType boundaryType, int* start, int* end) const
{
    const int count = characterCount();
    if (offset == -1)
        offset = count;
    if (offset < 0 || offset > count)
        return false;
    if (boundaryType == QAccessible::NoBoundary) {
        *start = 0;
        *end = count;
        return true;
    }
    if (boundaryType == QAccessible::CharBoundary) {
        if (offset == count)
            return false;
        const long position = box()->positionAt(offset);
        *start = box()->offsetAt(position);
        *end = box()->offsetAt(box()->SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, at(position)));
        return true;
    }
    // Lines; a keyword list has no sentences or paragraphs other than its lines.
    KeywordListBox* list = box();
    const long line = list->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, at(list->positionAt(offset)));
    const long lineStart = list->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, at(line));
    const long nextLine = list->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, at(line + 1));
    *start = list->offsetAt(lineStart);
    *end = nextLine < 0 ? count : list->offsetAt(nextLine);
    if (boundaryType != QAccessible::WordBoundary)
        return true;
    const QString lineText = text(*start, *end);
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, lineText);
    words.setPosition(offset - *start);
    const qsizetype wordStart = words.isAtBoundary() ? words.position() : words.toPreviousBoundary();
    words.setPosition(wordStart);
    const qsizetype wordEnd = words.toNextBoundary();
    if (wordStart < 0 || wordEnd < 0)
        return false;
    *end = *start + int(wordEnd);
    *start += int(wordStart);
    return true;
}

QString KeywordListAccessible::piece(bool found, int* startOffset, int* endOffset, int start, int end) const
{
    if (!found) {
        *startOffset = *endOffset = -1;
        return {};
    }
    *startOffset = start;
    *endOffset = end;
    return text(start, end);
}

QString KeywordListAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                            int* endOffset) const
{
    int start = 0;
    int end = 0;
    const bool found = pieceAt(offset, boundaryType, &start, &end);
    return piece(found, startOffset, endOffset, start, end);
}

QString KeywordListAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                                int* startOffset, int* endOffset) const
{
    int start = 0;
    int end = 0;
    const bool found = pieceAt(offset, boundaryType, &start, &end) && start > 0 &&
                       boundaryType != QAccessible::NoBoundary && pieceAt(start - 1, boundaryType, &start, &end);
    return piece(found, startOffset, endOffset, start, end);
}

QString KeywordListAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                                               int* endOffset) const
{
    int start = 0;
    int end = 0;
    const bool found = pieceAt(offset, boundaryType, &start, &end) && end < characterCount() &&
                       boundaryType != QAccessible::NoBoundary && pieceAt(end, boundaryType, &start, &end);
    return piece(found, startOffset, endOffset, start, end);
}

QRect KeywordListAccessible::characterRect(int offset) const
{
    KeywordListBox* list = box();
    const long position = list->positionAt(offset);
    const long next = list->SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, at(position));
    const long line = list->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, at(position));
    const int x = int(list->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position));
    const int y = int(list->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, position));
    const bool sameLine = list->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, at(next)) == line;
    const int nextX = sameLine && next > position
                          ? int(list->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, next))
                          : x;
    const int height = int(list->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, at(line)));
    const QRect local(x, y, std::max(1, nextX - x), height);
    return QRect(list->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int KeywordListAccessible::offsetAtPoint(const QPoint& point) const
{
    KeywordListBox* list = box();
    const QPoint local = list->viewport()->mapFromGlobal(point);
    const long position =
        list->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMPOINTCLOSE, at(local.x()), long(local.y()));
    return position < 0 ? -1 : list->offsetAt(position);
}

void KeywordListAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    box()->SendScintilla(QsciScintillaBase::SCI_SCROLLRANGE, at(box()->positionAt(endIndex)),
                         box()->positionAt(startIndex));
}

QString KeywordListAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // Plain text: one run without attributes.
    Q_UNUSED(offset);
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void KeywordListAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void KeywordListAccessible::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

void KeywordListAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    KeywordListBox* list = box();
    if (list->isReadOnly())
        return;
    const QByteArray bytes = text.toUtf8();
    list->SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE, at(list->positionAt(startOffset)),
                        list->positionAt(endOffset));
    list->SendScintilla(QsciScintillaBase::SCI_REPLACETARGET, uintptr_t(bytes.size()), bytes.constData());
}
