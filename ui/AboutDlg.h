#pragma once

#include <QDialog>

namespace Ui {
class CAboutDlg;
}

// "Info über Festmark": picture, version, the list of features, and an OK button with a
// picture of its own.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

private:
    Ui::CAboutDlg *ui;
};
