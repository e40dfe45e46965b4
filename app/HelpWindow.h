#pragma once

#include <QDialog>

// "Hilfethemen": the date list format, the colours, the sound and the options, in German.
class CHelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget *parent = nullptr);
};

QString HelpText(); // HTML
