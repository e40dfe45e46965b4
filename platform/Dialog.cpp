#include "Dialog.h"

#include "Services.h"
#include "UpDown.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

namespace {

struct DataExchangeFailed {};

QWidget *CreateControl(const ControlTemplate &c, QWidget *parent,
                       const CustomControlFactory &custom)
{
    using K = ControlKind;
    switch (c.kind) {
    case K::StaticText: {
        auto *label = new QLabel(Utf8Text(c.text), parent);
        label->setAlignment((c.styles & style::kCentred ? Qt::AlignHCenter : Qt::AlignLeft) |
                            Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        return label;
    }
    case K::StaticBitmap:
    case K::StaticIcon: {
        auto *label = new QLabel(parent);
        const QPixmap picture = LoadBitmap(c.resource);
        label->setPixmap(picture);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case K::PushButton:
    case K::DefaultButton:
    case K::BitmapButton: {
        auto *button = new QPushButton(Utf8Text(c.text), parent);
        button->setDefault(c.kind == K::DefaultButton);
        button->setAutoDefault(false);
        return button;
    }
    case K::Edit: {
        auto *edit = new QLineEdit(parent);
        edit->setFrame((c.styles & style::kBorder) != 0);
        return edit;
    }
    case K::MultiLineEdit: {
        auto *edit = new QPlainTextEdit(parent);
        edit->setReadOnly((c.styles & style::kReadOnly) != 0);
        if (edit->isReadOnly()) { // read-only text sits on the dialog's own background
            QPalette palette = edit->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Window));
            edit->setPalette(palette);
        }
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        edit->setFrameShape(QFrame::NoFrame);
        edit->setTabChangesFocus(true);
        return edit;
    }
    case K::RadioButton:
        return new QRadioButton(Utf8Text(c.text), parent);
    case K::CheckBox:
        return new QCheckBox(Utf8Text(c.text), parent);
    case K::GroupBox:
        return new QGroupBox(Utf8Text(c.text), parent);
    case K::ProgressBar: {
        auto *bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        return bar;
    }
    case K::UpDown:
        return new CUpDown(parent);
    case K::Custom:
        if (custom)
            return custom(c, parent);
        return nullptr;
    }
    return nullptr;
}

} // namespace

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (width / 26 + 1) / 2; // rounded average character width
    m_baseY = metrics.height();
}

QFont DialogFont(const DialogTemplate &dialog)
{
    QFont font(Utf8Text(dialog.fontName), dialog.pointSize);
    // "MS Sans Serif" is not on Linux; the match falls back to the desktop's sans serif.
    font.setStyleHint(QFont::SansSerif);
    return font;
}

ControlMap BuildDialogControls(const DialogTemplate &dialog, QWidget *parent,
                               const CustomControlFactory &custom)
{
    const QFont font = DialogFont(dialog);
    parent->setFont(font);
    const DialogUnits units(font);
    ControlMap controls;
    QList<QWidget *> groupBoxes;
    QWidget *previous = nullptr;
    QWidget *previousControl = nullptr;
    for (const ControlTemplate &c : dialog.controls) {
        QWidget *control = CreateControl(c, parent, custom);
        if (control == nullptr)
            continue;
        int width = units.X(c.width);
        // A label whose text is wider with this font than with the home platform's grows
        // to the right rather than losing its end.
        if (auto *label = qobject_cast<QLabel *>(control);
            label != nullptr && c.kind == ControlKind::StaticText &&
            (c.styles & style::kCentred) == 0 && !c.text.empty())
            width = std::max(width, label->sizeHint().width());
        control->setGeometry(units.X(c.x), units.Y(c.y), width, units.Y(c.height));
        if (qobject_cast<QGroupBox *>(control) != nullptr)
            groupBoxes.append(control);
        else if (control->focusPolicy() != Qt::NoFocus) {
            if (previous != nullptr)
                QWidget::setTabOrder(previous, control);
            previous = control;
        }
        // An up-down takes the control just before it as its buddy.
        if (auto *upDown = qobject_cast<CUpDown *>(control))
            upDown->SetBuddy(qobject_cast<QLineEdit *>(previousControl));
        previousControl = control;
        if (c.id >= 0)
            controls.insert(c.id, control);
    }
    // Group boxes are frames drawn behind the controls they surround.
    for (QWidget *box : groupBoxes)
        box->lower();
    parent->setFixedSize(units.X(dialog.width), units.Y(dialog.height));
    return controls;
}

