#include "frame/Layout.h"
#include "frame/Forms.h"
#include "frame/FormsInternal.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Utility.h"
#include "platform/Error.h"
#include "platform/Files.h"
#include "platform/image/JpegReader.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QIcon>
#include <QFileInfo>
#include <QImageReader>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace {

const QString MainName = QStringLiteral("frmMainMDI");
const QString StartName = QStringLiteral("frmStart");

// Draws the background picture `source` stretched to `size` from the top-left
// corner. The picture is scaled as it is painted, only where the painter is
// clipped to: no scaled copy is kept, whatever the number of windows.
void drawPicture(QPainter &p, const QImage &source, const QSize &size)
{
    if (source.isNull() || size.isEmpty())
        return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(QPoint(0, 0), size), source);
}

QImage scaledPicture(const QImage &source, const QSize &size)
{
    if (source.isNull() || size.isEmpty())
        return {};
    QImage out(size, QImage::Format_RGB32);
    QPainter p(&out);
    drawPicture(p, source, size);
    return out;
}

// Paints a window's background picture over the window's colour and under
// its controls.
class BackgroundPainter : public QObject {
public:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (ev->type() == QEvent::Paint) {
            auto *w = static_cast<QWidget *>(obj);
            const QImage source = w->property(frame::internal::BackgroundProp).value<QImage>();
            if (!source.isNull()) {
                QPainter p(w);
                drawPicture(p, source, w->property(frame::internal::BackgroundSizeProp).toSize());
            }
        }
        return false;
    }
};

BackgroundPainter &painter()
{
    static BackgroundPainter p;
    return p;
}

frame::BackgroundMdiArea *mainArea()
{
    return dynamic_cast<frame::BackgroundMdiArea *>(frame::MdiArea());
}

// The background picture read ahead while the program starts (none outside that time).
platform::image::PictureReadAhead *g_readAhead = nullptr;

QString backgroundPath(const QString &appPath)
{
    return platform::files::resolve(appPath + QStringLiteral("Images"), QStringLiteral("sfondopxn2.jpg"));
}

// Decodes the picture at `path`: JPEG here, any other format (or a JPEG this
// reader leaves aside) through the toolkit's readers.
QImage decodePicture(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        QImage img;
        if (platform::image::DecodeJpegRGB32(file.readAll(), img) == platform::image::JpegRead::Decoded)
            return img;
    }
    QImageReader reader(path);
    return reader.read();
}

// The picture decoded once and shared by every window, kept while the file
// stays the same.
QImage loadPicture(const QString &path)
{
    struct Cache {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        QImage image;
    };
    static Cache cache;
    const QFileInfo fi(path);
    if (cache.path == path && cache.modified == fi.lastModified() && cache.size == fi.size())
        return cache.image;
    QImage img;
    if (g_readAhead) {
        const platform::image::PictureFile ahead = g_readAhead->take();
        if (ahead.sameFile(path, fi.lastModified(), fi.size()))
            img = ahead.image;
    }
    if (img.isNull())
        img = decodePicture(path);
    if (img.isNull())
        throw platform::RuntimeError(481, QStringLiteral("Immagine non valida"));
    // Kept in the format the painter scales fastest.
    if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32_Premultiplied)
        img.convertTo(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    cache = {path, fi.lastModified(), fi.size(), img};
    return img;
}

// The help pages, read as every text file of the program is (UTF-8, else the
// Windows Western code page), whatever their markup says.
class HelpBrowser : public QTextBrowser {
public:
    QVariant loadResource(int type, const QUrl &name) override
    {
        if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
            QString text;
            if (platform::files::readText(name.toLocalFile(), text))
                return text;
        }
        return QTextBrowser::loadResource(type, name);
    }
};

QPointer<QTextBrowser> g_help;

