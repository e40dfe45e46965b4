#pragma once

#include <QDialog>
#include <QPointer>
#include <QStringList>

class CardDavSync;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Adressbuch im Netz": the server, user and password of an account on a CardDAV server;
// "Suchen" finds its address books and the user chooses among them. Gives the sources to
// read back (the account's address when all are chosen, so that new ones come too, else
// each chosen book's), and keeps the password in the keyring.
class CRemoteBookDlg : public QDialog {
    Q_OBJECT

public:
    explicit CRemoteBookDlg(QWidget *parent = nullptr);
    ~CRemoteBookDlg() override;

    QStringList sources() const { return m_sources; }
    int timeoutMs = 30000;

private:
    QString Address() const; // the server's address with the user in it
    void OnFind();
    void OnFound();
    void OnAccept();
    void UpdateButtons();

    QLineEdit *m_server;
    QLineEdit *m_user;
    QLineEdit *m_password;
    QPushButton *m_find;
    QLabel *m_status;
    QListWidget *m_books;
    QDialogButtonBox *m_buttons;
    QPointer<CardDavSync> m_sync;
    QString m_foundFor; // the address the books were found at
    bool m_searching = false;
    QStringList m_sources;
};
