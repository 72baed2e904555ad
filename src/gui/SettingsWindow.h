#pragma once

#include "store/MaterialChoice.h"
#include "ui/NoCancelDialog.h"

class QButtonGroup;

// suiji (网站设置): the title, body and industry material of the generated sites.
class SettingsWindow : public NoCancelDialog
{
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QButtonGroup* addGroup(const QString& name, const QString& label, const QStringList& captions, int row);
    void Form_Load();
    void baocun_Click();
    // The choice the option buttons show, however they were selected.
    MaterialChoice shownChoice() const;
    void rememberShown();

    QButtonGroup* m_title = nullptr;
    QButtonGroup* m_body = nullptr;
    QButtonGroup* m_hang = nullptr;
    MaterialChoice m_choice; // as stored
    // The option each group showed for the stored value: a value with no option of its own shows the
    // first one, and is kept until the user picks another.
    int m_shown[3] = {};
};
