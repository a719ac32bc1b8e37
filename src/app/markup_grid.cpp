#include "app/markup_grid.h"

#include <QAbstractTableModel>
#include <QContextMenuEvent>
#include <QDate>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTime>
#include <QTimer>

#include <algorithm>

namespace velmar::app {

QFont gridFont(int pixelSize) {
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixelSize);
    // Kerning would pull byte-padded columns out of line.
    font.setKerning(false);
    return font;
}

namespace {

struct Cell {
    QString text;
    CellMarkup markup;
};

const CellMarkup& emptyMarkup() {
    static const CellMarkup empty = parseMarkup(QString());
    return empty;
}

// Sort key of a cell: its detected form and value.
struct SortKey {
    int kind = 3; // 0 number, 1 date, 2 time, 3 text
    double number = 0;
    QString text;
};

SortKey sortKeyOf(const QString& plain) {
    SortKey key;
    const QString t = plain.trimmed();
    key.text = t;
    bool ok = false;
    const double n = t.toDouble(&ok);
    if (ok) {
        key.kind = 0;
        key.number = n;
        return key;
    }
    const QDate date = QDate::fromString(t, QStringLiteral("yyyy/MM/dd"));
    if (date.isValid()) {
        key.kind = 1;
        key.number = double(date.toJulianDay());
        return key;
    }
    const QTime time = QTime::fromString(t, QStringLiteral("H:mm"));
    if (time.isValid()) {
        key.kind = 2;
        key.number = time.msecsSinceStartOfDay();
        return key;
    }
    return key;
}

bool keyLess(const SortKey& a, const SortKey& b) {
    if (a.kind != 3 && a.kind == b.kind) {
        return a.number < b.number;
    }
    if (a.kind != b.kind) {
        return a.kind < b.kind; // values before texts
    }
    return QString::compare(a.text, b.text) < 0;
}

class CloseUpCombo : public QComboBox {
  public:
    using QComboBox::QComboBox;
    std::function<void()> onCloseUp;
    void hidePopup() override {
        QComboBox::hidePopup();
        if (onCloseUp) {
            onCloseUp();
        }
    }
};

} // namespace

class MarkupGridModel : public QAbstractTableModel {
  public:
    explicit MarkupGridModel(MarkupGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : columns;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) {
            return {};
        }
        const Cell& c = rows[size_t(index.row())][size_t(index.column())];
        if (role == Qt::DisplayRole) {
            return c.markup.plainText();
        }
        if (role == Qt::EditRole || role == Qt::UserRole) {
            return c.text;
        }
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal) {
            if (section < 0 || section >= columns) {
                return {};
            }
            if (role == Qt::DisplayRole) {
                return headers.value(section);
            }
            if (role == Qt::ToolTipRole && grid_->headerHintHook) {
                const QString hint = grid_->headerHintHook(section);
                return hint.isEmpty() ? QVariant() : QVariant(hint);
            }
            return {};
        }
        if (role == Qt::DisplayRole) {
            return rowHeaders.value(section);
        }
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.isValid() && grid_->editingEnabled_) {
            f |= Qt::ItemIsEditable;
        }
        return f;
    }

    void resizeRows(int count) {
        const int old = int(rows.size());
        if (count > old) {
            beginInsertRows({}, old, count - 1);
            rows.resize(size_t(count), std::vector<Cell>(size_t(columns)));
            endInsertRows();
        } else if (count < old) {
            beginRemoveRows({}, count, old - 1);
            rows.resize(size_t(count));
            endRemoveRows();
        }
    }
    void resizeColumns(int count) {
        if (count == columns) {
            return;
        }
        const int old = columns;
        if (count > old) {
            beginInsertColumns({}, old, count - 1);
        } else {
            beginRemoveColumns({}, count, old - 1);
        }
        columns = count;
        for (auto& row : rows) {
            row.resize(size_t(count));
        }
        headers.resize(count);
        if (count > old) {
            endInsertColumns();
        } else {
            endRemoveColumns();
        }
    }
    void cellChanged(int row, int col) {
        if (grid_->updateDepth_ == 0) {
            const QModelIndex i = index(row, col);
            emit dataChanged(i, i);
        }
    }
    void everythingChanged() {
        if (!rows.empty() && columns > 0) {
            emit dataChanged(index(0, 0), index(int(rows.size()) - 1, columns - 1));
        }
        emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columns - 1));
    }
    void reorder(std::vector<std::vector<Cell>> newRows) {
        emit layoutAboutToBeChanged();
        rows = std::move(newRows);
        emit layoutChanged();
    }

    int columns = 0;
    std::vector<std::vector<Cell>> rows;
    QStringList headers;
    QStringList rowHeaders;

  private:
    MarkupGrid* grid_;
};

