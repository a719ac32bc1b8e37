#include "app/cell_markup.h"

#include <QFontMetricsF>
#include <QPainter>

namespace velmar::app {

bool MarkupLine::empty() const {
    for (const auto& run : runs) {
        if (!run.text.isEmpty()) {
            return false;
        }
    }
    return true;
}

QString CellMarkup::plainText() const {
    QString out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            out += QLatin1Char('\n');
        }
        for (const auto& run : lines[i].runs) {
            out += run.text;
        }
    }
    return out;
}

bool CellMarkup::hasAnchors() const {
    for (const auto& line : lines) {
        for (const auto& run : line.runs) {
            if (!run.href.isEmpty()) {
                return true;
            }
        }
    }
    return false;
}

namespace {

// Value of attribute `name` inside a tag body such as `FONT COLOR="#FF0000"`.
QString attributeOf(const QString& body, const QString& name) {
    const QString upper = body.toUpper();
    qsizetype at = 0;
    while ((at = upper.indexOf(name, at)) >= 0) {
        const bool startsWord = at > 0 && upper[at - 1].isSpace();
        qsizetype p = at + name.size();
        while (p < body.size() && body[p].isSpace()) {
            ++p;
        }
        if (!startsWord || p >= body.size() || body[p] != QLatin1Char('=')) {
            at += name.size();
            continue;
        }
        ++p;
        while (p < body.size() && body[p].isSpace()) {
            ++p;
        }
        if (p < body.size() && (body[p] == QLatin1Char('"') || body[p] == QLatin1Char('\''))) {
            const QChar quote = body[p];
            const qsizetype end = body.indexOf(quote, p + 1);
            return end < 0 ? body.mid(p + 1) : body.mid(p + 1, end - p - 1);
        }
        qsizetype end = p;
        while (end < body.size() && !body[end].isSpace()) {
            ++end;
        }
        return body.mid(p, end - p);
    }
    return {};
}

Qt::Alignment alignOf(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("center")) {
        return Qt::AlignHCenter;
    }
    if (v == QLatin1String("right")) {
        return Qt::AlignRight;
    }
    if (v == QLatin1String("left")) {
        return Qt::AlignLeft;
    }
    return {};
}

// The few character references a cell may carry; anything else stays literal.
bool decodeEntity(const QString& text, qsizetype& i, QString& out) {
    static const std::pair<const char*, QChar> entities[] = {
        {"&amp;", QLatin1Char('&')},  {"&lt;", QLatin1Char('<')},   {"&gt;", QLatin1Char('>')},
        {"&quot;", QLatin1Char('"')}, {"&nbsp;", QLatin1Char(' ')},
    };
    for (const auto& [name, ch] : entities) {
        if (text.mid(i).startsWith(QLatin1String(name), Qt::CaseInsensitive)) {
            out += ch;
            i += qsizetype(qstrlen(name));
            return true;
        }
    }
    return false;
}

class Parser {
  public:
    CellMarkup result;

    Parser() { result.lines.emplace_back(); }

    void text(const QString& chunk) {
        if (chunk.isEmpty()) {
            return;
        }
        if (breakPending_) {
            newLine();
            breakPending_ = false;
        }
        auto& line = result.lines.back();
        if (line.empty() && paragraphAlign_) {
            line.align = paragraphAlign_;
        }
        MarkupRun run;
        run.text = chunk;
        run.color = colors_.empty() ? QColor() : colors_.back();
        run.bold = bold_ > 0;
        run.href = href_;
        line.runs.push_back(std::move(run));
    }

    void tag(const QString& body) {
        const QString trimmedBody = body.trimmed();
        qsizetype nameEnd = 0;
        while (nameEnd < trimmedBody.size() && !trimmedBody[nameEnd].isSpace()) {
            ++nameEnd;
        }
        QString name = trimmedBody.left(nameEnd).toUpper();
        if (name.endsWith(QLatin1Char('/'))) {
            name.chop(1); // <BR/>
        }
        if (name == QLatin1String("BR")) {
            breakPending_ = false;
            newLine();
        } else if (name == QLatin1String("P")) {
            if (breakPending_ || !result.lines.back().empty()) {
                newLine();
            }
            breakPending_ = false;
            paragraphAlign_ = alignOf(attributeOf(trimmedBody, QStringLiteral("ALIGN")));
            result.lines.back().align = paragraphAlign_;
        } else if (name == QLatin1String("/P")) {
            paragraphAlign_ = {};
            breakPending_ = true;
        } else if (name == QLatin1String("FONT")) {
            const QColor color(attributeOf(trimmedBody, QStringLiteral("COLOR")).trimmed());
            colors_.push_back(color.isValid() ? color
                                              : (colors_.empty() ? QColor() : colors_.back()));
        } else if (name == QLatin1String("/FONT")) {
            if (!colors_.empty()) {
                colors_.pop_back();
            }
        } else if (name == QLatin1String("B")) {
            ++bold_;
        } else if (name == QLatin1String("/B")) {
            if (bold_ > 0) {
                --bold_;
            }
        } else if (name == QLatin1String("A")) {
            href_ = attributeOf(trimmedBody, QStringLiteral("HREF"));
        } else if (name == QLatin1String("/A")) {
            href_.clear();
        }
        // Any other tag is not shown and has no effect.
    }