// A help window shown as a window of a modal dialog goes back to being a window
// of its own when the dialog closes, so that it stays open.
class HelpOwnerWatch : public QObject {
public:
    bool eventFilter(QObject *obj, QEvent *ev) override
    {
        if (ev->type() == QEvent::Hide && g_help && g_help->parentWidget() == obj) {
            obj->removeEventFilter(this);
            setHelpOwner(nullptr);
        }
        return false;
    }
    static void setHelpOwner(QWidget *owner)
    {
        if (!g_help || g_help->parentWidget() == owner)
            return;
        const QRect geometry = g_help->geometry();
        const bool visible = g_help->isVisible();
        g_help->setParent(owner, Qt::Window);
        g_help->setGeometry(geometry);
        if (visible)
            g_help->show();
    }
};

HelpOwnerWatch &helpOwnerWatch()
{
    static HelpOwnerWatch watch;
    return watch;
}

} // namespace

namespace Utility {

void InitFormLayout(QWidget *frm)
{
    if (!frm)
        return;
    frm->setProperty(frame::internal::BackgroundProp, QVariant());
    frm->setProperty(frame::internal::BackgroundSizeProp, QVariant());
    if (frm->objectName() == MainName) {
        SetProgramIcon();
        if (auto *area = mainArea()) {
            area->setBackground(BackColor);
            area->setPicture({}, {});
        } else if (QMdiArea *a = frame::MdiArea()) {
            a->setBackground(BackColor);
        }
        return;
    }
    QPalette pal = frm->palette();
    pal.setColor(QPalette::Window, BackColor);
    frm->setPalette(pal);
    frm->setAutoFillBackground(true);

    auto *sub = qobject_cast<QMdiSubWindow *>(frm->parentWidget());
    const int frmWidth = sub ? sub->width() : frm->width();
    QMdiArea *area = frame::MdiArea();
    const int mainWidth = area ? area->viewport()->width() : frmWidth;
    const QPoint pos(frm->objectName() == StartName ? 0 : (mainWidth - frmWidth) / 2, 0);
    frm->setProperty(frame::internal::LayoutPosProp, pos);
    if (sub)
        sub->move(pos);
    CaricaSfondoForm(frm);
}

void SetProgramIcon()
{
    const QString path = platform::files::resolve(gAppPath + QStringLiteral("Images"), QStringLiteral("trambelo.png"));
    const QIcon icon = path.isEmpty() ? QIcon() : QIcon(path);
    // Without its file the program keeps the toolkit's icon: nothing to report.
    if (!icon.isNull() && !icon.availableSizes().isEmpty())
        QApplication::setWindowIcon(icon);
}

void CaricaSfondoForm(QWidget *frm)
{
    if (!frm)
        return;
    const QString label = Utility_RQM::ModuleLabel(frm);
    frame::Guard(QStringLiteral("Utility"), QStringLiteral("CaricaSfondoForm"), [&] {
        WriteDebugLog(label, QStringLiteral("CaricaSfondoForm"), QStringLiteral("001"));
        const int widthPx = frm->width();
        const int heightPx = frm->height();
        const QString path = backgroundPath(gAppPath);
        if (path.isEmpty() || !QFileInfo(path).isFile())
            throw platform::RuntimeError(platform::err::FileNotFound, QStringLiteral("Impossibile trovare il file"));
        const QImage source = loadPicture(path);

        WriteDebugLog(label, QStringLiteral("CaricaSfondoForm"), QStringLiteral("002"));
        // Stretched to the window's size now, 10 rows taller; scaled as it is painted.
        const QSize size(std::max(1, widthPx), std::max(1, heightPx + 10));

        WriteDebugLog(label, QStringLiteral("CaricaSfondoForm"), QStringLiteral("003"));
        frm->setProperty(frame::internal::BackgroundProp, source);
        frm->setProperty(frame::internal::BackgroundSizeProp, size);
        frm->removeEventFilter(&painter());
        frm->installEventFilter(&painter());
        frm->update();

        WriteDebugLog(label, QStringLiteral("CaricaSfondoForm"), QStringLiteral("004"));
        if (frm->objectName() == StartName)
            if (auto *area = mainArea())
                area->setPicture(source, size);

        WriteDebugLog(label, QStringLiteral("CaricaSfondoForm"), QStringLiteral("005"));
    });
}

QImage BackgroundOf(const QWidget *frm)
{
    if (!frm)
        return {};
    return scaledPicture(frm->property(frame::internal::BackgroundProp).value<QImage>(),
                         frm->property(frame::internal::BackgroundSizeProp).toSize());
}

void CloseOtherForms(const QString &keepName)
{
    // Closing a window may close or open others: work on a snapshot.
    frame::internal::ClosingScope closing;
    const QList<QWidget *> snapshot = frame::OpenForms();
    QList<QPointer<QWidget>> forms;
    for (QWidget *w : snapshot)
        forms.append(w);
    for (const QPointer<QWidget> &w : forms)
        if (w && w->objectName() != keepName && w->objectName() != MainName)
            frame::UnloadForm(w);
}

QString HelpPage(long topic)
{
    switch (topic) {
    case 1000: return QStringLiteral("selezione.html");
    case 1100: return QStringLiteral("tabella_dati.html");
    case 1200: return QStringLiteral("mappa.html");
    case 1300: return QStringLiteral("stampa.html");
    case 2000: return QStringLiteral("metadati.html");
    case 2100: return QStringLiteral("scheda_variabile.html");
    case 2200: return QStringLiteral("scheda_indicatore.html");
    case 3000: return QStringLiteral("glossario.html");
    case 4000: return QStringLiteral("formula.html");
    case 5000: return QStringLiteral("informazioni.html");
    default: return QStringLiteral("index.html");
    }
}

bool ShowHelpTopic(long topic)
{
    const QString helpDir = gHelpFile.isEmpty() ? gAppPath + QStringLiteral("Files/Help/")
                                                : platform::files::withSep(QFileInfo(gHelpFile).path());
    QString page = platform::files::resolve(helpDir, HelpPage(topic));
    if (page.isEmpty() || !QFileInfo(page).isFile())
        page = platform::files::resolve(helpDir, QStringLiteral("index.html"));
    if (page.isEmpty() || !QFileInfo(page).isFile())
        return false;
    if (!g_help) {
        g_help = new HelpBrowser;
        g_help->setObjectName(QStringLiteral("frmHelp"));
        g_help->setAttribute(Qt::WA_DeleteOnClose);
        g_help->setWindowTitle(QStringLiteral("Guida di Trambelo"));
        g_help->setOpenExternalLinks(false);
        g_help->resize(760, 560);
        frame::MarkNotAForm(g_help);
    }
    // Opened from a modal window, the help is a window of it: it takes input at
    // once, while the modal window still blocks the others.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == g_help)
        modal = nullptr;
    HelpOwnerWatch::setHelpOwner(modal);
    if (modal) {
        modal->removeEventFilter(&helpOwnerWatch());
        modal->installEventFilter(&helpOwnerWatch());
    }
    g_help->setSearchPaths({QFileInfo(page).path()});
    g_help->setSource(QUrl::fromLocalFile(page));
    g_help->show();
    g_help->raise();
    g_help->activateWindow();
    return true;
}

QWidget *HelpWindow() { return g_help; }

BackgroundReadAhead::BackgroundReadAhead(const QString &programFolder)
    : m_read(std::make_unique<platform::image::PictureReadAhead>(
          [appPath = platform::files::withSep(programFolder)] {
              return appPath.isEmpty() ? QString() : backgroundPath(appPath);
          }))
{
    g_readAhead = m_read.get();
}

BackgroundReadAhead::~BackgroundReadAhead()
{
    if (g_readAhead == m_read.get())
        g_readAhead = nullptr;
}

} // namespace Utility

namespace frame {

BackgroundMdiArea::BackgroundMdiArea(QWidget *parent) : QMdiArea(parent)
{
    setBackground(Utility::BackColor);
    // A window larger than a small screen's work area stays reachable.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void BackgroundMdiArea::setPicture(const QImage &source, const QSize &size)
{
    m_source = source;
    m_size = size;
    viewport()->update();
}

QImage BackgroundMdiArea::picture() const
{
    return scaledPicture(m_source, m_size);
}

void BackgroundMdiArea::paintEvent(QPaintEvent *event)
{
    QMdiArea::paintEvent(event);
    if (!m_source.isNull()) {
        QPainter p(viewport());
        drawPicture(p, m_source, m_size);
    }
}

} // namespace frame
