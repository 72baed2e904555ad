#include "gui/TableEditorWindow.h"

#include "base/AppPaths.h"
#include "base/PrivateFiles.h"
#include "base/SiteNames.h"
#include "base/TextCodec.h"
#include "gui/MaterialImportDialog.h"
#include "gui/ProcessState.h"
#include "store/CheckedTableModel.h"
#include "store/LocalStore.h"
#include "store/StoreQueries.h"
#include "ui/Messages.h"
#include "ui/PendingEdits.h"
#include "ui/Twips.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlRecord>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QtConcurrent>
#include <optional>
#include <span>

namespace {

constexpr int kButtonStrip = 34;
constexpr int kStatusStrip = 24;
constexpr int kNavigationWidth = 23;

struct Column
{
    const char16_t* field;
    const char16_t* caption;
};

// A main domain typed into its cell is checked as it is saved: one that is not a registrable domain is
// stored as typed and then offered in its registrable form (never rewritten unasked), one that can be no
// domain is refused with the reason. The questions come from the event loop, after the edit is done.
class DomainDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        const auto* line = qobject_cast<QLineEdit*>(editor);
        const QString typed = line ? line->text() : QString();
        if (typed.trimmed().isEmpty() || typed == index.data().toString()) {
            QStyledItemDelegate::setModelData(editor, model, index);
            return;
        }
        auto* window = qobject_cast<QWidget*>(parent());
        const SiteNames::Checked checked = SiteNames::domain(typed);
        if (checked.verdict == SiteNames::Checked::Verdict::Refused) {
            Messages::showLater(window, u"“" + typed + u"”不能作为一级域名：" + checked.reason + u"。没有保存。");
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
        if (checked.verdict != SiteNames::Checked::Verdict::Changed)
            return;
        QTimer::singleShot(0, window, [window, model, cell = QPersistentModelIndex(index), typed, checked] {
            if (cell.isValid() && cell.data().toString() == typed &&
                Messages::ask(window,
                              u"“" + typed + u"”不是一级域名。改为“" + checked.value + u"”吗？\n选“否”则按原样保留。"))
                model->setData(cell, checked.value);
        });
    }
};

} // namespace

