#include "closing/WrappingHeader.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QToolTip>

namespace {
constexpr int Margin = 4;   // on each side of a title
}

WrappingHeader::WrappingHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setDefaultAlignment(Qt::AlignCenter);
}

QString WrappingHeader::title(int logicalIndex) const
{
    return model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString() : QString();
}

QRect WrappingHeader::textBox(int width) const { return QRect(0, 0, std::max(1, width - 2 * Margin), 10000); }

int WrappingHeader::minimumWidthFor(int logicalIndex) const
{
    int widest = 0;
    for (const QString &word : title(logicalIndex).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, fontMetrics().horizontalAdvance(word));
    return widest + 2 * Margin + 2;
}

int WrappingHeader::neededHeight() const
{
    int tallest = fontMetrics().height();
    for (int i = 0; i < count(); ++i)
        if (!isSectionHidden(i))
            tallest = std::max(tallest, fontMetrics().boundingRect(textBox(sectionSize(i)), Qt::TextWordWrap, title(i)).height());
    return tallest + 2 * Margin;
}

bool WrappingHeader::titleFits(int logicalIndex) const
{
    const QRect box = fontMetrics().boundingRect(textBox(sectionSize(logicalIndex)), Qt::TextWordWrap, title(logicalIndex));
    return sectionSize(logicalIndex) >= minimumWidthFor(logicalIndex) && box.height() + 2 * Margin <= height();
}

QSize WrappingHeader::sectionSizeFromContents(int logicalIndex) const
{
    const QRect box = fontMetrics().boundingRect(textBox(sectionSize(logicalIndex)), Qt::TextWordWrap, title(logicalIndex));
    return QSize(minimumWidthFor(logicalIndex), box.height() + 2 * Margin);
}

void WrappingHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    // The section's frame and background as the style draws them, then the title wrapped inside.
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.text.clear();
    style()->drawControl(QStyle::CE_Header, &opt, painter, this);
    painter->save();
    painter->setPen(palette().color(QPalette::ButtonText));
    // The style leaves the painter clipped to nothing: the title gets its section as its clip.
    painter->setClipRect(rect);
    painter->drawText(rect.adjusted(Margin, Margin, -Margin, -Margin), Qt::AlignCenter | Qt::TextWordWrap, title(logicalIndex));
    painter->restore();
}

bool WrappingHeader::viewportEvent(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const QString text = m_toolTips.value(logicalIndexAt(help->pos()));
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, this);
            return true;
        }
    }
    return QHeaderView::viewportEvent(e);
}
