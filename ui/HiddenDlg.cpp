#include "HiddenDlg.h"

#include "JubileeFinder.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

CHiddenDlg::CHiddenDlg(const QStringList &hidden, QWidget *parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
    , m_showAgain(new QPushButton(QStringLiteral("&Wieder anzeigen"), this))
    , m_keys(hidden)
{
    setWindowTitle(QStringLiteral("Ausgeblendete"));
    auto *intro = new QLabel(QStringLiteral("Diese Einträge zeigt Festmark nicht, weder im "
                                            "Fenster noch im Terminal oder im Kalender. Ihre "
                                            "Dateien bleiben, wie sie sind."),
                             this);
    intro->setWordWrap(true);
    intro->setBuddy(m_list);
    m_list->setAccessibleName(QStringLiteral("Ausgeblendete Einträge"));
    for (const QString &key : hidden)
        m_list->addItem(HiddenKeyText(key));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    m_showAgain->setAccessibleDescription(
        QStringLiteral("Die gewählten Einträge wieder in den Jubiläen zeigen"));
    m_showAgain->setAutoDefault(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Abbrechen"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto *layout = new QGridLayout(this);
    layout->addWidget(intro, 0, 0, 1, 2);
    layout->addWidget(m_list, 1, 0);
    layout->addWidget(m_showAgain, 1, 1, Qt::AlignTop);
    layout->addWidget(buttons, 2, 0, 1, 2);

    connect(m_showAgain, &QPushButton::clicked, this, &CHiddenDlg::OnShowAgain);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_showAgain->setEnabled(!m_list->selectedItems().isEmpty()); });
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_showAgain->setEnabled(!m_list->selectedItems().isEmpty());
}

QStringList CHiddenDlg::hidden() const
{
    return m_keys;
}

void CHiddenDlg::OnShowAgain()
{
    for (int row = m_list->count() - 1; row >= 0; --row) {
        if (m_list->item(row)->isSelected()) {
            delete m_list->takeItem(row);
            m_keys.removeAt(row);
        }
    }
}
