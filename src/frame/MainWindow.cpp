#include "frame/MainWindow.h"
#include "frame/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

frmMainMDI::frmMainMDI(const QString &programFolder, const QString &lockPath)
{
    setObjectName(QStringLiteral("frmMainMDI"));
    setWindowTitle(QStringLiteral("Trambelo"));
    m_area = new frame::BackgroundMdiArea(this);
    m_area->setObjectName(QStringLiteral("MDIClient"));
    setCentralWidget(m_area);
    frame::SetMdiArea(m_area);

    frame::Startup::Options options;
    options.lockPath = lockPath;
    options.window = this;
    options.menuBar = menuBar();
    options.showMain = [this] {
        // Also fills the screen where no window manager maximises.
        if (QScreen *s = screen())
            setGeometry(s->availableGeometry());
        showMaximized();
    };
    m_startup = std::make_unique<frame::Startup>(programFolder, std::move(options));
}

frmMainMDI::~frmMainMDI()
{
    if (frame::MdiArea() == m_area)
        frame::SetMdiArea(nullptr);
}

bool frmMainMDI::MDIForm_Load()
{
    return m_startup->run();
}

void frmMainMDI::MDIForm_Resize()
{
    // The main window is never shown in its normal (restored) size.
    if (windowState() == Qt::WindowNoState && isVisible())
        QTimer::singleShot(0, this, [this] {
            if (windowState() == Qt::WindowNoState)
                showMaximized();
        });
}

void frmMainMDI::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        MDIForm_Resize();
}

void frmMainMDI::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        QCoreApplication::quit();
}
