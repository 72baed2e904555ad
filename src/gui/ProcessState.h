#pragma once

#include <QPointer>
#include <QWidget>

// State the windows of the process share.
struct ProcessState
{
    // 100 once a material window has closed since the main window last reloaded; 0 otherwise.
    static inline qint16 DataChanged = 0;
    static inline QPointer<QWidget> MainForm;
};
