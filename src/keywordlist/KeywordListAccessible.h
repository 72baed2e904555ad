#pragma once

#include <QAccessibleWidget>

class KeywordListBox;

// What assistive technology sees of the keyword list: an editable multi-line text with its whole text,
// caret and selection. Offsets are UTF-16 code units, as Qt's accessibility counts them; every query
// takes time that does not grow with the length of the list.
class KeywordListAccessible : public QAccessibleWidget,
                              public QAccessibleTextInterface,
                              public QAccessibleEditableTextInterface
{
public:
    explicit KeywordListAccessible(KeywordListBox* box);

    // Makes Qt ask this class for every KeywordListBox; done once.
    static void install();

    using QAccessibleWidget::text; // the name and description, beside the text interface's text()
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                             int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                            int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    KeywordListBox* box() const;
    // The piece of text of the given kind around offset, as offsets; false where there is none.
    bool pieceAt(int offset, QAccessible::TextBoundaryType boundaryType, int* start, int* end) const;
    QString piece(bool found, int* startOffset, int* endOffset, int start, int end) const;
};
