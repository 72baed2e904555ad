#pragma once

#include "ui/NoCancelDialog.h"

#include <chrono>

class QLineEdit;
class QPushButton;
class ServiceConnection;
class TransferControl;

// mima: sets a new account password on the service. Several may be open at once, each with its own
// transfer.
class PasswordWindow : public NoCancelDialog
{
    Q_OBJECT

public:
    explicit PasswordWindow(ServiceConnection& service, QWidget* parent = nullptr,
                            std::chrono::milliseconds timeout = std::chrono::seconds(60));

    TransferControl* transfer() const { return m_userInet; }

private:
    void ModOK_Click();
    void UserInet_StateChanged(int state);

    QLineEdit* m_txtPassword = nullptr;
    QPushButton* m_modOK = nullptr;
    TransferControl* m_userInet = nullptr;
};
