#include "gui/KeywordWindow.h"

#include "base/AppPaths.h"
#include "base/HttpClient.h"
#include "base/ModuleLoader.h"
#include "base/PrivateFiles.h"
#include "base/TextRules.h"
#include "gui/KeywordRecordsView.h"
#include "gui/ProcessState.h"
#include "gui/SearchSettingsDialog.h"
#include "keywordlist/KeywordList.h"
#include "keywords/KeywordExport.h"
#include "keywords/KeywordFetcher.h"
#include "keywords/KeywordFileLoader.h"
#include "keywords/KeywordRecordsModel.h"
#include "keywords/KeywordRules.h"
#include "keywords/LongTailSearch.h"
#include "keywords/RecoveryFile.h"
#include "keywords/SearchClock.h"
#include "store/CheckedTableModel.h"
#include "store/LocalStore.h"
#include "store/StoreQueries.h"
#include "ui/Fonts.h"
#include "ui/Messages.h"
#include "ui/PendingEdits.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLockFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlError>
#include <QStyle>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QtConcurrent>

namespace {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& rect)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(rect);
    return button;
}

QFrame* makeDivider(QWidget* parent, int x, int height)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(Twips::px(x) - 1, 0, 3, height);
    return line;
}

QString wordFilePath()
{
    return AppPaths::filePath(QStringLiteral("word.txt"));
}

QString settingsPath()
{
    return AppPaths::filePath(QStringLiteral("keywords.ini"));
}

// The lines of the box; the empty piece after the last line end is none.
QStringList boxLines(const QString& text)
{
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

KeywordWindow::KeywordWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Word"));
    setWindowTitle(QStringLiteral("关键词"));
    buildControls();

    // Two programs writing word.txt would overwrite each other's keywords or remove each other's
    // recovery file: the second opens it read-only.
    m_listLock = std::make_unique<QLockFile>(wordFilePath() + QStringLiteral(".lock"));
    if (!m_listLock->tryLock(0)) {
        m_listReadOnly = true;
        setWindowTitle(QStringLiteral("关键词（只读）"));
        Messages::showLater(this,
                            QStringLiteral("另一个 Quillon 正在使用 word.txt。本窗口以只读方式打开：可以查看和导出，"
                                           "不能保存、过滤或搜索。"));
    }

    m_fetcher = std::make_unique<NetworkKeywordFetcher>();
    m_search = new LongTailSearch(SearchClock::system(), *m_fetcher, this);
    m_search->setObjectName(QStringLiteral("Timer1"));
    LongTailSearch::Pacing pacing;
    pacing.beforePass = m_pacing.beforePass;
    pacing.afterSeed = m_pacing.afterSeed;
    pacing.backoffUnit = m_pacing.backoffUnit;
    pacing.recovery = m_pacing.recovery;
    m_search->setPacing(pacing);
    m_search->setSettings(SearchSettings::load(settingsPath()));
    // A million records take a second or more to read: off this thread, while the list comes in.
    m_recordsRead =
        QtConcurrent::run([path = KeywordRecords::pathBeside(wordFilePath())] { return KeywordRecords::read(path); });
    // A source that can no longer read its pages is set aside and says so in the status line; its last
    // page is kept for whoever mends it.
    m_search->setUnreadFolder(AppPaths::filePath(QStringLiteral("unread")));
    m_search->classicSource = [this] {
        return m_fenlei[0]->isChecked() ? QStringLiteral("baidu") : QStringLiteral("baidu-related");
    };
    m_search->listText = [this]() -> std::optional<QString> {
        if (listBusy())
            return std::nullopt;
        return m_langword->toPlainText();
    };
    connect(m_search, &LongTailSearch::stepStarted, this, &KeywordWindow::Timer1_Timer);
    connect(m_search, &LongTailSearch::found, this, &KeywordWindow::insertAtTop);
    connect(m_search, &LongTailSearch::statusChanged, this, &KeywordWindow::updateStatus);
    connect(m_search, &LongTailSearch::recoveryDue, this, &KeywordWindow::writeRecovery);
    connect(m_search, &LongTailSearch::finished, this, &KeywordWindow::searchEnded);

    m_jiazaiTimer = new QTimer(this);
    m_jiazaiTimer->setObjectName(QStringLiteral("jiazaiTimer"));
    m_jiazaiTimer->setSingleShot(true);
    connect(m_jiazaiTimer, &QTimer::timeout, this, &KeywordWindow::jiazaiTimer_Timer);

    m_loader = std::make_unique<KeywordFileLoader>(
        [this](QByteArray lines) { m_langword->appendListInBackground(std::move(lines)); });
    // Out of memory, the list stays marked as not read in: nothing may save or filter what is only part
    // of it.
    auto outOfMemory = [this] {
        reportError(QStringLiteral("内存不足，长尾词列表没能全部读入。为免丢失，现在不能保存或过滤；"
                                   "请关闭其他程序后重新打开此窗口。"));
    };
    connect(m_loader.get(), &KeywordFileLoader::finished, this, [this, outOfMemory] {
        if (m_loader->ranOutOfMemory())
            outOfMemory();
        else if (!m_langword->isFilling())
            listSettled();
    });
    m_langword->onFilled = [this, outOfMemory](bool complete) {
        if (complete)
            listSettled();
        else
            outOfMemory();
    };

    m_jiazaiTimer->start(m_pacing.load);
    m_stopsou->setEnabled(false);
    updateButtons();
}

