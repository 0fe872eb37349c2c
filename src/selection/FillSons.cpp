#include "selection/FillSons.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "platform/Error.h"
#include "platform/db/Database.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStringList>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace Utility_RQM {

static QString kindStem(const QString &kind)
{
    // "Indicatori" -> "Indicator": the kind without its last letter.
    return kind.left(kind.size() - 1);
}

QString MetadataTable(const QString &kind) { return QStringLiteral("Metadati") + kind; }
QString KeyColumn(const QString &kind) { return QStringLiteral("Id") + kindStem(kind) + QStringLiteral("e"); }
QString DescColumn(const QString &kind) { return QStringLiteral("Desc") + kindStem(kind) + QStringLiteral("e"); }
QString KindCode(const QString &kind)
{
    return kind == QLatin1String("Indicatori") ? QStringLiteral("I") : QStringLiteral("V");
}

void CheckIdentifier(const QString &name)
{
    bool ok = !name.isEmpty() && name.front().isLetter() && name.front().unicode() < 128;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_'))
            ok = false;
    }
    if (!ok)
        throw platform::RuntimeError(platform::err::DatabaseError,
                                     QStringLiteral("Nome non valido in una richiesta al database: \"%1\"").arg(name));
}

QString SqlText(const QString &value)
{
    QString v = value;
    v.replace(u'\'', QLatin1String("''"));
    return u'\'' + v + u'\'';
}

QString FillSonsQuery(const QString &kind)
{
    CheckIdentifier(MetadataTable(kind));
    const QString k = kind;
    const QString s = kindStem(kind);
    const QString code = KindCode(kind);
    return QStringLiteral("SELECT Settore.idSettore, Settore.[Descrizione Settore], Argomento.[Codice argomento], "
                          "Argomento.[Desc argomento], Metadati") +
           k + ".Id" + s + "e, Metadati" + k + ".Desc" + s + "e, IndVarAnno.TipoVar " +
           "FROM ((Settore INNER JOIN Argomento ON Settore.idSettore = Argomento.idSettore) INNER JOIN IndVarAnno ON "
           "(Settore.idSettore = IndVarAnno.Settore) AND (Argomento.[Codice argomento] = IndVarAnno.Argomento)) "
           "INNER JOIN Metadati" +
           k + " ON IndVarAnno.Variabile = Metadati" + k + ".Id" + s + "e " + "Where (((IndVarAnno.TipoVar) = '" +
           code + "')) " +
           "GROUP BY Settore.idSettore, Settore.[Descrizione Settore], Argomento.[Codice argomento], "
           "Argomento.[Desc argomento], Metadati" +
           k + ".Id" + s + "e, Metadati" + k + ".Desc" + s + "e, IndVarAnno.TipoVar " +
           "ORDER BY Settore.idSettore, Argomento.[Codice argomento], Metadati" + k + ".Id" + s + "e;";
}

// ---- images ---------------------------------------------------------------

static QPixmap folderPixmap(bool open, bool red)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fill = red ? QColor(220, 40, 40) : QColor(240, 200, 60);
    const QColor back = red ? QColor(170, 20, 20) : QColor(200, 155, 30);
    const QColor line = red ? QColor(110, 0, 0) : QColor(130, 95, 10);
    p.setPen(QPen(line, 1));
    // Back of the folder with its tab.
    QPainterPath backPath;
    backPath.moveTo(1.5, 3.5);
    backPath.lineTo(6.5, 3.5);
    backPath.lineTo(7.5, 5.5);
    backPath.lineTo(14.5, 5.5);
    backPath.lineTo(14.5, 13.5);
    backPath.lineTo(1.5, 13.5);
    backPath.closeSubpath();
    p.setBrush(back);
    p.drawPath(backPath);
    p.setBrush(fill);
    if (open) {
        QPainterPath front;
        front.moveTo(1.5, 13.5);
        front.lineTo(4.0, 7.5);
        front.lineTo(15.5, 7.5);
        front.lineTo(13.0, 13.5);
        front.closeSubpath();
        p.drawPath(front);
    } else {
        p.drawRect(QRectF(1.5, 6.5, 13, 7));
    }
    return pm;
}

QIcon NodeIcon(const QString &imageKey)
{
    // Kept for the whole run (never destroyed: pixmaps must not outlive the application).
    static auto *cache = new QHash<QString, QIcon>;
    const bool red = imageKey.endsWith(u'R');
    const QString k = red ? QStringLiteral("R") : QString();
    auto it = cache->find(k);
    if (it != cache->end())
        return *it;
    QIcon icon;
    icon.addPixmap(folderPixmap(false, red), QIcon::Normal);
    icon.addPixmap(folderPixmap(true, red), QIcon::Selected);
    cache->insert(k, icon);
    return icon;
}

// ---- nodes ----------------------------------------------------------------

QString NodeImage(const QTreeWidgetItem *node) { return node ? node->data(0, NodeImageRole).toString() : QString(); }

QTreeWidgetItem *FindNode(QTreeWidget *tree, const QString &key)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (NodeKey(*it) == key)
            return *it;
    return nullptr;
}

QTreeWidgetItem *AddNode(QTreeWidget *tree, QTreeWidgetItem *parent, const QString &key, const QString &text,
                         const QString &imageKey)
{
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    node->setText(0, text);
    node->setData(0, Utility::NodeKeyRole, key);
    node->setData(0, NodeImageRole, imageKey);
    node->setIcon(0, NodeIcon(imageKey));
    return node;
}

// ---- the tree -------------------------------------------------------------

void fillsons(platform::db::Database &conn, QTreeWidget *tree)
{
    QStringList skipped;
    frame::Guard(QStringLiteral("Utility"), QStringLiteral("fillsons"), [&] {
        auto rs = conn.query(FillSonsQuery(gTipoDb));

        QHash<QString, QTreeWidgetItem *> nodes;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            nodes.insert(NodeKey(*it), *it);

        auto add = [&](QTreeWidgetItem *parent, const QString &key, const QString &text) -> QTreeWidgetItem * {
            if (key.isEmpty() || nodes.contains(key)) {
                skipped << (key.isEmpty() ? QStringLiteral("(vuota)") : key);
                return nullptr;
            }
            QTreeWidgetItem *n = AddNode(tree, parent, key, text);
            nodes.insert(key, n);
            return n;
        };

        // The current sector and topic: a new topic starts whenever the pair
        // changes, so a topic code repeated in another sector is not taken for
        // the previous one. Below a node that could not be added nothing is added.
        QString curSector, curTopic;
        bool haveSector = false, haveTopic = false;
        QTreeWidgetItem *sectorNode = nullptr, *topicNode = nullptr;
        for (; !rs.eof(); rs.moveNext()) {
            const QString sector = rs.text(0);
            const QString topic = rs.text(2);
            if (!haveSector || sector != curSector) {
                curSector = sector;
                haveSector = true;
                sectorNode = add(nullptr, sector, rs.text(1));
                haveTopic = false;
            }
            if (!haveTopic || topic != curTopic) {
                curTopic = topic;
                haveTopic = true;
                topicNode = sectorNode ? add(sectorNode, topic, rs.text(3).toUpper()) : nullptr;
            }
            if (topicNode)
                add(topicNode, rs.text(4), rs.text(5));
        }
    });
    if (!skipped.isEmpty())
        WriteErrorLog(QStringLiteral("Utility"), QStringLiteral("fillsons"), QStringLiteral("35602"),
                      QStringLiteral("Chiave non univoca o mancante nell'albero, nodi tralasciati: ") +
                          skipped.join(QStringLiteral(", ")));
}

} // namespace Utility_RQM
