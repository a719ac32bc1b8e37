// The cell markup and the markup grid: parsing, blank-keeping layout, real
// rendering, anchors, sorting and the in-cell drop-down.

#include "app/cell_markup.h"
#include "app/markup_grid.h"

#include <QFontMetricsF>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace velmar::app;

namespace {

struct RunView {
    QString text;
    QString color; // "" or "#rrggbb"
    bool bold;
    QString href;
};

QList<RunView> runsOf(const MarkupLine& line) {
    QList<RunView> out;
    for (const auto& r : line.runs) {
        out.push_back({r.text, r.color.isValid() ? r.color.name() : QString(), r.bold, r.href});
    }
    return out;
}

// Leftmost column holding a dark pixel, -1 when none.
int firstInkColumn(const QImage& image) {
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 128) {
                return x;
            }
        }
    }
    return -1;
}

QImage renderCell(MarkupGrid& grid, int row, int col, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    grid.paintCell(&p, QRect(QPoint(0, 0), size), row, col);
    p.end();
    return image;
}

} // namespace

class MarkupGridTest : public QObject {
    Q_OBJECT
  private slots:
    void parsesLines_data();
    void parsesLines();
    void parsesStyledRuns();
    void keepsBlanksInLayout();
    void rendersBlanksAndColours();
    void anchorClickRaisesValue();
    void sortsByDetectedKinds();
    void rowOrderRejectsNonPermutations();
    void dropDownReportsChoice();
    void hooksReachPainting();
};

void MarkupGridTest::parsesLines_data() {
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QList<int>>("aligns"); // per line: 0 default, 1 centre, 2 right

    const QList<int> none;
    QTest::newRow("frame cell") << "<BR><P ALIGN=\"center\">3</P>"
                                << "\n3" << QList<int>{0, 1};
    QTest::newRow("index cell")
        << "<BR><P ALIGN=\"center\"><FONT COLOR=\"#FF0000\"><B>55</B></FONT><BR>(12.3)</P>"
        << "\n55\n(12.3)" << QList<int>{0, 1, 1};
    QTest::newRow("lower-case tags and single quotes") << "<br><p align='right'>x</p>"
                                                       << "\nx" << QList<int>{0, 2};
    QTest::newRow("user odds cell") << "<BR><P Align=\"center\">12位</p>"
                                    << "\n12位" << QList<int>{0, 1};
    QTest::newRow("blanks kept") << "3札幌2  10.11  新馬    <B> 2着</B>/10頭"
                                 << "3札幌2  10.11  新馬     2着/10頭" << QList<int>{0};
    QTest::newRow("stray close tag") << "<BR><P ALIGN=\"center\">40</FONT><BR>(46.3)</P>"
                                     << "\n40\n(46.3)" << QList<int>{0, 1, 1};
    QTest::newRow("unknown tag hidden") << "a<SPAN>b</SPAN>c"
                                        << "abc" << QList<int>{0};
    QTest::newRow("lone angle bracket") << "1 < 2 <"
                                        << "1 < 2 <" << QList<int>{0};
    QTest::newRow("entities") << "A&amp;B &lt;x&gt;"
                              << "A&B <x>" << QList<int>{0};
    QTest::newRow("text after paragraph") << "<P ALIGN=\"right\">r</P>left"
                                          << "r\nleft" << QList<int>{2, 0};
    QTest::newRow("empty") << ""
                           << "" << QList<int>{0};
    Q_UNUSED(none);
}

void MarkupGridTest::parsesLines() {
    QFETCH(QString, markup);
    QFETCH(QString, plain);
    QFETCH(QList<int>, aligns);
    const CellMarkup parsed = parseMarkup(markup);
    QCOMPARE(parsed.plainText(), plain);
    QCOMPARE(int(parsed.lines.size()), aligns.size());
    for (int i = 0; i < aligns.size(); ++i) {
        const Qt::Alignment a = parsed.lines[size_t(i)].align;
        const int kind = a & Qt::AlignHCenter ? 1 : a & Qt::AlignRight ? 2 : 0;
        QCOMPARE(kind, aligns[i]);
    }
}

