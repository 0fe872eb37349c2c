#include "platform/grid/GridView.h"
#include "platform/grid/CellPainter.h"
#include "platform/grid/TextGrid.h"

#include <QHash>
#include <QKeyEvent>
#include <QStyle>
#include <QMouseEvent>
#include <QScrollBar>
#include <cmath>

namespace platform::grid {

namespace {

int shiftState(Qt::KeyboardModifiers m)
{
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

int keyCode(const QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    default: break;
    }
    const int k = e->key();
    if ((k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_Z))
        return k;
    return 0;
}

// Header section sizes by context (style, orientation, font, sort indicator)
// and text, bounded as the column widths are.
constexpr int MaxHeaderSizes = 32768;
QHash<QString, QHash<QString, QSize>> &headerSizes()
{
    static QHash<QString, QHash<QString, QSize>> sizes;
    return sizes;
}
int headerSizesKept = 0;

} // namespace

GridHeader::GridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
}

int GridHeader::kept()
{
    return headerSizesKept;
}

void GridHeader::forget()
{
    headerSizes().clear();
    headerSizesKept = 0;
}

const QString &GridHeader::context() const
{
    QStyle *const s = style();
    const QFont f = font();
    const int o = int(orientation());
    const bool sort = isSortIndicatorShown();
    if (m_context.isEmpty() || m_contextStyle != s || m_contextOrientation != o || m_contextSort != sort ||
        m_contextFont != f) {
        m_contextStyle = s;
        m_contextOrientation = o;
        m_contextSort = sort;
        m_contextFont = f;
        m_context = s->name() + u'|' + QString::number(o) + u'|' + (sort ? u'1' : u'0') + u'|' + f.key();
    }
    return m_context;
}

QSize GridHeader::sectionSizeFromContents(int logicalIndex) const
{
    const QAbstractItemModel *m = model();
    // Only a section that is its text alone is kept: no size, font or picture of its own.
    if (!m || m->headerData(logicalIndex, orientation(), Qt::SizeHintRole).isValid() ||
        m->headerData(logicalIndex, orientation(), Qt::FontRole).isValid() ||
        m->headerData(logicalIndex, orientation(), Qt::DecorationRole).isValid())
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    const QVariant text = m->headerData(logicalIndex, orientation(), Qt::DisplayRole);
    if (text.isValid() && text.userType() != QMetaType::QString)
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    ensurePolished();
    const QString &ctx = context();
    QHash<QString, QSize> &sizes = headerSizes()[ctx];
    const QString key = text.toString();
    if (const auto it = sizes.constFind(key); it != sizes.constEnd())
        return *it;
    const QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (headerSizesKept >= MaxHeaderSizes)
        forget();
    headerSizes()[ctx].insert(key, size);
    ++headerSizesKept;
    return size;
}

GridView::GridView(QWidget *parent) : QTableView(parent)
{
    setHorizontalHeader(new GridHeader(this));
    setItemDelegate(new CellPainter(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (!m_grid || section < 0 || section >= m_grid->Cols())
            return;
        // A click on a column header selects the column's data rows.
        const int first = std::min(m_grid->FixedRows(), m_grid->Rows() - 1);
        if (first >= 0)
            m_grid->setSelectionFromView(first, section, m_grid->Rows() - 1, section);
        showCursor();
        emit Click();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (m_grid)
            m_grid->setTopRowFromView(v + m_grid->FixedRows());
    });
}

void GridView::setGrid(TextGrid *grid)
{
    if (m_grid)
        disconnect(m_grid, nullptr, this, nullptr);
    m_grid = grid;
    setModel(grid);
    if (!grid)
        return;
    horizontalHeader()->setVisible(grid->FixedRows() > 0);
    connect(grid, &TextGrid::columnLookChanged, this, &GridView::applyColumnLook);
    connect(grid, &TextGrid::cursorChanged, this, &GridView::showCursor);
    connect(grid, &TextGrid::topRowRequested, this, &GridView::scrollToRow);
    connect(grid, &QAbstractItemModel::modelReset, this, [this] {
        horizontalHeader()->setVisible(m_grid->FixedRows() > 0);
        applyColumnLook(-1);
        showCursor();
    });
    connect(grid, &QAbstractItemModel::columnsInserted, this, [this](const QModelIndex &, int first, int last) {
        for (int c = first; c <= last; ++c)
            applyColumnLook(c);
    });
    connect(grid, &QAbstractItemModel::layoutChanged, this, &GridView::showCursor);
    applyColumnLook(-1);
    showCursor();
}

void GridView::setBackColorBkg(const QColor &color)
{
    m_bkg = color;
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Base, color);
    viewport()->setPalette(p);
    viewport()->setAutoFillBackground(true);
}

int GridView::twipsToPixels(int twips) const
{
    return int(std::lround(double(twips) * logicalDpiX() / 1440.0));
}

