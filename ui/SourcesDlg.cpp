#include "SourcesDlg.h"

#include "RemoteBookDlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString ChooseSource(QWidget *parent)
{
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("Quelle hinzufügen"), QDir::homePath(),
        QStringLiteral("Datumslisten und Adressbücher (*.txt *.vcf *.vcard);;Alle Dateien (*)"));
}

QStringList ChooseRemoteBooks(QWidget *parent)
{
    CRemoteBookDlg dialog(parent);
    return dialog.exec() == QDialog::Accepted ? dialog.sources() : QStringList();
}

} // namespace

CSourcesDlg::CSourcesDlg(const QStringList &sources, QWidget *parent)
    : QDialog(parent)
    , m_browse(&ChooseSource)
    , m_findRemote(&ChooseRemoteBooks)
    , m_list(new QListWidget(this))
    , m_remove(new QPushButton(QStringLiteral("&Entfernen"), this))
    , m_up(new QPushButton(QStringLiteral("Nach &oben"), this))
    , m_down(new QPushButton(QStringLiteral("Nach &unten"), this))
{
    setWindowTitle(QStringLiteral("Weitere Quellen"));
    auto *intro = new QLabel(QStringLiteral("Festmark liest nach der Datumsliste auch diese "
                                            "Datumslisten und Adressbücher (vCard-Dateien oder "
                                            "Adressbücher im Netz). An einem Tag kommen die "
                                            "Jubiläen der oberen zuerst."),
                             this);
    intro->setWordWrap(true);
    intro->setBuddy(m_list);
    m_list->setAccessibleName(QStringLiteral("Weitere Quellen"));
    m_list->setAccessibleDescription(
        QStringLiteral("Dateien, die nach der Datumsliste gelesen werden, in ihrer Reihenfolge"));
    m_list->addItems(sources);
    m_list->setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto *add = new QPushButton(QStringLiteral("&Hinzufügen..."), this);
    add->setAccessibleDescription(QStringLiteral("Eine Datumsliste oder ein Adressbuch wählen"));
    auto *remote = new QPushButton(QStringLiteral("Adressbuch im &Netz..."), this);
    remote->setAccessibleDescription(
        QStringLiteral("Adressbücher auf einem CardDAV-Server suchen und hinzufügen"));
    m_remove->setAccessibleDescription(QStringLiteral("Die gewählten Quellen entfernen"));
    m_up->setAccessibleDescription(QStringLiteral("Die gewählte Quelle eine Stelle nach oben"));
    m_down->setAccessibleDescription(QStringLiteral("Die gewählte Quelle eine Stelle nach unten"));
    for (QPushButton *button : {add, remote, m_remove, m_up, m_down})
        button->setAutoDefault(false);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Abbrechen"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto *side = new QVBoxLayout;
    for (QPushButton *button : {add, remote, m_remove, m_up, m_down})
        side->addWidget(button);
    side->addStretch();
    auto *layout = new QGridLayout(this);
    layout->addWidget(intro, 0, 0, 1, 2);
    layout->addWidget(m_list, 1, 0);
    layout->addLayout(side, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);

    connect(add, &QPushButton::clicked, this, &CSourcesDlg::OnAdd);
    connect(remote, &QPushButton::clicked, this, &CSourcesDlg::OnAddRemote);
    connect(m_remove, &QPushButton::clicked, this, &CSourcesDlg::OnRemove);
    connect(m_up, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { Move(1); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CSourcesDlg::UpdateButtons);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    UpdateButtons();
}

QStringList CSourcesDlg::sources() const
{
    QStringList sources;
    for (int row = 0; row < m_list->count(); ++row)
        sources += m_list->item(row)->text();
    return sources;
}

void CSourcesDlg::keyPressEvent(QKeyEvent *event)
{
    // Delete in the list removes, as in every list of files.
    if (event->key() == Qt::Key_Delete && m_list->hasFocus()) {
        OnRemove();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSourcesDlg::OnAdd()
{
    const QString path = m_browse(this);
    if (path.isEmpty())
        return;
    m_list->addItem(path);
    m_list->setCurrentRow(m_list->count() - 1);
    m_list->setFocus();
}

void CSourcesDlg::OnAddRemote()
{
    const QStringList found = m_findRemote(this);
    for (const QString &source : found)
        if (m_list->findItems(source, Qt::MatchExactly).isEmpty())
            m_list->addItem(source);
    if (!found.isEmpty()) {
        m_list->setCurrentRow(m_list->count() - 1);
        m_list->setFocus();
    }
}

void CSourcesDlg::OnRemove()
{
    const int current = m_list->currentRow();
    qDeleteAll(m_list->selectedItems());
    if (m_list->count() > 0)
        m_list->setCurrentRow(std::min(current, m_list->count() - 1));
    UpdateButtons();
}

void CSourcesDlg::Move(int by)
{
    const int row = m_list->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_list->count())
        return;
    m_list->insertItem(to, m_list->takeItem(row));
    m_list->setCurrentRow(to);
}

void CSourcesDlg::UpdateButtons()
{
    const int row = m_list->currentRow();
    const bool chosen = !m_list->selectedItems().isEmpty();
    m_remove->setEnabled(chosen);
    m_up->setEnabled(chosen && row > 0);
    m_down->setEnabled(chosen && row >= 0 && row + 1 < m_list->count());
}