void MarkupGridTest::parsesStyledRuns() {
    const CellMarkup name = parseMarkup(
        "牡3歳<BR><font color=\"#0000FF\"><A HREF=\"12\">ハヤテ</A></font><BR>57.0 田中");
    QCOMPARE(int(name.lines.size()), 3);
    const auto line2 = runsOf(name.lines[1]);
    QCOMPARE(line2.size(), 1);
    QCOMPARE(line2[0].text, QStringLiteral("ハヤテ"));
    QCOMPARE(line2[0].color, QStringLiteral("#0000ff"));
    QCOMPARE(line2[0].href, QStringLiteral("12"));
    QVERIFY(name.hasAnchors());
    QVERIFY(runsOf(name.lines[2])[0].href.isEmpty());

    const CellMarkup nested =
        parseMarkup("<FONT COLOR=\"#FF0000\">a<B>b<FONT COLOR=\"#006699\">c</FONT>d</B></FONT>e");
    const auto runs = runsOf(nested.lines[0]);
    QCOMPARE(runs.size(), 5);
    QCOMPARE(runs[0].color, QStringLiteral("#ff0000"));
    QVERIFY(!runs[0].bold);
    QCOMPARE(runs[1].color, QStringLiteral("#ff0000"));
    QVERIFY(runs[1].bold);
    QCOMPARE(runs[2].color, QStringLiteral("#006699"));
    QCOMPARE(runs[3].color, QStringLiteral("#ff0000"));
    QVERIFY(runs[3].bold);
    QVERIFY(runs[4].color.isEmpty());
    QVERIFY(!runs[4].bold);
}

void MarkupGridTest::keepsBlanksInLayout() {
    const QFont font = gridFont();
    const qreal half = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    QVERIFY(half > 0);
    // Byte columns: a full-width character takes two half-width columns, a
    // run of blanks keeps its width, and bold never shifts what follows.
    const auto runs = layoutMarkup(parseMarkup("中山  <B> 1着</B>/16頭"), QRectF(0, 0, 400, 41),
                                   font, Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(int(runs.size()), 3);
    QCOMPARE(runs[1].text, QStringLiteral(" 1着"));
    QVERIFY(qAbs(runs[1].rect.left() - 6 * half) < 0.01);
    QVERIFY(qAbs(runs[2].rect.left() - 10 * half) < 0.01);
}

void MarkupGridTest::rendersBlanksAndColours() {
    MarkupGrid grid;
    grid.setColumnCount(1);
    grid.setRowCount(3);
    grid.setCell(0, 0, "A");
    grid.setCell(1, 0, "    A");
    grid.setCell(2, 0, "<FONT COLOR=\"#FF0000\">■■</FONT>");
    const QSize size(120, 41);
    const qreal half = QFontMetricsF(grid.font()).horizontalAdvance(QLatin1Char(' '));
    const int plain = firstInkColumn(renderCell(grid, 0, 0, size));
    const int padded = firstInkColumn(renderCell(grid, 1, 0, size));
    QVERIFY(plain >= 0);
    // Four leading blanks move the letter by four columns on the image.
    QVERIFY(qAbs(padded - plain - 4 * half) <= 1.0);

    const QImage red = renderCell(grid, 2, 0, size);
    int redPixels = 0;
    for (int y = 0; y < red.height(); ++y) {
        for (int x = 0; x < red.width(); ++x) {
            const QColor c = red.pixelColor(x, y);
            redPixels += c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    }
    QVERIFY(redPixels > 20);
}

void MarkupGridTest::anchorClickRaisesValue() {
    MarkupGrid grid;
    grid.setColumnCount(2);
    grid.setRowCount(2);
    grid.setColumnWidths({60, 200});
    grid.setCell(1, 1, "牡3歳<BR><A HREF=\"7\">ハヤテライト</A><BR>55.0");
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy spy(&grid, &MarkupGrid::anchorClicked);

    const QRect cell = grid.cellRect(1, 1);
    const auto runs = layoutMarkup(grid.cellMarkup(1, 1), QRectF(cell).adjusted(2, 0, -2, 0),
                                   grid.font(), grid.cellAlignment(1, 1));
    QRectF anchorRect;
    for (const auto& r : runs) {
        if (!r.href.isEmpty()) {
            anchorRect = r.rect;
        }
    }
    QVERIFY(anchorRect.isValid());
    // A click beside the name is not a click on the anchor.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      QPoint(int(anchorRect.right()) + 20, int(anchorRect.center().y())));
    QCOMPARE(spy.count(), 0);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, anchorRect.center().toPoint());
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy[0][0].toInt(), 1);
    QCOMPARE(spy[0][1].toInt(), 1);
    QCOMPARE(spy[0][2].toString(), QStringLiteral("7"));
}

