#include "ScriptedPrompts.h"
#include "platform/Files.h"

#include <QPrinter>

// GCC 12 reports a false "maybe uninitialized" inside std::optional<QString> moves.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace platform {

int ScriptedPrompts::msgBox(const QString &text, int style, const QString &title)
{
    shown.push_back({QStringLiteral("msgBox"), text, style, title});
    if (!answers.empty()) {
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    switch (style & 0x7) {
    case mb::OkCancel: return mb::Ok;
    case mb::AbortRetryIgnore: return mb::Abort;
    case mb::YesNoCancel:
    case mb::YesNo: return mb::Yes;
    case mb::RetryCancel: return mb::Retry;
    default: return mb::Ok;
    }
}

template <class T>
static T take(std::deque<T> &q, const T &fallback)
{
    if (q.empty())
        return fallback;
    T v = std::move(q.front());
    q.pop_front();
    return v;
}

QString ScriptedPrompts::openFile(const QString &title, const QString &, const QString &)
{
    shown.push_back({QStringLiteral("openFile"), title, 0, title});
    return take(files, QString());
}

QString ScriptedPrompts::saveFile(const QString &title, const QString &, const QString &, bool)
{
    shown.push_back({QStringLiteral("saveFile"), title, 0, title});
    return take(files, QString());
}

QString ScriptedPrompts::browseForFolder(const QString &prompt, const QString &)
{
    shown.push_back({QStringLiteral("browseForFolder"), prompt, 0, {}});
    return files::withSep(take(folders, QString()));
}

std::optional<QString> ScriptedPrompts::inputBox(const QString &prompt, const QString &title, const QString &)
{
    shown.push_back({QStringLiteral("inputBox"), prompt, 0, title});
    return take(inputs, std::optional<QString>());
}

std::optional<QString> ScriptedPrompts::passwordBox(const QString &prompt, const QString &title)
{
    shown.push_back({QStringLiteral("passwordBox"), prompt, 0, title});
    return take(inputs, std::optional<QString>());
}

std::optional<QColor> ScriptedPrompts::chooseColor(const QColor &, const QString &title)
{
    shown.push_back({QStringLiteral("chooseColor"), title, 0, title});
    return take(colors, std::optional<QColor>());
}

bool ScriptedPrompts::choosePrinter(void *printer, PrintDialog)
{
    auto *p = static_cast<QPrinter *>(printer);
    const bool toFile = p && p->outputFormat() == QPrinter::PdfFormat;
    shown.push_back({QStringLiteral("choosePrinter"), toFile ? p->outputFileName() : QString(), 0, {}});
    const bool ok = take(printers, false);
    const QString file = take(printFiles, QString());
    if (ok && p && !file.isEmpty()) {
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(file);
    }
    return ok;
}

QStringList ScriptedPrompts::messages() const
{
    QStringList out;
    for (const Shown &s : shown)
        if (s.kind == QLatin1String("msgBox"))
            out << s.text;
    return out;
}

} // namespace platform