TableEditorWindow::TableEditorWindow(Kind kind, QWidget* parent) : QWidget(parent, Qt::Window), m_kind(kind)
{
    const bool identifiers = kind == Kind::Identifiers;
    setObjectName(identifiers ? QStringLiteral("biaoshi") : QStringLiteral("url"));
    setWindowTitle(identifiers ? QStringLiteral("子域名管理")
                               : QStringLiteral("主域名[只添加一级域名，如example.com而非www.example.com]"));
    resize(600, 360);

    m_model = new CheckedTableModel(identifiers ? QStringLiteral("biao") : QStringLiteral("url"),
                                    LocalStore::connection(), this);
    if (identifiers && m_model->fieldIndex(QStringLiteral("state")) >= 0)
        m_model->setInsertDefaults({{QStringLiteral("state"), 0}});
    static const Column kIdentifierColumns[] = {{u"biaoshi", u"标识"}, {u"number", u"数量"}};
    static const Column kDomainColumns[] = {{u"url", u"一级域名"}};
    m_model->selectAll();

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grdDataGrid"));
    m_grid->setGeometry(0, 0, width(), height() - kButtonStrip - kStatusStrip);
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setAccessibleName(windowTitle());
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_grid->setColumnHidden(column, true);
    for (const Column& column :
         identifiers ? std::span<const Column>(kIdentifierColumns) : std::span<const Column>(kDomainColumns)) {
        const int index = m_model->fieldIndex(QString::fromUtf16(column.field));
        if (index < 0)
            continue;
        m_model->setHeaderData(index, Qt::Horizontal, QString::fromUtf16(column.caption));
        m_grid->setColumnHidden(index, false);
    }
    m_grid->installEventFilter(this);
    if (!identifiers && m_model->fieldIndex(QStringLiteral("url")) >= 0)
        m_grid->setItemDelegateForColumn(m_model->fieldIndex(QStringLiteral("url")), new DomainDelegate(this));
    connect(m_model, &CheckedTableModel::submitFailed, this, &TableEditorWindow::reportError);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TableEditorWindow::showPosition);

    m_picButtons = new QWidget(this);
    m_picButtons->setObjectName(QStringLiteral("picButtons"));
    static const char16_t* const kButtons[][2] = {
        {u"cmdAdd", u"添加(&A)"},     {u"cmdEdit", u"编辑(&E)"},  {u"cmdDelete", u"删除(&D)"},
        {u"cmdRefresh", u"刷新(&R)"}, {u"cmdClose", u"关闭(&C)"}, {u"cmdUpdate", u"更新(&U)"},
        {u"cmdCancel", u"取消(&C)"},
    };
    for (int i = 0; i < 7; ++i) {
        m_buttons[i] = new QPushButton(QString::fromUtf16(kButtons[i][1]), m_picButtons);
        m_buttons[i]->setObjectName(QString::fromUtf16(kButtons[i][0]));
        const int slot = i < 5 ? i : i - 5; // Update stands where Add does, Cancel where Edit does
        m_buttons[i]->setGeometry(4 + slot * 82, 4, 78, 26);
    }
    m_buttons[5]->hide();
    m_buttons[6]->hide();
    // Material in bulk, after the record buttons.
    m_import = new QPushButton(QStringLiteral("导入(&I)…"), m_picButtons);
    m_import->setObjectName(QStringLiteral("cmdImport"));
    m_import->setGeometry(4 + 5 * 82, 4, 78, 26);
    m_export = new QPushButton(QStringLiteral("导出(&X)…"), m_picButtons);
    m_export->setObjectName(QStringLiteral("cmdExport"));
    m_export->setGeometry(4 + 6 * 82, 4, 78, 26);
    connect(m_import, &QPushButton::clicked, this, &TableEditorWindow::cmdImport_Click);
    connect(m_export, &QPushButton::clicked, this, &TableEditorWindow::cmdExport_Click);
    connect(m_buttons[0], &QPushButton::clicked, this, &TableEditorWindow::cmdAdd_Click);
    connect(m_buttons[1], &QPushButton::clicked, this, &TableEditorWindow::cmdEdit_Click);
    connect(m_buttons[2], &QPushButton::clicked, this, &TableEditorWindow::cmdDelete_Click);
    connect(m_buttons[3], &QPushButton::clicked, this, &TableEditorWindow::cmdRefresh_Click);
    connect(m_buttons[4], &QPushButton::clicked, this, &QWidget::close);
    connect(m_buttons[5], &QPushButton::clicked, this, &TableEditorWindow::cmdUpdate_Click);
    connect(m_buttons[6], &QPushButton::clicked, this, &TableEditorWindow::cmdCancel_Click);

    m_picStatBox = new QWidget(this);
    m_picStatBox->setObjectName(QStringLiteral("picStatBox"));
    static const char16_t* const kNavigation[][3] = {
        {u"cmdFirst", u"|<", u"第一条记录"},
        {u"cmdPrevious", u"<", u"上一条记录"},
        {u"cmdNext", u">", u"下一条记录"},
        {u"cmdLast", u">|", u"最后一条记录"},
    };
    for (int i = 0; i < 4; ++i) {
        m_navigation[i] = new QPushButton(QString::fromUtf16(kNavigation[i][1]), m_picStatBox);
        m_navigation[i]->setObjectName(QString::fromUtf16(kNavigation[i][0]));
        m_navigation[i]->setAccessibleName(QString::fromUtf16(kNavigation[i][2]));
        m_navigation[i]->setToolTip(QString::fromUtf16(kNavigation[i][2]));
        m_navigation[i]->setGeometry(i * kNavigationWidth, 0, kNavigationWidth, kStatusStrip);
    }
    m_lblStatus = new QLabel(m_picStatBox);
    m_lblStatus->setObjectName(QStringLiteral("lblStatus"));
    m_lblStatus->setFrameShape(QFrame::Panel);
    m_lblStatus->setFrameShadow(QFrame::Sunken);
    connect(m_navigation[0], &QPushButton::clicked, this, &TableEditorWindow::cmdFirst_Click);
    connect(m_navigation[1], &QPushButton::clicked, this, &TableEditorWindow::cmdPrevious_Click);
    connect(m_navigation[2], &QPushButton::clicked, this, &TableEditorWindow::cmdNext_Click);
    connect(m_navigation[3], &QPushButton::clicked, this, &TableEditorWindow::cmdLast_Click);

    if (m_model->rowCount() > 0)
        moveTo(0);
}

int TableEditorWindow::currentRow() const
{
    return m_grid->currentIndex().row();
}

void TableEditorWindow::moveTo(int row)
{
    int column = 0;
    while (column < m_model->columnCount() && m_grid->isColumnHidden(column))
        ++column;
    m_grid->setCurrentIndex(m_model->index(row, column));
    showPosition();
}

