#include "keywordlist/KeywordListBox.h"

#include <QtTest>
#include <QtWidgets>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

// Places the caret, and the anchor when given, by line and UTF-16 index.
void place(KeywordListBox& box, int line, int index, int anchorLine = -1, int anchorIndex = -1)
{
    if (anchorLine < 0)
        box.setCursorPosition(line, index);
    else
        box.setSelection(anchorLine, anchorIndex, line, index);
}

// Reads a list in, as the window does.
void fill(KeywordListBox& box, const QString& text)
{
    QSignalSpy filled(&box, &KeywordListBox::filled);
    box.appendListInBackground(text.toUtf8());
    QVERIFY(filled.wait(5000));
}

QString caretLineText(const KeywordListBox& box)
{
    int line = 0;
    int index = 0;
    box.getCursorPosition(&line, &index);
    return box.text(line);
}

// The events the accessibility bridge would have sent, while this object lives. The platform's
// accessibility is switched on as a screen reader connecting would.
struct AccessibleEvents
{
    static inline QStringList events; // "inserted <position> <text>", "removed …", "caret <position>"
    QAccessible::UpdateHandler previous;

    AccessibleEvents()
    {
        events.clear();
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            if (event->type() == QAccessible::TextInserted) {
                auto* inserted = static_cast<QAccessibleTextInsertEvent*>(event);
                events.append(u"inserted %1 %2"_qs.arg(inserted->changePosition()).arg(inserted->textInserted()));
            } else if (event->type() == QAccessible::TextRemoved) {
                auto* removed = static_cast<QAccessibleTextRemoveEvent*>(event);
                events.append(u"removed %1 %2"_qs.arg(removed->changePosition()).arg(removed->textRemoved()));
            } else if (event->type() == QAccessible::TextCaretMoved) {
                events.append(u"caret %1"_qs.arg(static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition()));
            }
        });
    }
    ~AccessibleEvents()
    {
        QAccessible::installUpdateHandler(previous);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
    }
};

} // namespace

class KeywordListBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void editsAsATextBoxDoes()
    {
        KeywordListBox box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        fill(box, u"甲\n乙\n"_qs);
        QVERIFY(!box.isUndoAvailable()); // a list read in is not an edit
        place(box, 2, 0);
        // Undo switched off forgets what could be undone, and collects nothing until it is back on.
        QTest::keyClicks(&box, u"x"_qs);
        box.setUndoEnabled(false);
        QVERIFY(!box.isUndoAvailable());
        QTest::keyClicks(&box, u"y"_qs);
        QVERIFY(!box.isUndoAvailable());
        box.setUndoEnabled(true);
        QTest::keyClicks(&box, u"z"_qs);
        QVERIFY(box.isUndoAvailable());
        box.undo();
        QCOMPARE(box.toPlainText(), u"甲\n乙\nxy"_qs);
        // A new font is the text's font.
        const long height = box.SendScintilla(QsciScintilla::SCI_TEXTHEIGHT, 0UL);
        QFont bigger = box.font();
        bigger.setPointSize(bigger.pointSize() * 3);
        static_cast<QWidget&>(box).setFont(bigger); // as a style or the platform changes it
        QVERIFY(box.SendScintilla(QsciScintilla::SCI_TEXTHEIGHT, 0UL) > height);
        // Tab leaves the box, as in any other field: a keyword list has no use for tab characters.
        QWidget window;
        auto* list = new KeywordListBox(&window);
        auto* next = new QLineEdit(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Tab);
        QVERIFY(next->hasFocus());
        QCOMPARE(list->toPlainText(), QString());
    }

    // The context menu offers what can be done: nothing that changes a read-only list.
    void theContextMenuOffersWhatCanBeDone_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QStringList>("enabled");
        QTest::newRow("writable, selection")
            << false << true << QStringList{u"剪切(&T)"_qs, u"复制(&C)"_qs, u"粘贴(&P)"_qs, u"删除"_qs, u"全选(&A)"_qs};
        QTest::newRow("read-only, selection") << true << true << QStringList{u"复制(&C)"_qs, u"全选(&A)"_qs};
    }
    void theContextMenuOffersWhatCanBeDone()
    {
        QFETCH(bool, readOnly);
        QFETCH(bool, selected);
        QFETCH(QStringList, enabled);
        KeywordListBox box;
        box.show();
        fill(box, u"甲\n乙\n"_qs);
        box.setReadOnly(readOnly);
        place(box, 1, selected ? 1 : 0, 1, 0);
        QStringList offered;
        QTimer::singleShot(0, [&offered] {
            QWidget* popup = QApplication::activePopupWidget();
            for (QAction* action : popup ? popup->actions() : QList<QAction*>()) {
                if (action->isEnabled() && !action->isSeparator())
                    offered.append(action->text());
            }
            if (popup)
                popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), box.mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(box.viewport(), &event);
        QCOMPARE(offered, enabled);
    }

    void insertingAtTheTopKeepsCaretSelectionAndView()
    {
        KeywordListBox box;
        box.resize(200, 200);
        box.show();
        fill(box, u"one\ntwo\nthree\n"_qs);

        place(box, 1, 1); // t|wo
        box.insertAtTop(u"new\n");
        QCOMPARE(caretLineText(box), u"two\n"_qs);
        int line = 0;
        int index = 0;
        box.getCursorPosition(&line, &index);
        QCOMPARE(index, 1);

        place(box, 3, 3, 3, 0); // "thr" selected
        box.insertAtTop(u"a\nb\n");
        QCOMPARE(box.selectedText(), u"thr"_qs);

        // A caret at the very start stays with the line it was on.
        place(box, 0, 0);
        box.insertAtTop(u"top\n");
        QCOMPARE(caretLineText(box), u"a\n"_qs);

        // Scrolled down, the same lines stay in view; a read-only box still takes new keywords.
        QString many;
        for (int i = 0; i < 500; ++i)
            many += QString::number(i) + u'\n';
        fill(box, many); // the caret is at the start again, and stays there while the view moves
        box.setFirstVisibleLine(300);
        const QString firstShown = box.text(300);
        box.setReadOnly(true);
        box.insertAtTop(u"x\ny\n");
        QCOMPARE(box.text(box.firstVisibleLine()), firstShown);
        QCOMPARE(box.text(0), u"x\n"_qs);
    }

    void fillsInTheBackground()
    {
        KeywordListBox box;
        fill(box, u"head\n"_qs);
        QSignalSpy filled(&box, &KeywordListBox::filled);
        QSignalSpy edited(&box, &KeywordListBox::edited);
        box.appendListInBackground("k1\nk2\n");
        QVERIFY(box.isFilling());
        QVERIFY(box.isReadOnly());
        box.insertAtTop(u"found\n"); // waits for the list
        QVERIFY(filled.wait(5000));
        QCOMPARE(filled.first().first().toBool(), true);
        QCOMPARE(box.toPlainText(), u"found\nhead\nk1\nk2\n"_qs);
        QCOMPARE(edited.size(), 1); // the insertion only
        QVERIFY(!box.isReadOnly());
        // The list is not undone, and the new document is edited as the old one was.
        box.undo();
        QVERIFY(box.toPlainText().endsWith(u"head\nk1\nk2\n"_qs));
        box.setCursorPosition(0, 0);
        box.insert(u"z"_qs);
        QVERIFY(box.toPlainText().startsWith(u"z"_qs));
        QCOMPARE(box.eolMode(), QsciScintilla::EolUnix);

        // A box that was read-only stays so with its new document.
        box.setReadOnly(true);
        fill(box, u"more\n"_qs);
        QVERIFY(box.isReadOnly());
        box.setReadOnly(false);

        // Cancelled: nothing changes and nothing is signalled.
        const QString before = box.toPlainText();
        filled.clear();
        box.appendListInBackground("dropped\n");
        // Cancelled once the worker has built the new document, before the box hears of it.
        QVERIFY(QThreadPool::globalInstance()->waitForDone(5000));
        box.cancelFill();
        // The fill is over once the box says so: its end, had it been signalled, came before.
        QTRY_VERIFY(!box.isFilling());
        QVERIFY(filled.isEmpty());
        QCOMPARE(box.toPlainText(), before);
        QVERIFY(!box.isReadOnly());
    }

    void assistiveTechnologyReadsAndEditsTheText_data()
    {
        QTest::addColumn<int>("prefixLines");
        // Near the top offsets are counted; deep in a long list they come from the line index.
        QTest::newRow("top") << 0;
        QTest::newRow("deep") << 8000;
    }
    void assistiveTechnologyReadsAndEditsTheText()
    {
        QFETCH(int, prefixLines);
        const QString prefix = QString(u"前😀line\n"_qs).repeated(prefixLines);
        const int p = int(prefix.size());
        const int L = prefixLines;
        KeywordListBox box;
        box.setAccessibleName(u"长尾关键词"_qs);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // 😀 is two UTF-16 code units, 中 one: offsets are counted as Qt counts them.
        // Deep lines lie far from both ends of the list.
        fill(box, prefix + u"中😀a\nsecond line\n"_qs + prefix);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&box);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), u"长尾关键词"_qs);
        QVERIFY(accessible->state().editable && accessible->state().multiLine);
        QAccessibleTextInterface* text = accessible->textInterface();
        QVERIFY(text);
        const QString whole = box.toPlainText();
        // The length, and the text at the end where new lines come in, need no index of the lines.
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(whole.size() - 9, whole.size()), whole.right(9));
        QVERIFY(!(box.SendScintilla(QsciScintilla::SCI_GETLINECHARACTERINDEX) &
                  QsciScintilla::SC_LINECHARACTERINDEX_UTF16));
        QCOMPARE(text->text(0, text->characterCount()), whole);
        QCOMPARE(text->text(p + 1, p + 4), u"😀a"_qs);

        // Caret and selection, both ways.
        text->setCursorPosition(p + 4);
        QCOMPARE(text->cursorPosition(), p + 4);
        QCOMPARE(caretLineText(box), u"中😀a\n"_qs);
        place(box, L + 1, 6, L + 1, 0);
        int start = 0;
        int end = 0;
        QCOMPARE(text->selectionCount(), 1);
        text->selection(0, &start, &end);
        QCOMPARE(whole.mid(start, end - start), u"second"_qs);
        text->setSelection(0, p, p + 1);
        QCOMPARE(box.selectedText(), u"中"_qs);
        text->removeSelection(0);
        QCOMPARE(text->selectionCount(), 0);

        // Lines and characters around an offset.
        QCOMPARE(text->textAtOffset(p + 8, QAccessible::LineBoundary, &start, &end), u"second line\n"_qs);
        QCOMPARE(text->textBeforeOffset(p + 8, QAccessible::LineBoundary, &start, &end), u"中😀a\n"_qs);
        QCOMPARE(text->textAfterOffset(p + 1, QAccessible::LineBoundary, &start, &end), u"second line\n"_qs);
        QCOMPARE(text->textAtOffset(p + 1, QAccessible::CharBoundary, &start, &end), u"😀"_qs);
        QCOMPARE(text->textAtOffset(p + 14, QAccessible::WordBoundary, &start, &end), u"line"_qs);

        // Edits through the interface, and what the bridge is told.
        AccessibleEvents events;
        QAccessibleEditableTextInterface* editable = accessible->editableTextInterface();
        QVERIFY(editable);
        QSignalSpy edited(&box, &KeywordListBox::edited);
        editable->insertText(p + 4, u"b"_qs);
        QCOMPARE(box.text(L), u"中😀ab\n"_qs);
        QTRY_VERIFY(events.events.contains(u"inserted %1 b"_qs.arg(p + 4)));
        editable->deleteText(p + 1, p + 3);
        QCOMPARE(box.text(L), u"中ab\n"_qs);
        QVERIFY(events.events.contains(u"removed %1 😀"_qs.arg(p + 1)));
        QCOMPARE(edited.size(), 2);
        box.setCursorPosition(L + 1, 3);
        QTRY_VERIFY(events.events.contains(u"caret %1"_qs.arg(p + 7))); // "中ab\n" is 4 code units

        box.setReadOnly(true);
        QVERIFY(accessible->state().readOnly);
        editable->insertText(p, u"no"_qs);
        QCOMPARE(box.text(L), u"中ab\n"_qs);
    }

    void inputMethodsSeeTheCaretLine()
    {
        KeywordListBox box;
        fill(box, u"first\n中😀文\nlast\n"_qs);
        place(box, 1, 2); // after 😀: the box counts characters, input methods UTF-16 code units
        QCOMPARE(box.inputMethodQuery(Qt::ImSurroundingText).toString(), u"中😀文"_qs);
        QCOMPARE(box.inputMethodQuery(Qt::ImCursorPosition).toInt(), 3);
        place(box, 1, 2, 1, 0);
        QCOMPARE(box.inputMethodQuery(Qt::ImAnchorPosition).toInt(), 0);
    }
};

QTEST_MAIN(KeywordListBoxTest)
#include "tst_keywordlistbox.moc"
