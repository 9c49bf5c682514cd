#include "ui/InformationPage.h"

#include "model/ProfileRules.h"
#include "support/NXFiles.h"
#include "support/NXStrings.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tw::ui {

using namespace Qt::StringLiterals;

namespace {

QLabel* MakeLabel(const QString& caption, const QString& name, QWidget* buddy) {
    auto* label = new QLabel(caption);
    label->setObjectName(name);
    SetBuddy(label, buddy);
    label->setWordWrap(true);
    return label;
}

QListWidget* MakeList(const QString& name) {
    auto* list = new QListWidget;
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformItemSizes(true);
    return list;
}

} // namespace

QString DefaultFileTypesText() {
    return QString::fromLatin1(kDefaultFileTypes);
}

InformationPage::InformationPage(TMapProfile& profile, IDialogs& dialogs, QWidget* parent)
    : WizardPage(parent), profile_(profile), dialogs_(dialogs), programFolder_(ProgramFolder()),
      configFolder_(programFolder_) {
    setObjectName(u"tsInformation"_s);
    CreateControls();
    LayOutControls();
    ConnectControls();
}

void InformationPage::CreateControls() {
    editIndex_ = new QLineEdit;
    editIndex_->setObjectName(u"editIndex"_s);
    editIndex_->setPlaceholderText(u"/path/to/site/index.html"_s);
    btnBrowse_ = MakeCommandButton(u"Bro&wse..."_s, u"RzBitBtn2"_s, ButtonTag::BrowseIndex);
    editFileTypes_ = new QLineEdit;
    editFileTypes_->setObjectName(u"editFileTypes"_s);
    btnResetTypes_ = MakeCommandButton(u"Rese&t..."_s, u"RzBitBtn1"_s, ButtonTag::ResetFileTypes);
    lstIgnoreFolders_ = MakeList(u"lstIgnoreFolders"_s);
    btnAddFolder_ = MakeCommandButton(u"&Add..."_s, u"btnAddFolder"_s, ButtonTag::AddIgnoreFolder);
    btnRemoveFolder_ =
        MakeCommandButton(u"&Remove"_s, u"btnRemoveFolder"_s, ButtonTag::RemoveIgnoreFolders);
    btnRemoveFolder_->setEnabled(false);
    lstIgnoreFiles_ = MakeList(u"lstIgnoreFiles"_s);
    btnFileAdd_ = MakeCommandButton(u"A&dd..."_s, u"btnFileAdd"_s, ButtonTag::AddIgnoreFiles);
    btnFileRemove_ =
        MakeCommandButton(u"R&emove"_s, u"btnFileRemove"_s, ButtonTag::RemoveIgnoreFiles);
    btnFileRemove_->setEnabled(false);
    chkUsePageTitles_ = new QCheckBox(u"&Use Page Titles from TITLE Tags"_s);
    chkUsePageTitles_->setObjectName(u"chkUsePageTitles"_s);
    chkUsePageTitles_->setChecked(profile_.UsePageTitles());
    chkLoadLast_ = new QCheckBox(u"&Load Last Saved Profile on next Startup"_s);
    chkLoadLast_->setObjectName(u"chkLoadLast"_s);
    // The link texts a reader wants, applied by the scan.
    cbTrimTitles_ = new QComboBox;
    cbTrimTitles_->setObjectName(u"cbTrimTitles"_s);
    // In the order of TMapTrimTitles.
    cbTrimTitles_->addItems({u"None"_s, u"Automatic"_s, u"This text:"_s});
    cbTrimTitles_->setToolTip(u"Automatic finds the site's name that most titles share"_s);
    cbTrimTitles_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    editTrimTitlesText_ = new QLineEdit;
    editTrimTitlesText_->setObjectName(u"editTrimTitlesText"_s);
    editTrimTitlesText_->setAccessibleName(u"Text to trim from titles"_s);
    editTrimTitlesText_->setEnabled(false);
    chkFolderTitles_ = MakeCheckBox(u"Folders named by t&heir pages' titles"_s,
                                    u"chkFolderTitles"_s, profile_.FolderTitles());
    chkSortByName_ = MakeCheckBox(u"Sort items b&y name"_s, u"chkSortByName"_s,
                                  profile_.ItemSort() == TMapItemSort::msortName);
}

