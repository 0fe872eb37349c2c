#include "frame/NetPath.h"
#include "frame/Guard.h"
#include "platform/Prompts.h"

#include <QDir>

namespace NetPath {

QString WithOneSep(const QString &folder)
{
    QString f = folder.trimmed();
    if (f.isEmpty())
        return {};
    while (f.size() > 1 && (f.endsWith(u'/') || f.endsWith(u'\\')))
        f.chop(1);
    if (f == QLatin1String("/"))
        return f;
    return f + u'/';
}

QString BrowseForFolder(QWidget *, const QString &prompt, const QString &initialFolder)
{
    QString result;
    frame::Guard(QStringLiteral("NetPath"), QStringLiteral("BrowseForFolder"), [&] {
        QString initial = initialFolder;
        if (!initial.isEmpty() && !QDir(initial).exists())
            initial.clear();
        result = WithOneSep(platform::prompts().browseForFolder(prompt, initial));
    });
    return result;
}

} // namespace NetPath
