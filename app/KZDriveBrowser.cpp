#include "KZDriveBrowser.h"

#include "KZDriveOutlineModel.h"
#include "KZHistorySummary.h"
#include "KZLog.h"
#include "KZPreferenceKeys.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"
#include "KZSummaryPanel.h"

#include <QHeaderView>
#include <QScrollArea>
#include <QTreeView>

KZDriveBrowser::KZDriveBrowser(KZDriveViewFlavour flavour, QWidget *parent)
    : QSplitter(Qt::Horizontal, parent), m_flavour(flavour),
      m_model(new KZDriveOutlineModel(flavour, this)), m_outline(new QTreeView),
      m_summary(new KZSummaryPanel)
{
    setObjectName(QStringLiteral("driveBrowser"));
    setChildrenCollapsible(false);

    m_outline->setObjectName(QStringLiteral("drivesOutlineView"));
    m_outline->setAccessibleName(tr("Drives"));
    m_outline->setModel(m_model);
    m_outline->setHeaderHidden(true);
    m_outline->setSelectionMode(QAbstractItemView::SingleSelection);
    m_outline->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_outline->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_outline->setUniformRowHeights(true);
    m_outline->setMinimumWidth(240);
    m_outline->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_outline->header()->setStretchLastSection(true);
    addWidget(m_outline);

    auto *scroll = new QScrollArea;
    scroll->setWidget(m_summary);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    addWidget(scroll);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    setSizes({320, 780});

    connect(m_outline->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &KZDriveBrowser::selectionDidChange);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { m_driveSelected = -1; });
    connect(m_summary, &KZSummaryPanel::showAllDriveInformation, this,
            &KZDriveBrowser::showAllDriveInformation);
    connect(m_summary, &KZSummaryPanel::showAllAttributes, this,
            &KZDriveBrowser::showAllAttributes);
    connect(m_summary, &KZSummaryPanel::showAllErrors, this, &KZDriveBrowser::showAllErrors);
    connect(m_summary, &KZSummaryPanel::moreInfoTests, this, &KZDriveBrowser::moreInfoTests);
    connect(m_summary, &KZSummaryPanel::showHistory, this, &KZDriveBrowser::showHistory);
    refreshWindow();
}

const KZDriveList &KZDriveBrowser::drives() const
{
    return m_model->drives();
}

bool KZDriveBrowser::debugLogging() const
{
    return KZPreferences::standard().boolForKey(KZPreferenceKeys::outputDebugMessages);
}

void KZDriveBrowser::setDrives(const KZDriveList &drives)
{
    m_model->setDrives(drives);
    selectDrive(0);
    refreshWindow();
}

void KZDriveBrowser::reloadDrives()
{
    m_model->reload();
    selectDrive(0);
    refreshWindow();
}

void KZDriveBrowser::selectDrive(int row)
{
    const QModelIndex index = m_model->driveIndex(row);
    if (!index.isValid()) {
        m_outline->selectionModel()->clearSelection();
        m_driveSelected = -1;
        return;
    }
    m_outline->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
}

std::shared_ptr<KZSMARTDrive> KZDriveBrowser::selectedDrive() const
{
    if (m_driveSelected < 0 || m_driveSelected >= m_model->drives().size())
        return nullptr;
    return m_model->drives().at(m_driveSelected);
}

void KZDriveBrowser::selectionDidChange()
{
    const QModelIndexList selected = m_outline->selectionModel()->selectedRows();
    m_driveSelected = selected.isEmpty() ? -1 : m_model->driveRow(selected.first());
    const bool debug = debugLogging();
    KZLog::debug(debug, QStringLiteral("Changing selection."));
    KZLog::debug(debug, QStringLiteral("Drive selected: %1").arg(m_driveSelected));
    refreshWindow();
    Q_EMIT driveSelectionChanged();
    // The viewer always unfolds its drives; the main window when the user wants it.
    if (m_flavour == KZDriveViewFlavour::ReportViewer ||
        KZPreferences::standard().boolForKey(KZPreferenceKeys::autoExpandDrives))
        expandDrives();
}

void KZDriveBrowser::expandDrives()
{
    for (int row = 0; row < m_model->rowCount(); ++row)
        m_outline->expand(m_model->driveIndex(row));
}

void KZDriveBrowser::refreshWindow()
{
    const bool debug = debugLogging();
    KZLog::debug(debug, QStringLiteral("Refreshing Window."));
    KZLog::debug(debug, QStringLiteral("Drive selected: %1").arg(m_driveSelected));
    const std::shared_ptr<KZSMARTDrive> drive = selectedDrive();
    const bool fahrenheit =
        KZPreferences::standard().boolForKey(KZPreferenceKeys::displayTempInFahrenheit);
    const bool empty = m_model->drives().isEmpty();
    KZDriveSummaryContent content =
        KZDriveSummary::summarize(drive.get(), empty, m_flavour, fahrenheit);
    if (empty && m_emptyListText) {
        content.status = m_emptyListText->status;
        content.statusReason = m_emptyListText->reason;
    }
    KZHistorySummary::apply(content, drive.get(), m_historyFacts);
    m_summary->showSummary(content);
}

void KZDriveBrowser::setEmptyListText(const std::optional<KZEmptyListText> &text)
{
    m_emptyListText = text;
    refreshWindow();
}
