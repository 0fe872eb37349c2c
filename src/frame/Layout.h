#pragma once
// The common look of the windows (colour, position, background picture), the
// closing of the other windows and the help topics.
#include <QColor>
#include <QImage>
#include <QMdiArea>
#include <QString>

#include <memory>

class QWidget;
namespace platform::image {
class PictureReadAhead;
}

namespace Utility {

// The background colour of every window (red 85, green 85, blue 255).
inline const QColor BackColor(85, 85, 255);

// Called first when a window loads: colour (the main window also sets the
// program's icon), then (for windows other than the main window) the position
// at the top of the main window's area, centred horizontally ("frmStart" at
// the left edge), then the background picture.
void InitFormLayout(QWidget *frm);
// The program's icon, Images/trambelo.png, for every window of the program;
// set with the main window's layout. Without the file the toolkit's stays.
void SetProgramIcon();

// The background picture Images/sfondopxn2.jpg stretched to the window's size
// (10 rows taller), painted from the top-left corner; not rebuilt on resize.
// The file is decoded once for all the windows; each paints it scaled.
// For "frmStart" the main window shows the same picture. A missing or
// unreadable picture is logged; the window keeps its colour.
void CaricaSfondoForm(QWidget *frm);
// While it lives, the background picture of the program folder `programFolder`
// is read and decoded on a thread of its own; CaricaSfondoForm takes it when
// it asks for that same file, unchanged. Made as the program starts, before
// the toolkit, so that the two overlap.
class BackgroundReadAhead {
public:
    explicit BackgroundReadAhead(const QString &programFolder);
    ~BackgroundReadAhead();
    BackgroundReadAhead(const BackgroundReadAhead &) = delete;
    BackgroundReadAhead &operator=(const BackgroundReadAhead &) = delete;

private:
    std::unique_ptr<platform::image::PictureReadAhead> m_read;
};

// The picture laid on `frm` by CaricaSfondoForm as it is painted (null when none).
QImage BackgroundOf(const QWidget *frm);

// Unloads every open window except the main window and the one named `keepName`
// ("" keeps only the main window).
void CloseOtherForms(const QString &keepName);

// Opens the help at a window's topic (1000 selection, 1100 data table, 1200 map,
// 1300 print layout, 2000 metadata browser, 2100 variable sheet, 2200 indicator
// sheet, 3000 glossary, 4000 formula, 5000 about; 0 or any other: the index).
// Returns false, silently, when the help cannot be shown.
bool ShowHelpTopic(long topic);
// The help page of a topic, a file name inside Files/Help/.
QString HelpPage(long topic);
// The help window when it is open (tests).
QWidget *HelpWindow();

} // namespace Utility

namespace frame {

// The main window's document area: the background colour with a picture drawn
// from its top-left corner.
class BackgroundMdiArea : public QMdiArea {
public:
    explicit BackgroundMdiArea(QWidget *parent = nullptr);
    // `source` stretched to `size` (none when `source` is null).
    void setPicture(const QImage &source, const QSize &size);
    // The picture as it is painted (null when none).
    QImage picture() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_source;
    QSize m_size;
};

} // namespace frame
