#include "platform/grid/TextGrid.h"
#include "platform/Error.h"
#include "platform/NumText.h"
#include "platform/db/Recordset.h"

#include <algorithm>
#include <numeric>

namespace platform::grid {

namespace {

// A cell text reduced to what the generic order compares.
struct SortKey {
    int kind = 0;      // 0 empty, 1 number, 2 text
    double number = 0;
    QString folded;
};

SortKey keyOf(const QString &text)
{
    SortKey k;
    if (text.trimmed().isEmpty())
        return k;
    if (const auto v = platform::num::parse(text)) {
        k.kind = 1;
        k.number = *v;
        return k;
    }
    k.kind = 2;
    k.folded = text.toCaseFolded();
    return k;
}

int compareKeys(const SortKey &a, const SortKey &b)
{
    if (a.kind != b.kind)
        return a.kind < b.kind ? -1 : 1;
    if (a.kind == 1)
        return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    if (a.kind == 2)
        return a.folded.compare(b.folded);
    return 0;
}

[[noreturn]] void outOfRange()
{
    throw platform::RuntimeError(platform::err::SubscriptOutOfRange, QStringLiteral("Indice non compreso nell'intervallo"));
}

Qt::Alignment qtAlignment(int a)
{
    switch (a) {
    case align::LeftTop: return Qt::AlignLeft | Qt::AlignTop;
    case align::LeftCenter: return Qt::AlignLeft | Qt::AlignVCenter;
    case align::LeftBottom: return Qt::AlignLeft | Qt::AlignBottom;
    case align::CenterTop: return Qt::AlignHCenter | Qt::AlignTop;
    case align::CenterCenter: return Qt::AlignCenter;
    case align::CenterBottom: return Qt::AlignHCenter | Qt::AlignBottom;
    case align::RightTop: return Qt::AlignRight | Qt::AlignTop;
    case align::RightCenter: return Qt::AlignRight | Qt::AlignVCenter;
    case align::RightBottom: return Qt::AlignRight | Qt::AlignBottom;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

int compareGeneric(const QString &a, const QString &b)
{
    return compareKeys(keyOf(a), keyOf(b));
}

TextGrid::TextGrid(QObject *parent) : QAbstractTableModel(parent)
{
    m_cols = 2;
    m_rows.resize(2);
    for (auto &row : m_rows)
        row.text = QStringList(m_cols, QString());
    m_widths.assign(m_cols, -1);
    m_alignments.assign(m_cols, align::General);
}

// ---- checks -----------------------------------------------------------------

void TextGrid::checkRow(int r) const
{
    if (r < 0 || r >= Rows())
        outOfRange();
}

void TextGrid::checkCol(int c) const
{
    if (c < 0 || c >= m_cols)
        outOfRange();
}

void TextGrid::checkCell(int r, int c) const
{
    checkRow(r);
    checkCol(c);
}

// ---- size and texts -------------------------------------------------------------

void TextGrid::setRows(int n)
{
    if (n < 0)
        outOfRange();
    const int old = Rows();
    if (n == old)
        return;
    const int oldView = std::max(0, old - m_fixedRows), newView = std::max(0, n - m_fixedRows);
    const bool headerChanges = std::min(old, m_fixedRows) != std::min(n, m_fixedRows);
    if (newView > oldView)
        beginInsertRows({}, oldView, newView - 1);
    else if (newView < oldView)
        beginRemoveRows({}, newView, oldView - 1);
    GridRow empty;
    empty.text = QStringList(m_cols, QString());
    m_rows.resize(size_t(n), empty);
    if (newView > oldView)
        endInsertRows();
    else if (newView < oldView)
        endRemoveRows();
    if (headerChanges && m_cols > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    clampCursor();
}

void TextGrid::setCols(int n)
{
    if (n < 0)
        outOfRange();
    const int old = m_cols;
    if (n == old)
        return;
    if (n > old)
        beginInsertColumns({}, old, n - 1);
    else
        beginRemoveColumns({}, n, old - 1);
    for (auto &row : m_rows) {
        if (n > old) {
            row.text.reserve(n);
            for (int c = old; c < n; ++c)
                row.text.append(QString());
        } else {
            row.text.resize(n);
            for (auto it = row.back.begin(); it != row.back.end();)
                it = it.key() >= n ? row.back.erase(it) : std::next(it);
        }
    }
    m_cols = n;
    m_widths.resize(size_t(n), -1);
    m_alignments.resize(size_t(n), align::General);
    if (n > old)
        endInsertColumns();
    else
        endRemoveColumns();
    clampCursor();
}

void TextGrid::setFixedRows(int n)
{
    if (n < 0 || n > 1)
        outOfRange();
    if (n == m_fixedRows)
        return;
    beginResetModel();
    m_fixedRows = n;
    endResetModel();
    clampCursor();
}

QString TextGrid::TextMatrix(int r, int c) const
{
    return cellText(r, c);
}

const QString &TextGrid::cellText(int r, int c) const
{
    checkCell(r, c);
    return m_rows[size_t(r)].text.at(c);
}

void TextGrid::setTextMatrix(int r, int c, const QString &text)
{
    checkCell(r, c);
    m_rows[size_t(r)].text[c] = text;
    cellChanged(r, c);
}

void TextGrid::cellChanged(int r, int c)
{
    if (!m_redraw) {
        m_dirty = true;
        return;
    }
    if (r < m_fixedRows)
        emit headerDataChanged(Qt::Horizontal, c, c);
    else
        emit dataChanged(index(viewRow(r), c), index(viewRow(r), c));
}

void TextGrid::Clear()
{
    for (auto &row : m_rows) {
        for (auto &t : row.text)
            t.clear();
        row.back.clear();
    }
    m_dirty = true;
    if (m_redraw)
        setRedraw(true);
}

void TextGrid::SetDataSource(const platform::db::Recordset &rs)
{
    const int cols = rs.fieldCount();
    std::vector<QStringList> rows;
    rows.reserve(size_t(rs.recordCount()) + 1);
    rows.push_back(rs.fieldNames());
    for (int r = 0; r < rs.recordCount(); ++r) {
        QStringList line;
        line.reserve(cols);
        for (int c = 0; c < cols; ++c)
            line.append(rs.at(r, c).toString());
        rows.push_back(std::move(line));
    }
    SetContents(std::move(rows), cols);
}

void TextGrid::SetContents(std::vector<QStringList> rows, int cols)
{
    beginResetModel();
    m_rows.clear();
    m_rows.resize(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        QStringList &t = rows[r];
        if (t.size() > cols)
            t.resize(cols);
        while (t.size() < cols)
            t.append(QString());
        m_rows[r].text = std::move(t);
    }
    m_cols = cols;
    m_widths.assign(size_t(cols), -1);
    m_alignments.assign(size_t(cols), align::General);
    m_row = m_rowSel = std::min(m_fixedRows, std::max(0, Rows() - 1));
    m_col = m_colSel = 0;
    m_topRow = m_fixedRows;
    m_dirty = false;
    endResetModel();
    emit columnLookChanged(-1);
    emit cursorChanged();
    emit EnterCell();
}

// ---- current cell and selection ---------------------------------------------------

void TextGrid::setCursor(int row, int col, int rowSel, int colSel, bool fromView)
{
    const bool moved = row != m_row || col != m_col;
    const bool changed = moved || rowSel != m_rowSel || colSel != m_colSel;
    m_row = row;
    m_col = col;
    m_rowSel = rowSel;
    m_colSel = colSel;
    if (changed && !fromView)
        emit cursorChanged();
    if (moved)
        emit EnterCell();
}

void TextGrid::clampCursor()
{
    auto clamp = [](int v, int n) { return std::max(0, std::min(v, n - 1)); };
    const int r = clamp(m_row, Rows()), rs = clamp(m_rowSel, Rows());
    const int c = clamp(m_col, m_cols), cs = clamp(m_colSel, m_cols);
    setCursor(r, c, rs, cs, false);
}

void TextGrid::setRow(int r)
{
    checkRow(r);
    setCursor(r, m_col, r, m_colSel, false);
}

void TextGrid::setCol(int c)
{
    checkCol(c);
    setCursor(m_row, c, m_rowSel, c, false);
}

void TextGrid::setRowSel(int r)
{
    checkRow(r);
    setCursor(m_row, m_col, r, m_colSel, false);
}

void TextGrid::setColSel(int c)
{
    checkCol(c);
    setCursor(m_row, m_col, m_rowSel, c, false);
}

void TextGrid::setSelectionFromView(int row, int col, int rowSel, int colSel)
{
    if (row < 0 || row >= Rows() || rowSel < 0 || rowSel >= Rows() || col < 0 || col >= m_cols || colSel < 0 ||
        colSel >= m_cols)
        return;
    setCursor(row, col, rowSel, colSel, true);
}

// ---- ordering ----------------------------------------------------------------------

void TextGrid::setSort(int code)
{
    if (code == sort::None)
        return;
    if (code != sort::GenericAscending && code != sort::GenericDescending)
        throw platform::RuntimeError(380, QStringLiteral("Valore della proprietà non valido"));
    const int first = m_fixedRows, n = Rows() - first;
    if (n <= 1 || m_cols == 0)
        return;
    const int c1 = std::min(m_col, m_colSel), c2 = std::max(m_col, m_colSel);
    const int nk = c2 - c1 + 1;
    std::vector<SortKey> keys(size_t(n) * size_t(nk));
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < nk; ++k)
            keys[size_t(i) * nk + k] = keyOf(m_rows[size_t(first + i)].text.at(c1 + k));
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const bool desc = code == sort::GenericDescending;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        for (int k = 0; k < nk; ++k) {
            const int cmp = compareKeys(keys[size_t(a) * nk + k], keys[size_t(b) * nk + k]);
            if (cmp != 0)
                return desc ? cmp > 0 : cmp < 0;
        }
        return false;
    });
    for (int &o : order)
        o += first;
    applyOrder(order);
}

void TextGrid::setRowPosition(int row, int position)
{
    checkRow(row);
    checkRow(position);
    if (row == position)
        return;
    if (row < m_fixedRows || position < m_fixedRows) {
        // The header row takes part: show the whole grid again.
        beginResetModel();
        GridRow moving = std::move(m_rows[size_t(row)]);
        m_rows.erase(m_rows.begin() + row);
        m_rows.insert(m_rows.begin() + position, std::move(moving));
        endResetModel();
        emit cursorChanged();
        return;
    }
    const int vr = viewRow(row), vp = viewRow(position);
    beginMoveRows({}, vr, vr, {}, position < row ? vp : vp + 1);
    GridRow moving = std::move(m_rows[size_t(row)]);
    m_rows.erase(m_rows.begin() + row);
    m_rows.insert(m_rows.begin() + position, std::move(moving));
    endMoveRows();
}

void TextGrid::setRowOrder(const std::vector<int> &order)
{
    const int n = Rows() - m_fixedRows;
    if (int(order.size()) != std::max(0, n))
        outOfRange();
    std::vector<char> seen(size_t(Rows()), 0);
    for (int r : order) {
        if (r < m_fixedRows || r >= Rows() || seen[size_t(r)])
            outOfRange();
        seen[size_t(r)] = 1;
    }
    applyOrder(order);
}

void TextGrid::applyOrder(const std::vector<int> &dataOrder)
{
    const int first = m_fixedRows;
    bool same = true;
    for (size_t i = 0; i < dataOrder.size() && same; ++i)
        same = dataOrder[i] == first + int(i);
    if (same)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Where each old view row goes.
    std::vector<int> newViewRow(dataOrder.size());
    for (size_t i = 0; i < dataOrder.size(); ++i)
        newViewRow[size_t(dataOrder[i] - first)] = int(i);
    std::vector<GridRow> moved;
    moved.reserve(dataOrder.size());
    for (int r : dataOrder)
        moved.push_back(std::move(m_rows[size_t(r)]));
    for (size_t i = 0; i < moved.size(); ++i)
        m_rows[size_t(first) + i] = std::move(moved[i]);
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList updated;
    updated.reserve(persistent.size());
    for (const QModelIndex &idx : persistent)
        updated.append(index(newViewRow[size_t(idx.row())], idx.column()));
    changePersistentIndexList(persistent, updated);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// ---- look ----------------------------------------------------------------------------

int TextGrid::ColWidth(int c) const
{
    checkCol(c);
    return m_widths[size_t(c)];
}

void TextGrid::setColWidth(int c, int twips)
{
    checkCol(c);
    if (twips < -1)
        twips = -1;
    if (m_widths[size_t(c)] == twips)
        return;
    m_widths[size_t(c)] = twips;
    emit columnLookChanged(c);
}

int TextGrid::ColAlignment(int c) const
{
    checkCol(c);
    return m_alignments[size_t(c)];
}

void TextGrid::setColAlignment(int c, int alignment)
{
    checkCol(c);
    if (alignment < align::LeftTop || alignment > align::General)
        throw platform::RuntimeError(380, QStringLiteral("Valore della proprietà non valido"));
    m_alignments[size_t(c)] = alignment;
    if (m_redraw && Rows() > m_fixedRows)
        emit dataChanged(index(0, c), index(Rows() - m_fixedRows - 1, c), {Qt::TextAlignmentRole});
    else
        m_dirty = true;
    emit columnLookChanged(c);
}

QColor TextGrid::cellBackColor(int r, int c) const
{
    checkCell(r, c);
    const GridRow &row = m_rows[size_t(r)];
    const auto it = row.back.constFind(c);
    if (it != row.back.constEnd())
        return *it;
    if (r >= m_fixedRows && m_bandEven.isValid())
        return (r % 2 == 0) ? m_bandEven : m_bandOdd;
    return QColor(Qt::white);
}

QColor TextGrid::CellBackColor() const
{
    return cellBackColor(m_row, m_col);
}

void TextGrid::setCellBackColor(const QColor &color)
{
    checkCell(m_row, m_col);
    if (color.isValid())
        m_rows[size_t(m_row)].back.insert(m_col, color);
    else
        m_rows[size_t(m_row)].back.remove(m_col);
    cellChanged(m_row, m_col);
}

void TextGrid::setRowBands(const QColor &even, const QColor &odd)
{
    m_bandEven = even.isValid() && odd.isValid() ? even : QColor();
    m_bandOdd = even.isValid() && odd.isValid() ? odd : QColor();
    if (!m_redraw) {
        m_dirty = true;
        return;
    }
    const int n = Rows() - m_fixedRows;
    if (n > 0 && m_cols > 0)
        emit dataChanged(index(0, 0), index(n - 1, m_cols - 1), {Qt::BackgroundRole});
}

void TextGrid::setRedraw(bool on)
{
    m_redraw = on;
    if (!on || !m_dirty)
        return;
    m_dirty = false;
    const int n = Rows() - m_fixedRows;
    if (n > 0 && m_cols > 0)
        emit dataChanged(index(0, 0), index(n - 1, m_cols - 1));
    if (m_cols > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
}

void TextGrid::setTopRow(int r)
{
    checkRow(r);
    m_topRow = r;
    emit topRowRequested(r);
}

void TextGrid::setTopRowFromView(int r)
{
    m_topRow = r;
}

// ---- Qt model ----------------------------------------------------------------------

int TextGrid::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : std::max(0, Rows() - m_fixedRows);
}

int TextGrid::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant TextGrid::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int r = index.row() + m_fixedRows, c = index.column();
    if (r < 0 || r >= Rows() || c < 0 || c >= m_cols)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_rows[size_t(r)].text.at(c);
    case Qt::BackgroundRole: {
        const GridRow &row = m_rows[size_t(r)];
        const auto it = row.back.constFind(c);
        if (it != row.back.constEnd())
            return *it;
        if (m_bandEven.isValid())
            return (r % 2 == 0) ? m_bandEven : m_bandOdd;
        return {};
    }
    case Qt::TextAlignmentRole: {
        const int a = m_alignments[size_t(c)];
        if (a == align::General) {
            const bool number = platform::num::isNumeric(m_rows[size_t(r)].text.at(c));
            return QVariant::fromValue(Qt::Alignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
        }
        return QVariant::fromValue(qtAlignment(a));
    }
    default:
        return {};
    }
}

QVariant TextGrid::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || m_fixedRows == 0 || Rows() == 0 || section < 0 || section >= m_cols)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_rows[0].text.at(section);
    case Qt::TextAlignmentRole: {
        const int a = m_alignments[size_t(section)];
        return QVariant::fromValue(a == align::General ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter) : qtAlignment(a));
    }
    default:
        return {};
    }
}

Qt::ItemFlags TextGrid::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace platform::grid
