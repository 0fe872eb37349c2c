#pragma once
// The building blocks the two metadata sheets share: the heading, the captions
// beside the boxes, read-only boxes of one or more lines, the frame of the
// years available and the button row.
#include <QString>
#include <array>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace scheda::ui {

QLabel *Heading(QWidget *parent);
QLabel *Caption(QWidget *parent, const QString &name, const QString &text);
QLineEdit *LineBox(QWidget *parent, const QString &name);
QPlainTextEdit *TextBox(QWidget *parent, const QString &name, int lines);
// A check box that shows a state the user cannot change.
QCheckBox *ShowOnlyCheck(QWidget *parent, const QString &name, const QString &text);
QPushButton *Button(QWidget *parent, const QString &name, const QString &text);

// The frame "Anni disponibili": year labels "1996" to "2008" over Check1 to Check13.
QGroupBox *YearsFrame(QWidget *parent, std::array<QCheckBox *, 13> &checks);

// Sets a box's text as the sheet shows it (see scheda::ForDisplay).
void SetText(QLineEdit *box, const QString &text);
void SetText(QPlainTextEdit *box, const QString &text);

} // namespace scheda::ui
