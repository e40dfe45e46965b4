#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

// "Ausgeblendete": the entries hidden from the rows, each of which can be shown again. Opened
// from the options with their list; gives the rest back when closed with OK.
class CHiddenDlg : public QDialog {
    Q_OBJECT

public:
    explicit CHiddenDlg(const QStringList &hidden, QWidget *parent = nullptr);

    QStringList hidden() const;

private:
    void OnShowAgain();

    QListWidget *m_list;
    QPushButton *m_showAgain;
    QStringList m_keys; // in the list's order
};
