#pragma once

#include <QDialog>

class QLineEdit;

namespace tw::ui {

class PathLabel;

// The item properties dialog: the link text and link URL of one node.
class TfrmSiteMapItemProp : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSiteMapItemProp(QWidget* parent = nullptr);

    void SetItem(const QString& filePath, const QString& linkText, const QString& linkURL);
    QString LinkText() const;
    QString LinkURL() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PathLabel* lblLinkFileName_;
    QLineEdit* editLinkText_;
    QLineEdit* editLinkURL_;
};

// Shows the dialog for one node; true when confirmed with OK, and then
// LinkText and LinkURL hold the edited texts. Anything else, an error
// included, returns false and leaves them alone.
bool EditSiteMapItem(QWidget* owner, const QString& filePath, QString& linkText, QString& linkURL);

} // namespace tw::ui
