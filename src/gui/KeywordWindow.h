#pragma once

#include "keywords/KeywordRecords.h"

#include <QFuture>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <chrono>
#include <memory>

class QFrame;
class QLabel;
class KeywordFetcher;
class LongTailSearch;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;
class CheckedTableModel;
class KeywordFileLoader;
class KeywordList;
class KeywordRecordsModel;
class KeywordRecordsView;
class QLockFile;

// The keyword window's timers: the list is read in a moment after opening; the search rests before
// each pass and after each seed (0: as keywords.ini says), waits out a block in steps of backoffUnit,
// and writes the recovery file at its interval.
struct KeywordPacing
{
    std::chrono::milliseconds load{1000};
    std::chrono::milliseconds beforePass{600};
    std::chrono::milliseconds afterSeed{0};
    std::chrono::milliseconds backoffUnit{std::chrono::minutes(1)};
    std::chrono::milliseconds recovery{std::chrono::minutes(2)};
};

// The keyword window: seed keywords of table Word in a grid, the mined long-tail keywords in a text
// box that is loaded from and saved to word.txt, and the long-tail search that fills it.
class KeywordWindow : public QWidget
{
    Q_OBJECT

public:
    // For tests: windows opened from now on use these.
    static void setPacing(const KeywordPacing& pacing) { s_pacing = pacing; }

    // Whether the list box can be loaded; the window cannot open without it.
    static bool canOpen(QString* error);

    explicit KeywordWindow(QWidget* parent = nullptr);
    ~KeywordWindow() override;

    KeywordList* resultBox() const { return m_langword; }
    bool isLoading() const;
    // From opening until the list has been read in completely, and while a filtered list goes back
    // into the box: the box does not hold the whole list, so nothing may save or filter it.
    bool listBusy() const;
    bool hasUnsavedResults() const { return m_unsaved; }
    // Another program has word.txt open: this window shows the list and exports it, and writes nothing.
    bool isListReadOnly() const { return m_listReadOnly; }
    // Inserts keywords at the very top of the result list, one after another.
    void insertAtTop(const QStringList& keywords);
    // Number of lines of the result list as the count label shows it.
    int lineCount() const;
    bool save();
    // Writes the list's lines with where each came from; the format goes by the file's extension.
    bool exportTo(const QString& path);
    LongTailSearch* search() const { return m_search; }
    // Shows the records of the list in place of the list box, or the box again.
    void showRecords(bool shown);
    // Made the first time they are shown.
    KeywordRecordsView* recordsView() const { return m_records; }

signals:
    // The list is read in for the first time.
    void loadFinished();
    // The whole list is in the box: read in, or back from the filter.
    void listReady();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static KeywordList* createList(QWidget* parent);
    void buildControls();
    void jiazaiTimer_Timer();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdUpdate_Click();
    void ShowEditButtons(bool show);
    void baocun_Click();
    void guolv_Click();
    void showCount();
    void updateButtons();
    void listSettled();

    void sousuo_Click();
    void stopsou_Click();
    void Timer1_Timer();
    void searchSettings_Click();
    void export_Click();
    void searchEnded();
    void updateStatus();
    void writeRecovery();
    void writeRecords(const QString& list);
    void loadList();
    void reportError(const QString& description);
    // Brings the records' rows in line with the list, when it changed other than by the search.
    void syncRecords();
    // The records of the list, once they are read in.
    KeywordRecords& records();
    void deleteRecords(const QSet<QString>& keywords);

    static inline KeywordPacing s_pacing;

    const KeywordPacing m_pacing = s_pacing;
    QTableView* m_grid = nullptr;
    CheckedTableModel* m_model = nullptr;
    QLabel* m_tongji = nullptr;
    QPushButton* m_sousuo = nullptr;
    QPushButton* m_stopsou = nullptr;
    QRadioButton* m_fenlei[2] = {};
    KeywordList* m_langword = nullptr; // owned as a child widget
    QWidget* m_picButtons = nullptr;
    QFrame* m_divider = nullptr;
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QPushButton* m_guolv = nullptr;
    QPushButton* m_baocun = nullptr;
    QPushButton* m_settingsButton = nullptr;
    QPushButton* m_exportButton = nullptr;
    QPushButton* m_recordsSwitch = nullptr;
    KeywordRecordsModel* m_recordsModel = nullptr;
    KeywordRecordsView* m_records = nullptr;
    bool m_recordsStale = true;    // the list changed since the records' rows were taken from it
    bool m_insertingFound = false; // the search's keywords go in: the records follow them by themselves
    QTimer* m_jiazaiTimer = nullptr;
    QLabel* m_status = nullptr;
    std::unique_ptr<KeywordFileLoader> m_loader;
    QFuture<KeywordRecords> m_recordsRead;
    // The search has a network of its own, apart from the service link.
    std::unique_ptr<KeywordFetcher> m_fetcher;
    LongTailSearch* m_search = nullptr;

    int m_wordColumn = -1;
    bool m_listReady = false;
    bool m_unsaved = false;
    bool m_ownsRecovery = false; // this window wrote or restored word.recovery.txt
    std::unique_ptr<QLockFile> m_listLock;
    bool m_listReadOnly = false;
};