  private:
    void newLine() {
        MarkupLine line;
        line.align = paragraphAlign_;
        result.lines.push_back(std::move(line));
    }

    std::vector<QColor> colors_;
    int bold_ = 0;
    QString href_;
    Qt::Alignment paragraphAlign_;
    bool breakPending_ = false;
};

bool isTagStart(const QString& text, qsizetype i) {
    if (i + 1 >= text.size()) {
        return false;
    }
    const QChar next = text[i + 1];
    return (next.isLetter() && next.unicode() < 128) || next == QLatin1Char('/');
}

} // namespace

CellMarkup parseMarkup(const QString& text) {
    Parser parser;
    QString chunk;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('<') && isTagStart(text, i)) {
            const qsizetype end = text.indexOf(QLatin1Char('>'), i + 1);
            if (end > i) {
                parser.text(chunk);
                chunk.clear();
                parser.tag(text.mid(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
        }
        if (c == QLatin1Char('&') && decodeEntity(text, i, chunk)) {
            continue;
        }
        if (c == QLatin1Char('\r')) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('\n')) {
            parser.text(chunk);
            chunk.clear();
            parser.tag(QStringLiteral("BR"));
            ++i;
            continue;
        }
        chunk += c;
        ++i;
    }
    parser.text(chunk);
    return std::move(parser.result);
}

std::vector<PlacedRun> layoutMarkup(const CellMarkup& markup, const QRectF& area, const QFont& font,
                                    Qt::Alignment defaultAlign) {
    std::vector<PlacedRun> placed;
    const QFontMetricsF metrics(font);
    const qreal lineHeight = metrics.height();
    const qreal blockHeight = lineHeight * qreal(markup.lines.size());
    qreal y = area.top() + (area.height() - blockHeight) / 2.0;
    if (defaultAlign & Qt::AlignTop) {
        y = area.top();
    } else if (defaultAlign & Qt::AlignBottom) {
        y = area.bottom() - blockHeight;
    }
    for (const auto& line : markup.lines) {
        qreal width = 0;
        for (const auto& run : line.runs) {
            width += metrics.horizontalAdvance(run.text);
        }
        const Qt::Alignment align =
            (line.align ? line.align : defaultAlign) & Qt::AlignHorizontal_Mask;
        qreal x = area.left();
        if (align & Qt::AlignHCenter) {
            x = area.left() + (area.width() - width) / 2.0;
        } else if (align & Qt::AlignRight) {
            x = area.right() - width;
        }
        for (const auto& run : line.runs) {
            const qreal w = metrics.horizontalAdvance(run.text);
            if (!run.text.isEmpty()) {
                placed.push_back(
                    {QRectF(x, y, w, lineHeight), run.text, run.color, run.bold, run.href});
            }
            x += w;
        }
        y += lineHeight;
    }
    return placed;
}

void paintMarkup(QPainter* painter, const std::vector<PlacedRun>& runs, const QFont& font,
                 const QColor& fontColor) {
    QFont regular = font;
    QFont bold = font;
    bold.setBold(true);
    const qreal ascent = QFontMetricsF(font).ascent();
    for (const auto& run : runs) {
        painter->setFont(run.bold ? bold : regular);
        painter->setPen(run.color.isValid() ? run.color : fontColor);
        // drawText at a base line point keeps every blank of the run.
        painter->drawText(QPointF(run.rect.left(), run.rect.top() + ascent), run.text);
        if (!run.href.isEmpty()) {
            const qreal underline = run.rect.top() + ascent + 1.5;
            painter->drawLine(QPointF(run.rect.left(), underline),
                              QPointF(run.rect.right(), underline));
        }
    }
}

QString anchorAt(const std::vector<PlacedRun>& runs, const QPointF& pos) {
    for (const auto& run : runs) {
        if (!run.href.isEmpty() && run.rect.contains(pos)) {
            return run.href;
        }
    }
    return {};
}

} // namespace velmar::app
