#pragma once
// TfrmGraph: the pace map, "展開マップ". The runners of the race shown as
// coloured points on a square chart (placed by returnPoints across and
// winPoints up), a legend of swatches and names beside it, and a one-page
// print. It reads the prediction it is given at every redraw and keeps no race
// data of its own.

#include "engine/prediction.h"

#include <QCheckBox>
#include <QColor>
#include <QDialog>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace velmar::views {

// Runner colours by field size; colour i belongs to horse number i + 1.
std::vector<QColor> paceMapColors(int runners);

// One plotted point of the chart.
struct PacePoint {
    double x = 0;
    double y = 0;
    int horse = 0; // horse number
    QColor color;
    QString label; // shown when the pattern display is on
};

// Placing a point: while its "x,y" text equals an occupied entry, x grows
// and y shrinks by the step (0.2 with the pattern display, else 0.1); the
// comparison restarts from the first entry after every move. Returns the
// point's final place and adds its text to `occupied`.
std::pair<double, double> nudgePoint(double x, double y, bool pattern,
                                     std::vector<std::string>& occupied);
// The platform's shortest decimal text of a coordinate ("1", "1.1", "0.9").
std::string coordinateText(double v);

// The points and legend of a race.
struct PaceMapContent {
    std::vector<PacePoint> points;
    std::vector<QColor> swatchColors;  // one per runner
    std::vector<QString> legendNames;  // " 5 name"
    std::vector<std::string> occupied; // SL
};
PaceMapContent paceMapContent(const engine::Prediction& prediction, bool pattern);

class PaceChart : public QWidget {
    Q_OBJECT
  public:
    explicit PaceChart(QWidget* parent = nullptr);
    void setPoints(std::vector<PacePoint> points, bool showLabels);
    const std::vector<PacePoint>& points() const { return points_; }
    // The chart drawn into any rectangle of any device.
    void paintChart(QPainter* painter, const QRectF& rect) const;

  signals:
    void rightPressed();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    std::vector<PacePoint> points_;
    bool showLabels_ = false;
};

class TfrmGraph : public QDialog {
    Q_OBJECT
  public:
    // `mainGeometry`: the main window's frame, for the default position.
    explicit TfrmGraph(const QRect& mainGeometry, QWidget* parent = nullptr);

    // The race the window reads; must outlive the next redraw.
    void setRace(const engine::Prediction* prediction);
    void redraw();
    // Prints the titles, the chart and the legend on one page.
    void printTo(QPrinter& printer) const;

    QCheckBox* radPattern() const { return radPattern_; }
    PaceChart* chart() const { return chart_; }
    QLabel* swatch(int i) const { return lblIro_.at(size_t(i)); }
    QLabel* nameLabel(int i) const { return lblBamei_.at(size_t(i)); }
    QPushButton* btnPrint() const { return btnPrint_; }
    QPushButton* btnClose() const { return btnClose_; }
    const std::vector<std::string>& occupied() const { return occupied_; }

    // The printer of btnPrint (tests give a PDF printer); null: nothing printed.
    std::function<std::unique_ptr<QPrinter>()> printerHook;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void togglePattern();
    void printCommand();

    const engine::Prediction* prediction_ = nullptr;
    PaceChart* chart_;
    QWidget* panel_;
    std::array<QLabel*, 18> lblIro_{};
    std::array<QLabel*, 18> lblBamei_{};
    QCheckBox* radPattern_;
    QPushButton* btnPrint_;
    QPushButton* btnClose_;
    std::vector<std::string> occupied_;
};

} // namespace velmar::views
