#include "ui/SiteMapAboutForm.h"

#include "ui/Artwork.h"
#include "ui/Dialogs.h"
#include "ui/ShellOpen.h"
#include "ui/Text.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw::ui {

TfrmSiteMapAbout::TfrmSiteMapAbout(IDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmSiteMapAbout"));
    setWindowTitle(QStringLiteral("About"));
    // A fixed dialog frame with a title and only a close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::Base, Qt::white);
    setPalette(pal);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(ProgramPicture(72));
    image->setFixedSize(72, 72);

    lblAppName_ = new QLabel(AppTitle(), this);
    lblAppName_->setObjectName(QStringLiteral("lblAppName"));
    QFont nameFont = lblAppName_->font();
    nameFont.setPointSize(12);
    nameFont.setBold(true);
    lblAppName_->setFont(nameFont);

    lblAppVersion_ = new QLabel(QStringLiteral("Version 2.0"), this);
    lblAppVersion_->setObjectName(QStringLiteral("lblAppVersion"));
    QFont versionFont = lblAppVersion_->font();
    versionFont.setPointSize(10);
    lblAppVersion_->setFont(versionFont);

    // A link that works from the keyboard too (Tab to it, Enter opens it).
    lblURL_ = new QLabel(this);
    lblURL_->setObjectName(QStringLiteral("lblURL"));
    QString url = QString::fromLatin1(kProductPageUrl);
    lblURL_->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(url.toHtmlEscaped()));
    lblURL_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lblURL_->setCursor(Qt::PointingHandCursor);
    lblURL_->setAccessibleName(url);
    connect(lblURL_, &QLabel::linkActivated, this, [this](const QString&) { lblURLClick(); });

    memo1_ = new QPlainTextEdit(this);
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setReadOnly(true);
    memo1_->setFrameShape(QFrame::NoFrame);
    memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo1_->setPlainText(QStringLiteral("Zephyrix Software Ltd.\n"
                                        "14 Lantern Yard\n"
                                        "Harbourside, Brightwater BW1 4ZX\n"
                                        "Sales: +44 20 7946 0412\n"
                                        "Fax: +44 20 7946 0413"));
    memo1_->setPalette(pal);
    memo1_->setFocusPolicy(Qt::NoFocus);
    memo1_->setAccessibleName(QStringLiteral("Address"));
    memo1_->document()->setDocumentMargin(0);

    btnOk_ = new QPushButton(QStringLiteral("OK"), this);
    btnOk_->setObjectName(QStringLiteral("btnOk"));
    btnOk_->setDefault(true);
    connect(btnOk_, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(lblAppName_);
    text->addWidget(lblAppVersion_);
    text->addWidget(lblURL_);
    text->addWidget(memo1_, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(image, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    setFixedSize(380, 209);
}

void TfrmSiteMapAbout::lblURLClick() {
    OpenDocument(dialogs_, QString::fromLatin1(kProductPageUrl), this);
}

void ShowAboutBox(IDialogs& dialogs, QWidget* parent) {
    // Made for this showing and gone after it.
    TfrmSiteMapAbout dialog(dialogs, parent);
    dialogs.showModal(dialog);
}

} // namespace tw::ui
