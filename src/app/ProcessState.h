#pragma once

#include <QPointer>
#include <QSqlDatabase>
#include <QString>
#include <QWidget>

// State shared by every window of the process.
struct ProcessState
{
    // Base address of the service, "http:/" plus the first field of server.txt; empty until read.
    static inline QString ServerAddr;
    // 100 once a material window has closed since the main window last reloaded; 0 otherwise.
    static inline qint16 DataChanged = 0;
    static inline QPointer<QWidget> MainForm;

    // The one connection to the local store (it may be closed or broken; every user copes).
    static QSqlDatabase DbConn();
};
