// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/forms/ListBox.h"

#include "platform/forms/EventLoop.h"
#include "platform/forms/Screen.h"
#include "platform/vb/vb.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace forms {

// The items as plain strings: 32000 of them stay cheap to add, remove and show.
// The items as plain strings. Items appended at the end are announced to the view in batches
// (shown counts the announced ones): a view lays out all its rows after each announcement, so
// a stream of single appends, each in its own pass of the event loop (Link executes), would
// otherwise cost time in proportion to the list for every item.
class ListBox::Model : public QAbstractListModel
{
public:
    QStringList items;
    int shown = 0;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : shown; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= shown)
            return QVariant();
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return items.at(index.row());
        return QVariant();
    }
    // Announces the appended items.
    void flush()
    {
        if (shown == items.size())
            return;
        beginInsertRows(QModelIndex(), shown, int(items.size()) - 1);
        shown = int(items.size());
        endInsertRows();
    }
    void insert(const QString &s, int at)
    {
        flush();
        beginInsertRows(QModelIndex(), at, at);
        items.insert(at, s);
        shown = int(items.size());
        endInsertRows();
    }
    void removeRun(int first, int last)
    {
        flush();
        beginRemoveRows(QModelIndex(), first, last);
        items.remove(first, last - first + 1);
        shown = int(items.size());
        endRemoveRows();
    }
    using QAbstractListModel::beginResetModel;
    using QAbstractListModel::endResetModel;
    void clear()
    {
        beginResetModel();
        items.clear();
        shown = 0;
        endResetModel();
    }
    void set(int row, const QString &s)
    {
        items[row] = s;
        if (row < shown) {
            const QModelIndex i = index(row);
            emit dataChanged(i, i);
        }
    }
};

namespace {

class ListView : public QListView
{
public:
    ListView()
    {
        setUniformItemSizes(true);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        // The program's key table alone decides what these do.
        if (e->matches(QKeySequence::Copy) || e->matches(QKeySequence::SelectAll) || e->matches(QKeySequence::Cut) ||
            e->matches(QKeySequence::Paste)) {
            e->ignore();
            return;
        }
        QListView::keyPressEvent(e);
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::RightButton) {
            e->accept();
            return; // the selection stays
        }
        QListView::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (e->buttons() & Qt::RightButton) {
            e->accept();
            return;
        }
        QListView::mouseMoveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::RightButton) {
            e->accept();
            return;
        }
        QListView::mouseReleaseEvent(e);
    }
};

} // namespace

ListBox::ListBox(Form &form, const QString &name, Control *container) : Control(form, name, new ListView, container)
{
    view_ = static_cast<QListView *>(widget());
    model_ = new Model;
    model_->setParent(view_);
    flushTimer_ = new QTimer(this);
    flushTimer_->setSingleShot(true);
    flushTimer_->setInterval(10);
    QObject::connect(flushTimer_, &QTimer::timeout, this, [this] { showAppended(); });

    view_->setModel(model_);
    view_->setFont(uiFont(9));
    setMultiSelect(0);
    watch(view_->viewport());
    // A press on an item raises Click (also on the current one); keys and code that move the
    // current item raise it through the change.
    QObject::connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
                     [this](const QModelIndex &now) {
                         if (now.isValid() && Click && QApplication::mouseButtons() == Qt::NoButton)
                             runEvent(Click);
                     });
    QObject::connect(view_, &QAbstractItemView::pressed, this, [this](const QModelIndex &at) {
        if (at.isValid() && Click && QApplication::mouseButtons() & Qt::LeftButton)
            runEvent(Click);
    });
}

ListBox::~ListBox() = default;

QWidget *ListBox::dropWidget() const { return view_->viewport(); }

void ListBox::setMultiSelect(int mode)
{
    if (mode < 0 || mode > 2)
        vb::raiseError(vb::ErrInvalidPropertyValue);
    multiSelect_ = mode;
    view_->setSelectionMode(mode == 2   ? QAbstractItemView::ExtendedSelection
                            : mode == 1 ? QAbstractItemView::MultiSelection
                                        : QAbstractItemView::SingleSelection);
}

void ListBox::AddItem(const QString &item, int index)
{
    const int n = ListCount();
    if (index > n || index < -1)
        vb::raiseError(vb::ErrInvalidCall);
    if (index >= 0 && index < n) {
        model_->insert(item, index);
        return;
    }
    model_->items.append(item);
    if (!flushTimer_->isActive())
        flushTimer_->start();
}

void ListBox::showAppended() const { model_->flush(); }

void ListBox::RemoveItem(int index)
{
    if (index < 0 || index >= ListCount())
        vb::raiseError(vb::ErrInvalidCall);
    model_->removeRun(index, index);
}

void ListBox::Clear() { model_->clear(); }

bool ListBox::eventFilter(QObject *watched, QEvent *event)
{
    // A click, a key or a drop acts on what the user sees: everything appended so far.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::DragEnter:
    case QEvent::Drop: showAppended(); break;
    default: break;
    }
    return Control::eventFilter(watched, event);
}

int ListBox::ListCount() const { return int(model_->items.size()); }

QString ListBox::List(int index) const
{
    return index >= 0 && index < ListCount() ? model_->items.at(index) : QString();
}

void ListBox::setList(int index, const QString &text)
{
    if (index < 0 || index >= ListCount())
        vb::raiseError(vb::ErrInvalidCall);
    model_->set(index, text);
}

