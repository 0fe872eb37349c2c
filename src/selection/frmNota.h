#pragma once
// The note on the conventions of the data tables: conventional signs and rounding.
#include <QDialog>

class QLabel;
class QPushButton;

class frmNota : public QDialog {
    Q_OBJECT
public:
    explicit frmNota(QWidget *parent = nullptr);

    // The note's text (rich text).
    static QString NoteText();

private:
    QLabel *Picture1 = nullptr;
    QPushButton *Command1 = nullptr;
};
