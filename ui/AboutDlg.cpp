#include "AboutDlg.h"
#include "ui_AboutDlg.h"

#include "Services.h"
#include "Strings.h"

#include <QPalette>

#include <algorithm>

namespace {

constexpr int kOkBitmap = 143;

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::CAboutDlg)
{
    ui->setupUi(this);
    ui->featuresEdit->setPlainText(LoadResString(ids::kFeatures).replace("\r\n", "\n"));
    // Read-only text sits on the dialog's own background, as on the home platform.
    QPalette palette = ui->featuresEdit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    ui->featuresEdit->setPalette(palette);
    // Four lines and the longest of them, in whatever font the desktop has.
    const QFontMetrics metrics(ui->featuresEdit->font());
    int width = 0;
    for (const QString &line : ui->featuresEdit->toPlainText().split('\n'))
        width = std::max(width, metrics.horizontalAdvance(line));
    const int margins = 2 * (static_cast<int>(ui->featuresEdit->document()->documentMargin()) +
                             ui->featuresEdit->frameWidth());
    ui->featuresEdit->setFixedSize(width + margins + 4 * metrics.averageCharWidth(),
                                   metrics.lineSpacing() * 4 + margins + metrics.descent());
    ui->featuresEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->featuresEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetButtonImage(ui->okButton, LoadBitmap(kOkBitmap));
    ui->okButton->setFocus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

CAboutDlg::~CAboutDlg()
{
    delete ui;
}
