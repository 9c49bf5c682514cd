#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tw::ui {

class IDialogs;

inline constexpr const char* kProductPageUrl = "https://www.zephyrix.example/trailwright/";
inline constexpr const char* kOnlineHelpUrl = "https://www.zephyrix.example/help/";
inline constexpr const char* kSupportUrl = "https://www.zephyrix.example/contact/";

// The About dialog: product name, version, the product page and the maker's
// address.
class TfrmSiteMapAbout : public QDialog {
    Q_OBJECT
public:
    TfrmSiteMapAbout(IDialogs& dialogs, QWidget* parent = nullptr);

    void lblURLClick();

private:
    IDialogs& dialogs_;
    QLabel* lblAppName_;
    QLabel* lblAppVersion_;
    QLabel* lblURL_;
    QPlainTextEdit* memo1_;
    QPushButton* btnOk_;
};

// Shows the About dialog modally and releases it.
void ShowAboutBox(IDialogs& dialogs, QWidget* parent);

} // namespace tw::ui
