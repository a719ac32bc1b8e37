#pragma once
// TfrmGAP: the gap horse map, "単勝ＧＡＰホースMAP". The day's gap file as a
// grid of venues, race links and horse links, and one button that writes win
// and place tickets on every listed horse into a Vantage bet file.

#include "app/markup_grid.h"
#include "data/race_day.h"
#include "history/gap_map.h"

#include <QToolButton>
#include <QWidget>

#include <filesystem>
#include <functional>

namespace velmar::views {

class TfrmGAP : public QWidget {
    Q_OBJECT
  public:
    explicit TfrmGAP(QWidget* parent = nullptr);

    // Fills the map from a gap file of the loaded day; false (and the message
    // shown) when the file cannot be read.
    bool loadGapMap(const std::filesystem::path& file, const data::RaceDay& day);

    app::MarkupGrid* grid() const { return Grid1_; }
    QToolButton* imgBtn1() const { return ImgBtn1_; }
    const history::GapMap& map() const { return map_; }

    // The bulk win/place bet file (ImgBtn1).
    void bulkBetFileCommand();

    // The main window's save dialog with its overwrite question (empty: cancelled).
    std::function<QString(const QString& title, const QString& filter, const QString& name)>
        askSaveFile;
    std::function<void(const QString& text)> showMessage;

  signals:
    void raceRequested(int race);
    void horseRequested(int race, int horse);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void onAnchor(int row, int col, const QString& value);

    app::MarkupGrid* Grid1_;
    QToolButton* ImgBtn1_;
    history::GapMap map_;
};

} // namespace velmar::views
