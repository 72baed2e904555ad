#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// 设置服务器: the address of the service, checked and written as the program folder's server.txt, for a
// program installed from a package, which ships none.
class ServerAddressDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ServerAddressDialog(const QString& programFolder, QWidget* parent = nullptr);

    void accept() override;

private:
    QString m_programFolder;
    QLineEdit* m_address = nullptr;
    QLabel* m_problem = nullptr;
};