namespace {

CreateKeywordListFunction listFactory(QString* error)
{
    static const auto create = reinterpret_cast<CreateKeywordListFunction>(
        ModuleLoader::resolve(QStringLiteral("quillon_keywordlist"), QUILLON_CREATE_KEYWORD_LIST, error));
    return create;
}

} // namespace

bool KeywordWindow::canOpen(QString* error)
{
    return listFactory(error) != nullptr && HttpClient::available(error);
}

KeywordList* KeywordWindow::createList(QWidget* parent)
{
    // Opened only after canOpen(): without the module there is no window to show.
    CreateKeywordListFunction create = listFactory(nullptr);
    if (!create)
        qFatal("quillon: the keyword list module (quillon_keywordlist) cannot be loaded");
    return create(parent);
}

KeywordWindow::~KeywordWindow() = default;

void KeywordWindow::buildControls()
{
    resize(Twips::px(10605), Twips::px(6810));
    setFixedWidth(Twips::px(10605));
    setMinimumHeight(Twips::px(1500));

    m_model = new CheckedTableModel(QStringLiteral("Word"), LocalStore::connection(), this);
    m_model->selectAll();
    // Columns are found by name: a store made elsewhere may hold them in another order.
    m_wordColumn = m_model->fieldIndex(QStringLiteral("Word"));
    m_model->setHeaderData(m_wordColumn, Qt::Horizontal, QStringLiteral("主关键词"));
    connect(m_model, &CheckedTableModel::submitFailed, this, &KeywordWindow::reportError);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("grdDataGrid"));
    m_grid->setModel(m_model);
    for (int column = 0; column < m_model->columnCount(); ++column)
        m_grid->setColumnHidden(column, column != m_wordColumn);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setAccessibleName(QStringLiteral("主关键词"));
    m_grid->setFont(Fonts::song(9));
    m_grid->setGeometry(Twips::rect(0, 0, 3735, 6220));

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(50, 50));
    image->setGeometry(Twips::rect(4200, 450, 750, 750));

    m_tongji = new QLabel(QStringLiteral("0"), this);
    m_tongji->setObjectName(QStringLiteral("tongji"));
    m_tongji->move(Twips::px(4100), Twips::px(1300));
    m_tongji->hide();

    m_sousuo =
        makeButton(this, QStringLiteral("sousuo"), QStringLiteral("搜索长尾词 >"), Twips::rect(3950, 1600, 1300, 500));
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setGeometry(Twips::rect(3970, 2100, 1260, 1000));
    m_fenlei[0] = new QRadioButton(QStringLiteral("一级"), frame);
    m_fenlei[0]->setObjectName(QStringLiteral("fenlei_0"));
    m_fenlei[0]->setGeometry(Twips::rect(120, 240, 735, 255));
    m_fenlei[0]->setChecked(true);
    m_fenlei[1] = new QRadioButton(QStringLiteral("二级"), frame);
    m_fenlei[1]->setObjectName(QStringLiteral("fenlei_1"));
    m_fenlei[1]->setGeometry(Twips::rect(120, 600, 735, 255));
    m_stopsou =
        makeButton(this, QStringLiteral("stopsou"), QStringLiteral("停止搜索 >"), Twips::rect(3950, 3500, 1300, 500));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("searchStatus"));
    // No accessible name: a label's name is its text, which a screen reader then reads as it changes
    // (paused, resumed); what the label is for goes in its description.
    m_status->setAccessibleDescription(QStringLiteral("搜索状态"));
    m_status->setWordWrap(true);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_status->setGeometry(Twips::rect(3790, 4150, 1580, 2000));

    m_langword = createList(this);
    QWidget* box = m_langword->widget();
    box->setObjectName(QStringLiteral("Langword"));
    box->setGeometry(Twips::rect(5400, 0, 5175, 6220));
    box->setAccessibleName(QStringLiteral("长尾关键词"));
    m_langword->setUndoEnabled(false); // until the file has loaded
    m_langword->onEdited = [this] {
        m_unsaved = true;
        m_recordsStale = m_recordsStale || !m_insertingFound;
    };

    m_picButtons = new QWidget(this);
    m_picButtons->setObjectName(QStringLiteral("picButtons"));
    m_picButtons->setGeometry(Twips::rect(0, 6270, 10605, 540));
    m_cmdAdd =
        makeButton(m_picButtons, QStringLiteral("cmdAdd"), QStringLiteral("添加(&A)"), Twips::rect(300, 10, 1095, 400));
    m_cmdUpdate = makeButton(m_picButtons, QStringLiteral("cmdUpdate"), QStringLiteral("更新(&U)"),
                             Twips::rect(300, 10, 1095, 400));
    m_cmdUpdate->hide();
    m_cmdDelete = makeButton(m_picButtons, QStringLiteral("cmdDelete"), QStringLiteral("删除(&D)"),
                             Twips::rect(2367, 10, 1095, 400));
    m_guolv = makeButton(m_picButtons, QStringLiteral("guolv"), QStringLiteral("过滤同名词"),
                         Twips::rect(6200, 10, 1300, 400));
    m_baocun =
        makeButton(m_picButtons, QStringLiteral("baocun"), QStringLiteral("保 存"), Twips::rect(8280, 10, 1300, 400));
    makeDivider(m_picButtons, 3735, m_picButtons->height());
    makeDivider(m_picButtons, 5400, m_picButtons->height());
    m_settingsButton = makeButton(m_picButtons, QStringLiteral("searchSettings"), QStringLiteral("搜索设置…"),
                                  Twips::rect(3850, 10, 1450, 400));
    m_exportButton = makeButton(m_picButtons, QStringLiteral("exportList"), QStringLiteral("导出…"),
                                Twips::rect(9650, 10, 900, 400));
    m_divider = makeDivider(this, 3728, height());
    m_recordsSwitch = makeButton(this, QStringLiteral("recordsSwitch"), QStringLiteral("记录(&R)"),
                                 Twips::rect(3950, 3130, 1300, 340));
    m_recordsSwitch->setCheckable(true);
    m_recordsSwitch->setToolTip(QStringLiteral("在长尾词列表和它们的记录（次数、结果数、来源、路径）之间切换"));
    connect(m_recordsSwitch, &QPushButton::toggled, this, &KeywordWindow::showRecords);

    connect(m_cmdAdd, &QPushButton::clicked, this, &KeywordWindow::cmdAdd_Click);
    connect(m_cmdDelete, &QPushButton::clicked, this, &KeywordWindow::cmdDelete_Click);
    connect(m_cmdUpdate, &QPushButton::clicked, this, &KeywordWindow::cmdUpdate_Click);
    connect(m_guolv, &QPushButton::clicked, this, &KeywordWindow::guolv_Click);
    connect(m_baocun, &QPushButton::clicked, this, &KeywordWindow::baocun_Click);
    connect(m_sousuo, &QPushButton::clicked, this, &KeywordWindow::sousuo_Click);
    connect(m_stopsou, &QPushButton::clicked, this, &KeywordWindow::stopsou_Click);
    connect(m_settingsButton, &QPushButton::clicked, this, &KeywordWindow::searchSettings_Click);
    connect(m_exportButton, &QPushButton::clicked, this, &KeywordWindow::export_Click);
}

void KeywordWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int listHeight = height() - Twips::px(450);
    if (listHeight > 0) {
        m_grid->resize(m_grid->width(), listHeight);
        m_langword->widget()->resize(m_langword->widget()->width(), listHeight);
        if (m_records)
            m_records->resize(m_records->width(), listHeight);
    }
    m_divider->resize(m_divider->width(), height());
    m_picButtons->move(0, height() - m_picButtons->height());
    m_picButtons->raise();
}

bool KeywordWindow::isLoading() const
{
    return m_loader->isRunning() || m_langword->isFilling();
}

bool KeywordWindow::listBusy() const
{
    return !m_listReady || m_loader->isRunning() || m_langword->isFilling();
}

void KeywordWindow::jiazaiTimer_Timer()
{
    m_jiazaiTimer->stop();
    // The question, if any, comes from the event loop, not from inside the timer's signal.
    QMetaObject::invokeMethod(this, &KeywordWindow::loadList, Qt::QueuedConnection);
}

void KeywordWindow::loadList()
{
    if (!m_listReadOnly && RecoveryFile::isWorthOffering() &&
        Messages::ask(this, QStringLiteral("上次搜索时自动保存的长尾词（word.recovery.txt）比 word.txt 新，"
                                           "可能是程序意外退出前没来得及保存的。要恢复它吗？\n\n"
                                           "选“否”则读入 word.txt，恢复文件保留到下次保存。"))) {
        // The box then holds what word.txt does not: it counts as unsaved.
        connect(
            this, &KeywordWindow::listReady, this, [this] { m_unsaved = true; }, Qt::SingleShotConnection);
        m_ownsRecovery = true;
        m_loader->start(RecoveryFile::path());
        return;
    }
    const QString path = wordFilePath();
    if (QFile::exists(path)) {
        m_loader->start(path);
        return;
    }
    if (!m_listReadOnly)
        PrivateFiles::createEmpty(path);
    listSettled();
}

