#include "reports/reportdocument.h"

#include "reports/selectionformula.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSet>

#include <cmath>
#include <set>
#include <tuple>

#include <array>

namespace vok {

namespace {

constexpr double pointsPerMm = 72.0 / 25.4;
constexpr double cellPadding = 2.0;   // points, left and right of a cell's text
constexpr double rowPadding = 1.2;    // points, above and below a row's text
constexpr double textPadding = 1.5;   // points, above and below a text line
constexpr int styleCount = 6;

// Fonts are measured on a 72 dpi device, so that one unit is one point on
// every device the pages are painted on.
const QImage &metricDevice()
{
    static const QImage image = [] {
        QImage i(8, 8, QImage::Format_RGB32);
        i.setDotsPerMeterX(2835);
        i.setDotsPerMeterY(2835);
        return i;
    }();
    return image;
}

QFont styleFont(ReportDocument::Style style, double size)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Helvetica"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setHintingPreference(QFont::PreferNoHinting);
    switch (style) {
    case ReportDocument::Style::Normal:
        break;
    case ReportDocument::Style::Bold:
        f.setBold(true);
        break;
    case ReportDocument::Style::Title:
        f.setBold(true);
        size *= 1.6;
        break;
    case ReportDocument::Style::Subtitle:
        f.setBold(true);
        size *= 1.2;
        break;
    case ReportDocument::Style::Small:
        size *= 0.85;
        break;
    case ReportDocument::Style::Italic:
        f.setItalic(true);
        break;
    }
    f.setPointSizeF(size);
    return f;
}

struct Metrics {
    std::array<QFont, styleCount> fonts;
    std::vector<QFontMetricsF> metrics;

