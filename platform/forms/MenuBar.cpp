// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/MenuBar.h"

#include <QActionEvent>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionMenuItem>
#include <QVBoxLayout>

#include <algorithm>

namespace forms {

namespace {

// A row: a toolkit bar that lets its owner measure a title as the bar lays it out.
class Row : public QMenuBar
{
public:
    using QMenuBar::QMenuBar;
    int titleWidth(const QAction *title) const
    {
        QStyleOptionMenuItem opt;
        initStyleOption(&opt, title);
        const QSize text = fontMetrics().size(Qt::TextShowMnemonic, title->text());
        return style()->sizeFromContents(QStyle::CT_MenuBarItem, &opt, text, this).width();
    }
};

} // namespace

MenuBar::MenuBar(QWidget *parent) : QWidget(parent), column_(new QVBoxLayout(this)), probe_(new Row)
{
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);
    probe_->setParent(this);
    probe_->hide();
    // A title to give the probe a row's height.
    probe_->addAction(QStringLiteral("X"));
    newRow();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QMenuBar *MenuBar::newRow()
{
    auto *row = new Row(this);
    row->setNativeMenuBar(false);
    row->setFont(font());
    column_->addWidget(row);
    rows_.push_back(row);
    return row;
}

int MenuBar::titleWidth(const QAction *title) const
{
    probe_->setFont(font());
    return static_cast<const Row *>(probe_)->titleWidth(title);
}

int MenuBar::rowHeight() const
{
    // One row of titles, as the toolkit bar sizes itself.
    probe_->setFont(font());
    return probe_->sizeHint().height();
}

std::vector<std::vector<QAction *>> MenuBar::rowsFor(int width) const
{
    const QStyle *s = probe_->style();
    const int spacing = s->pixelMetric(QStyle::PM_MenuBarItemSpacing, nullptr, probe_);
    const int hmargin = s->pixelMetric(QStyle::PM_MenuBarHMargin, nullptr, probe_);
    const int frame = s->pixelMetric(QStyle::PM_MenuBarPanelWidth, nullptr, probe_);
    // What a row may hold: its width less the margins, with a few pixels to spare so that a
    // title that only just fits is not put behind the toolkit's arrow.
    const int room = width - 2 * (hmargin + frame) - 4;
    std::vector<std::vector<QAction *>> rows(1);
    int used = 0;
    for (QAction *a : actions()) {
        if (!a->isVisible() || a->isSeparator())
            continue;
        const int w = titleWidth(a);
        const int need = rows.back().empty() ? w : used + spacing + w;
        if (!rows.back().empty() && need > room) {
            rows.emplace_back();
            used = w;
        } else {
            used = need;
        }
        rows.back().push_back(a);
    }
    return rows;
}

int MenuBar::heightForWidth(int width) const { return int(rowsFor(width).size()) * rowHeight(); }

QSize MenuBar::sizeHint() const
{
    return {rows_.front()->sizeHint().width(),
            heightForWidth(width() > 0 ? width() : rows_.front()->sizeHint().width())};
}

QSize MenuBar::minimumSizeHint() const { return {0, rowHeight()}; }

QMenuBar *MenuBar::barOf(const QAction *title) const
{
    for (QMenuBar *row : rows_)
        if (row->actions().contains(const_cast<QAction *>(title)))
            return row;
    return nullptr;
}

void MenuBar::deal()
{
    if (dealing_)
        return;
    dealing_ = true;
    const std::vector<std::vector<QAction *>> want = rowsFor(width());
    while (rows_.size() < want.size())
        newRow();
    for (size_t i = 0; i < rows_.size(); ++i) {
        QMenuBar *row = rows_[i];
        const std::vector<QAction *> titles = i < want.size() ? want[i] : std::vector<QAction *>();
        const QList<QAction *> now = row->actions();
        if (now == QList<QAction *>(titles.begin(), titles.end()))
            continue;
        for (QAction *a : now)
            row->removeAction(a);
        for (QAction *a : titles)
            row->addAction(a);
    }
    // Rows left empty go; the first stays, so that an empty bar still has its height.
    while (rows_.size() > std::max<size_t>(1, want.size())) {
        delete rows_.back();
        rows_.pop_back();
    }
    dealing_ = false;
    updateGeometry();
}

void MenuBar::actionEvent(QActionEvent *e)
{
    QWidget::actionEvent(e);
    deal();
}

void MenuBar::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    deal();
}

void MenuBar::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        for (QMenuBar *row : rows_)
            row->setFont(font());
        deal();
    }
}

} // namespace forms
