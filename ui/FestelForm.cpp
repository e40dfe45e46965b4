#include "FestelForm.h"
#include "ui_FestelForm.h"

#include "Autostart.h"
#include "ListEditor.h"
#include "OptionsDlg.h"
#include "Output.h"
#include "RemoteSync.h"
#include "ResultModel.h"
#include "Scan.h"
#include "Services.h"
#include "SettingsStore.h"
#include "Sound.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <cstdio>
#include <utility>

namespace {

constexpr int kInfoBitmap = 133;
constexpr int kInfoSound = 146;

} // namespace

CFestelForm::CFestelForm(MessageBoxService &boxes, SoundService &sounds, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::CFestelForm)
    , m_boxes(boxes)
    , m_sounds(sounds)
    , m_model(new CResultModel(this))
    , m_today(&LocalToday)
    , m_saveCalendarAs(&GetCalendarExport)
    , m_exportFolder(QDir::homePath())
    , m_remote(new RemoteSync(this))
    , m_remoteNote(new QLabel(this))
{
    ui->setupUi(this);
    ui->resultGrid->setModel(m_model);
    m_infoButton = ui->infoButton;
    m_progress = ui->progressBar;
    m_grid = ui->resultGrid;
    // Names and descriptions for screen readers; the pictures say what they show.
    m_grid->setAccessibleName(QStringLiteral("Jubiläen"));
    m_grid->setAccessibleDescription(
        QStringLiteral("Datum und Meldung je Jubiläum; heute ist rot, ein Jahrestag gelb"));
    m_progress->setAccessibleName(QStringLiteral("Fortschritt der Suche"));
    ui->buntingPicture->setAccessibleName(QStringLiteral("Girlande"));
    ui->spacerPicture->setAccessibleName(QStringLiteral("Bild"));
    ui->infoButton->setAccessibleDescription(QStringLiteral("Version und Herkunft von Festmark"));
    ui->optionsButton->setAccessibleDescription(
        QStringLiteral("Zeitraum, Datumsliste und automatischen Start einstellen"));
    ui->exitButton->setAccessibleDescription(QStringLiteral("Festmark beenden"));
    // The proportions of the home platform's form, in the desktop's font: a thin progress
    // bar, a large picture button and a column of buttons 15 characters wide.
    const QFontMetrics metrics = fontMetrics();
    m_progress->setFixedHeight(metrics.height() * 3 / 4);
    m_infoButton->setMinimumHeight(metrics.height() * 55 / 8);
    for (QPushButton *button : {ui->infoButton, ui->optionsButton, ui->exitButton})
        button->setMinimumWidth(metrics.averageCharWidth() * 15);

    m_exePath = QCoreApplication::applicationFilePath();
    m_defaultFilePath = DefaultFilePath(m_exePath);
    ApplySettings(LoadSettings(m_defaultFilePath, &m_settingsProblem));

    // The list's context menu (the Menu key on a row) hides an entry without deleting it.
    auto *hide = new QAction(QStringLiteral("A&usblenden"), m_grid);
    hide->setStatusTip(QStringLiteral("Alle Zeilen dieses Eintrags ausblenden, bis sie unter "
                                      "„Optionen“, „Ausgeblendete...“ wieder erscheinen"));
    connect(hide, &QAction::triggered, this, &CFestelForm::OnHideRows);
    m_grid->addAction(hide);
    connect(ui->exitButton, &QPushButton::clicked, this, &CFestelForm::OnExitButton);
    connect(ui->optionsButton, &QPushButton::clicked, this, &CFestelForm::OnOptionsButton);
    connect(ui->infoButton, &QPushButton::clicked, this, &CFestelForm::OnInfoButton);
    m_midnightTimer.setSingleShot(true);
    connect(&m_midnightTimer, &QTimer::timeout, this, &CFestelForm::OnMidnight);
    // Editors save in bursts (a temporary file, a rename, a touch): one scan after the last.
    constexpr int kFollowDelayMs = 400;
    m_followTimer.setSingleShot(true);
    m_followTimer.setInterval(kFollowDelayMs);
    connect(&m_followTimer, &QTimer::timeout, this, &CFestelForm::OnSourcesChanged);
    const auto changed = [this] {
        m_followTimer.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    CreateRemoteNote();
}

void CFestelForm::CreateRemoteNote()
{
    // In the window, not a box at every start: a server away for the day is no emergency.
    m_remoteNote->setWordWrap(true);
    m_remoteNote->setTextFormat(Qt::PlainText);
    m_remoteNote->setAccessibleName(QStringLiteral("Hinweis zu den Adressbüchern"));
    m_remoteNote->hide();
    ui->formLayout->addWidget(m_remoteNote, 3, 0, 1, 2);
    connect(m_remote, &RemoteSync::NotesChanged, this, [this] {
        m_remoteNote->setText(m_remote->Notes());
        m_remoteNote->setVisible(!m_remoteNote->text().isEmpty());
    });
    // A cache brought up to date is a changed source.
    connect(m_remote, &RemoteSync::CacheUpdated, this, [this] { m_followTimer.start(); });
    m_remote->SetAskPassword([this](const QString &source, const QString &user,
                                    const QString &why) -> std::optional<QString> {
        bool ok = false;
        QString label =
            QStringLiteral("Passwort für %1 bei %2:").arg(user, RemoteSourceUrl(source).host());
        if (!why.isEmpty())
            label = why + QLatin1Char('\n') + label;
        const QString password = QInputDialog::getText(this, QStringLiteral("Adressbuch im Netz"),
                                                       label, QLineEdit::Password, {}, &ok);
        if (!ok)
            return std::nullopt;
        return password;
    });
}

CFestelForm::~CFestelForm()
{
    // The window is gone by now: what could not be saved is said on the terminal.
    QString problem;
    if (!SaveState(&problem))
        std::fprintf(stderr, "festmark: %s\n", problem.toLocal8Bit().constData());
    delete ui;
}

bool CFestelForm::SaveState(QString *problem)
{
    return SaveSettings(CurrentSettings(), problem) &&
           WriteAutostartEntry(m_autoStart, m_exePath, problem, m_notifyOnly);
}

Settings CFestelForm::CurrentSettings() const
{
    Settings settings;
    settings.startDays = m_startDays;
    settings.stopDays = m_stopDays;
    settings.codePage = m_oemFile;
    settings.codePageChosen = m_codePageChosen;
    settings.filePath = m_filePath;
    settings.autoStart = m_autoStart;
    settings.notifyOnly = m_notifyOnly;
    settings.sources = m_sources;
    settings.leapDay = m_leapDay;
    settings.hidden = m_hidden;
    return settings;
}

void CFestelForm::ApplySettings(const Settings &settings)
{
    m_startDays = settings.startDays;
    m_stopDays = settings.stopDays;
    m_oemFile = settings.codePage;
    m_codePageChosen = settings.codePageChosen;
    m_filePath = settings.filePath;
    m_autoStart = settings.autoStart;
    m_notifyOnly = settings.notifyOnly;
    m_sources = settings.sources;
    m_leapDay = settings.leapDay;
    m_hidden = settings.hidden;
}

void CFestelForm::SetToday(std::function<std::chrono::year_month_day()> today)
{
    m_today = std::move(today);
}

void CFestelForm::SetSaveCalendarDialog(CalendarDialog dialog)
{
    m_saveCalendarAs = std::move(dialog);
}

void CFestelForm::OnInitialUpdate()
{
    m_grid->SetColumnWidth(0, 1000);
    m_grid->SetColumnWidth(1, 7000);
}

void CFestelForm::SetInfoButtonBitmap()
{
    m_infoBitmap = LoadBitmap(kInfoBitmap);
    SetButtonImage(m_infoButton, m_infoBitmap); // Alt+I still presses it
}

void CFestelForm::keyPressEvent(QKeyEvent *event)
{
    // Return presses the focused button, and elsewhere the default button "Beenden", as in
    // a dialog (Qt keeps that rule to dialogs).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<QPushButton *>(focusWidget());
        (focused != nullptr ? focused : ui->exitButton)->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CFestelForm::OnExitButton()
{
    // Ends the program without a question; the settings are saved on the way.
    emit exitRequested();
}

void CFestelForm::OnInfoButton()
{
    m_sounds.PlayLooping(kInfoSound);
    emit aboutRequested();
    m_sounds.StopAll();
}

void CFestelForm::OnExportCalendar()
{
    const CalendarExportChoice choice = m_saveCalendarAs(this, m_exportFolder);
    if (choice.path.isEmpty())
        return;
    m_exportFolder = QFileInfo(choice.path).absolutePath();
    // Replaced whole or not at all: a full disk leaves the old calendar as it was. The rows
    // are those shown: the same sources, scanned over the same days.
    FileOutput file(choice.path, SourcesOf(CurrentSettings()));
    if (!file.Ready() || !m_finder.WriteCalendar(m_window, file, choice.alarmDays))
        m_boxes.Show(this, Utf8Text(file.Failure()));
}

void CFestelForm::OnEditList()
{
    if (m_editor == nullptr) {
        auto *editor = new CListEditor(m_filePath, m_oemFile, m_leapDay, m_boxes, this);
        if (!editor->Load()) {
            delete editor;
            return;
        }
        editor->SetToday(std::chrono::sys_days{m_today()});
        // Opened on the entry of the current row, where it comes from the date list.
        if (const QModelIndex current = m_grid->currentIndex(); current.isValid()) {
            const std::size_t entry = m_model->Hit(current.row()).entry;
            if (QFileInfo(m_finder.SourcePathOf(entry)) == QFileInfo(m_filePath))
                editor->SelectLine(EntryText(*m_finder.Entries(), entry));
        }
        m_editor = editor;
    }
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

bool CFestelForm::MayEnd()
{
    return m_editor == nullptr || m_editor->MayClose();
}

void CFestelForm::OnHideRows()
{
    bool added = false;
    for (const QModelIndex &row : m_grid->selectionModel()->selectedRows()) {
        const QString key = m_finder.HiddenKeyOf(m_model->Hit(row.row()).entry);
        if (!m_hidden.contains(key)) {
            m_hidden += key;
            added = true;
        }
    }
    if (!added)
        return;
    if (QString problem; !SaveState(&problem))
        m_boxes.Show(this, problem);
    RunScan();
}

void CFestelForm::OnOptionsButton()
{
    COptionsDlg dialog(CurrentSettings(), m_defaultFilePath, m_boxes, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ApplySettings(dialog.settings());
    // Saved at once as well: what the user confirmed survives a display that dies.
    if (QString problem; !SaveState(&problem))
        m_boxes.Show(this, problem);
    RunScan();
}
