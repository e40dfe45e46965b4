#include "AboutDlg.h"
#include "ui_AboutDlg.h"

#include "Services.h"
#include "Strings.h"

#include <QImage>
#include <QPalette>
#include <QPixmap>

#include <algorithm>

namespace {

constexpr int kOkBitmap = 143;

// The OK picture's dark writing drawn in the palette's button text colour (readable on a dark
// theme too), its check mark kept, and the picture as tall as a line of the button's font.
QPixmap ForPalette(const QPixmap &bitmap, const QPalette &palette, int lineHeight)
{
    if (bitmap.isNull())
        return bitmap;
    QImage image = bitmap.toImage().convertToFormat(QImage::Format_ARGB32);
    const QColor text = palette.color(QPalette::ButtonText);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = QColor::fromRgba(line[x]);
            if (pixel.alpha() > 0 && pixel.hsvSaturation() < 64 && pixel.value() < 128)
                line[x] = qRgba(text.red(), text.green(), text.blue(), pixel.alpha());
        }
    }
    const int height = std::max(bitmap.height(), lineHeight);
    return QPixmap::fromImage(image.scaledToHeight(
        height, height % bitmap.height() == 0 ? Qt::FastTransformation : Qt::SmoothTransformation));
}

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
    SetButtonImage(ui->okButton, ForPalette(LoadBitmap(kOkBitmap), ui->okButton->palette(),
                                            ui->okButton->fontMetrics().height()));
    ui->okButton->setFocus();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

CAboutDlg::~CAboutDlg()
{
    delete ui;
}