    explicit Metrics(double size)
    {
        for (int i = 0; i < styleCount; ++i) {
            fonts[i] = styleFont(ReportDocument::Style(i), size);
            metrics.emplace_back(fonts[i], &metricDevice());
        }
    }
    const QFontMetricsF &of(ReportDocument::Style s) const { return metrics[std::size_t(s)]; }
};

Qt::Alignment qtAlign(ReportDocument::Align a)
{
    switch (a) {
    case ReportDocument::Align::Center:
        return Qt::AlignHCenter;
    case ReportDocument::Align::Right:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

bool multiLine(const ReportDocument::Cell &c) { return c.wrap || c.text.contains(u'\n'); }

QString pageText(int page, int count) { return QStringLiteral("Pagina %1 din %2").arg(page).arg(count); }
QString dateText(const QDate &date) { return QStringLiteral("Data tiparirii: ") + date.toString(QStringLiteral("dd.MM.yyyy")); }

QString escaped(const QString &text)
{
    QString s = text.toHtmlEscaped();
    s.replace(u'\n', QStringLiteral("<br>"));
    return s;
}

double lineHeight(const ReportDocument::Line &line, const Metrics &metrics, double width)
{
    const QFontMetricsF &fm = metrics.of(line.style);
    double text = fm.height();
    for (const ReportDocument::Cell &c : line.cells) {
        if (!multiLine(c) || c.text.isEmpty())
            continue;
        const double w = (c.to - c.from) * width - 2 * cellPadding;
        const QRectF r = fm.boundingRect(QRectF(0, 0, std::max(w, 1.0), 1e6),
                                         int(qtAlign(c.align)) | (c.wrap ? Qt::TextWordWrap : 0), c.text);
        text = std::max(text, r.height());
    }
    const double padding = line.kind == ReportDocument::Line::Kind::Row ? rowPadding : textPadding;
    double extra = 0;
    if (line.style == ReportDocument::Style::Title)
        extra = 4;
    else if (line.style == ReportDocument::Style::Subtitle)
        extra = 2;
    return text + 2 * padding + extra;
}

} // namespace

// Texts of one line style turned into glyphs once: no text shaping per cell.
// Report texts are plain Latin text, for which one glyph per character at its
// advance is what shaping gives; a text with a character the font lacks is
// left to the painter.
struct ReportPages::Glyphs {
    struct Shaped {
        QGlyphRun run;
        double width = 0;
        bool ok = false;
    };
    std::array<QRawFont, styleCount> fonts;
    std::array<QHash<QString, Shaped>, styleCount> cache;

    explicit Glyphs(const Metrics &metrics)
    {
        for (int i = 0; i < styleCount; ++i) {
            fonts[i] = QRawFont::fromFont(metrics.fonts[i]);
            fonts[i].setPixelSize(metrics.fonts[i].pointSizeF()); // one unit is one point
        }
    }

    const Shaped &shape(ReportDocument::Style style, const QString &text)
    {
        QHash<QString, Shaped> &c = cache[std::size_t(style)];
        const auto it = c.constFind(text);
        if (it != c.constEnd())
            return *it;
        Shaped s;
        const QRawFont &font = fonts[std::size_t(style)];
        if (font.isValid()) {
            const QList<quint32> glyphs = font.glyphIndexesForString(text);
            s.ok = glyphs.size() == text.size() && !glyphs.contains(0u);
            if (s.ok) {
                const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
                QList<QPointF> positions;
                positions.reserve(glyphs.size());
                double x = 0;
                for (const QPointF &a : advances) {
                    positions.append(QPointF(x, 0));
                    x += a.x();
                }
                s.width = x;
                s.run.setRawFont(font);
                s.run.setGlyphIndexes(glyphs);
                s.run.setPositions(positions);
            }
        }
        return *c.insert(text, s);
    }
};

QPageLayout ReportDocument::pageLayout() const
{
    return QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       margins, QPageLayout::Millimeter);
}

// ---------------------------------------------------------------- pages

ReportPages::ReportPages(const ReportDocument &document, const QPageLayout &layout)
    : m_document(document)
{
    m_paper = layout.fullRect(QPageLayout::Point);
    m_paper.moveTopLeft(QPointF(0, 0));
    const QMarginsF m = document.margins * pointsPerMm;
    m_printable = m_paper.marginsRemoved(m);

    const Metrics metrics(document.fontSize);
    const double headerHeight = metrics.of(ReportDocument::Style::Bold).height() + 6;
    const double footerHeight = metrics.of(ReportDocument::Style::Small).height() + 6;
    m_body = m_printable.adjusted(0, headerHeight, 0, -footerHeight);

    const auto &lines = document.lines;
    QVector<double> heights(lines.size());
    for (int i = 0; i < lines.size(); ++i)
        heights[i] = lineHeight(lines[i], metrics, m_printable.width());
    const double headingHeight = document.columnCount > 0 ? lineHeight(document.heading, metrics, m_printable.width()) : 0;

    QVector<Placed> page;
    double y = m_body.top();
    bool previousRow = false;
    auto newPage = [&] {
        m_pages.append(page);
        page.clear();
        y = m_body.top();
        previousRow = false;
    };
    for (int i = 0; i < lines.size(); ++i) {
        const ReportDocument::Line &line = lines[i];
        if (line.pageBreakBefore && !page.isEmpty())
            newPage();
        const bool row = line.kind == ReportDocument::Line::Kind::Row;
        double needed = heights[i] + (row && !previousRow ? headingHeight : 0);
        // A line kept with the next one moves to the next page with it.
        bool chainRow = row;
        for (int j = i; j < lines.size() && lines[j].keepWithNext && j + 1 < lines.size(); ++j) {
            const bool nextRow = lines[j + 1].kind == ReportDocument::Line::Kind::Row;
            needed += heights[j + 1] + (nextRow && !chainRow ? headingHeight : 0);
            chainRow = nextRow;
        }
        if (y + needed > m_body.bottom() + 0.01 && !page.isEmpty())
            newPage();
        if (row && !previousRow && headingHeight > 0) {
            page.append({-1, y, headingHeight});
            y += headingHeight;
        }
        page.append({i, y, heights[i]});
        y += heights[i];
        previousRow = row;
    }
    if (!page.isEmpty() || m_pages.isEmpty())
        m_pages.append(page);
}

void ReportPages::paint(QPainter &painter, int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= m_pages.size())
        return;
    const Metrics metrics(m_document.fontSize);
    if (!m_glyphs)
        m_glyphs = std::make_shared<Glyphs>(metrics);
    // Fonts are sized for the device, so that after the painter's scaling to
    // points they have their size in points.
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    std::array<QFont, styleCount> fonts;
    for (int i = 0; i < styleCount; ++i) {
        fonts[i] = metrics.fonts[i];
        fonts[i].setPointSizeF(metrics.fonts[i].pointSizeF() * 72.0 / dpi);
    }
    const double left = m_printable.left();
    const double width = m_printable.width();
    QVector<QLineF> rules;
    rules.reserve(256);
    // Grid lines of consecutive rows join into long lines, and the line
    // between two rows is drawn once: far fewer strokes on a long page.
    QHash<qint64, QVector<QPair<double, double>>> verticals; // x -> runs of y
    std::set<std::tuple<qint64, qint64, qint64>> horizontals;
    auto key = [](double v) { return qint64(std::llround(v * 100)); };
    auto vertical = [&](double x, double y0, double y1) {
        QVector<QPair<double, double>> &runs = verticals[key(x)];
        if (!runs.isEmpty() && std::fabs(runs.last().second - y0) < 0.01)
            runs.last().second = y1;
        else
            runs.append({y0, y1});
    };
    auto horizontal = [&](double x0, double x1, double y) {
        const auto k = std::make_tuple(key(y), key(x0), key(x1));
        if (!horizontals.insert(k).second)
            return;
        rules.append(QLineF(x0, y, x1, y));
    };

