#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tw::ui {

class PathLabel;

// The item properties dialog: the link text and link URL of one node.
class TfrmSiteMapItemProp : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSiteMapItemProp(QWidget* parent = nullptr);

    // Findings, one a line, show read-only below the fields; none, no box.
    void SetItem(const QString& filePath, const QString& linkText, const QString& linkURL,
                 const QString& findings = {});
    QString LinkText() const;
    QString LinkURL() const;
    // The findings shown; empty when the box is hidden.
    QString Findings() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitHeight();

    PathLabel* lblLinkFileName_;
    QLineEdit* editLinkText_;
    QLineEdit* editLinkURL_;
    QLabel* findingsCaption_;
    QPlainTextEdit* memoFindings_;
};

// Shows the dialog for one node; true when confirmed with OK, and then
// LinkText and LinkURL hold the edited texts. Anything else, an error
// included, returns false and leaves them alone.
bool EditSiteMapItem(QWidget* owner, const QString& filePath, QString& linkText, QString& linkURL,
                     const QString& findings = {});

} // namespace tw::ui