KeywordRecords& KeywordWindow::records()
{
    if (m_recordsRead.isValid())
        m_search->records() = m_recordsRead.takeResult(); // waits while it is still being read
    return m_search->records();
}

void KeywordWindow::listSettled()
{
    records();
    const bool firstLoad = !m_listReady;
    m_listReady = true;
    if (firstLoad)
        m_langword->setUndoEnabled(true);
    updateButtons();
    m_recordsStale = true;
    syncRecords();
    m_search->listSettled();
    emit listReady();
    if (firstLoad)
        emit loadFinished();
}

void KeywordWindow::showRecords(bool shown)
{
    if (shown && !m_records) {
        m_recordsModel = new KeywordRecordsModel(records(), this);
        m_records = new KeywordRecordsView(m_recordsModel, this);
        m_records->setGeometry(m_langword->widget()->geometry());
        connect(m_records, &KeywordRecordsView::deleteRequested, this, &KeywordWindow::deleteRecords);
        connect(m_records, &KeywordRecordsView::undoRequested, this, [this] {
            if (!listBusy() && !m_listReadOnly) {
                m_langword->undo();
                syncRecords();
            }
        });
    }
    m_recordsSwitch->setChecked(shown);
    if (!m_records)
        return;
    syncRecords();
    m_records->setVisible(shown);
    m_langword->widget()->setVisible(!shown);
    if (shown)
        m_records->table()->setFocus();
    else
        m_langword->widget()->setFocus();
}

void KeywordWindow::syncRecords()
{
    // While the list comes in, the box does not hold all of it: the rows follow once it is in.
    if (!m_recordsModel || !m_recordsStale || listBusy())
        return;
    m_recordsModel->setList(m_langword->toPlainText());
    m_recordsStale = false;
    m_records->showCounts();
}