    painter.save();
    painter.setPen(QPen(Qt::black, 0.5));
    int currentFont = -1;
    auto useFont = [&](ReportDocument::Style s) {
        if (currentFont != int(s)) {
            painter.setFont(fonts[std::size_t(s)]);
            currentFont = int(s);
        }
    };

    auto paintLine = [&](const ReportDocument::Line &line, double y, double h) {
        const QFontMetricsF &fm = metrics.of(line.style);
        useFont(line.style);
        const bool row = line.kind == ReportDocument::Line::Kind::Row;
        const double padding = row ? rowPadding : textPadding;
        for (const ReportDocument::Cell &c : line.cells) {
            const double x0 = left + c.from * width;
            const double x1 = left + c.to * width;
            if (line.border == ReportDocument::Border::Grid) {
                // Each cell draws its left edge; the last one its right edge too.
                vertical(x0, y, y + h);
                if (&c == &line.cells.last())
                    vertical(x1, y, y + h);
            }
            if (c.text.isEmpty())
                continue;
            const double avail = x1 - x0 - 2 * cellPadding;
            if (multiLine(c)) {
                const QRectF r(x0 + cellPadding, y + padding, avail, h - 2 * padding);
                painter.drawText(r, int(qtAlign(c.align)) | Qt::AlignTop | (c.wrap ? Qt::TextWordWrap : 0), c.text);
                continue;
            }
            const Glyphs::Shaped &shaped = m_glyphs->shape(line.style, c.text);
            QString text = c.text;
            double w = shaped.ok ? shaped.width : fm.horizontalAdvance(text);
            const bool elide = w > avail && c.align == ReportDocument::Align::Left;
            if (elide) {
                text = fm.elidedText(text, Qt::ElideRight, avail);
                w = fm.horizontalAdvance(text);
            }
            double x = x0 + cellPadding;
            if (c.align == ReportDocument::Align::Right)
                x = x1 - cellPadding - w;
            else if (c.align == ReportDocument::Align::Center)
                x = x0 + (x1 - x0 - w) / 2;
            const double baseline = y + (h - fm.height()) / 2 + fm.ascent();
            if (shaped.ok && !elide)
                painter.drawGlyphRun(QPointF(x, baseline), shaped.run);
            else
                painter.drawText(QPointF(x, baseline), text);
        }
        switch (line.border) {
        case ReportDocument::Border::Grid:
            horizontal(left + line.cells.first().from * width, left + line.cells.last().to * width, y);
            horizontal(left + line.cells.first().from * width, left + line.cells.last().to * width, y + h);
            break;
        case ReportDocument::Border::Top:
            rules.append(QLineF(left, y, left + width, y));
            break;
        case ReportDocument::Border::Bottom:
            rules.append(QLineF(left, y + h, left + width, y + h));
            break;
        case ReportDocument::Border::Box:
            rules.append(QLineF(left, y, left + width, y));
            rules.append(QLineF(left, y + h, left + width, y + h));
            rules.append(QLineF(left, y, left, y + h));
            rules.append(QLineF(left + width, y, left + width, y + h));
            break;
        case ReportDocument::Border::None:
            break;
        }
    };

