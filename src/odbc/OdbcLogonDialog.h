#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

// frmODBCLogon: picks an ODBC data source, or a driver and a server, and shows the connection string
// that would open it.
class OdbcLogonDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OdbcLogonDialog(QWidget* parent = nullptr);

    void cmdOK_Click();

private:
    void GetDSNsAndDrivers();
    void cboDSNList_Click();

    QComboBox* m_dataSources = nullptr;
    QComboBox* m_drivers = nullptr;
    QLineEdit* m_uid = nullptr;
    QLineEdit* m_pwd = nullptr;
    QLineEdit* m_database = nullptr;
    QLineEdit* m_server = nullptr;
};
