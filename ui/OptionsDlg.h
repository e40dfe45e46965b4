#pragma once

#include "Dialog.h"

#include <QDialog>
#include <QString>

#include <functional>

class MessageBoxService;

// "Festmark-Optionen": code page, days back and ahead, the date list's path and autostart,
// edited on a copy of the form's settings.
class COptionsDlg : public QDialog {
    Q_OBJECT

public:
    explicit COptionsDlg(MessageBoxService &boxes, QWidget *parent = nullptr);

    int DoModal(); // QDialog::Accepted for OK

    void OnInitDialog(); // fills the controls from the members
    void OnOK();         // validates; closes only when every field is accepted
    void OnDefaultsButton();
    void OnBrowseButton();

    int m_oemFile = 0;
    int m_startDays = 0;
    int m_stopDays = 0;
    QString m_filePath;
    int m_autoStart = 1;
    QString m_defaultFilePath;

    // The file-open dialog; tests put an answer of their own in its place.
    std::function<QString(QWidget *)> m_browse;

    const ControlMap &Controls() const { return m_controls; }

private:
    void DoDataExchange(CDataExchange &dx);
    bool UpdateData(bool saveAndValidate);

    MessageBoxService &m_boxes;
    ControlMap m_controls;
};
