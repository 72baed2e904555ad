#pragma once

#include <QDialog>

// A dialog window without a cancel button: Esc neither closes nor hides it, so whatever the window does
// on closing (its close box, or the main window closing it) always happens.
class NoCancelDialog : public QDialog
{
    Q_OBJECT

public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