int GridView::pixelsToTwips(int pixels) const
{
    return int(std::lround(double(pixels) * 1440.0 / logicalDpiX()));
}

int GridView::widthTwips() const
{
    return pixelsToTwips(width());
}

bool GridView::RowIsVisible(int r) const
{
    if (!m_grid || r < 0 || r >= m_grid->Rows())
        return false;
    if (r < m_grid->FixedRows())
        return true;
    const int y = rowViewportPosition(r - m_grid->FixedRows());
    return y > -rowHeight(r - m_grid->FixedRows()) && y < viewport()->height();
}

void GridView::applyColumnLook(int c)
{
    if (!m_grid)
        return;
    const int from = c < 0 ? 0 : c, to = c < 0 ? m_grid->Cols() - 1 : c;
    for (int i = from; i <= to && i < m_grid->Cols(); ++i) {
        const int w = m_grid->ColWidth(i);
        if (w == 0) {
            setColumnHidden(i, true);
            continue;
        }
        setColumnHidden(i, false);
        setColumnWidth(i, w < 0 ? horizontalHeader()->defaultSectionSize() : std::max(1, twipsToPixels(w)));
    }
}

void GridView::showCursor()
{
    if (!m_grid || !selectionModel())
        return;
    m_syncing = true;
    const bool autoScrolls = hasAutoScroll();
    setAutoScroll(false); // the current cell set by code does not scroll the grid
    const int f = m_grid->FixedRows();
    const int top = std::min(m_grid->Row(), m_grid->RowSel()) - f, bottom = std::max(m_grid->Row(), m_grid->RowSel()) - f;
    const int left = std::min(m_grid->Col(), m_grid->ColSel()), right = std::max(m_grid->Col(), m_grid->ColSel());
    if (bottom < 0 || m_grid->Rows() <= f || m_grid->Cols() == 0) {
        selectionModel()->clear();
    } else {
        const QModelIndex tl = model()->index(std::max(0, top), left), br = model()->index(bottom, right);
        const QModelIndex cur = model()->index(std::max(0, m_grid->RowSel() - f), m_grid->ColSel());
        selectionModel()->setCurrentIndex(cur, QItemSelectionModel::NoUpdate);
        selectionModel()->select(QItemSelection(tl, br), QItemSelectionModel::ClearAndSelect);
    }
    setAutoScroll(autoScrolls);
    m_syncing = false;
}

void GridView::scrollToRow(int r)
{
    if (!m_grid)
        return;
    verticalScrollBar()->setValue(std::max(0, r - m_grid->FixedRows()));
}

void GridView::takeSelection()
{
    if (!m_grid || m_syncing)
        return;
    const QModelIndex cur = currentIndex();
    if (!cur.isValid())
        return;
    const int f = m_grid->FixedRows();
    if (!m_extending || m_anchorRow < 0) {
        m_anchorRow = cur.row();
        m_anchorCol = cur.column();
    }
    m_grid->setSelectionFromView(m_anchorRow + f, m_anchorCol, cur.row() + f, cur.column());
}

void GridView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    takeSelection();
}

void GridView::mousePressEvent(QMouseEvent *e)
{
    const int shift = shiftState(e->modifiers());
    if (e->button() == Qt::RightButton) {
        // The current cell stays where it is; the press is only reported.
        emit MouseDown(2, shift, e->pos());
        e->accept();
        return;
    }
    if (m_grid) {
        // The anchor is the grid's current cell when Shift extends the selection.
        m_anchorRow = m_grid->Row() - m_grid->FixedRows();
        m_anchorCol = m_grid->Col();
    }
    m_extending = (e->modifiers() & Qt::ShiftModifier) && m_anchorRow >= 0;
    QTableView::mousePressEvent(e);
    // A press on the current cell itself moves nothing in the view: it still
    // makes that cell the whole selection.
    if (indexAt(e->pos()).isValid() && indexAt(e->pos()) == currentIndex())
        takeSelection();
    m_extending = false;
    emit MouseDown(e->button() == Qt::LeftButton ? 1 : 4, shift, e->pos());
}

void GridView::mouseMoveEvent(QMouseEvent *e)
{
    m_extending = (e->buttons() & Qt::LeftButton) && m_anchorRow >= 0;
    QTableView::mouseMoveEvent(e);
    m_extending = false;
}

void GridView::mouseReleaseEvent(QMouseEvent *e)
{
    QTableView::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && indexAt(e->pos()).isValid())
        emit Click();
}

void GridView::keyPressEvent(QKeyEvent *e)
{
    emit KeyDown(keyCode(e), shiftState(e->modifiers()));
    if (m_grid) {
        m_anchorRow = m_grid->Row() - m_grid->FixedRows();
        m_anchorCol = m_grid->Col();
    }
    m_extending = (e->modifiers() & Qt::ShiftModifier) && m_anchorRow >= 0;
    QTableView::keyPressEvent(e);
    m_extending = false;
}

} // namespace platform::grid
