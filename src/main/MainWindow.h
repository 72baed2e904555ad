#pragma once

#include <QMainWindow>

// frmMain: the window the user works in after logging in.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
};
