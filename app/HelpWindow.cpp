#include "HelpWindow.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

QString HelpText()
{
    QFile file(QStringLiteral(":/help/Hilfe.html"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

CHelpWindow::CHelpWindow(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Festmark-Hilfe"));
    auto *layout = new QVBoxLayout(this);
    auto *browser = new QTextBrowser(this);
    browser->setHtml(HelpText());
    layout->addWidget(browser);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Schließen"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 480);
}
