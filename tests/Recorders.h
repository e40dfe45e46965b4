#pragma once

#include "TestSettings.h"

#include "Services.h"
#include "Sound.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <ostream>

// Readable failures for Qt's strings.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &texts, std::ostream *os)
{
    *os << "{";
    for (const QString &text : texts)
        *os << " \"" << text.toStdString() << "\"";
    *os << " }";
}

// Message boxes and sounds that only take note, so that nothing blocks or plays in tests.
struct RecordingBoxes : MessageBoxService {
    void Show(QWidget *, const QString &text) override { texts.append(text); }
    int Ask(QWidget *, const QString &text, const QStringList &buttons) override
    {
        texts.append(text);
        asked.append(buttons);
        return answer;
    }
    bool OpenInEditor(const QString &path) override
    {
        opened.append(path);
        return true;
    }
    QStringList texts;
    QList<QStringList> asked;
    int answer = -1; // what Ask answers: closed
    QStringList opened;
};

struct RecordingSounds : SoundService {
    void PlayLooping(int id) override
    {
        events.append("play " + QString::number(id));
        playing = id;
    }
    void StopAll() override
    {
        events.append("stop");
        playing = 0;
    }
    QStringList events;
    int playing = 0; // the looping sound, 0 when silent
};

// Runs `inspect` on the next modal dialog once it is up, then closes it with OK unless it
// has closed already, so that a modal exec() returns in tests.
template <typename Inspect> void WhenModalShown(Inspect inspect)
{
    QTimer::singleShot(0, [inspect] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == nullptr) { // not up yet: look again on the next turn
            WhenModalShown(inspect);
            return;
        }
        inspect(modal);
        if (auto *dialog = qobject_cast<QDialog *>(modal); dialog && dialog->isVisible())
            dialog->accept();
    });
}

// The widgets Tab visits in `window`, in order, from the one that has the focus when it
// opens; a field that hands its focus to an inner editor counts as the field.
inline QList<QWidget *> TabStops(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    const auto focused = [] {
        QWidget *widget = QApplication::focusWidget();
        QWidget *parent = widget != nullptr ? widget->parentWidget() : nullptr;
        return parent != nullptr && parent->focusProxy() == widget ? parent : widget;
    };
    QList<QWidget *> stops;
    for (QWidget *widget = focused(); widget != nullptr && !stops.contains(widget);
         widget = focused()) {
        stops.append(widget);
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
    }
    return stops;
}

// What a table shows, row by row: the cells' texts joined by " | ".
inline QStringList ShownRows(const QAbstractItemModel *model)
{
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells.append(model->index(row, column).data().toString());
        rows.append(cells.join(" | "));
    }
    return rows;
}

// The main form's rows and caption, found as a user meets them.
inline QStringList ShownRows(const QWidget &form)
{
    return ShownRows(form.findChild<QAbstractItemView *>("resultGrid")->model());
}

inline QString ShownCaption(const QWidget &form)
{
    return form.findChild<QLabel *>("rangeCaption")->text();
}