void TableEditorWindow::showPosition()
{
    const int row = currentRow();
    m_lblStatus->setText(QStringLiteral("Record: %1").arg(row < 0 ? -1 : row + 1));
}

void TableEditorWindow::reportError(const QString& description)
{
    Messages::show(this, description);
}

void TableEditorWindow::SetBrowseMode(bool browse)
{
    for (int i = 0; i < 5; ++i)
        m_buttons[i]->setVisible(browse);
    m_buttons[5]->setVisible(!browse);
    m_buttons[6]->setVisible(!browse);
    m_import->setVisible(browse);
    m_export->setVisible(browse);
    for (QPushButton* button : m_navigation)
        button->setEnabled(browse);
}

void TableEditorWindow::cmdAdd_Click()
{
    const int row = m_model->appendRow();
    if (row < 0) {
        reportError(m_model->errorText());
        return;
    }
    moveTo(row);
    m_grid->setFocus();
    m_grid->edit(m_grid->currentIndex());
}

void TableEditorWindow::cmdEdit_Click()
{
    m_lblStatus->setText(QStringLiteral("编辑记录"));
    m_editMode = true;
    SetBrowseMode(false);
}

void TableEditorWindow::cmdUpdate_Click()
{
    if (!m_model->submitPending()) {
        reportError(m_model->errorText());
        return;
    }
    m_editMode = false;
    SetBrowseMode(true);
}

void TableEditorWindow::cmdCancel_Click()
{
    SetBrowseMode(true);
    m_editMode = false;
    m_model->revertAll();
    if (m_model->rowCount() > 0)
        moveTo(0);
}

void TableEditorWindow::cmdDelete_Click()
{
    const int next = m_model->deleteRow(currentRow());
    if (next == -2)
        reportError(m_model->errorText());
    else if (next >= 0)
        moveTo(next);
    else
        showPosition();
}

void TableEditorWindow::cmdRefresh_Click()
{
    if (!m_model->submitPending()) {
        reportError(m_model->errorText());
        return;
    }
    if (!m_model->selectAll()) {
        reportError(m_model->errorText());
        return;
    }
    if (m_model->rowCount() > 0)
        moveTo(0);
}

void TableEditorWindow::cmdFirst_Click()
{
    if (m_model->rowCount() > 0)
        moveTo(0);
}

void TableEditorWindow::cmdLast_Click()
{
    if (m_model->rowCount() > 0)
        moveTo(m_model->rowCount() - 1);
}

void TableEditorWindow::cmdNext_Click()
{
    const int count = m_model->rowCount();
    const int row = currentRow();
    if (count == 0)
        return;
    if (row + 1 < count) {
        moveTo(row + 1);
        return;
    }
    Messages::beep();
    moveTo(count - 1);
}

void TableEditorWindow::cmdPrevious_Click()
{
    const int count = m_model->rowCount();
    const int row = currentRow();
    if (count == 0)
        return;
    if (row > 0) {
        moveTo(row - 1);
        return;
    }
    Messages::beep();
    moveTo(0);
}

bool TableEditorWindow::Form_KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_editMode)
        return false;
    const bool ctrlAlone = (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_End:
        cmdLast_Click();
        return true;
    case Qt::Key_Home:
        cmdFirst_Click();
        return true;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        ctrlAlone ? cmdFirst_Click() : cmdPrevious_Click();
        return true;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        ctrlAlone ? cmdLast_Click() : cmdNext_Click();
        return true;
    default:
        return false;
    }
}

