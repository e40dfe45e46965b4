#pragma once

#include "Dialog.h"

#include <QDialog>
#include <QPixmap>
#include <QString>

class MessageBoxService;
class QPushButton;

// "Info über Festmark": picture, version, the list of features, and an OK button with a
// picture of its own.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(MessageBoxService &boxes, QWidget *parent = nullptr);

    QPushButton *m_okButton = nullptr;
    QString m_features;
    QPixmap m_okBitmap;

    const ControlMap &Controls() const { return m_controls; }

private:
    void DoDataExchange(CDataExchange &dx);
    void OnInitDialog();

    MessageBoxService &m_boxes;
    ControlMap m_controls;
};