class MarkupGridDelegate : public QStyledItemDelegate {
  public:
    explicit MarkupGridDelegate(MarkupGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        // No selection or focus look: the cell's own colours only.
        grid_->paintCell(painter, option.rect, index.row(), index.column());
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        if (!grid_->editingEnabled_ || !grid_->editorItemsHook) {
            return nullptr;
        }
        const auto items = grid_->editorItemsHook(index.row(), index.column());
        if (!items) {
            return nullptr;
        }
        auto* combo = new CloseUpCombo(parent); // owned by the view
        combo->setFont(grid_->font());
        combo->addItems(*items);
        const int row = index.row();
        const int col = index.column();
        MarkupGrid* grid = grid_;
        auto* self = const_cast<MarkupGridDelegate*>(this);
        combo->onCloseUp = [grid, row, col] { emit grid->comboClosedUp(row, col); };
        QObject::connect(combo, &QComboBox::activated, combo, [self, grid, combo, row, col](int i) {
            // The drop-down closes before the owner reacts to the change.
            self->editor_ = nullptr;
            emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
            emit grid->comboChanged(row, col, i, combo->itemText(i));
        });
        editor_ = combo;
        QTimer::singleShot(0, combo, [combo] {
            if (combo->isVisible()) {
                combo->showPopup();
            }
        });
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = qobject_cast<QComboBox*>(editor);
        if (combo) {
            const QString current = index.data(Qt::DisplayRole).toString().trimmed();
            combo->setCurrentIndex(std::max(0, combo->findText(current)));
        }
    }
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {
        // The owner writes the cell from comboChanged.
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect);
    }

    mutable QPointer<QComboBox> editor_;

  private:
    MarkupGrid* grid_;
};

class GradientHeader : public QHeaderView {
  public:
    GradientHeader(Qt::Orientation orientation, MarkupGrid* grid)
        : QHeaderView(orientation, grid), grid_(grid) {}

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (orientation() == Qt::Horizontal) {
            grid_->paintHeaderCell(painter, rect, logicalIndex);
            return;
        }
        painter->save();
        QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
        gradient.setColorAt(0, grid_->gradientTop_);
        gradient.setColorAt(1, grid_->gradientBottom_);
        painter->fillRect(rect, gradient);
        painter->setPen(QColor(0x80, 0x80, 0x80));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->setFont(grid_->font());
        painter->setPen(Qt::black);
        painter->drawText(rect, Qt::AlignCenter, grid_->model_->rowHeaders.value(logicalIndex));
        painter->restore();
    }

  private:
    MarkupGrid* grid_;
};

MarkupGrid::MarkupGrid(QWidget* parent)
    : QTableView(parent), model_(new MarkupGridModel(this)),
      delegate_(new MarkupGridDelegate(this)), header_(new GradientHeader(Qt::Horizontal, this)) {
    setFont(gridFont());
    setModel(model_);
    setItemDelegate(delegate_);
    setHorizontalHeader(header_);
    setVerticalHeader(new GradientHeader(Qt::Vertical, this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(41);
    verticalHeader()->setMinimumSectionSize(1);
    header_->setSectionsClickable(true);
    header_->setHighlightSections(false);
    header_->setSortIndicatorShown(false);
    header_->setMinimumSectionSize(0);
    header_->setFixedHeight(18);
    header_->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    setMouseTracking(true);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(header_, &QHeaderView::sectionClicked, this, &MarkupGrid::onHeaderClicked);
}

MarkupGrid::~MarkupGrid() = default;

void MarkupGrid::setColumnCount(int count) {
    model_->resizeColumns(std::max(0, count));
}
int MarkupGrid::columnCount() const {
    return model_->columns;
}
void MarkupGrid::setRowCount(int count) {
    model_->resizeRows(std::max(0, count));
}
int MarkupGrid::rowCount() const {
    return int(model_->rows.size());
}

void MarkupGrid::setColumnWidths(const std::vector<int>& widths) {
    for (size_t c = 0; c < widths.size() && int(c) < columnCount(); ++c) {
        setColumnWidth(int(c), widths[c]);
    }
}

void MarkupGrid::setDataRowHeight(int height) {
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
}

void MarkupGrid::setHeaderHeight(int height) {
    header_->setFixedHeight(height);
}

void MarkupGrid::setRowHeaders(const QStringList& texts, int width) {
    model_->rowHeaders = texts;
    verticalHeader()->setFixedWidth(width);
    verticalHeader()->show();
    emit model_->headerDataChanged(Qt::Vertical, 0, std::max(0, rowCount() - 1));
}

void MarkupGrid::setHeaderText(int col, const QString& text) {
    if (col < 0 || col >= columnCount()) {
        return;
    }
    model_->headers[col] = text;
    if (updateDepth_ == 0) {
        emit model_->headerDataChanged(Qt::Horizontal, col, col);
    }
}

QString MarkupGrid::headerText(int col) const {
    return model_->headers.value(col);
}

void MarkupGrid::setCell(int row, int col, const QString& markup) {
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) {
        return;
    }
    Cell& c = model_->rows[size_t(row)][size_t(col)];
    c.text = markup;
    c.markup = parseMarkup(markup);
    model_->cellChanged(row, col);
}

QString MarkupGrid::cell(int row, int col) const {
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) {
        return {};
    }
    return model_->rows[size_t(row)][size_t(col)].text;
}

