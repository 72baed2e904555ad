#pragma once

#include "base/MaterialLines.h"

#include <QWidget>

class QDialog;
class CheckedTableModel;
class QLabel;
class QPushButton;
class QTableView;

// The record editors of the main domains (url) and the sub-domain identifiers (biaoshi): a grid over
// one table with browse and edit modes, record navigation by buttons and keys.
class TableEditorWindow : public QWidget
{
    Q_OBJECT

public:
    enum class Kind
    {
        Identifiers,
        Domains
    };

    explicit TableEditorWindow(Kind kind, QWidget* parent = nullptr);

    CheckedTableModel* model() const { return m_model; }
    QTableView* grid() const { return m_grid; }
    bool editMode() const { return m_editMode; }

    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdUpdate_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdFirst_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdLast_Click();
    void SetBrowseMode(bool browse);

    // Lines pasted or imported in bulk: checked, shown in a dialog, and written in one go when it is
    // accepted (the dialog is returned, open).
    QDialog* addLines(const QString& text);
    // Reads a .txt or .csv file off the window's thread, then as addLines.
    void importFile(const QString& path);
    bool exportTo(const QString& path);
    void cmdImport_Click();
    void cmdExport_Click();

signals:
    // An import's file was read and its dialog opened (for whoever waits on it).
    void importDialogOpened(QDialog* dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool Form_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    int currentRow() const;
    void moveTo(int row);
    void showPosition();
    void reportError(const QString& description);
    void writeLines(const MaterialLines::Plan& plan);
    QStringList values(bool withCounts) const;

    CheckedTableModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QWidget* m_picButtons = nullptr;
    QWidget* m_picStatBox = nullptr;
    QLabel* m_lblStatus = nullptr;
    QPushButton* m_buttons[7] = {}; // add, edit, delete, refresh, close, update, cancel
    QPushButton* m_navigation[4] = {};
    QPushButton* m_import = nullptr;
    QPushButton* m_export = nullptr;
    Kind m_kind;
    bool m_editMode = false;
};
