#include "app/print_sheet.h"

#include "data/text.h"
#include "engine/bet_suggestions.h"

#include <QHeaderView>
#include <QPainter>

namespace velmar::app {

namespace {

std::string padTo32(const std::string& s) {
    return data::padRight(s, 32);
}

// The flow prefixes move one blank to the front so the columns line up.
std::string shifted(std::string s) {
    s = data::replaceAll(s, " 軸　⇒", "　軸⇒");
    return data::replaceAll(s, " 1着　⇒", "　 1着⇒");
}

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

std::vector<std::string> printTitleLines(const engine::Prediction& p) {
    std::string text = p.titleText1 + "\r\n" + p.titleText2 + "\r\n\r\n";
    if (p.markedHorses[0] > 0) {
        static const char* const patterns[] = {"", "パターン⇒本命", "パターン⇒順当",
                                               "パターン⇒波乱", "パターン⇒大穴"};
        const int pattern = p.racePattern;
        text += std::string(pattern >= 1 && pattern <= 4 ? patterns[pattern] : "") + "\r\n\r\n";
        const engine::BetPanel& b = p.betPanel;
        const bool trifecta =
            engine::isTrifectaRace(p.raceNo) && !data::trim(b.trifecta.title).empty();
        std::string a = padTo32(b.quinella.title) + padTo32(b.trio.title);
        std::string l2 = padTo32(shifted(b.quinella.line1)) + padTo32(shifted(b.trio.line1));
        std::string l3 = padTo32(b.quinella.line2) + padTo32(b.trio.line2);
        if (trifecta) {
            a += b.trifecta.title;
            l2 += shifted(b.trifecta.line1);
            l3 += b.trifecta.line2;
        }
        for (const std::string* line : {&a, &l2, &l3}) {
            text = data::trim(text + *line + "\r\n");
            text += "\r\n";
        }
    }
    // Split into lines; the text ends in one line break.
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool printRaceSheet(QPrinter& printer, const std::vector<std::string>& titleLines,
                    const MarkupGrid& grid) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    std::vector<int> columns;
    int gridWidth = 0;
    for (int c = 0; c < grid.columnCount(); ++c) {
        if (!grid.isColumnHidden(c) && grid.columnWidth(c) > 0) {
            columns.push_back(c);
            gridWidth += grid.columnWidth(c);
        }
    }
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    // Screen pixels to printer pixels; narrower when the grid is wider than the page.
    double scale = printer.resolution() / 96.0;
    if (gridWidth > 0 && gridWidth * scale > page.width()) {
        scale = page.width() / gridWidth;
    }
    painter.scale(scale, scale);
    const double pageWidth = page.width() / scale;
    const double pageHeight = page.height() / scale;

    const QFont titleFont = gridFont(12);
    painter.setFont(titleFont);
    const int lineHeight = QFontMetrics(titleFont).height() + 2;
    double y = 0;
    painter.setPen(Qt::black);
    for (const std::string& line : titleLines) {
        painter.drawText(QRectF(0, y, pageWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         qs(line));
        y += lineHeight;
    }
    y += lineHeight / 2;

    const int headerHeight =
        grid.horizontalHeader()->isHidden() ? 0 : std::max(grid.horizontalHeader()->height(), 18);
    auto paintHeader = [&] {
        double x = 0;
        for (int c : columns) {
            grid.paintHeaderCell(&painter, QRect(int(x), int(y), grid.columnWidth(c), headerHeight),
                                 c);
            x += grid.columnWidth(c);
        }
        y += headerHeight;
    };
    paintHeader();
    for (int r = 0; r < grid.rowCount(); ++r) {
        if (grid.isRowHidden(r)) {
            continue;
        }
        const int h = grid.rowHeight(r);
        if (y + h > pageHeight && y > headerHeight) {
            printer.newPage();
            y = 0;
            paintHeader();
        }
        double x = 0;
        for (int c : columns) {
            grid.paintCell(&painter, QRect(int(x), int(y), grid.columnWidth(c), h), r, c);
            x += grid.columnWidth(c);
        }
        y += h;
    }
    painter.end();
    return true;
}

} // namespace velmar::app
