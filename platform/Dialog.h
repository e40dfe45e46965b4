#pragma once

#include "Templates.h"

#include <QHash>
#include <QString>

#include <functional>

class MessageBoxService;
class QDialog;
class QFont;
class QPixmap;
class QPushButton;
class QWidget;

// Dialog units as the home platform derives them from the dialog font: horizontally a quarter
// of the average character width, vertically an eighth of the character height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont &font);
    int X(int units) const noexcept { return (units * m_baseX + 2) / 4; }
    int Y(int units) const noexcept { return (units * m_baseY + 4) / 8; }

private:
    int m_baseX;
    int m_baseY;
};

// The controls of a template, by id (controls without an id are created but not listed).
using ControlMap = QHash<int, QWidget *>;
using CustomControlFactory = std::function<QWidget *(const ControlTemplate &, QWidget *parent)>;

QFont DialogFont(const DialogTemplate &dialog);
// Creates every control of the template on the parent, in tab order, and sizes the parent.
ControlMap BuildDialogControls(const DialogTemplate &dialog, QWidget *parent,
                               const CustomControlFactory &custom = {});
// A modal dialog from template `id`: its title and its controls.
ControlMap BuildDialog(int id, QDialog *dialog);

// Puts a bitmap on a bitmap button, which then shows the picture only; its text still
// names it for screen readers and its mnemonic still presses it. A null bitmap changes nothing.
void SetButtonImage(QPushButton *button, const QPixmap &bitmap);

// Moves values between members and controls. Reading from controls validates; a failure
// shows its message, puts the focus and the selection on the field, and ends the exchange.
class CDataExchange {
public:
    CDataExchange(const ControlMap &controls, bool saveAndValidate, MessageBoxService &boxes,
                  QWidget *owner);

    const bool m_bSaveAndValidate;

    void Text(int id, QString &value);
    void Text(int id, int &value);
    void MinMaxInt(int id, int value, int minimum, int maximum);
    void Radio(int firstId, int &value); // index in the group; -1 when none is checked
    void Check(int id, int &value);

    template <typename Widget> Widget *Control(int id) const
    {
        return qobject_cast<Widget *>(m_controls.value(id));
    }

private:
    [[noreturn]] void Fail(int id, const QString &message);

    const ControlMap &m_controls;
    MessageBoxService &m_boxes;
    QWidget *m_owner;
    friend bool UpdateData(const ControlMap &, bool, MessageBoxService &, QWidget *,
                           const std::function<void(CDataExchange &)> &);
};

// Runs one exchange; false when a field was refused (the dialog then stays open).
bool UpdateData(const ControlMap &controls, bool saveAndValidate, MessageBoxService &boxes,
                QWidget *owner, const std::function<void(CDataExchange &)> &exchange);
