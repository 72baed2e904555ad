#pragma once

#include <QDialog>
#include <chrono>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class ServiceConnection;
class TransferControl;

// frmLogin: reads server.txt, asks for the account password and logs in to the service.
class LoginWindow : public QDialog
{
    Q_OBJECT

public:
    explicit LoginWindow(ServiceConnection& service, QWidget* parent = nullptr,
                         std::chrono::milliseconds timeout = std::chrono::seconds(60));

    bool LoginPassed() const { return m_loginPassed; }
    TransferControl* transfer() const { return m_userInet; }

    void reject() override;

private:
    void Form_Load();
    void jiazaiTimer_Timer();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdServer_Click();
    void UserInet_StateChanged(int state);
    void selectPasswordAfterMessage();

    QLabel* m_userNameLabel = nullptr;
    QLabel* m_passwordLabel = nullptr;
    QLineEdit* m_txtUserName = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdServer = nullptr;
    QLabel* m_unencrypted = nullptr;
    QTimer* m_jiazaiTimer = nullptr;
    ServiceConnection& m_service;
    TransferControl* m_userInet = nullptr;
    bool m_loginPassed = false;
};
