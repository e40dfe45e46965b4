#include "Services.h"

#include "Strings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QTranslator>

void MessageBoxService::Show(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, LoadResString(ids::kAppName), text, QMessageBox::Ok,
                    owner);
    box.exec();
}

WaitCursor::WaitCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QGuiApplication::restoreOverrideCursor();
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
    return QPixmap(QStringLiteral(":/bitmaps/%1.png").arg(id));
}

QIcon LoadAppIcon()
{
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString &name : icons.entryList({QStringLiteral("festmark-*.png")}, QDir::Files))
        icon.addFile(icons.filePath(name));
    return icon;
}

QString GetOpenFileName(QWidget *parent)
{
    // Open mode, no filter and no default name; read-only files are fine to read.
    return QFileDialog::getOpenFileName(parent);
}

void InstallGermanTranslations()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}
