// SPDX-License-Identifier: GPL-2.0-or-later
// A list box: a list of texts with a current item (ListIndex) and, with MultiSelect, a
// selection of several items (Selected). Extended selection (MultiSelect 2) works as users
// expect: a click selects one item, Shift extends from the anchor, Ctrl adds or removes one.
// The toolkit's own Ctrl+C, Ctrl+A and right-button selection are off: the program's key
// handlers alone decide what keys do, and a right press leaves the selection alone.
#pragma once

#include "platform/forms/Control.h"

#include <QPersistentModelIndex>
#include <QStringList>

#include <vector>

class QListView;
class QTimer;

namespace forms {

class ListBox : public Control
{
    Q_OBJECT
public:
    ListBox(Form &form, const QString &name, Control *container = nullptr);
    ~ListBox() override;

    // 0 one item, 1 simple (a click toggles), 2 extended.
    int MultiSelect() const { return multiSelect_; }
    void setMultiSelect(int mode);

    // Appends the item, or inserts it before index.
    void AddItem(const QString &item, int index = -1);
    void RemoveItem(int index);
    void Clear();
    int ListCount() const;
    QString List(int index) const; // empty outside the list
    void setList(int index, const QString &text);
    // The current item, -1 for none. Setting it makes that item current (and, without
    // MultiSelect, the selected one) and raises Click.
    int ListIndex() const;
    void setListIndex(int index);
    // The current item's text, empty without one.
    QString Text() const;
    bool Selected(int index) const;
    void setSelected(int index, bool on);
    int SelCount() const;
    // The selected items' positions in list order.
    std::vector<int> selectedIndexes() const;
    // The first item in view; setting it scrolls the list.
    int TopIndex() const;
    void setTopIndex(int index);

    // Items remembered across later changes of the list: they follow insertions and removals.
    using Marks = std::vector<QPersistentModelIndex>;
    Marks markSelected() const;
    // Removes the marked items that are still in the list.
    void removeMarked(const Marks &marks);
    // Removes every selected item.
    void removeSelected();

    QListView *view() const { return view_; }
    // Items appended at the end reach the view within about 10 ms; this hands them over now.
    void showAppended() const;

protected:
    bool clickFromMouse() const override { return false; }
    QWidget *dropWidget() const override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    class Model;
    Model *model_;
    QListView *view_;

private:
    void removeRows(std::vector<int> rows);
    void rebuildWithout(const std::vector<int> &rows);
    int multiSelect_ = 0;
    QTimer *flushTimer_ = nullptr;
};

} // namespace forms