void InformationPage::LayOutControls() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 8);
    grid->setVerticalSpacing(4);
    grid->setHorizontalSpacing(8);
    int row = 0;
    grid->addWidget(MakeLabel(u"Index &Page For Website: (Starting point for Site Map)  Example: "
                              u"/home/me/www/index.html"_s,
                              u"Label9"_s, editIndex_),
                    row++, 0, 1, 2);
    grid->addWidget(editIndex_, row, 0);
    grid->addWidget(btnBrowse_, row++, 1);
    grid->setRowMinimumHeight(row++, 6);
    grid->addWidget(MakeLabel(u"&File Types to include: Format = *.ext1;*.ext2;*.ext3;"_s,
                              u"Label10"_s, editFileTypes_),
                    row++, 0, 1, 2);
    grid->addWidget(editFileTypes_, row, 0);
    grid->addWidget(btnResetTypes_, row++, 1);
    grid->setRowMinimumHeight(row++, 6);

    auto listColumn = [](QLabel* label, QListWidget* list, QPushButton* add, QPushButton* remove) {
        auto* column = new QVBoxLayout;
        column->setSpacing(4);
        column->addWidget(label);
        column->addWidget(list, 1);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(add);
        buttons->addWidget(remove);
        column->addLayout(buttons);
        return column;
    };
    auto* lists = new QHBoxLayout;
    lists->setSpacing(12);
    lists->addLayout(
        listColumn(MakeLabel(u"Sub Folders to &Ignore:"_s, u"Label11"_s, lstIgnoreFolders_),
                   lstIgnoreFolders_, btnAddFolder_, btnRemoveFolder_));
    lists->addLayout(listColumn(MakeLabel(u"Files to I&gnore:"_s, u"Label12"_s, lstIgnoreFiles_),
                                lstIgnoreFiles_, btnFileAdd_, btnFileRemove_));
    grid->addLayout(lists, row, 0, 1, 2);
    grid->setRowStretch(row++, 1);

    auto* options = new QGroupBox(u"Options"_s);
    options->setObjectName(u"RzGroupBox1"_s);
    auto* optionsLayout = new QGridLayout(options);
    optionsLayout->setVerticalSpacing(2);
    optionsLayout->addWidget(chkUsePageTitles_, 0, 0);
    auto* trim = new QHBoxLayout;
    trim->addWidget(MakeLabel(u"Tri&m titles:"_s, u"lblTrimTitles"_s, cbTrimTitles_));
    trim->addWidget(cbTrimTitles_);
    trim->addWidget(editTrimTitlesText_, 1);
    optionsLayout->addLayout(trim, 0, 1);
    optionsLayout->addWidget(chkFolderTitles_, 1, 0);
    optionsLayout->addWidget(chkSortByName_, 1, 1);
    optionsLayout->addWidget(chkLoadLast_, 2, 0);
    grid->addWidget(options, row++, 0, 1, 2);
    grid->setColumnStretch(0, 1);
}

void InformationPage::ConnectControls() {
    connect(editIndex_, &QLineEdit::textChanged, this, &InformationPage::editIndexChange);
    connect(editFileTypes_, &QLineEdit::textChanged, this, &InformationPage::editFileTypesChange);
    connect(lstIgnoreFolders_, &QListWidget::itemSelectionChanged, this,
            &InformationPage::lstIgnoreFoldersClick);
    connect(lstIgnoreFiles_, &QListWidget::itemSelectionChanged, this,
            &InformationPage::lstIgnoreFilesClick);
    connect(chkUsePageTitles_, &QCheckBox::toggled, this,
            [this](bool on) { profile_.SetUsePageTitles(on); });
    connect(cbTrimTitles_, &QComboBox::currentIndexChanged, this,
            &InformationPage::TrimTitlesChange);
    connect(editTrimTitlesText_, &QLineEdit::textChanged, this, &InformationPage::TrimTitlesChange);
    connect(chkFolderTitles_, &QCheckBox::toggled, this,
            [this](bool on) { profile_.SetFolderTitles(on); });
    connect(chkSortByName_, &QCheckBox::toggled, this, [this](bool on) {
        profile_.SetItemSort(on ? TMapItemSort::msortName : TMapItemSort::msortNone);
    });
    connect(chkLoadLast_, &QCheckBox::toggled, this, [this](bool on) {
        loadLast_ = on;
        emit loadLastChanged(on);
    });
    lstIgnoreFolders_->installEventFilter(this);
    lstIgnoreFiles_->installEventFilter(this);
}

