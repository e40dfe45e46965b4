#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QListWidget;
class QPushButton;

// "Weitere Quellen": the date lists and address books read after the date list, in the order
// their rows come on a day. Opened from the options with their list; gives the edited list
// back when closed with OK.
class CSourcesDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSourcesDlg(const QStringList &sources, QWidget *parent = nullptr);

    QStringList sources() const;

    // The file-open dialog, and the dialog of address books on servers; tests put answers
    // of their own in their place.
    std::function<QString(QWidget *)> m_browse;
    std::function<QStringList(QWidget *)> m_findRemote;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void OnAdd();
    void OnAddRemote();
    void OnRemove();
    void Move(int by);
    void UpdateButtons();

    QListWidget *m_list;
    QPushButton *m_remove;
    QPushButton *m_up;
    QPushButton *m_down;
};
