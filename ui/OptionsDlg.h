#pragma once

#include "Settings.h"

#include <QDialog>

#include <functional>

class MessageBoxService;

namespace Ui {
class COptionsDlg;
}

// "Festmark-Optionen": code page, days back and ahead, the date list's path, the further
// sources ("Weitere Quellen..." opens their own dialog) and autostart.
// Opens with a copy of the settings and, when closed with OK, gives the edited copy back.
class COptionsDlg : public QDialog {
    Q_OBJECT

public:
    COptionsDlg(const Settings &settings, const QString &defaultFilePath, MessageBoxService &boxes,
                QWidget *parent = nullptr);
    ~COptionsDlg() override;

    Settings settings() const; // what the fields hold

    // The file-open dialogs of the date list and of a further source; tests put answers of
    // their own in their place.
    std::function<QString(QWidget *)> m_browse;
    std::function<QString(QWidget *)> m_browseSource;

    void accept() override; // closes only when both day counts are whole numbers

private:
    void ShowSettings(const Settings &settings);
    void OnDefaultsButton();
    void OnBrowseButton();
    void OnSourcesButton();
    void ShowSourceCount();

    Ui::COptionsDlg *ui;
    QString m_defaultFilePath;
    QStringList m_sources; // kept by "Weitere Quellen...", not by "Standard"
    QStringList m_hidden;  // kept by "Ausgeblendete...", not by "Standard"
    MessageBoxService &m_boxes;
};