const CellMarkup& MarkupGrid::cellMarkup(int row, int col) const {
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) {
        return emptyMarkup();
    }
    return model_->rows[size_t(row)][size_t(col)].markup;
}

QString MarkupGrid::cellPlainText(int row, int col) const {
    return cellMarkup(row, col).plainText();
}

void MarkupGrid::clearCells() {
    for (auto& row : model_->rows) {
        for (auto& c : row) {
            c = Cell{QString(), emptyMarkup()};
        }
    }
    if (updateDepth_ == 0) {
        model_->everythingChanged();
    }
}

void MarkupGrid::beginUpdate() {
    if (updateDepth_++ == 0) {
        setUpdatesEnabled(false);
    }
}

void MarkupGrid::endUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0) {
        model_->everythingChanged();
        setUpdatesEnabled(true);
        viewport()->update();
        header_->viewport()->update();
    }
}

void MarkupGrid::moveRow(int from, int to) {
    const int n = rowCount();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to) {
        return;
    }
    auto rows = model_->rows;
    auto moved = std::move(rows[size_t(from)]);
    rows.erase(rows.begin() + from);
    rows.insert(rows.begin() + to, std::move(moved));
    model_->reorder(std::move(rows));
}

void MarkupGrid::setRowOrder(const std::vector<int>& order) {
    const int n = rowCount();
    if (int(order.size()) != n) {
        return;
    }
    std::vector<bool> seen(size_t(n), false);
    for (int r : order) {
        if (r < 0 || r >= n || seen[size_t(r)]) {
            return; // not a permutation: leave the rows as they are
        }
        seen[size_t(r)] = true;
    }
    std::vector<std::vector<Cell>> rows;
    rows.reserve(size_t(n));
    for (int r : order) {
        rows.push_back(model_->rows[size_t(r)]);
    }
    model_->reorder(std::move(rows));
}

void MarkupGrid::sortRows(int col, bool ascending) {
    if (col < 0 || col >= columnCount()) {
        return;
    }
    const int n = rowCount();
    std::vector<SortKey> keys;
    keys.reserve(size_t(n));
    for (int r = 0; r < n; ++r) {
        keys.push_back(sortKeyOf(cellPlainText(r, col)));
    }
    std::vector<int> order(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        order[size_t(r)] = r;
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return ascending ? keyLess(keys[size_t(a)], keys[size_t(b)])
                         : keyLess(keys[size_t(b)], keys[size_t(a)]);
    });
    setRowOrder(order);
}

void MarkupGrid::setSortMarker(int col, bool ascending) {
    sortMarkerColumn_ = col;
    sortMarkerAscending_ = ascending;
    header_->viewport()->update();
}

void MarkupGrid::setHeaderGradient(const QColor& top, const QColor& bottom) {
    gradientTop_ = top;
    gradientBottom_ = bottom;
    header_->viewport()->update();
}

void MarkupGrid::setEditingEnabled(bool on) {
    if (!on && delegate_->editor_) {
        QComboBox* open = delegate_->editor_;
        delegate_->editor_ = nullptr;
        emit delegate_->closeEditor(open, QAbstractItemDelegate::NoHint);
    }
    editingEnabled_ = on;
}

bool MarkupGrid::openEditor(int row, int col) {
    if (!editingEnabled_ || !editorItemsHook || !editorItemsHook(row, col)) {
        return false;
    }
    const QModelIndex index = model_->index(row, col);
    setCurrentIndex(index);
    return edit(index, QAbstractItemView::AllEditTriggers, nullptr);
}

QComboBox* MarkupGrid::activeEditor() const {
    return delegate_->editor_.data();
}

Qt::Alignment MarkupGrid::cellAlignment(int row, int col) const {
    Qt::Alignment align = alignmentHook ? alignmentHook(row, col) : Qt::Alignment();
    if (!(align & Qt::AlignHorizontal_Mask)) {
        align |= row < 0 ? Qt::AlignHCenter : Qt::AlignLeft;
    }
    if (!(align & Qt::AlignVertical_Mask)) {
        align |= Qt::AlignVCenter;
    }
    return align;
}