    // Page header: the unit, and the title from the second page on.
    {
        const QFontMetricsF &bold = metrics.of(ReportDocument::Style::Bold);
        useFont(ReportDocument::Style::Bold);
        const double baseline = m_printable.top() + bold.ascent();
        painter.drawText(QPointF(left, baseline), bold.elidedText(m_document.unit, Qt::ElideRight, width * 0.6));
        if (pageIndex > 0) {
            const QFontMetricsF &small = metrics.of(ReportDocument::Style::Small);
            useFont(ReportDocument::Style::Small);
            const QString t = small.elidedText(m_document.title, Qt::ElideRight, width * 0.38);
            painter.drawText(QPointF(left + width - small.horizontalAdvance(t), baseline), t);
        }
        const double ruleY = m_printable.top() + bold.height() + 2;
        rules.append(QLineF(left, ruleY, left + width, ruleY));
    }

    for (const Placed &p : m_pages[pageIndex]) {
        const ReportDocument::Line &line = p.line < 0 ? m_document.heading : m_document.lines[p.line];
        if (!line.cells.isEmpty())
            paintLine(line, p.y, p.height);
    }

    // Page footer: print date and page number of page count.
    {
        const QFontMetricsF &small = metrics.of(ReportDocument::Style::Small);
        useFont(ReportDocument::Style::Small);
        const double ruleY = m_printable.bottom() - small.height() - 3;
        rules.append(QLineF(left, ruleY, left + width, ruleY));
        const double baseline = m_printable.bottom() - small.descent();
        painter.drawText(QPointF(left, baseline), dateText(m_document.printDate));
        const QString page = pageText(pageIndex + 1, count());
        painter.drawText(QPointF(left + width - small.horizontalAdvance(page), baseline), page);
    }

    for (auto it = verticals.cbegin(); it != verticals.cend(); ++it) {
        const double x = double(it.key()) / 100;
        for (const auto &[y0, y1] : it.value())
            rules.append(QLineF(x, y0, x, y1));
    }
    painter.drawLines(rules);
    painter.restore();
}

void ReportPages::print(QPagedPaintDevice &device, int from, int to) const
{
    if (to < 0 || to >= count())
        to = count() - 1;
    from = std::max(0, from);
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportError(QStringLiteral("Raportul nu poate fi scris pe dispozitivul ales."));
    painter.scale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
    for (int page = from; page <= to; ++page) {
        if (page > from)
            device.newPage();
        paint(painter, page);
    }
    painter.end();
}

// ---------------------------------------------------------------- outputs

void ReportDocument::writePdf(const QString &path) const { writePdf(path, pageLayout()); }

void ReportDocument::writePdf(const QString &path, const QPageLayout &layout) const
{
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly))
            throw ReportError(QStringLiteral("Fisierul %1 nu poate fi scris: %2").arg(path, probe.errorString()));
    }
    const ReportPages pages(*this, layout);
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("MECANIZARE - VOK"));
    QPageLayout paper = layout;
    paper.setMinimumMargins(QMarginsF());
    paper.setMargins(QMarginsF());
    writer.setPageLayout(paper);
    pages.print(writer);
}

QString ReportDocument::toText() const
{
    QString out;
    out += QStringLiteral("UNITATE: ") + unit + u'\n';
    bool previousRow = false;
    auto cellsText = [](const Line &line) {
        QStringList texts;
        for (const Cell &c : line.cells)
            texts.append(QString(c.text).replace(u'\n', u' ').trimmed());
        while (!texts.isEmpty() && texts.last().isEmpty())
            texts.removeLast();
        return texts.join(QStringLiteral(" | "));
    };
    for (const Line &line : lines) {
        const bool row = line.kind == Line::Kind::Row;
        if (row && !previousRow && columnCount > 0)
            out += QStringLiteral("# ") + cellsText(heading) + u'\n';
        out += (row ? QStringLiteral("> ") : QString()) + cellsText(line) + u'\n';
        previousRow = row;
    }
    out += dateText(printDate) + u'\n';
    return out;
}

