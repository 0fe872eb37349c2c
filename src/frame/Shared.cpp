#include "frame/Shared.h"
#include "platform/grid/TextGrid.h"
#include "frame/Globals.h"
#include "frame/Guard.h"
#include "frame/Utility.h"

#include <QComboBox>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace Utility {

QString CreaQueryMetadati(const QString &kind, const QString &id)
{
    QString quoted = id;
    quoted.replace(u'\'', QLatin1String("''"));
    if (kind == QLatin1String("Variabili"))
        return QStringLiteral("SELECT MetadatiVariabili.*, Argomento.[Desc argomento], Settore.[Descrizione Settore] "
                              "FROM (Argomento INNER JOIN Settore ON Argomento.idSettore = Settore.idSettore) "
                              "INNER JOIN MetadatiVariabili ON Argomento.[Codice argomento] = "
                              "MetadatiVariabili.CodiceArgomento Where IdVariabile ='") +
               quoted + QStringLiteral("';");
    return QStringLiteral("SELECT MetadatiIndicatori.*, Argomento.[Desc argomento], Settore.[Descrizione Settore] "
                          "FROM (Argomento INNER JOIN Settore ON Argomento.idSettore = Settore.idSettore) "
                          "INNER JOIN MetadatiIndicatori ON Argomento.[Codice argomento] = "
                          "MetadatiIndicatori.Argomento Where IdIndicatore ='") +
           quoted + QStringLiteral("';");
}

QString NodeKey(const QTreeWidgetItem *node)
{
    return node ? node->data(0, NodeKeyRole).toString() : QString();
}

void ExpandNodeExclusive(QTreeWidget *tree, QTreeWidgetItem *node)
{
    if (!tree || !node)
        return;
    const QString key = NodeKey(node);
    const int len = int(key.size());
    // The shortest key of the nodes that the click closes.
    int minLen = -1;
    if (len == 1)
        minLen = 0;
    else if (len == 3)
        minLen = 2;
    else if (len == 5 || len == 6)
        minLen = 4;
    if (minLen >= 0) {
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            QTreeWidgetItem *other = *it;
            const QString k = NodeKey(other);
            if (k != key && k.size() >= minLen)
                other->setExpanded(false);
        }
    }
    if (node->childCount() > 0)
        node->setExpanded(true);
}

int CopyGridToArray(const platform::grid::TextGrid &grid)
{
    std::vector<QStringList> m(static_cast<size_t>(grid.Rows()));
    for (int r = 0; r < grid.Rows(); ++r) {
        QStringList &row = m[size_t(r)];
        row.reserve(grid.Cols());
        for (int c = 0; c < grid.Cols(); ++c)
            row.append(grid.TextMatrix(r, c));
    }
    gMatriceDati = std::move(m);
    return 0;
}

void FillSettoreCombos(QComboBox *descList, QComboBox *codeList)
{
    if (descList)
        descList->clear();
    if (codeList)
        codeList->clear();
    frame::Guard(QStringLiteral("Utility"), QStringLiteral("FillSettoreCombos"), [&] {
        auto db = GetDbConnection(QStringLiteral("Metadati.mdb"), QString(), platform::db::OpenMode::ReadOnly);
        if (!db)
            return;
        auto rs = db->query(QStringLiteral("Select * from settore where idsettore <> 'A'"));
        for (; !rs.eof(); rs.moveNext()) {
            if (descList)
                descList->addItem(rs.text(1));
            if (codeList)
                codeList->addItem(rs.text(0));
        }
    });
}

bool IsEmptyValue(const QString &value)
{
    QStringView v(value);
    while (!v.isEmpty() && v.front() == u' ')
        v = v.mid(1);
    while (!v.isEmpty() && v.back() == u' ')
        v.chop(1);
    return v.isEmpty() || v == u"-";
}

bool IsEmptyValue(const platform::db::Value &value)
{
    return value.isNull() || IsEmptyValue(value.toString());
}

bool IsEmptyValue(const QVariant &value)
{
    return value.isNull() || !value.isValid() || IsEmptyValue(value.toString());
}

bool IsAlphaNumeric(const QString &text)
{
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        const bool ok = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == 8;
        if (!ok)
            return false;
    }
    return true;
}

} // namespace Utility
