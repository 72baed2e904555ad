#include "gui/KeywordRecordsView.h"

#include "keywords/KeywordRecords.h"
#include "keywords/KeywordRecordsModel.h"
#include "keywords/KeywordSource.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>

namespace {

QLabel* labelFor(QWidget* buddy, const QString& caption)
{
    auto* label = new QLabel(caption, buddy->parentWidget());
    label->setBuddy(buddy);
    return label;
}

} // namespace

KeywordRecordsView::KeywordRecordsView(KeywordRecordsModel* model, QWidget* parent) : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("recordsPage"));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("recordsFilter"));
    m_text->setPlaceholderText(QStringLiteral("关键词里的字"));
    m_text->setClearButtonEnabled(true);
    m_source = new QComboBox(this);
    m_source->setObjectName(QStringLiteral("recordsSource"));
    m_source->addItem(QStringLiteral("全部"), QString());
    for (const KeywordSource& source : KeywordSource::all())
        m_source->addItem(source.caption, source.name);
    m_minCount = new QSpinBox(this);
    m_minCount->setObjectName(QStringLiteral("recordsMinCount"));
    m_minCount->setRange(1, KeywordRecords::kMaxCount);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("recordsView"));
    m_table->setAccessibleName(QStringLiteral("长尾词记录"));
    m_table->setModel(model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->horizontalHeader()->setSortIndicatorClearable(true);
    m_table->setSortingEnabled(true);
    m_table->horizontalHeader()->setDefaultSectionSize(60);
    m_table->setColumnWidth(KeywordRecordsModel::Keyword, 130);
    m_table->setColumnWidth(KeywordRecordsModel::Count, 40);
    m_table->setColumnWidth(KeywordRecordsModel::Results, 80);
    m_table->setColumnWidth(KeywordRecordsModel::Pass, 30);
    m_table->setColumnWidth(KeywordRecordsModel::Found, 130);

    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("recordsCount"));
    m_path = new QLabel(this);
    m_path->setObjectName(QStringLiteral("recordsPath"));
    m_path->setAccessibleDescription(QStringLiteral("选中的词从种子来的路径"));
    m_path->setWordWrap(true);
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(labelFor(m_text, QStringLiteral("筛选(&F)：")), 0, 0);
    layout->addWidget(m_text, 0, 1, 1, 3);
    layout->addWidget(labelFor(m_source, QStringLiteral("来源(&S)：")), 1, 0);
    layout->addWidget(m_source, 1, 1);
    layout->addWidget(labelFor(m_minCount, QStringLiteral("次数至少(&N)：")), 1, 2);
    layout->addWidget(m_minCount, 1, 3);
    layout->addWidget(m_table, 2, 0, 1, 4);
    layout->addWidget(m_counts, 3, 0, 1, 4);
    layout->addWidget(m_path, 4, 0, 1, 4);
    layout->setColumnStretch(1, 1);

    // Sorting, copying and deleting from the keyboard: the context menu (Shift+F10 or the menu key) and
    // the usual keys.
    auto addAction = [this](const QString& text, const QKeySequence& key, auto slot) {
        auto* action = new QAction(text, m_table);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, slot);
        m_table->addAction(action);
    };
    addAction(QStringLiteral("按当前列升序排列(&A)"), QKeySequence(),
              [this] { sortCurrentColumn(Qt::AscendingOrder); });
    addAction(QStringLiteral("按当前列降序排列(&E)"), QKeySequence(),
              [this] { sortCurrentColumn(Qt::DescendingOrder); });
    addAction(QStringLiteral("复制(&C)"), QKeySequence::Copy, &KeywordRecordsView::copySelection);
    addAction(QStringLiteral("从列表删除(&D)"), QKeySequence::Delete, [this] {
        const QSet<QString> keywords = selectedKeywords();
        if (!keywords.isEmpty())
            emit deleteRequested(keywords);
    });
    addAction(QStringLiteral("撤销列表的上一次改动(&U)"), QKeySequence::Undo, [this] { emit undoRequested(); });
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);

    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(300); // typing a word filters once, at its end
    connect(m_filterTimer, &QTimer::timeout, this, &KeywordRecordsView::applyFilter);
    connect(m_text, &QLineEdit::textChanged, m_filterTimer, qOverload<>(&QTimer::start));
    connect(m_text, &QLineEdit::returnPressed, this, &KeywordRecordsView::applyFilter);
    connect(m_source, &QComboBox::currentIndexChanged, this, &KeywordRecordsView::applyFilter);
    connect(m_minCount, &QSpinBox::valueChanged, this, &KeywordRecordsView::applyFilter);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &KeywordRecordsView::showPath);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, &KeywordRecordsView::showCounts);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        showCounts();
        showPath();
    });
    showCounts();
}

QSet<QString> KeywordRecordsView::selectedKeywords() const
{
    QSet<QString> keywords;
    for (const QModelIndex& row : m_table->selectionModel()->selectedRows())
        keywords.insert(m_model->keywordAt(row.row()));
    return keywords;
}

void KeywordRecordsView::copySelection() const
{
    QList<int> rows;
    for (const QModelIndex& row : m_table->selectionModel()->selectedRows())
        rows.append(row.row());
    std::sort(rows.begin(), rows.end());
    if (!rows.isEmpty())
        QApplication::clipboard()->setText(m_model->rowsText(rows));
}

void KeywordRecordsView::showCounts()
{
    m_counts->setText(
        QStringLiteral("显示 %1 条，列表里有记录的共 %2 条").arg(m_model->rowCount()).arg(m_model->listedCount()));
}

void KeywordRecordsView::applyFilter()
{
    m_filterTimer->stop();
    const KeywordRecordsModel::Filter filter{m_text->text().trimmed(), m_source->currentData().toString(),
                                             m_minCount->value()};
    if (!(filter == m_model->filter()))
        m_model->setFilter(filter);
}

void KeywordRecordsView::showPath()
{
    const QModelIndex current = m_table->currentIndex();
    m_path->setText(current.isValid() ? u"路径：" + m_model->pathAt(current.row()) : QString());
}

void KeywordRecordsView::sortCurrentColumn(Qt::SortOrder order)
{
    const int column = std::max(m_table->currentIndex().column(), 0);
    m_table->sortByColumn(column, order);
}