void KeywordWindow::deleteRecords(const QSet<QString>& keywords)
{
    if (listBusy() || m_listReadOnly) {
        Messages::showLater(this, m_listReadOnly ? QStringLiteral("列表是只读的，不能删除。")
                                                 : QStringLiteral("列表还在读入，请稍后再删除。"));
        return;
    }
    // Gone from the list, the words' records are no longer written with it; the list's undo brings
    // both back.
    m_langword->removeLines(keywords);
    syncRecords();
}

void KeywordWindow::reportError(const QString& description)
{
    Messages::show(this, description);
}

void KeywordWindow::cmdAdd_Click()
{
    const int row = m_model->appendRow();
    if (row < 0) {
        reportError(m_model->errorText());
        return;
    }
    const QModelIndex cell = m_model->index(row, m_wordColumn);
    m_grid->setCurrentIndex(cell);
    m_grid->setFocus();
    m_grid->edit(cell);
}

void KeywordWindow::cmdDelete_Click()
{
    const int next = m_model->deleteRow(m_grid->currentIndex().row());
    if (next == -2)
        reportError(m_model->errorText());
    else if (next >= 0)
        m_grid->setCurrentIndex(m_model->index(next, m_wordColumn));
}

void KeywordWindow::cmdUpdate_Click()
{
    if (!m_model->submitPending()) {
        reportError(m_model->errorText());
        return;
    }
    ShowEditButtons(true);
}

void KeywordWindow::ShowEditButtons(bool show)
{
    m_cmdAdd->setVisible(show);
    m_cmdUpdate->setVisible(!show);
    m_cmdDelete->setVisible(show);
}

bool KeywordWindow::save()
{
    if (m_listReadOnly) {
        Messages::show(this, QStringLiteral("word.txt 正被另一个 Quillon 使用，本窗口不能保存。"));
        return false;
    }
    if (listBusy()) {
        // Saving now would replace the file with the part of it read so far.
        Messages::show(this, QStringLiteral("列表还没有全部读入，现在保存会丢掉其余的部分。请等读完后再保存。"));
        return false;
    }
    QString error;
    const QString text = m_langword->toPlainText();
    if (!PrivateFiles::writeAtomically(wordFilePath(), KeywordRules::keywordFileBytes(text), &error)) {
        Messages::show(this, u"保存失败，word.txt 保持原样：" + error);
        return false;
    }
    writeRecords(text);
    m_unsaved = false;
    RecoveryFile::remove();
    Messages::show(this, QStringLiteral("已保存！"));
    return true;
}

void KeywordWindow::baocun_Click()
{
    save();
}

int KeywordWindow::lineCount() const
{
    return m_langword->lineCount();
}

void KeywordWindow::showCount()
{
    m_tongji->setText(QStringLiteral("总共%1个").arg(lineCount()));
    m_tongji->adjustSize();
    m_tongji->show();
}

void KeywordWindow::guolv_Click()
{
    if (listBusy() || m_listReadOnly)
        return;
    m_unsaved = true;
    // The filter and the new list run off the GUI thread; the count is shown once the list is back.
    connect(this, &KeywordWindow::listReady, this, &KeywordWindow::showCount, Qt::SingleShotConnection);
    m_langword->keepLinesInBackground([](QByteArrayView text) { return KeywordRules::DistinctLines(text); });
    updateButtons();
}

void KeywordWindow::insertAtTop(const QStringList& keywords)
{
    if (keywords.isEmpty())
        return;
    QString block;
    for (auto it = keywords.crbegin(); it != keywords.crend(); ++it) {
        block += TextRules::trimSpaces(*it);
        block += u'\n';
    }
    m_insertingFound = true;
    m_langword->insertAtTop(block);
    m_insertingFound = false;
    if (m_recordsModel && !m_recordsStale)
        m_recordsModel->addKeywords(keywords);
}

