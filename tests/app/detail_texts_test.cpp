// The detail window's texts of one runner: past-race cells, the cleared
// cells, the row colours, the record counts and which rows a horse fills.

#include "data/horse_line.h"
#include "data/sjis.h"
#include "views/detail_texts.h"

#include <QTest>

using namespace velmar;

namespace {

// A blank past-race block with fields written at their 1-based columns.
struct Block {
    std::string bytes = std::string(data::kPastRaceWidth, ' ');
    Block& put(int col, const std::string& utf8) {
        const std::string raw = data::utf8ToSjis(utf8);
        bytes.replace(size_t(col - 1), raw.size(), raw);
        return *this;
    }
};

// A central-venue race that was run: 中山, a winner in 1.34.5.
Block baseRace() {
    Block b;
    b.put(1, "05").put(13, "20261011").put(60, "ｻﾝﾌﾟﾙS").put(101, "00003");
    b.put(26, "0").put(116, "1").put(120, "1600").put(124, "16").put(128, "1").put(130, "0");
    b.put(153, "07").put(75, "00").put(243, "570").put(246, "482").put(292, "田中誠");
    b.put(360, "02").put(367, "01").put(375, "1345").put(382, "005");
    b.put(385, "345").put(388, "352").put(391, "0203").put(395, "0202").put(399, "2");
    b.put(517, "ライバル");
    return b;
}

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

class DetailTextsTest : public QObject {
    Q_OBJECT
  private slots:
    void pastRowCells_data();
    void pastRowCells();
    void rowsFollowThePastRaces();
    void recordTexts();
};

void DetailTextsTest::pastRowCells_data() {
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QList<int>>("columns"); // 1-based Grid2 columns to check
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("color"); // 0 normal, 1 other venue, 2 no time

    const auto raw = [](const Block& b) { return QByteArray::fromStdString(b.bytes); };
    QTest::newRow("winner shows a negative margin")
        << raw(baseRace()) << QList<int>{1, 5, 6, 7, 8, 10, 13, 14, 15}
        << QStringList{"中山26/10/11", "1.34.5", "16頭", " 2人", " 1着",
                       "57.0",         "482k",   " 7番", "-0.5"}
        << 0;
    QTest::newRow("no margin reads 0.0") << raw(baseRace().put(367, "03").put(382, "998"))
                                         << QList<int>{8, 15} << QStringList{" 3着", "0.0"} << 0;
    QTest::newRow("local track in maroon")
        << raw(baseRace().put(1, "10")) << QList<int>{1} << QStringList{"大井26/10/11"} << 1;
    QTest::newRow("scratched: no time, grey, no margin")
        << raw(baseRace().put(375, "    ").put(367, "34").put(360, "34")) << QList<int>{5, 7, 8, 15}
        << QStringList{"", "取消", "取消", ""} << 2;
    QTest::newRow("abnormal finishes")
        << raw(baseRace().put(367, "31")) << QList<int>{8} << QStringList{"落馬"} << 0;
    QTest::newRow("blank counts and weights are cleared")
        << raw(baseRace().put(124, "  ").put(243, "   ").put(246, "   ").put(153, "  "))
        << QList<int>{6, 10, 13, 14} << QStringList{"", "", "", ""} << 0;
    QTest::newRow("handicap mark before the weight")
        << raw(baseRace().put(75, "02")) << QList<int>{10} << QStringList{"H57.0"} << 0;
    QTest::newRow("pace and furlongs; a blank furlong is left out")
        << raw(baseRace().put(385, "   ")) << QList<int>{11} << QStringList{"M35.2"} << 0;
    QTest::newRow("both furlongs")
        << raw(baseRace()) << QList<int>{11} << QStringList{"M34.5-35.2"} << 0;
}

void DetailTextsTest::pastRowCells() {
    QFETCH(QByteArray, block);
    QFETCH(QList<int>, columns);
    QFETCH(QStringList, texts);
    QFETCH(int, color);
    const std::string bytes = block.toStdString();
    const views::DetailPastRow row = views::pastRow(data::PastRace{bytes});
    QVERIFY(row.used);
    for (int i = 0; i < columns.size(); ++i) {
        QCOMPARE(qs(row.cells[size_t(columns[i] - 1)]), texts[i]);
    }
    QCOMPARE(int(row.color), color);
    // The passing order is right-aligned markup.
    QVERIFY(qs(row.cells[11]).startsWith("<P ALIGN=\"right\">"));
}

void DetailTextsTest::rowsFollowThePastRaces() {
    // A horse with two past races fills the two bottom rows only.
    std::string line(size_t(data::kPastRaceColumn - 1 + 5 * data::kPastRaceWidth), ' ');
    const Block recent = baseRace();
    const Block older = baseRace().put(13, "20260801").put(1, "04");
    line.replace(size_t(data::kPastRaceColumn - 1), recent.bytes.size(), recent.bytes);
    line.replace(size_t(data::kPastRaceColumn - 1 + data::kPastRaceWidth), older.bytes.size(),
                 older.bytes);
    const views::DetailTexts t = views::detailTexts(data::HorseLine{line}, "牡3    鹿毛  ");
    QCOMPARE(t.rows[0].used, false);
    QCOMPARE(t.rows[1].used, false);
    QCOMPARE(t.rows[2].used, false);
    QCOMPARE(qs(t.rows[3].cells[0]), QStringLiteral("東京26/08/01"));
    QCOMPARE(qs(t.rows[4].cells[0]), QStringLiteral("中山26/10/11"));
    QCOMPARE(qs(t.seinen), QStringLiteral("牡3    鹿毛  "));
    QCOMPARE(qs(t.records[0]), QStringLiteral("  0  0  0  0"));
    QCOMPARE(qs(t.souSyokin), QStringLiteral("0万円"));
}

void DetailTextsTest::recordTexts() {
    QCOMPARE(qs(views::recordText({0, 0, 0, 0})), QStringLiteral("  0  0  0  0"));
    QCOMPARE(qs(views::recordText({12, 3, 0, 104})), QStringLiteral(" 12  3  0104"));
    QCOMPARE(qs(views::runnerEntry(3, "ハヤテ")), QStringLiteral(" 3 ハヤテ"));
    QCOMPARE(qs(views::runnerEntry(12, "ハヤテ")), QStringLiteral("12 ハヤテ"));
}

QTEST_GUILESS_MAIN(DetailTextsTest)
#include "detail_texts_test.moc"