QString ReportDocument::toHtml() const
{
    QString html;
    html.reserve(256 + lines.size() * 200);
    html += QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + escaped(title)
            + QStringLiteral("</title>\n<style>\n"
                             "body{font-family:Arial,Helvetica,sans-serif;font-size:%1pt;margin:1em}\n"
                             "table{border-collapse:collapse;width:100%;table-layout:fixed}\n"
                             "td,th{padding:1px 3px;vertical-align:top;overflow:hidden;white-space:pre-wrap}\n"
                             "table.rows td,table.rows th{border:1px solid #000}\n"
                             "th{font-weight:bold;text-align:center}\n"
                             ".l{text-align:left}.c{text-align:center}.r{text-align:right}\n"
                             ".bold{font-weight:bold}.italic{font-style:italic}.small{font-size:85%}\n"
                             ".title{font-weight:bold;font-size:160%}.subtitle{font-weight:bold;font-size:120%}\n"
                             ".top{border-top:1px solid #000}.bottom{border-bottom:1px solid #000}"
                             ".box{border:1px solid #000}\n"
                             ".pageheader{font-weight:bold;border-bottom:1px solid #000;margin-bottom:4px}\n"
                             ".pagefooter{font-size:85%;border-top:1px solid #000;margin-top:8px}\n"
                             "</style></head><body>\n")
                  .arg(fontSize);
    html += QStringLiteral("<div class=\"pageheader\">") + escaped(unit) + QStringLiteral("</div>\n");

    static const char *const styleClass[] = {"", "bold", "title", "subtitle", "small", "italic"};
    static const char *const alignClass[] = {"l", "c", "r"};
    QString colgroup;
    if (columnCount > 0) {
        colgroup = QStringLiteral("<colgroup>");
        for (const Cell &c : heading.cells)
            colgroup += QStringLiteral("<col style=\"width:%1%\">").arg(QString::number((c.to - c.from) * 100, 'f', 2));
        colgroup += QStringLiteral("</colgroup>");
    }
    auto cellHtml = [&](const Cell &c, const char *tag) {
        QString s = QStringLiteral("<%1 class=\"%2\"").arg(QLatin1String(tag), QLatin1String(alignClass[int(c.align)]));
        if (c.span > 1)
            s += QStringLiteral(" colspan=\"%1\"").arg(c.span);
        s += u'>' + escaped(c.text) + QStringLiteral("</%1>").arg(QLatin1String(tag));
        return s;
    };

    bool inRows = false;
    for (const Line &line : lines) {
        const bool row = line.kind == Line::Kind::Row;
        if (row && !inRows) {
            html += QStringLiteral("<table class=\"rows\">") + colgroup + QStringLiteral("<thead><tr>");
            for (const Cell &c : heading.cells)
                html += cellHtml(c, "th");
            html += QStringLiteral("</tr></thead><tbody>\n");
            inRows = true;
        } else if (!row && inRows) {
            html += QStringLiteral("</tbody></table>\n");
            inRows = false;
        }
        QString classes = QLatin1String(styleClass[int(line.style)]);
        if (row) {
            html += QStringLiteral("<tr class=\"%1\">").arg(classes);
            for (const Cell &c : line.cells)
                html += cellHtml(c, "td");
            html += QStringLiteral("</tr>\n");
            continue;
        }
        if (line.border == Border::Top)
            classes += QStringLiteral(" top");
        else if (line.border == Border::Bottom)
            classes += QStringLiteral(" bottom");
        else if (line.border == Border::Box)
            classes += QStringLiteral(" box");
        html += QStringLiteral("<table class=\"%1\"><tr>").arg(classes.trimmed());
        for (const Cell &c : line.cells)
            html += QStringLiteral("<td class=\"%1\" style=\"width:%2%\">%3</td>")
                        .arg(QLatin1String(alignClass[int(c.align)]), QString::number((c.to - c.from) * 100, 'f', 2),
                             c.text.isEmpty() ? QStringLiteral("&nbsp;") : escaped(c.text));
        html += QStringLiteral("</tr></table>\n");
    }
    if (inRows)
        html += QStringLiteral("</tbody></table>\n");
    const ReportPages pages(*this, pageLayout());
    html += QStringLiteral("<div class=\"pagefooter\">") + escaped(dateText(printDate)) + QStringLiteral(" &middot; ")
            + QStringLiteral("%1 pagini la tiparire").arg(pages.count()) + QStringLiteral("</div>\n</body></html>\n");
    return html;
}

} // namespace vok
