#pragma once

#include <QTreeView>

namespace tw::ui {

// The tree view of the results page: hands its keys and context-menu
// requests to the page.
class SiteMapTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit SiteMapTreeView(QWidget* parent = nullptr);

    // Opens Top and every item below it that has children, with one layout
    // at the end. Qt's own recursive expansion also records every leaf as
    // expanded, which makes each later row removal walk them all.
    void ExpandSubtree(const QModelIndex& top);
    // Stores and closes an open in-place editor.
    void CommitEdit();

signals:
    void renameKeyPressed();
    void deleteKeyPressed();
    void propertiesKeyPressed();
    // A double click on no item; QTreeView tells only those on an item.
    void emptySpaceDoubleClicked();
    // Index is the node under the mouse pointer, invalid for a request from
    // the keyboard or over empty space.
    void contextMenuAsked(const QModelIndex& index, const QPoint& globalPos, bool fromMouse);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace tw::ui
