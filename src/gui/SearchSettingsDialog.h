#pragma once

#include <QDialog>
#include <QList>

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;
struct SearchSettings;

// 搜索设置: the sources of a search and the expansions of each seed, the rest after each seed, skip-asked, depth and
// the words a found keyword must or must not contain, as keywords.ini keeps them.
class SearchSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SearchSettingsDialog(const SearchSettings& settings, QWidget* parent = nullptr);

    // Puts what the dialog shows into settings; what it does not show stays.
    void apply(SearchSettings& settings) const;

private:
    QList<QCheckBox*> m_sources;
    QList<QCheckBox*> m_expand;
    QDoubleSpinBox* m_afterSeed = nullptr;
    QCheckBox* m_skipAsked = nullptr;
    QSpinBox* m_depth = nullptr;
    QLineEdit* m_exclude = nullptr;
    QLineEdit* m_include = nullptr;
};
