#include "Services.h"

#include "Strings.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>

void MessageBoxService::Show(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, LoadResString(ids::kAppName), text, QMessageBox::Ok,
                    owner);
    // Paths and lines from the user's files are text, never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

WaitCursor::WaitCursor(std::chrono::milliseconds delay)
    : m_due(std::chrono::steady_clock::now() + delay)
{
}

WaitCursor::~WaitCursor()
{
    if (m_shown)
        QGuiApplication::restoreOverrideCursor();
}

void WaitCursor::Update()
{
    if (m_shown || std::chrono::steady_clock::now() < m_due)
        return;
    m_shown = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

QString Utf8Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString LoadResString(int id)
{
    return Utf8Text(ResourceString(id));
}

QPixmap LoadBitmap(int id)
{
    // Named as PNG: unnamed, Qt loads every image plugin (JPEG's with its library) to ask it.
    return QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(id), "PNG");
}

QIcon LoadAppIcon()
{
    // The sizes a title bar, a task bar and a window switcher show; the window manager is
    // handed every size, decoded, when the window opens. Launchers take the installed icons.
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addPixmap(QPixmap(QStringLiteral(":/icons/festmark-%1.png").arg(size), "PNG"));
    return icon;
}

QString GetOpenFileName(QWidget *parent)
{
    // Open mode, no filter and no default name; read-only files are fine to read.
    return QFileDialog::getOpenFileName(parent);
}

int MessageBoxService::Ask(QWidget *owner, const QString &text, const QStringList &buttons)
{
    QMessageBox box(QMessageBox::NoIcon, LoadResString(ids::kAppName), text, QMessageBox::NoButton,
                    owner);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> added;
    for (const QString &label : buttons)
        added.append(box.addButton(label, QMessageBox::AcceptRole));
    if (!added.isEmpty())
        box.setDefaultButton(static_cast<QPushButton *>(added.constFirst()));
    box.exec();
    return static_cast<int>(added.indexOf(box.clickedButton()));
}

bool MessageBoxService::OpenInEditor(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

CalendarExportChoice GetCalendarExport(QWidget *parent, const QString &folder)
{
    QFileDialog dialog(parent, QStringLiteral("Als Kalender exportieren"), folder,
                       QStringLiteral("iCalendar (*.ics)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("ics"));
    dialog.selectFile(QStringLiteral("Festmark.ics"));
    // Qt's own dialog, the one with room for the reminder below the file name.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto *alarm = new QSpinBox(&dialog);
    alarm->setObjectName(QStringLiteral("alarmDays"));
    alarm->setRange(-1, 365);
    alarm->setValue(-1);
    alarm->setSpecialValueText(QStringLiteral("keine"));
    alarm->setSuffix(QStringLiteral(" Tage vorher"));
    auto *label = new QLabel(QStringLiteral("&Erinnerung:"), &dialog);
    label->setBuddy(alarm);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(alarm, row, 1);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(),
            alarm->value() < 0 ? std::nullopt : std::optional<int>(alarm->value())};
}

void SetButtonImage(QPushButton *button, const QPixmap &bitmap)
{
    if (bitmap.isNull())
        return;
    const QString text = button->text();
    button->setIcon(bitmap);
    button->setIconSize(bitmap.size());
    button->setText(QString()); // this drops the mnemonic, so it is set again below
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    if (const QKeySequence mnemonic = QKeySequence::mnemonic(text); !mnemonic.isEmpty())
        button->setShortcut(mnemonic);
}
