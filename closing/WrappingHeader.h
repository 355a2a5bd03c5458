#pragma once
#include <QHash>
#include <QHeaderView>

// A horizontal header whose titles break between words onto as many lines as their column needs,
// so a narrow column of figures keeps its whole title; a title may carry a tooltip.
class WrappingHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit WrappingHeader(QWidget *parent = nullptr);

    void setToolTip(int logicalIndex, const QString &text) { m_toolTips.insert(logicalIndex, text); }
    // The narrowest width that shows the section's title with no word cut.
    int minimumWidthFor(int logicalIndex) const;
    // The height that shows every title whole at the sections' present widths.
    int neededHeight() const;
    // True when the title of the section shows whole at its present width and the header's height.
    bool titleFits(int logicalIndex) const;
    // Lays the header out again after its sections' widths changed (its height follows them).
    void refit()
    {
        updateGeometries();
        emit geometriesChanged();
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    bool viewportEvent(QEvent *e) override;

private:
    QString title(int logicalIndex) const;
    QRect textBox(int width) const;   // where the title goes in a section of that width
    QHash<int, QString> m_toolTips;
};
