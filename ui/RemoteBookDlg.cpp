#include "RemoteBookDlg.h"

#include "CardDav.h"
#include "Keyring.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

CRemoteBookDlg::CRemoteBookDlg(QWidget *parent)
    : QDialog(parent)
    , m_server(new QLineEdit(this))
    , m_user(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_find(new QPushButton(tr("&Suchen"), this))
    , m_status(new QLabel(this))
    , m_books(new QListWidget(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Adressbuch im Netz"));
    auto *intro = new QLabel(tr("Festmark liest die Geburtstage aus Adressbüchern auf einem "
                                "CardDAV-Server (Nextcloud, iCloud, Fastmail, GMX, WEB.DE, "
                                "mailbox.org, Posteo, Radicale ...) und hält sie auch ohne Netz "
                                "bereit. Das Passwort kommt in den Schlüsselbund des Systems."),
                             this);
    intro->setWordWrap(true);
    m_server->setPlaceholderText(QStringLiteral("https://cloud.example.org/"));
    m_server->setMinimumWidth(fontMetrics().averageCharWidth() * 50);
    m_password->setEchoMode(QLineEdit::Password);
    m_books->setAccessibleName(tr("Gefundene Adressbücher"));
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);
    m_find->setAutoDefault(false);
    m_buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Abbrechen"));

    auto *form = new QFormLayout;
    form->addRow(tr("Se&rver:"), m_server);
    form->addRow(tr("&Benutzer:"), m_user);
    form->addRow(tr("&Passwort:"), m_password);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(m_find, 0, Qt::AlignRight);
    layout->addWidget(m_status);
    auto *booksLabel = new QLabel(tr("A&dressbücher:"), this);
    booksLabel->setBuddy(m_books);
    layout->addWidget(booksLabel);
    layout->addWidget(m_books);
    layout->addWidget(m_buttons);

    connect(m_find, &QPushButton::clicked, this, &CRemoteBookDlg::OnFind);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CRemoteBookDlg::OnAccept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit *edit : {m_server, m_user, m_password})
        connect(edit, &QLineEdit::textChanged, this, &CRemoteBookDlg::UpdateButtons);
    connect(m_books, &QListWidget::itemChanged, this, &CRemoteBookDlg::UpdateButtons);
    UpdateButtons();
}

CRemoteBookDlg::~CRemoteBookDlg() = default;

QString CRemoteBookDlg::Address() const
{
    QString text = m_server->text().trimmed();
    if (!text.isEmpty() && !text.contains(QLatin1String("://")))
        text.prepend(QLatin1String("https://"));
    QUrl url(text, QUrl::StrictMode);
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    if (!m_user->text().trimmed().isEmpty())
        url.setUserName(m_user->text().trimmed());
    return url.toString();
}

void CRemoteBookDlg::OnFind()
{
    const QString address = Address();
    if (const QString refusal = RemoteSourceRefusal(address); !refusal.isEmpty()) {
        m_status->setText(refusal);
        return;
    }
    delete m_sync;
    m_books->clear();
    m_foundFor.clear();
    m_sync = new CardDavSync({QUrl(address), m_user->text().trimmed(), m_password->text()}, {},
                             timeoutMs, this);
    m_sync->SetFindOnly(true);
    connect(m_sync, &CardDavSync::Finished, this, &CRemoteBookDlg::OnFound);
    m_status->setText(tr("Suche Adressbücher ..."));
    m_searching = true;
    m_sync->Start();
    UpdateButtons();
}

void CRemoteBookDlg::OnFound()
{
    m_searching = false;
    const SyncOutcome outcome = m_sync->Outcome();
    if (outcome.result != SyncOutcome::Result::Updated) {
        m_status->setText(outcome.message);
    } else {
        m_foundFor = Address();
        const auto &books = m_sync->Result().books;
        m_status->setText(
            tr("%n Adressbuch/Adressbücher gefunden.", nullptr, static_cast<int>(books.size())));
        for (const CachedBook &book : books) {
            const QUrl url(book.url);
            auto *item = new QListWidgetItem(
                book.name.isEmpty() ? url.path()
                                    : QStringLiteral("%1 (%2)").arg(book.name, url.path()),
                m_books);
            item->setData(Qt::UserRole, book.url);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
        m_books->setCurrentRow(0);
        m_books->setFocus();
    }
    m_sync->deleteLater();
    UpdateButtons();
}

void CRemoteBookDlg::OnAccept()
{
    QStringList chosen;
    for (int row = 0; row < m_books->count(); ++row)
        if (m_books->item(row)->checkState() == Qt::Checked)
            chosen += m_books->item(row)->data(Qt::UserRole).toString();
    if (chosen.isEmpty())
        return;
    const QString user = m_user->text().trimmed();
    if (chosen.size() == m_books->count()) {
        m_sources = {m_foundFor};
    } else {
        for (const QString &book : chosen) {
            QUrl url(book);
            url.setUserName(user);
            m_sources += url.toString();
        }
    }
    // The password goes to the keyring, never into the settings; a keyring that is missing
    // means it is asked for at every start.
    StoreKeyringPasswordLater(PasswordKey(m_foundFor, user), m_password->text(),
                              QCoreApplication::instance(), [](const QString &) {});
    accept();
}

void CRemoteBookDlg::UpdateButtons()
{
    m_find->setEnabled(!m_searching && !m_server->text().trimmed().isEmpty() &&
                       !m_user->text().trimmed().isEmpty());
    bool anyChosen = false;
    for (int row = 0; row < m_books->count(); ++row)
        anyChosen = anyChosen || m_books->item(row)->checkState() == Qt::Checked;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(anyChosen && m_foundFor == Address());
    m_find->setDefault(!anyChosen);
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(anyChosen);
}