CellStyle MarkupGrid::cellStyle(int row, int col) const {
    CellStyle style = cellStyleHook ? cellStyleHook(row, col) : CellStyle{};
    if (!style.background.isValid()) {
        style.background = Qt::white;
    }
    if (!style.font.isValid()) {
        style.font = Qt::black;
    }
    return style;
}

CellBorder MarkupGrid::cellBorder(int row, int col) const {
    return cellBorderHook ? cellBorderHook(row, col) : CellBorder{};
}

namespace {
QRectF textArea(const QRect& rect) {
    return QRectF(rect).adjusted(2, 0, -2, 0);
}
} // namespace

void MarkupGrid::paintCell(QPainter* painter, const QRect& rect, int row, int col) const {
    painter->save();
    painter->setClipRect(rect);
    const CellStyle style = cellStyle(row, col);
    painter->fillRect(rect, style.background);
    const auto runs =
        layoutMarkup(cellMarkup(row, col), textArea(rect), font(), cellAlignment(row, col));
    paintMarkup(painter, runs, font(), style.font);
    const CellBorder border = cellBorder(row, col);
    if (border.width > 0) {
        const QColor color = border.color.isValid() ? border.color : QColor(Qt::black);
        const int w = border.width;
        if (border.left) {
            painter->fillRect(QRect(rect.left(), rect.top(), w, rect.height()), color);
        }
        if (border.right) {
            painter->fillRect(QRect(rect.right() - w + 1, rect.top(), w, rect.height()), color);
        }
        if (border.top) {
            painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), w), color);
        }
        if (border.bottom) {
            painter->fillRect(QRect(rect.left(), rect.bottom() - w + 1, rect.width(), w), color);
        }
    }
    painter->restore();
}

void MarkupGrid::paintHeaderCell(QPainter* painter, const QRect& rect, int col) const {
    painter->save();
    painter->setClipRect(rect);
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, gradientTop_);
    gradient.setColorAt(1, gradientBottom_);
    painter->fillRect(rect, gradient);
    painter->setPen(QColor(0x80, 0x80, 0x80));
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    // The sort marker takes the right edge; the caption centres in the rest.
    const QRectF area = col == sortMarkerColumn_ && rect.width() > 12
                            ? textArea(rect).adjusted(0, 0, -8, 0)
                            : textArea(rect);
    const auto runs =
        layoutMarkup(parseMarkup(headerText(col)), area, font(), cellAlignment(-1, col));
    paintMarkup(painter, runs, font(), Qt::black);
    if (col == sortMarkerColumn_ && rect.width() > 12) {
        // A small triangle at the right: up for ascending, down for descending.
        const qreal cx = rect.right() - 5;
        const qreal cy = rect.center().y();
        QPolygonF triangle;
        if (sortMarkerAscending_) {
            triangle << QPointF(cx - 3, cy + 2) << QPointF(cx + 3, cy + 2) << QPointF(cx, cy - 2.5);
        } else {
            triangle << QPointF(cx - 3, cy - 2) << QPointF(cx + 3, cy - 2) << QPointF(cx, cy + 2.5);
        }
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0x60, 0x40, 0x00));
        painter->drawPolygon(triangle);
    }
    painter->restore();
}

QString MarkupGrid::anchorAt(int row, int col, const QRect& rect, const QPoint& pos) const {
    const CellMarkup& markup = cellMarkup(row, col);
    if (!markup.hasAnchors()) {
        return {};
    }
    const auto runs = layoutMarkup(markup, textArea(rect), font(), cellAlignment(row, col));
    return velmar::app::anchorAt(runs, QPointF(pos));
}

QRect MarkupGrid::cellRect(int row, int col) const {
    return visualRect(model_->index(row, col));
}

void MarkupGrid::onHeaderClicked(int section) {
    if (canSortHook && canSortHook(section)) {
        const bool ascending = sortMarkerColumn_ == section ? !sortMarkerAscending_ : true;
        sortRows(section, ascending);
        setSortMarker(section, ascending);
    }
    emit headerClicked(section);
}

void MarkupGrid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        return;
    }
    const QString href =
        anchorAt(index.row(), index.column(), visualRect(index), event->position().toPoint());
    if (!href.isEmpty()) {
        emit anchorClicked(index.row(), index.column(), href);
        return;
    }
    openEditor(index.row(), index.column());
}

void MarkupGrid::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool overAnchor =
        index.isValid() &&
        !anchorAt(index.row(), index.column(), visualRect(index), event->position().toPoint())
             .isEmpty();
    viewport()->setCursor(overAnchor ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void MarkupGrid::contextMenuEvent(QContextMenuEvent* event) {
    emit contextMenuRequestedAt(event->globalPos());
    event->accept();
}

} // namespace velmar::app