int ListBox::ListIndex() const
{
    showAppended();
    const QModelIndex i = view_->selectionModel()->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void ListBox::setListIndex(int index)
{
    showAppended();
    if (index < -1 || index >= ListCount())
        vb::raiseError(vb::ErrInvalidPropertyValue);
    QItemSelectionModel *sel = view_->selectionModel();
    if (index < 0) {
        sel->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        if (multiSelect_ == 0)
            sel->clearSelection();
        return;
    }
    const QModelIndex i = model_->index(index);
    const bool same = sel->currentIndex() == i;
    sel->setCurrentIndex(i, multiSelect_ == 0 ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate);
    view_->scrollTo(i);
    if (same && Click)
        Click(); // setting it again still raises Click, as the run time does
}

QString ListBox::Text() const { return List(ListIndex()); }

bool ListBox::Selected(int index) const
{
    showAppended();
    if (index < 0 || index >= ListCount())
        vb::raiseError(vb::ErrInvalidCall);
    return view_->selectionModel()->isSelected(model_->index(index));
}

void ListBox::setSelected(int index, bool on)
{
    showAppended();
    if (index < 0 || index >= ListCount())
        vb::raiseError(vb::ErrInvalidCall);
    QItemSelectionModel::SelectionFlags f = on ? QItemSelectionModel::Select : QItemSelectionModel::Deselect;
    if (multiSelect_ == 0 && on)
        f = QItemSelectionModel::ClearAndSelect;
    view_->selectionModel()->select(model_->index(index), f);
}

std::vector<int> ListBox::selectedIndexes() const
{
    showAppended();
    std::vector<int> rows;
    for (const QItemSelectionRange &r : view_->selectionModel()->selection())
        for (int row = r.top(); row <= r.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

int ListBox::SelCount() const { return int(selectedIndexes().size()); }

int ListBox::TopIndex() const
{
    showAppended();
    if (ListCount() == 0)
        return 0;
    const QModelIndex i = view_->indexAt(QPoint(1, 1));
    if (i.isValid())
        return i.row();
    // Not laid out yet (hidden): the scroll position counts items.
    return std::clamp(view_->verticalScrollBar()->value(), 0, ListCount() - 1);
}

void ListBox::setTopIndex(int index)
{
    showAppended();
    if (index < 0 || index >= std::max(1, ListCount()))
        vb::raiseError(vb::ErrInvalidPropertyValue);
    if (ListCount() == 0)
        return;
    view_->scrollTo(model_->index(index), QAbstractItemView::PositionAtTop);
}

ListBox::Marks ListBox::markSelected() const
{
    Marks marks;
    for (int row : selectedIndexes())
        marks.emplace_back(model_->index(row));
    return marks;
}

void ListBox::removeMarked(const Marks &marks)
{
    showAppended();
    std::vector<int> rows;
    rows.reserve(marks.size());
    for (const QPersistentModelIndex &m : marks)
        if (m.isValid())
            rows.push_back(m.row());
    removeRows(std::move(rows));
}

void ListBox::removeSelected() { removeRows(selectedIndexes()); }

// Removes runs of neighbouring rows at once, from the end, so that a large selection goes fast.
// Many scattered rows are removed by building the list anew: the selection model would
// otherwise rework its ranges once per run.
void ListBox::removeRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    size_t runs = 0;
    for (size_t i = 0; i < rows.size(); ++i)
        runs += i == 0 || rows[i] != rows[i - 1] + 1;
    if (runs > 64) {
        rebuildWithout(rows);
        return;
    }
    size_t end = rows.size();
    while (end > 0) {
        size_t begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1)
            --begin;
        model_->removeRun(rows[begin], rows[end - 1]);
        end = begin;
    }
}

void ListBox::rebuildWithout(const std::vector<int> &rows)
{
    showAppended();
    QItemSelectionModel *sel = view_->selectionModel();
    const int current = ListIndex();
    const std::vector<int> selectedBefore = selectedIndexes();
    std::vector<char> gone(size_t(ListCount()), 0);
    for (int r : rows)
        gone[size_t(r)] = 1;
    std::vector<int> newRow(gone.size(), -1);
    QStringList kept;
    kept.reserve(ListCount() - int(rows.size()));
    for (size_t i = 0; i < gone.size(); ++i)
        if (!gone[i]) {
            newRow[i] = int(kept.size());
            kept << model_->items.at(int(i));
        }
    model_->beginResetModel();
    model_->items = kept;
    model_->shown = int(kept.size());
    model_->endResetModel();
    // The items that stay keep their selection, gathered into runs.
    QItemSelection keep;
    int runStart = -1, last = -2;
    for (int r : selectedBefore) {
        const int n = newRow[size_t(r)];
        if (n < 0)
            continue;
        if (n != last + 1) {
            if (runStart >= 0)
                keep.select(model_->index(runStart), model_->index(last));
            runStart = n;
        }
        last = n;
    }
    if (runStart >= 0)
        keep.select(model_->index(runStart), model_->index(last));
    sel->select(keep, QItemSelectionModel::Select);
    if (current >= 0 && newRow[size_t(current)] >= 0)
        sel->setCurrentIndex(model_->index(newRow[size_t(current)]), QItemSelectionModel::NoUpdate);
}

} // namespace forms