CDataExchange::CDataExchange(const ControlMap &controls, bool saveAndValidate,
                             MessageBoxService &boxes, QWidget *owner)
    : m_bSaveAndValidate(saveAndValidate)
    , m_controls(controls)
    , m_boxes(boxes)
    , m_owner(owner)
{
}

void CDataExchange::Fail(int id, const QString &message)
{
    m_boxes.Show(m_owner, message);
    if (auto *edit = Control<QLineEdit>(id)) {
        edit->setFocus();
        edit->selectAll();
    } else if (QWidget *control = m_controls.value(id)) {
        control->setFocus();
    }
    throw DataExchangeFailed{};
}

void CDataExchange::Text(int id, QString &value)
{
    if (auto *label = Control<QLabel>(id)) {
        if (!m_bSaveAndValidate)
            label->setText(value);
        else
            value = label->text();
    } else if (auto *edit = Control<QLineEdit>(id)) {
        if (!m_bSaveAndValidate)
            edit->setText(value);
        else
            value = edit->text();
    } else if (auto *plain = Control<QPlainTextEdit>(id)) {
        if (!m_bSaveAndValidate)
            plain->setPlainText(QString(value).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        else
            value = plain->toPlainText();
    }
}

void CDataExchange::Text(int id, int &value)
{
    auto *edit = Control<QLineEdit>(id);
    if (edit == nullptr)
        return;
    if (!m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return;
    }
    bool ok = false;
    const int number = edit->text().trimmed().toInt(&ok);
    if (!ok)
        Fail(id, QStringLiteral("Bitte eine ganze Zahl eingeben."));
    value = number;
}

void CDataExchange::MinMaxInt(int id, int value, int minimum, int maximum)
{
    if (m_bSaveAndValidate && (value < minimum || value > maximum)) {
        Fail(id, QStringLiteral("Bitte eine ganze Zahl zwischen %1 und %2 eingeben.")
                     .arg(minimum)
                     .arg(maximum));
    }
}

void CDataExchange::Radio(int firstId, int &value)
{
    // The group runs from the first radio button to the next control that is none.
    QList<QRadioButton *> group;
    for (int id = firstId; auto *radio = Control<QRadioButton>(id); ++id)
        group.append(radio);
    if (!m_bSaveAndValidate) {
        for (int i = 0; i < group.size(); ++i) {
            group[i]->setAutoExclusive(false);
            group[i]->setChecked(i == value);
            group[i]->setAutoExclusive(true);
        }
        return;
    }
    value = -1;
    for (int i = 0; i < group.size(); ++i) {
        if (group[i]->isChecked())
            value = i;
    }
}

void CDataExchange::Check(int id, int &value)
{
    auto *box = Control<QAbstractButton>(id);
    if (box == nullptr)
        return;
    if (!m_bSaveAndValidate)
        box->setChecked(value != 0);
    else
        value = box->isChecked() ? 1 : 0;
}

bool UpdateData(const ControlMap &controls, bool saveAndValidate, MessageBoxService &boxes,
                QWidget *owner, const std::function<void(CDataExchange &)> &exchange)
{
    CDataExchange dx(controls, saveAndValidate, boxes, owner);
    try {
        exchange(dx);
    } catch (const DataExchangeFailed &) {
        return false;
    }
    return true;
}

ControlMap BuildDialog(int id, QDialog *dialog)
{
    const DialogTemplate &t = *FindDialogTemplate(id);
    dialog->setWindowTitle(Utf8Text(t.title));
    return BuildDialogControls(t, dialog);
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
