#pragma once

#include <QDialog>

// The About box: the program's name, version and build, and an OK button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
