#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Arrows beside an edit that holds a whole number: a click or the arrow keys in the edit step
// the number by one within the range.
class CUpDown : public QWidget {
    Q_OBJECT

public:
    explicit CUpDown(QWidget *parent = nullptr);

    void SetBuddy(QLineEdit *buddy);
    void SetRange(int minimum, int maximum);
    void Step(int steps);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLineEdit *m_buddy = nullptr;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_minimum = 0;
    int m_maximum = 100;
};
