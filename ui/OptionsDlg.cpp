#include "OptionsDlg.h"
#include "ui_OptionsDlg.h"

#include "HiddenDlg.h"
#include "Services.h"
#include "SourcesDlg.h"

#include <QPushButton>

COptionsDlg::COptionsDlg(const Settings &settings, const QString &defaultFilePath,
                         MessageBoxService &boxes, QWidget *parent)
    : QDialog(parent)
    , m_browse(&GetOpenFileName)
    , ui(new Ui::COptionsDlg)
    , m_defaultFilePath(defaultFilePath)
    , m_boxes(boxes)
{
    ui->setupUi(this);
    ui->buttonBox->button(QDialogButtonBox::RestoreDefaults)->setText(QStringLiteral("&Standard"));
    ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Abbrechen"));
    ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    ui->buttonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    ui->startDaysSpin->setRange(0, kMaxStartDays);
    ui->stopDaysSpin->setRange(0, kMaxStopDays);
    ui->filePathEdit->setMinimumWidth(ui->filePathEdit->fontMetrics().averageCharWidth() * 48);
    // "..." is a small square button beside the path, as high as the field.
    ui->browseButton->setFixedWidth(ui->filePathEdit->sizeHint().height() * 3 / 2);
    // A screen reader tells the two spin boxes apart by their labels, and hears what "..."
    // does.
    ui->startDaysLabel->setBuddy(ui->startDaysSpin);
    ui->leapDayLabel->setBuddy(ui->leapDayCombo);
    ui->leapDayCombo->setAccessibleName(
        QStringLiteral("Geburtstag am 29. Februar in Gemeinjahren"));
    ui->stopDaysLabel->setBuddy(ui->stopDaysSpin);
    ui->startDaysSpin->setAccessibleName(QStringLiteral("bis vor ... Tagen"));
    ui->stopDaysSpin->setAccessibleName(QStringLiteral("bis in ... Tagen"));
    ui->browseButton->setAccessibleName(QStringLiteral("Durchsuchen"));
    ui->filePathEdit->setAccessibleName(QStringLiteral("Dateiname"));
    ui->sourcesButton->setAccessibleDescription(
        QStringLiteral("Weitere Datumslisten und Adressbücher sehen, hinzufügen, entfernen und "
                       "ordnen"));
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &COptionsDlg::accept);
    connect(ui->buttonBox->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            &COptionsDlg::OnDefaultsButton);
    connect(ui->browseButton, &QPushButton::clicked, this, &COptionsDlg::OnBrowseButton);
    connect(ui->sourcesButton, &QPushButton::clicked, this, &COptionsDlg::OnSourcesButton);
    connect(ui->hiddenButton, &QPushButton::clicked, this, [this] {
        CHiddenDlg dialog(m_hidden, this);
        if (dialog.exec() == QDialog::Accepted)
            m_hidden = dialog.hidden();
        ui->hiddenButton->setEnabled(!m_hidden.isEmpty());
    });
    ui->hiddenButton->setAccessibleDescription(
        QStringLiteral("Ausgeblendete Einträge sehen und wieder anzeigen"));
    ShowSettings(settings);
    m_sources = settings.sources;
    m_hidden = settings.hidden;
    ui->hiddenButton->setEnabled(!m_hidden.isEmpty());
    ShowSourceCount();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

COptionsDlg::~COptionsDlg()
{
    delete ui;
}

void COptionsDlg::ShowSettings(const Settings &settings)
{
    // A stored code page other than 0 or 1 checks neither button, as it was stored.
    ui->ansiRadio->setAutoExclusive(false);
    ui->oemRadio->setAutoExclusive(false);
    ui->ansiRadio->setChecked(settings.codePage == CodePage::Ansi);
    ui->oemRadio->setChecked(settings.codePage == CodePage::Oem && settings.codePageChosen);
    ui->ansiRadio->setAutoExclusive(true);
    ui->oemRadio->setAutoExclusive(true);
    ui->startDaysSpin->setValue(settings.startDays);
    ui->stopDaysSpin->setValue(settings.stopDays);
    ui->filePathEdit->setText(settings.filePath);
    ui->autoStartCheck->setChecked(settings.autoStart);
    ui->notifyOnlyCheck->setChecked(settings.notifyOnly);
    ui->notifyOnlyCheck->setEnabled(settings.autoStart);
    ui->leapDayCombo->setCurrentIndex(static_cast<int>(settings.leapDay));
}

Settings COptionsDlg::settings() const
{
    Settings settings;
    // Neither button checked stays OEM, as a stored value other than 0 or 1 reads.
    settings.codePage = ui->ansiRadio->isChecked() ? CodePage::Ansi : CodePage::Oem;
    settings.codePageChosen = ui->ansiRadio->isChecked() || ui->oemRadio->isChecked();
    settings.startDays = ui->startDaysSpin->value();
    settings.stopDays = ui->stopDaysSpin->value();
    settings.filePath = ui->filePathEdit->text();
    settings.autoStart = ui->autoStartCheck->isChecked();
    settings.notifyOnly = ui->notifyOnlyCheck->isChecked();
    settings.sources = m_sources;
    settings.hidden = m_hidden;
    settings.leapDay = static_cast<LeapDay>(ui->leapDayCombo->currentIndex());
    return settings;
}

void COptionsDlg::accept()
{
    // The spin boxes refuse numbers outside their ranges as they are typed; an emptied
    // field is what remains to refuse.
    for (QSpinBox *spin : {ui->startDaysSpin, ui->stopDaysSpin}) {
        if (!spin->hasAcceptableInput()) {
            m_boxes.Show(this, QStringLiteral("Bitte eine ganze Zahl zwischen %1 und "
                                              "%2 eingeben.")
                                   .arg(spin->minimum())
                                   .arg(spin->maximum()));
            spin->setFocus();
            spin->selectAll();
            return;
        }
    }
    QDialog::accept();
}

void COptionsDlg::OnDefaultsButton()
{
    // ANSI, as a first start has it: OEM would garble every umlaut of a UTF-8 list.
    ShowSettings(DefaultSettings(m_defaultFilePath));
}

void COptionsDlg::OnBrowseButton()
{
    const QString path = m_browse(this);
    // Only the path changes: what the user typed into the other fields stays.
    if (!path.isEmpty())
        ui->filePathEdit->setText(path);
}

void COptionsDlg::OnSourcesButton()
{
    CSourcesDlg dialog(m_sources, this);
    if (m_browseSource)
        dialog.m_browse = m_browseSource;
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_sources = dialog.sources();
    ShowSourceCount();
}

void COptionsDlg::ShowSourceCount()
{
    // The count in the button's tooltip and for screen readers: the button keeps its text.
    const QString count = m_sources.isEmpty()     ? QStringLiteral("keine")
                          : m_sources.size() == 1 ? QStringLiteral("eine")
                                                  : QString::number(m_sources.size());
    ui->sourcesButton->setToolTip(m_sources.isEmpty() ? QStringLiteral("Keine weiteren Quellen")
                                                      : m_sources.join(QLatin1Char('\n')));
    ui->sourcesButton->setAccessibleName(QStringLiteral("Weitere Quellen: %1").arg(count));
}
