#pragma once
// The grid cells' mini-markup: <P ALIGN="center"|"right">, <FONT COLOR="#RRGGBB">,
// <B>, <BR> and <A HREF="..."> (tag and attribute names in either case).
// Parsed once into lines of styled runs; laid out with the metrics of the
// regular face so bold runs never shift the columns of byte-padded cells, and
// every blank is kept as it stands.

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

namespace velmar::app {

struct MarkupRun {
    QString text;
    QColor color; // invalid: the cell's font colour
    bool bold = false;
    QString href; // empty: not an anchor
};

struct MarkupLine {
    Qt::Alignment align; // 0: the cell's default alignment
    std::vector<MarkupRun> runs;
    bool empty() const;
};

struct CellMarkup {
    std::vector<MarkupLine> lines;
    QString plainText() const; // lines joined by '\n', tags removed
    bool hasAnchors() const;
};

CellMarkup parseMarkup(const QString& text);

// A run placed inside a cell rectangle.
struct PlacedRun {
    QRectF rect;
    QString text;
    QColor color;
    bool bold = false;
    QString href;
};

// Places the lines of `markup` inside `area`: lines stacked and centred
// vertically as a block, each aligned by its paragraph or by `defaultAlign`.
std::vector<PlacedRun> layoutMarkup(const CellMarkup& markup, const QRectF& area, const QFont& font,
                                    Qt::Alignment defaultAlign);

// Draws placed runs; runs without a colour of their own use `fontColor`.
void paintMarkup(QPainter* painter, const std::vector<PlacedRun>& runs, const QFont& font,
                 const QColor& fontColor);

// The anchor value under `pos`, or an empty text.
QString anchorAt(const std::vector<PlacedRun>& runs, const QPointF& pos);

} // namespace velmar::app
