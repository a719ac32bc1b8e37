#include "views/bet_detail_window.h"

#include "bets/bet_text.h"
#include "data/atomic_file.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace velmar::views {

namespace {
QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
} // namespace

TfrmKaime::TfrmKaime(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      memo_(new QPlainTextEdit(this)), spSkinStatusPanel1_(new QLabel(this)) {
    setObjectName(QStringLiteral("frmKaime"));
    setWindowTitle(QStringLiteral("買い目の詳細"));

    memo_->setObjectName(QStringLiteral("Memo1"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("IPAGothic"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(13);
    memo_->setFont(font);
    setCentralWidget(memo_);

    auto* fileMenu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    auto* save = fileMenu->addAction(QStringLiteral("テキストファイルとして保存(&S)..."));
    save->setObjectName(QStringLiteral("mnuSave"));
    save->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    fileMenu->addSeparator();
    auto* close = fileMenu->addAction(QStringLiteral("買い目の詳細を閉じる(&X)"));
    close->setObjectName(QStringLiteral("mnuClose"));
    close->setShortcut(QKeySequence(QStringLiteral("Ctrl+F4")));
    auto* editMenu = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    auto* copy = editMenu->addAction(QStringLiteral("選択範囲をコピー(&C)"));
    copy->setObjectName(QStringLiteral("mnuCopy"));
    copy->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    auto* selectAll = editMenu->addAction(QStringLiteral("すべて選択(&A)"));
    selectAll->setObjectName(QStringLiteral("mnuSelectAll"));
    selectAll->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    connect(save, &QAction::triggered, this, &TfrmKaime::saveCommand);
    connect(close, &QAction::triggered, this, &QWidget::hide);
    connect(copy, &QAction::triggered, this, &TfrmKaime::copySelection);
    connect(selectAll, &QAction::triggered, memo_, &QPlainTextEdit::selectAll);

    auto* tools = addToolBar(QStringLiteral("tool"));
    tools->setMovable(false);
    auto* btnSave = tools->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton),
                                     QStringLiteral("保存"));
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setToolTip(QStringLiteral("保存"));
    auto* btnEdit = tools->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                     QStringLiteral("選択範囲をコピー"));
    btnEdit->setObjectName(QStringLiteral("btnEdit"));
    btnEdit->setToolTip(QStringLiteral("選択範囲をコピー"));
    connect(btnSave, &QAction::triggered, this, &TfrmKaime::saveCommand);
    connect(btnEdit, &QAction::triggered, this, &TfrmKaime::copySelection);

    spSkinStatusPanel1_->setObjectName(QStringLiteral("spSkinStatusPanel1"));
    statusBar()->addWidget(spSkinStatusPanel1_, 1);
    statusBar()->setSizeGripEnabled(false);

    setFixedSize(392, 443);
}

void TfrmKaime::setBetText(const std::string& title, const std::vector<std::string>& lines) {
    spSkinStatusPanel1_->setText(fromUtf8(title));
    QStringList list;
    for (const auto& line : lines) {
        list << fromUtf8(line);
    }
    memo_->setPlainText(list.join(QLatin1Char('\n')));
}

QString TfrmKaime::statusText() const {
    return spSkinStatusPanel1_->text();
}

QStringList TfrmKaime::memoLines() const {
    const QString text = memo_->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

QString TfrmKaime::saveTo(const QString& path) const {
    std::vector<std::string> lines;
    for (const auto& line : memoLines()) {
        lines.push_back(line.toStdString());
    }
    const std::string bytes = data::sjisLines(lines);
    const auto written = data::writeFileAtomic(std::filesystem::path(path.toStdString()), bytes);
    if (!written) {
        return QString::fromStdString(written.error().message);
    }
    return {};
}

void TfrmKaime::saveCommand() {
    const QString title = QStringLiteral("買い目をテキストファイルとして保存");
    const QString filter = QStringLiteral("テキストファイル(*.txt)");
    const QString name = QString::fromStdString(bets::betTextFileName(statusText().toStdString()));
    const QString path = saveDialogHook ? saveDialogHook(title, filter, name)
                                        : QFileDialog::getSaveFileName(this, title, name, filter);
    if (path.isEmpty()) {
        return;
    }
    const QString error = saveTo(path);
    if (!error.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Velmar"), error);
    }
}

void TfrmKaime::copySelection() {
    memo_->copy();
}

void TfrmKaime::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    emit shownChanged(true);
}

void TfrmKaime::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    emit shownChanged(false);
}

} // namespace velmar::views