void KeywordWindow::updateButtons()
{
    const bool searching = m_search->isRunning();
    for (QPushButton* button : {m_cmdAdd, m_cmdUpdate, m_cmdDelete})
        button->setEnabled(!searching);
    m_sousuo->setEnabled(!searching && !m_listReadOnly);
    m_guolv->setEnabled(!searching && !listBusy() && !m_listReadOnly);
    m_baocun->setEnabled(!searching && !listBusy() && !m_listReadOnly);
    m_exportButton->setEnabled(!listBusy());
    // Typing into a list that is still coming in would be overwritten or lost.
    m_langword->setReadOnly(listBusy() || m_listReadOnly);
    m_stopsou->setEnabled(searching);
}

void KeywordWindow::sousuo_Click()
{
    records();
    if (m_listReadOnly)
        return;
    m_search->start(StoreQueries::keywordSeeds(LocalStore::connection()));
    updateButtons();
}

void KeywordWindow::stopsou_Click()
{
    m_search->stop();
    updateButtons();
}

void KeywordWindow::searchEnded()
{
    updateButtons();
    updateStatus();
    writeRecovery();
}

void KeywordWindow::Timer1_Timer()
{
    showCount();
}

void KeywordWindow::searchSettings_Click()
{
    SearchSettingsDialog dialog(m_search->settings(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SearchSettings settings = m_search->settings();
    dialog.apply(settings);
    QString error;
    if (!settings.save(settingsPath(), &error)) {
        reportError(u"搜索设置没有保存：" + error);
        return;
    }
    m_search->setSettings(settings);
}

void KeywordWindow::export_Click()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("导出长尾词"), AppPaths::filePath(QStringLiteral("长尾词.csv")),
        QStringLiteral("CSV 表格 (*.csv);;Excel 工作簿 (*.xlsx);;文本文件 (*.txt)"));
    if (!path.isEmpty())
        exportTo(path);
}

bool KeywordWindow::exportTo(const QString& path)
{
    const std::optional<KeywordExport::Format> format = KeywordExport::formatOf(path);
    if (!format) {
        reportError(QStringLiteral("不认识这种文件：请以 .csv、.xlsx 或 .txt 结尾"));
        return false;
    }
    if (listBusy()) {
        reportError(QStringLiteral("列表还没有全部读入，请等读完后再导出。"));
        return false;
    }
    if (const QString problem = KeywordExport::targetProblem(path, AppPaths::programFolder()); !problem.isEmpty()) {
        reportError(problem);
        return false;
    }
    QString error;
    if (!KeywordExport::write(path, *format, boxLines(m_langword->toPlainText()), records(), &error)) {
        reportError(u"导出失败：" + error);
        return false;
    }
    return true;
}

void KeywordWindow::updateStatus()
{
    m_status->setText(m_search->statusText());
}

void KeywordWindow::writeRecovery()
{
    // A list still being read in is not the list: it is not written anywhere.
    if (listBusy() || m_listReadOnly)
        return;
    const QString text = m_langword->toPlainText();
    if (RecoveryFile::write(text)) {
        m_ownsRecovery = true;
        writeRecords(text);
    }
}

void KeywordWindow::writeRecords(const QString& list)
{
    records().write(KeywordRecords::pathBeside(wordFilePath()), list);
}

void KeywordWindow::closeEvent(QCloseEvent* event)
{
    // A seed typed into the grid is written even when the row was never left.
    if (!PendingEdits::settleBeforeClose(this, m_model)) {
        event->ignore();
        return;
    }
    if (m_unsaved) {
        switch (Messages::askSave(this, QStringLiteral("长尾词列表还没有保存，要保存到 word.txt 吗？"))) {
        case MessageSink::SaveAnswer::Save:
            if (!save()) {
                event->ignore();
                return;
            }
            break;
        case MessageSink::SaveAnswer::Discard:
            break;
        case MessageSink::SaveAnswer::Cancel:
            event->ignore();
            return;
        }
    }
    m_jiazaiTimer->stop();
    m_search->stop();
    m_loader->stop();
    m_langword->cancelFill();
    // Closed normally, saved or not by the user's choice: this window's own recovery file has done its
    // job. One the user declined to restore stays until the next save.
    if (m_ownsRecovery)
        RecoveryFile::remove();
    QWidget::closeEvent(event);
}
