// SPDX-License-Identifier: GPL-2.0-or-later
// The menu bar of a window. The system's menu bar wraps its titles into further rows when the
// window is too narrow for them all, so that every menu stays one click away and the client
// area is what is left under the rows; the toolkit's bar keeps one row and hides the titles that
// do not fit behind an arrow. This bar is a column of toolkit bars, one a row, and deals the
// titles out to them in order.
#pragma once

#include <QWidget>

#include <vector>

class QAction;
class QMenuBar;
class QVBoxLayout;

namespace forms {

class MenuBar : public QWidget
{
    Q_OBJECT
public:
    explicit MenuBar(QWidget *parent = nullptr);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The toolkit bar of the row that shows a title, and the rows (tests click on them).
    QMenuBar *barOf(const QAction *title) const;
    int rowCount() const { return int(rows_.size()); }

protected:
    void actionEvent(QActionEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    // The titles of each row at this width, in order.
    std::vector<std::vector<QAction *>> rowsFor(int width) const;
    int titleWidth(const QAction *title) const;
    int rowHeight() const;
    void deal();
    QMenuBar *newRow();

    QVBoxLayout *column_;
    std::vector<QMenuBar *> rows_;
    QMenuBar *probe_; // measures titles as a row bar shows them
    bool dealing_ = false;
};

} // namespace forms
