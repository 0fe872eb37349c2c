#pragma once
// The classification tree of the items of one data kind (sector > topic > item)
// filled from the metadata tables, and the node conventions that every tree of
// items shares: each node carries its key (the database code) and the key of
// its image ("close", "open", "closeR", "openR").
#include "frame/Shared.h"

#include <QIcon>
#include <QString>
#include <Qt>

class QTreeWidget;
class QTreeWidgetItem;

namespace platform::db {
class Database;
}

namespace Utility_RQM {

// The image key of a node ("close" or "closeR"), column 0; its key is under
// Utility::NodeKeyRole.
inline constexpr int NodeImageRole = Qt::UserRole + 1;

// Names derived from a data kind ("Indicatori", "Variabili"), used the same way
// by every query on the metadata of items.
QString MetadataTable(const QString &kind);   // "MetadatiIndicatori"
QString KeyColumn(const QString &kind);       // "IdIndicatore"
QString DescColumn(const QString &kind);      // "DescIndicatore"
QString KindCode(const QString &kind);        // "I" for exactly "Indicatori", else "V"

// Raises a RuntimeError unless `name` can stand unquoted in SQL as a table or
// column name (letters, digits and "_", starting with a letter).
void CheckIdentifier(const QString &name);
// A text value written as an SQL literal: between single quotes, quotes doubled.
QString SqlText(const QString &value);

// The grouped query that reads sector, topic and item rows of a kind, in order.
QString FillSonsQuery(const QString &kind);

// The image of a node: its key's picture when not selected and the "open"
// picture when selected ("close"/"open" yellow folders, "closeR"/"openR" red).
QIcon NodeIcon(const QString &imageKey);

// Node helpers: the image key of a node, a node found by its key (nullptr
// when none), and a new node (a root when `parent` is nullptr).
using Utility::NodeKey;
QString NodeImage(const QTreeWidgetItem *node);
QTreeWidgetItem *FindNode(QTreeWidget *tree, const QString &key);
QTreeWidgetItem *AddNode(QTreeWidget *tree, QTreeWidgetItem *parent, const QString &key, const QString &text,
                         const QString &imageKey = QStringLiteral("close"));

// Adds to `tree` the sectors, topics and items of the current kind (gTipoDb)
// read through `conn`. It neither clears the tree nor closes the connection.
// A row whose key is missing or already in the tree is skipped (with the items
// of a topic that could not be added) and reported once, after the rest of the
// tree is built; any other failure ends the filling, keeping the nodes added.
void fillsons(platform::db::Database &conn, QTreeWidget *tree);

} // namespace Utility_RQM
