#pragma once
// MarkupGrid: the table widget every window uses. Cells hold mini-markup texts
// (see cell_markup.h); the owner supplies colours, borders, alignment, hints,
// the sort veto and the in-cell drop-down through hooks, and receives anchor
// clicks, header clicks and drop-down changes as signals. Anchors never open
// anything by themselves.
//
// Rows and columns passed to the API and the hooks count data cells only:
// row 0 is the first row under the header, column 0 the first column right of
// the optional fixed row-header column.

#include "app/cell_markup.h"

#include <QComboBox>
#include <QHeaderView>
#include <QTableView>

#include <functional>
#include <optional>
#include <vector>

namespace velmar::app {

struct CellStyle {
    QColor background; // invalid: white
    QColor font;       // invalid: black
};

struct CellBorder {
    bool left = false, top = false, right = false, bottom = false;
    int width = 0;
    QColor color;
};

// The font of every grid: monospaced IPAGothic, full width = two columns.
QFont gridFont(int pixelSize = 12);

class MarkupGridModel;
class MarkupGridDelegate;
class GradientHeader;

class MarkupGrid : public QTableView {
    Q_OBJECT
  public:
    explicit MarkupGrid(QWidget* parent = nullptr);
    ~MarkupGrid() override;

    // Shape.
    void setColumnCount(int count);
    int columnCount() const;
    void setRowCount(int count); // data rows; new cells are empty
    int rowCount() const;
    void setColumnWidths(const std::vector<int>& widths);
    void setDataRowHeight(int height);
    void setHeaderHeight(int height);
    void setRowHeaders(const QStringList& texts, int width); // the fixed column

    // Cells.
    void setHeaderText(int col, const QString& text);
    QString headerText(int col) const;
    void setCell(int row, int col, const QString& markup);
    QString cell(int row, int col) const;
    QString cellPlainText(int row, int col) const;
    const CellMarkup& cellMarkup(int row, int col) const;
    void clearCells(); // every data cell empty, shape kept

    // Bulk updates repaint once at the end.
    void beginUpdate();
    void endUpdate();

    // Row order.
    void moveRow(int from, int to);
    // order[i] = the current row that becomes row i.
    void setRowOrder(const std::vector<int>& order);
    // The grid's own stable sort: numbers, dates (YYYY/MM/DD) and times
    // (HH:MM) by value, anything else as text.
    void sortRows(int col, bool ascending);

    void setSortMarker(int col, bool ascending); // col < 0: none
    int sortMarkerColumn() const { return sortMarkerColumn_; }
    bool sortMarkerAscending() const { return sortMarkerAscending_; }
    void setHeaderGradient(const QColor& top, const QColor& bottom);

    // In-cell editing with the drop-down of editorItemsHook.
    void setEditingEnabled(bool on);
    bool editingEnabled() const { return editingEnabled_; }
    // Opens the drop-down of a cell (as a click would); false when the cell has none.
    bool openEditor(int row, int col);
    QComboBox* activeEditor() const;

    // Painting onto any device (screen, image, printer), cell by cell.
    void paintCell(QPainter* painter, const QRect& rect, int row, int col) const;
    void paintHeaderCell(QPainter* painter, const QRect& rect, int col) const;
    // Anchor value at a point given in cell coordinates of `rect`.
    QString anchorAt(int row, int col, const QRect& rect, const QPoint& pos) const;
    QRect cellRect(int row, int col) const; // viewport coordinates

    Qt::Alignment cellAlignment(int row, int col) const;
    CellStyle cellStyle(int row, int col) const;
    CellBorder cellBorder(int row, int col) const;

    // Hooks: all optional.
    std::function<CellStyle(int row, int col)> cellStyleHook;
    std::function<CellBorder(int row, int col)> cellBorderHook;
    std::function<Qt::Alignment(int row, int col)> alignmentHook; // row -1: header
    std::function<QString(int col)> headerHintHook;
    std::function<bool(int col)> canSortHook; // absent or false: the grid never sorts itself
    std::function<std::optional<QStringList>(int row, int col)> editorItemsHook;

  signals:
    void anchorClicked(int row, int col, const QString& value);
    void headerClicked(int col);
    void comboChanged(int row, int col, int index, const QString& text);
    void comboClosedUp(int row, int col);
    void contextMenuRequestedAt(const QPoint& globalPos);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    friend class MarkupGridDelegate;
    friend class MarkupGridModel;
    friend class GradientHeader;
    void onHeaderClicked(int section);

    MarkupGridModel* model_;
    MarkupGridDelegate* delegate_;
    GradientHeader* header_;
    QColor gradientTop_{0xFF, 0xED, 0xA7};
    QColor gradientBottom_{0xFB, 0xB0, 0x26};
    int sortMarkerColumn_ = -1;
    bool sortMarkerAscending_ = true;
    bool editingEnabled_ = false;
    int updateDepth_ = 0;
};

} // namespace velmar::app
