#pragma once

#include "model/SiteMapProfile.h"
#include "model/SiteMapTree.h"
#include "ui/SiteMapTreeView.h"
#include "ui/WizardPage.h"

#include <QPersistentModelIndex>
#include <QTreeView>
#include <QWidget>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;

namespace tw::ui {

class FindingsListModel;
class IDialogs;
class PathLabel;
class SiteCheckRun;
class SiteMapTreeModel;

// Wizard page 2: the site map tree with in-place editing, deletion, the
// ignore-list commands and the item properties dialog, and Check Site with
// its findings on the tree's nodes and in a list below it.
class ResultsPage : public WizardPage {
    Q_OBJECT
public:
    ResultsPage(TSiteMapTree& tree, TMapProfile& profile, IDialogs& dialogs,
                QWidget* parent = nullptr);

    SiteMapTreeModel* Model() const { return model_; }
    SiteMapTreeView* TreeView() const { return tvMap_; }
    QMenu* ContextMenu() const { return pumResults_; }
    SiteMapNode* ContextNode() const { return contextNode_; }
    SiteMapNode* SelectedNode() const;
    void SelectNode(SiteMapNode* node);

    // After a scan: the root expanded, selected, in view, and shown below.
    void ShowScanResult();
    void SetLinkFileName(const QString& path);
    // The part the scan cut from the titles (the site's name); empty: none,
    // and the line is hidden.
    void SetTrimmedPart(const QString& part);

    void tvMapClick();
    void DeleteSelectedNodes();
    void EditNodeProperties(SiteMapNode* node);
    void StartEdit(SiteMapNode* node);
    // Opens the menu for Node (or does nothing without one).
    void tvMapNodeContextMenu(SiteMapNode* node, const QPoint& globalPos);

    void miAddIgnoreFolderClick();
    void miIgnoreFileClick();
    void miDeleteClick();
    void miRenameClick();
    void miPropertiesClick();

    // The profile as the last scan started: the site that Check Site checks.
    // Forgets the findings of the site before.
    void SetScannedProfile(const TMapProfile& profile);
    // Where Check Site keeps the online answers between runs.
    void SetExternalCache(const std::string& file);
    // Check Site: runs on a thread of its own while the page shows its
    // progress; the tree cannot be edited meanwhile.
    void StartCheck();
    // Stops a running check and waits for its thread; true when one ran.
    bool StopCheck();
    bool Checking() const;
    void ClearFindings();
    SiteCheckRun* CheckRun() const { return checkRun_; }
    QTreeView* FindingsList() const { return lvFindings_; }
    // Selects the node of the finding in Row of the list (as the kind
    // chosen filters it), when it has one.
    void ActivateFinding(int row);
    // Shows only the branches of the tree that hold findings, or all again.
    void SetProblemsOnly(bool on);
    void SaveReport();

signals:
    // An ignore command added an entry to one of the profile's lists.
    void ignoreListsChanged();
    // A check started (true) or ended, however it ended.
    void checkRunningChanged(bool running);

private:
    void ForgetContextNodeWithin(SiteMapNode* removed);
    bool ConfirmRemoval();
    QWidget* BuildCheckPanel();
    void SetChecking(bool on);
    void ShowCheckProgress(int phase, qint64 done, qint64 total);
    void CheckFinished();
    void FillFindings();
    void RefreshFindings(const std::vector<size_t>& findings);
    void RefreshNodeFindings(const SiteMapNode* node);
    void ShowHiddenRows();
    // The kinds list box: all kinds, then each kind found, with the counts.
    void FillFindingKinds();
    void ShowFindingKind(int entry);

    TSiteMapTree& tree_;
    TMapProfile& profile_;
    IDialogs& dialogs_;
    SiteMapTreeModel* model_;
    SiteMapTreeView* tvMap_;
    PathLabel* lblLinkFileName_;
    QMenu* pumResults_;
    QAction* miAddIgnoreFolder_;
    QAction* miIgnoreFile_;
    QAction* miDelete_;
    QAction* miRename_;
    QAction* miProperties_;
    SiteMapNode* contextNode_ = nullptr;

    TMapProfile scannedProfile_;
    bool scanned_ = false;
    SiteCheckRun* checkRun_;
    QSplitter* splitter_;
    QPushButton* btnCheckSite_;
    QCheckBox* cbCheckExternal_;
    QWidget* pnlCheck_;
    QLabel* lblTrimmedPart_;
    QLabel* lblCheckFindings_;
    QLabel* lblCheckProgress_;
    QProgressBar* pbCheck_;
    QCheckBox* cbProblemsOnly_;
    QPushButton* btnSaveReport_;
    QLabel* lblFindingKind_;
    QComboBox* cboFindingKind_;
    QTreeView* lvFindings_;
    FindingsListModel* findingsModel_;
    // The rows Problems only hid: the clean branches below marked ones.
    std::vector<QPersistentModelIndex> hiddenRows_;
};

} // namespace tw::ui
