#pragma once
// TfrmSyosai: the detail window, "詳細情報": one runner of the race shown in
// full (profile, connections, prize money, pedigree, records, last five
// races). It reads the race day and the prediction and changes nothing.

#include "app/markup_grid.h"
#include "data/race_day.h"
#include "engine/prediction.h"
#include "views/detail_texts.h"

#include <QComboBox>
#include <QLabel>
#include <QWidget>

#include <array>

namespace velmar::views {

class TfrmSyosai : public QWidget {
    Q_OBJECT
  public:
    explicit TfrmSyosai(QWidget* parent = nullptr);

    // The race the window reads from; both must outlive the next call.
    void setRace(const data::RaceDay* day, const engine::Prediction* prediction);
    // Refills the runner list, selects horse n and fills it; shows the window
    // when bringForward is set.
    void showDetail(int horse, bool bringForward);
    void fillDetail(int index);

    QComboBox* cmbBamei() const { return cmbBamei_; }
    app::MarkupGrid* grid() const { return grid2_; }
    QLabel* label(const QString& name) const;

  signals:
    void shownChanged(bool shown);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QLabel* addLabel(QWidget* parent, const QString& name, const QRect& rect, bool value);

    const data::RaceDay* day_ = nullptr;
    const engine::Prediction* prediction_ = nullptr;
    QComboBox* cmbBamei_;
    app::MarkupGrid* grid2_;
    std::array<PastRowColor, 5> rowColors_{};
    QPoint dragOffset_;
};

} // namespace velmar::views