bool InformationPage::RunCommand(ButtonTag tag) {
    switch (tag) {
    case ButtonTag::AddIgnoreFolder:
        AddIgnoreFolder();
        return true;
    case ButtonTag::RemoveIgnoreFolders:
        RemoveIgnoreFolders();
        return true;
    case ButtonTag::ResetFileTypes:
        ResetFileTypes();
        return true;
    case ButtonTag::BrowseIndex:
        editIndexButtonClick();
        return true;
    case ButtonTag::AddIgnoreFiles:
        AddIgnoreFiles();
        return true;
    case ButtonTag::RemoveIgnoreFiles:
        RemoveIgnoreFiles();
        return true;
    default:
        return false;
    }
}

bool InformationPage::MayLeave() {
    if (!FolderExists(ExtractFilePath(profile_.IndexPage()))) {
        dialogs_.messageBox(window(), AppTitle(), QString::fromLatin1(kIndexFolderMissing),
                            MsgIcon::None, MsgButtons::Ok);
        FocusIndex();
        return false;
    }
    if (CanonicalFileTypes(profile_.FileTypes()).empty()) {
        dialogs_.messageBox(window(), AppTitle(),
                            u"Please enter the file types to include, such as *.htm;*.html;"_s,
                            MsgIcon::None, MsgButtons::Ok);
        FocusFileTypes();
        return false;
    }
    if (FileExists(profile_.IndexPage()))
        return true;
    MsgResult answer = dialogs_.messageBox(
        window(), AppTitle(),
        u"The index page "_s + ToQ(profile_.IndexPage()) +
            u" does not exist.\n\nThe site map's link to it will not work. Scan its folder "
            u"anyway?"_s,
        MsgIcon::Question, MsgButtons::YesNo);
    if (answer == MsgResult::Yes)
        return true;
    FocusIndex();
    return false;
}

void InformationPage::SetFileTypesText(const QString& text) {
    editFileTypes_->setText(text);
}

void InformationPage::FocusIndex() {
    editIndex_->setFocus();
}

void InformationPage::FocusFileTypes() {
    editFileTypes_->setFocus();
    editFileTypes_->selectAll();
}

void InformationPage::SetLoadLast(bool on) {
    chkLoadLast_->setChecked(on);
}

void InformationPage::ApplyProfile() {
    // The lists have no change handler: their items are the profile's text.
    editIndex_->setText(ToQ(profile_.IndexPage()));
    applying_ = true;
    editFileTypes_->setText(ToQ(profile_.FileTypes()));
    applying_ = false;
    ShowIgnoreLists();
    chkUsePageTitles_->setChecked(profile_.UsePageTitles());
    {
        // Both fields at once: neither may store the other's old value.
        const QSignalBlocker blockCombo(cbTrimTitles_);
        const QSignalBlocker blockText(editTrimTitlesText_);
        cbTrimTitles_->setCurrentIndex(static_cast<int>(profile_.TrimTitles()));
        editTrimTitlesText_->setText(ToQ(profile_.TrimTitlesText()));
    }
    editTrimTitlesText_->setEnabled(profile_.TrimTitles() == TMapTrimTitles::mttText);
    chkFolderTitles_->setChecked(profile_.FolderTitles());
    chkSortByName_->setChecked(profile_.ItemSort() == TMapItemSort::msortName);
}

void InformationPage::TrimTitlesChange() {
    const auto mode = static_cast<TMapTrimTitles>(cbTrimTitles_->currentIndex());
    profile_.SetTrimTitles(mode);
    profile_.SetTrimTitlesText(mode == TMapTrimTitles::mttText ? ToStd(editTrimTitlesText_->text())
                                                               : std::string());
    editTrimTitlesText_->setEnabled(mode == TMapTrimTitles::mttText);
}