bool TableEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The grid's own keys give way to the record keys; a cell being typed into has its own editor,
    // which gets the keys instead.
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (Form_KeyDown(key->key(), key->modifiers()))
            return true;
        // More than one line pasted in browse mode adds them as new rows; one line is the grid's own.
        if (!m_editMode && key->matches(QKeySequence::Paste)) {
            const QString text = QGuiApplication::clipboard()->text();
            if (MaterialLines::isMultiLine(text)) {
                addLines(text);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

QStringList TableEditorWindow::values(bool withCounts) const
{
    const bool identifiers = m_kind == Kind::Identifiers;
    const int value = m_model->fieldIndex(identifiers ? QStringLiteral("biaoshi") : QStringLiteral("url"));
    const int number = m_model->fieldIndex(QStringLiteral("number"));
    QStringList values;
    values.reserve(m_model->rowCount());
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QString text = m_model->index(row, value).data().toString();
        if (withCounts && identifiers)
            text += u'\t' + m_model->index(row, number).data().toString();
        values.append(text);
    }
    return values;
}

QDialog* TableEditorWindow::addLines(const QString& text)
{
    const MaterialLines::Kind kind =
        m_kind == Kind::Domains ? MaterialLines::Kind::Domains : MaterialLines::Kind::Identifiers;
    auto* dialog = new MaterialImportDialog(MaterialLines::plan(kind, text, values(false)), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { writeLines(dialog->plan()); });
    dialog->open();
    return dialog;
}

void TableEditorWindow::writeLines(const MaterialLines::Plan& plan)
{
    // A row being typed is written first, as any move off it would.
    if (!m_model->submitPending()) {
        reportError(m_model->errorText());
        return;
    }
    QString error;
    bool written = false;
    if (m_kind == Kind::Domains) {
        QStringList domains;
        for (const MaterialLines::Row& row : plan.accepted)
            domains.append(row.value);
        written = StoreQueries::addDomains(LocalStore::connection(), domains, &error);
    } else {
        QList<std::pair<QString, int>> identifiers;
        for (const MaterialLines::Row& row : plan.accepted)
            identifiers.append({row.value, row.count});
        written = StoreQueries::addIdentifiers(LocalStore::connection(), identifiers, &error);
    }
    if (!written) {
        Messages::showLater(this, u"没有写入任何一行：" + error);
        return;
    }
    m_model->selectAll();
    if (m_model->rowCount() > 0)
        moveTo(int(std::max<qsizetype>(0, m_model->rowCount() - plan.accepted.size())));
}

void TableEditorWindow::importFile(const QString& path)
{
    auto* watcher = new QFutureWatcher<std::optional<QString>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, path] {
        watcher->deleteLater();
        const std::optional<QString> text = watcher->result();
        if (!text) {
            Messages::showLater(this, u"读不了 " + path);
            return;
        }
        emit importDialogOpened(addLines(*text));
    });
    watcher->setFuture(QtConcurrent::run([path]() -> std::optional<QString> {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return TextCodec::fromUtf8OrAnsi(file.readAll());
    }));
}

bool TableEditorWindow::exportTo(const QString& path)
{
    QString error;
    const bool csv = !path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive);
    const MaterialLines::Kind kind =
        m_kind == Kind::Domains ? MaterialLines::Kind::Domains : MaterialLines::Kind::Identifiers;
    if (!m_model->submitPending()) {
        reportError(m_model->errorText());
        return false;
    }
    if (!PrivateFiles::writeAtomically(path, MaterialLines::exportBytes(kind, values(true), csv), &error)) {
        reportError(u"写不进 " + path + u"：" + error);
        return false;
    }
    return true;
}

void TableEditorWindow::cmdImport_Click()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("导入"), AppPaths::programFolder(),
                                                      QStringLiteral("文本或 CSV 文件 (*.txt *.csv);;所有文件 (*)"));
    if (!path.isEmpty())
        importFile(path);
}

void TableEditorWindow::cmdExport_Click()
{
    const QString name = m_kind == Kind::Domains ? QStringLiteral("主域名.csv") : QStringLiteral("子域名.csv");
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出"), AppPaths::filePath(name),
                                                      QStringLiteral("CSV 文件 (*.csv);;文本文件 (*.txt)"));
    if (!path.isEmpty())
        exportTo(path);
}

void TableEditorWindow::keyPressEvent(QKeyEvent* event)
{
    if (!Form_KeyDown(event->key(), event->modifiers()))
        QWidget::keyPressEvent(event);
}

void TableEditorWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_picStatBox->setGeometry(0, height() - kStatusStrip, width(), kStatusStrip);
    m_picButtons->setGeometry(0, height() - kStatusStrip - kButtonStrip, width(), kButtonStrip);
    const int gridHeight = height() - Twips::px(30) - kButtonStrip - kStatusStrip;
    if (gridHeight > 0)
        m_grid->resize(m_grid->width(), gridHeight);
    const int statusWidth = std::max(0, frameGeometry().width() - Twips::px(1500));
    m_lblStatus->setGeometry(2 * kNavigationWidth, 0, statusWidth, kStatusStrip);
    m_navigation[2]->move(statusWidth + Twips::px(700), 0);
    m_navigation[3]->move(statusWidth + Twips::px(700) + Twips::px(340), 0);
}

void TableEditorWindow::closeEvent(QCloseEvent* event)
{
    if (!PendingEdits::settleBeforeClose(this, m_model)) {
        event->ignore();
        return;
    }
    ProcessState::DataChanged = 100;
    QWidget::closeEvent(event);
}
