#pragma once

#include "MaterialChoice.h"

#include <QDialog>

class QButtonGroup;

// suiji (网站设置): the title, body and industry material of the generated sites.
class SettingsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    const MaterialChoice& choice() const { return m_choice; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QButtonGroup* addGroup(const QString& name, const QString& label, const QStringList& captions, int row);
    void Form_Load();
    void baocun_Click();

    QButtonGroup* m_title = nullptr;
    QButtonGroup* m_body = nullptr;
    QButtonGroup* m_hang = nullptr;
    MaterialChoice m_choice; // titleIndex, bodyIndex, hangIndex
};