void InformationPage::ShowIgnoreLists() {
    auto fill = [](QListWidget* list, const std::string& lines) {
        list->clear();
        for (const std::string& entry : SplitLineList(lines))
            list->addItem(ToQ(entry));
    };
    fill(lstIgnoreFolders_, profile_.IgnoreFolders());
    fill(lstIgnoreFiles_, profile_.IgnoreFiles());
    lstIgnoreFoldersClick();
    lstIgnoreFilesClick();
}

void InformationPage::editIndexChange(const QString& text) {
    profile_.SetIndexPage(ToStd(text));
    // The output page takes it while the user has chosen no output file.
    emit defaultOutputFileProposed(ToQ(ProposedOutputFile(profile_.IndexPage())));
}

void InformationPage::editFileTypesChange(const QString& text) {
    // A profile being shown keeps its stored bytes; the scan matches them
    // in their canonical form anyway.
    if (!applying_)
        profile_.SetFileTypes(CanonicalFileTypes(ToStd(text)));
}

QString InformationPage::PromptOpenFile(const QString& name, const QString& filter) {
    OpenFileRequest request;
    request.filter = filter;
    if (!name.isEmpty()) {
        std::string path = ToStd(name);
        std::string folder = ExtractFilePath(path);
        if (!FolderExists(folder))
            folder = configFolder_ + "Profiles" + kPathDelim;
        if (FolderExists(folder))
            request.startFolder = ToQ(folder);
        if (FileExists(path))
            request.fileName = name;
    }
    QStringList chosen = dialogs_.openFiles(window(), request);
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

void InformationPage::editIndexButtonClick() {
    QString chosen =
        PromptOpenFile(editIndex_->text(),
                       u"HTML Files (*.htm, *.html, *.shtml, *.php, *.php4, *.php5, *.asp)|"
                       u"*.htm;*.html;*.shtml;*.php;*.php4;*.php5;*.asp;|All Files (*.*)|*.*"_s);
    if (chosen.isEmpty())
        return;
    editIndex_->setText(chosen);

    const std::string newFolder = AsciiLowerCase(ExtractFilePath(ToStd(chosen)));
    auto valid = [&newFolder](const std::string& entry) {
        return AsciiLowerCase(entry).starts_with(newFolder);
    };
    bool allValid = true;
    for (const std::string& entry : Entries(lstIgnoreFolders_))
        allValid = allValid && valid(entry);
    if (allValid)
        return;
    MsgResult answer = dialogs_.messageBox(
        window(), u"Subfolders Invalid"_s,
        u"One or more the subfolders in the folder ignore list is no longer valid for the index "
        u"file path.\r\n\r\nKeeping these in the list won't affect the output.\r\n\r\nWould you "
        u"like to remove the invalid entries?"_s,
        MsgIcon::Question, MsgButtons::YesNo);
    if (answer != MsgResult::Yes)
        return;
    for (int i = lstIgnoreFolders_->count() - 1; i >= 0; --i)
        if (!valid(ToStd(lstIgnoreFolders_->item(i)->text())))
            delete lstIgnoreFolders_->takeItem(i);
    StoreIgnoreFolders();
}

void InformationPage::AddIgnoreFolder() {
    std::string folder = ExtractFilePath(profile_.IndexPage());
    if (!FolderExists(folder)) {
        dialogs_.messageBox(window(), u"Select Index File First"_s,
                            u"Folders to ignore is based on the path of the index file, please "
                            u"select the index file before selecting folders to ignore."_s,
                            MsgIcon::Warning, MsgButtons::Ok);
        editIndex_->setFocus();
        return;
    }
    FolderRequest request;
    request.title = u"Select a Folder to Ignore"_s;
    if (ignoreFolderRoot_.empty()) {
        std::string root = FolderExists(folder) ? folder : programFolder_;
        if (FolderExists(root))
            ignoreFolderRoot_ = root;
    }
    request.root = ToQ(ignoreFolderRoot_);
    // Later uses keep the first root and start where the user chose last.
    request.start = ToQ(lastIgnoreFolder_.empty() ? ignoreFolderRoot_ : lastIgnoreFolder_);
    QString chosen = dialogs_.folder(window(), request);
    if (chosen.isEmpty())
        return;
    lastIgnoreFolder_ = ToStd(chosen);
    std::string path = AddTrailingBackslash(ToStd(chosen));
    int existing = FindEntry(lstIgnoreFolders_, path);
    if (existing < 0) {
        lstIgnoreFolders_->addItem(ToQ(path));
        StoreIgnoreFolders();
        return;
    }
    dialogs_.messageBox(window(), AppTitle(), u"The folder you selected is already in the list."_s,
                        MsgIcon::None, MsgButtons::Ok);
    lstIgnoreFolders_->setCurrentRow(existing, QItemSelectionModel::ClearAndSelect);
    lstIgnoreFolders_->setFocus();
}

void InformationPage::AddIgnoreFiles() {
    std::string folder = ExtractFilePath(profile_.IndexPage());
    if (!FolderExists(folder))
        folder = programFolder_;
    OpenFileRequest request;
    request.startFolder = ToQ(folder);
    request.filter = u"All Files (*.*)|*.*"_s;
    request.multiSelect = true;
    const QStringList chosen = dialogs_.openFiles(window(), request);
    for (const QString& file : chosen) {
        std::string path = AsciiLowerCase(ToStd(file));
        if (FindEntry(lstIgnoreFiles_, path) >= 0)
            continue;
        lstIgnoreFiles_->addItem(ToQ(path));
        StoreIgnoreFiles();
    }
}

void InformationPage::RemoveSelected(QListWidget* list, void (InformationPage::*store)(),
                                     void (InformationPage::*click)()) {
    for (int i = list->count() - 1; i >= 0; --i) {
        if (list->item(i)->isSelected()) {
            delete list->takeItem(i);
            if (list->count() > 0) {
                // The current entry keeps its place (or the new last one).
                list->setCurrentRow(std::min(i, list->count() - 1), QItemSelectionModel::NoUpdate);
                (this->*click)();
            }
        }
        // Stored after every entry, so a Remove always marks the profile.
        (this->*store)();
    }
    (this->*click)();
}

void InformationPage::RemoveIgnoreFolders() {
    RemoveSelected(lstIgnoreFolders_, &InformationPage::StoreIgnoreFolders,
                   &InformationPage::lstIgnoreFoldersClick);
}

void InformationPage::RemoveIgnoreFiles() {
    RemoveSelected(lstIgnoreFiles_, &InformationPage::StoreIgnoreFiles,
                   &InformationPage::lstIgnoreFilesClick);
}

void InformationPage::ResetFileTypes() {
    MsgResult answer = dialogs_.messageBox(
        window(), u"Reset File Types"_s,
        u"Do you wish to reset the File Types to include to the following default?\n\n"_s +
            DefaultFileTypesText(),
        MsgIcon::Question, MsgButtons::YesNo);
    if (answer == MsgResult::Yes)
        editFileTypes_->setText(DefaultFileTypesText());
}

void InformationPage::lstIgnoreFoldersClick() {
    btnRemoveFolder_->setEnabled(!lstIgnoreFolders_->selectedItems().isEmpty());
}

void InformationPage::lstIgnoreFilesClick() {
    btnFileRemove_->setEnabled(!lstIgnoreFiles_->selectedItems().isEmpty());
}

bool InformationPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        QPushButton* remove = watched == lstIgnoreFolders_ ? btnRemoveFolder_
                              : watched == lstIgnoreFiles_ ? btnFileRemove_
                                                           : nullptr;
        if (remove) {
            // As a click of the button, through the window's click handler.
            if (remove->isEnabled())
                emit buttonClicked(remove);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::vector<std::string> InformationPage::Entries(const QListWidget* list) {
    std::vector<std::string> entries;
    entries.reserve(static_cast<size_t>(list->count()));
    for (int i = 0; i < list->count(); ++i)
        entries.push_back(ToStd(list->item(i)->text()));
    return entries;
}

int InformationPage::FindEntry(const QListWidget* list, const std::string& entry) {
    for (int i = 0; i < list->count(); ++i)
        if (SameTextIgnoringCase(ToStd(list->item(i)->text()), entry))
            return i;
    return -1;
}

void InformationPage::StoreIgnoreFolders() {
    profile_.SetIgnoreFolders(JoinLineList(Entries(lstIgnoreFolders_)));
}

void InformationPage::StoreIgnoreFiles() {
    profile_.SetIgnoreFiles(JoinLineList(Entries(lstIgnoreFiles_)));
}

} // namespace tw::ui
