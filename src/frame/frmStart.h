#pragma once
// The start page: the child window that fills the main window after start-up,
// with fixed titles and the welcome text of Files/InfoQrl.txt, so that the
// text can change without changing the program. It lends its background
// picture to the main window.
#include <QSize>
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;

class frmStart : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *FormName = "frmStart";

    explicit frmStart(QWidget *parent = nullptr);

    // Opens the start page (or brings the open one forward) and loads it.
    static frmStart *ShowForm();

    // Fills the text from InfoQrl.txt, sizes the page against the main window
    // and lays the background. A missing text file is logged, and the page
    // shows its other texts with its size, colour and picture.
    void Form_Load();

    // The caption of lblInfo for the text of the file: each line followed by
    // CR LF (a final line end adds no empty line).
    static QString InfoCaption(const QString &fileText);
    // The size of the page for a main window of `mainSize`: 750 twips less high
    // and 200 twips less wide.
    static QSize PageSize(const QSize &mainSize);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *lblInfo = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *Image3 = nullptr;
    QFrame *Line1 = nullptr;
};
