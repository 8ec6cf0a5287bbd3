#pragma once

#include "KZCheckHistory.h"
#include "KZDriveSummary.h"
#include "KZSMARTScanner.h"

#include <QSplitter>
#include <memory>

class KZDriveOutlineModel;
class KZSummaryPanel;
class QTreeView;

// The drive outline beside the summary of the selected drive: what the main
// window and every report viewer window show, each with its own drive list
// and selection. The flavour chooses the few rules in which the two differ.
class KZDriveBrowser : public QSplitter
{
    Q_OBJECT

public:
    explicit KZDriveBrowser(KZDriveViewFlavour flavour, QWidget *parent = nullptr);

    KZDriveViewFlavour flavour() const { return m_flavour; }

    // Shows a new drive list, selects its first drive and fills the summary.
    void setDrives(const KZDriveList &drives);
    // After the drives were refreshed: reads the rows again, selects the
    // first drive and fills the summary.
    void reloadDrives();
    const KZDriveList &drives() const;

    // Fills the summary from the selected drive (refreshWindow).
    void refreshWindow();
    // What the history of checks knows of the drives: the History button
    // and the trends under the bad-sector counts. Shown at the next refresh.
    void setHistoryFacts(const KZHistoryFacts &facts) { m_historyFacts = facts; }
    // What the summary says while the list is empty (the default: "NO DRIVES").
    void setEmptyListText(const std::optional<KZEmptyListText> &text);
    // Selects a drive by its position in the list (replacing the selection).
    void selectDrive(int row);
    // The selected drive's position in the list, or -1 (driveSelected).
    int driveSelected() const { return m_driveSelected; }
    std::shared_ptr<KZSMARTDrive> selectedDrive() const;

    KZDriveOutlineModel *outlineModel() const { return m_model; }
    QTreeView *outlineView() const { return m_outline; }
    KZSummaryPanel *summaryPanel() const { return m_summary; }

Q_SIGNALS:
    // The user (or the program) selected another drive.
    void driveSelectionChanged();
    // The four buttons, pressed for the selected drive.
    void showAllDriveInformation();
    void showAllAttributes();
    void showAllErrors();
    void moreInfoTests();
    void showHistory();

private:
    void selectionDidChange();
    void expandDrives();
    bool debugLogging() const;

    KZDriveViewFlavour m_flavour;
    KZDriveOutlineModel *m_model;
    QTreeView *m_outline;
    KZSummaryPanel *m_summary;
    int m_driveSelected = -1;
    KZHistoryFacts m_historyFacts;
    std::optional<KZEmptyListText> m_emptyListText;
};
