#pragma once

#include "store/MaterialSnapshot.h"

#include <QWidget>
#include <vector>

class QFrame;
class QLineEdit;
class QPushButton;

// zi_Picture: one row of controls per sub-domain identifier (zi_biao, zi_shu, zi_id, zi_shen, zi_cha,
// zi_Line, each named with "_<index>"). Controls are made only for rows that come into view and are
// kept for later fills, so ten thousand identifiers cost no more at start-up than ten.
class RowPanel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRowPitch = 40;
    static constexpr int kFirstRowTop = 2;
    static constexpr int kRowLeft = 4;
    static constexpr int kDesignHeight = 81;

    explicit RowPanel(QWidget* parent = nullptr);

    // Places one row per identifier; rows left from a longer fill are hidden.
    void setRows(const std::vector<MaterialSnapshot::IdentifierRow>& rows);
    int placedCount() const { return m_placed; }
    int contentHeight() const;
    // Makes sure the rows within [top, top + height) have their controls.
    void setViewport(int top, int height);

    // Controls of one row, created when missing.
    QLineEdit* biao(int index);
    QLineEdit* shu(int index);
    QLineEdit* id(int index);
    QPushButton* cha(int index);
    void enableView(int index);
    // The placed row that shows this id, or -1.
    int indexOfId(const QString& id) const;

signals:
    void generateClicked(int index);
    void viewClicked(int index);
    void rowFocused(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct RowState
    {
        QString biaoshi;
        QString number;
        QString id = QStringLiteral("0");
        bool viewEnabled = true;
    };
    struct RowControls
    {
        QLineEdit* biao = nullptr;
        QLineEdit* shu = nullptr;
        QLineEdit* id = nullptr;
        QPushButton* shen = nullptr;
        QPushButton* cha = nullptr;
        QFrame* line = nullptr;
    };

    RowControls& controls(int index);
    RowControls& ensure(int index);
    void apply(int index);
    bool isShown(int index) const { return index < m_placed || (index == 0 && m_placed == 0); }

    std::vector<RowState> m_states;
    std::vector<RowControls> m_controls; // null members: not made yet
    int m_placed = 0;
};
