#pragma once

#include "Settings.h"

#include <QDialog>

#include <functional>

class MessageBoxService;

namespace Ui {
class COptionsDlg;
}

// "Festmark-Optionen": code page, days back and ahead, the date list's path and autostart.
// Opens with a copy of the settings and, when closed with OK, gives the edited copy back.
class COptionsDlg : public QDialog {
    Q_OBJECT

public:
    COptionsDlg(const Settings &settings, const QString &defaultFilePath, MessageBoxService &boxes,
                QWidget *parent = nullptr);
    ~COptionsDlg() override;

    Settings settings() const; // what the fields hold

    // The file-open dialog; tests put an answer of their own in its place.
    std::function<QString(QWidget *)> m_browse;

    void accept() override; // closes only when both day counts are whole numbers

private:
    void ShowSettings(const Settings &settings);
    void OnDefaultsButton();
    void OnBrowseButton();

    Ui::COptionsDlg *ui;
    QString m_defaultFilePath;
    MessageBoxService &m_boxes;
};