void MarkupGridTest::sortsByDetectedKinds() {
    MarkupGrid grid;
    grid.setColumnCount(2);
    grid.setRowCount(6);
    const QStringList keys = {"10", "9", "abc", "2.5", "9", "<B>100</B>"};
    for (int r = 0; r < keys.size(); ++r) {
        grid.setCell(r, 0, keys[r]);
        grid.setCell(r, 1, QString::number(r));
    }
    grid.sortRows(0, true);
    QStringList order;
    for (int r = 0; r < 6; ++r) {
        order << grid.cellPlainText(r, 1);
    }
    // Numbers by value (not as text), equal keys in their old order, text last.
    QCOMPARE(order, QStringList({"3", "1", "4", "0", "5", "2"}));
    grid.sortRows(0, false);
    order.clear();
    for (int r = 0; r < 6; ++r) {
        order << grid.cellPlainText(r, 1);
    }
    QCOMPARE(order, QStringList({"2", "5", "0", "1", "4", "3"}));
}

void MarkupGridTest::rowOrderRejectsNonPermutations() {
    MarkupGrid grid;
    grid.setColumnCount(1);
    grid.setRowCount(3);
    for (int r = 0; r < 3; ++r) {
        grid.setCell(r, 0, QString::number(r));
    }
    grid.setRowOrder({0, 0, 1}); // not a permutation: nothing moves
    grid.setRowOrder({0, 1});    // wrong size: nothing moves
    QCOMPARE(grid.cell(0, 0) + grid.cell(1, 0) + grid.cell(2, 0), QStringLiteral("012"));
    grid.setRowOrder({2, 0, 1});
    QCOMPARE(grid.cell(0, 0) + grid.cell(1, 0) + grid.cell(2, 0), QStringLiteral("201"));
    grid.moveRow(0, 2);
    QCOMPARE(grid.cell(0, 0) + grid.cell(1, 0) + grid.cell(2, 0), QStringLiteral("012"));
}

void MarkupGridTest::dropDownReportsChoice() {
    MarkupGrid grid;
    grid.setColumnCount(3);
    grid.setRowCount(2);
    grid.editorItemsHook = [](int, int col) -> std::optional<QStringList> {
        if (col != 2) {
            return std::nullopt;
        }
        return QStringList{"", "1位", "2位"};
    };
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    // Editing off: no drop-down anywhere.
    QVERIFY(!grid.openEditor(1, 2));
    grid.setEditingEnabled(true);
    QVERIFY(!grid.openEditor(1, 0));
    QVERIFY(grid.openEditor(1, 2));
    QComboBox* combo = grid.activeEditor();
    QVERIFY(combo);
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(2), QStringLiteral("2位"));
    QSignalSpy changed(&grid, &MarkupGrid::comboChanged);
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed[0][0].toInt(), 1);
    QCOMPARE(changed[0][1].toInt(), 2);
    QCOMPARE(changed[0][2].toInt(), 2);
    QCOMPARE(changed[0][3].toString(), QStringLiteral("2位"));
    QTRY_VERIFY(!grid.activeEditor()); // the drop-down closed
}

void MarkupGridTest::hooksReachPainting() {
    MarkupGrid grid;
    grid.setColumnCount(1);
    grid.setRowCount(1);
    grid.cellStyleHook = [](int, int) { return CellStyle{QColor("#FFD6D6"), QColor()}; };
    grid.cellBorderHook = [](int, int) {
        CellBorder b;
        b.right = true;
        b.width = 2;
        b.color = QColor("#C0C0C0");
        return b;
    };
    const QImage image = renderCell(grid, 0, 0, QSize(50, 41));
    QCOMPARE(image.pixelColor(10, 5), QColor("#FFD6D6"));
    QCOMPARE(image.pixelColor(49, 20), QColor("#C0C0C0"));
    QCOMPARE(image.pixelColor(48, 20), QColor("#C0C0C0"));
    QCOMPARE(image.pixelColor(47, 20), QColor("#FFD6D6"));
}

QTEST_MAIN(MarkupGridTest)
#include "markup_grid_test.moc"
