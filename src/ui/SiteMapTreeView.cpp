#include "ui/SiteMapTreeView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <vector>

namespace tw::ui {

SiteMapTreeView::SiteMapTreeView(QWidget* parent) : QTreeView(parent) {}

void SiteMapTreeView::keyPressEvent(QKeyEvent* event) {
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (key == Qt::Key_F2 && mods == Qt::NoModifier) {
        emit renameKeyPressed();
        return;
    }
    if (key == Qt::Key_Delete && mods == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            emit deleteKeyPressed();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::AltModifier) {
        emit propertiesKeyPressed();
        return;
    }
    if (key == Qt::Key_Asterisk && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        if (currentIndex().isValid())
            ExpandSubtree(currentIndex());
        return;
    }
    QTreeView::keyPressEvent(event);
}

void SiteMapTreeView::ExpandSubtree(const QModelIndex& top) {
    if (!model() || !top.isValid())
        return;
    // With a layout pending, each expand only records the item.
    scheduleDelayedItemsLayout();
    std::vector<QModelIndex> pending{top};
    while (!pending.empty()) {
        QModelIndex index = pending.back();
        pending.pop_back();
        const int rows = model()->rowCount(index);
        if (rows == 0)
            continue;
        expand(index);
        for (int row = rows - 1; row >= 0; --row)
            pending.push_back(model()->index(row, 0, index));
    }
    executeDelayedItemsLayout();
}

void SiteMapTreeView::CommitEdit() {
    if (state() != EditingState)
        return;
    // The delegate's editor of a text is a line edit on the viewport.
    for (QLineEdit* editor : viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void SiteMapTreeView::contextMenuEvent(QContextMenuEvent* event) {
    bool fromMouse = event->reason() == QContextMenuEvent::Mouse;
    QModelIndex index;
    if (fromMouse)
        index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    emit contextMenuAsked(index, event->globalPos(), fromMouse);
    event->accept();
}

void SiteMapTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool onItem = indexAt(event->position().toPoint()).isValid();
    QTreeView::mouseDoubleClickEvent(event);
    if (!onItem && event->button() == Qt::LeftButton)
        emit emptySpaceDoubleClicked();
}

} // namespace tw::ui
