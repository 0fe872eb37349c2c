#include "frame/frmStart.h"
#include "frame/Widgets.h"
#include "frame/Forms.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Layout.h"
#include "platform/Error.h"
#include "platform/Files.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPalette>
#include <QVBoxLayout>

using frame::Named;

namespace {

constexpr int TwipsPerPixel = 15;   // a screen pixel at 96 dots per inch
const QColor TextColor(0x10, 0x20, 0x6a);


QFont verdana(int pointSize, bool bold)
{
    QFont f(QStringLiteral("Verdana"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(pointSize);
    f.setBold(bold);
    return f;
}

} // namespace

frmStart::frmStart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QString::fromLatin1(FormName));
    setWindowTitle(QStringLiteral("Trambelo"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label3 = Named(new QLabel(QStringLiteral("Progetto operativo")), "Label3");
    Label3->setFont(verdana(12, false));
    Label2 = Named(new frame::WrappedLabel(
                       QStringLiteral("Il sistema di indicatori di dotazione e funzionalità delle infrastrutture")),
                   "Label2");
    Label2->setFont(verdana(14, true));
    Label1 = Named(new QLabel(QStringLiteral("Trambelo")), "Label1");
    Label1->setFont(verdana(22, true));
    Line1 = Named(new QFrame, "Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);
    Image1 = Named(new QLabel, "Image1");
    Image2 = Named(new QLabel, "Image2");
    Image3 = Named(new QLabel, "Image3");
    // The welcome text is in the system's interface font.
    lblInfo = Named(new frame::WrappedLabel, "lblInfo");
    lblInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInfo->setTextFormat(Qt::PlainText);
    // Dark blue texts and rule over the page's picture (labels paint no
    // background of their own).
    for (QWidget *w : std::initializer_list<QWidget *>{Label3, Label2, Label1, Line1, lblInfo}) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, TextColor);
        w->setPalette(p);
    }

    auto *pictures = new QHBoxLayout;
    for (QLabel *img : {Image1, Image2, Image3})
        pictures->addWidget(img);
    pictures->addStretch();

    auto *col = new QVBoxLayout(this);
    col->setContentsMargins(40, 30, 40, 30);
    col->setSpacing(10);
    col->addWidget(Label3);
    col->addWidget(Label2);
    col->addWidget(Label1);
    col->addWidget(Line1);
    col->addLayout(pictures);
    col->addSpacing(10);
    col->addWidget(lblInfo, 1);
}

frmStart *frmStart::ShowForm()
{
    if (auto *open = qobject_cast<frmStart *>(frame::FindForm(QString::fromLatin1(FormName)))) {
        frame::ShowChild(open);
        return open;
    }
    auto *w = new frmStart;
    frame::ShowChild(w);   // the page takes its size from its frame in the main window
    w->Form_Load();
    return w;
}

QString frmStart::InfoCaption(const QString &fileText)
{
    if (fileText.isEmpty())
        return {};
    // Lines end with CR LF, CR or LF.
    QString text = fileText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();   // the end of the last line, not an empty line
    QString caption;
    for (const QString &line : lines)
        caption += line + QStringLiteral("\r\n");
    return caption;
}

QSize frmStart::PageSize(const QSize &mainSize)
{
    return {mainSize.width() - 200 / TwipsPerPixel, mainSize.height() - 750 / TwipsPerPixel};
}

void frmStart::Form_Load()
{
    // The page takes its size, colour and picture first: a missing text is
    // then logged over a page that already looks as it should.
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        if (QMdiArea *area = frame::MdiArea()) {
            const QSize size = PageSize(area->window()->size());
            if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget())) {
                sub->resize(size);
                if (sub->layout())
                    sub->layout()->activate();   // the page takes its new size now
            } else {
                resize(size);
            }
        }
        Utility::InitFormLayout(this);
    });
    frame::Guard(this, QStringLiteral("Form_Load"), [&] {
        const QString path = platform::files::resolve(gFilesPath, QStringLiteral("InfoQrl.txt"));
        QString text;
        if (path.isEmpty() || !QFileInfo(path).isFile() || !platform::files::readText(path, text))
            throw platform::RuntimeError(platform::err::FileNotFound, QStringLiteral("Impossibile trovare il file ") +
                                                                          gFilesPath + QStringLiteral("InfoQrl.txt"));
        // The text is set whole. Set a line at a time, with the window
        // repainted in between, the page would be laid out and painted once
        // per line: on the sample's eleven lines the complete page came about
        // 15 ms later, for a filling the eye cannot follow.
        lblInfo->setText(InfoCaption(text));
    });
}
