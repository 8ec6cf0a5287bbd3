#pragma once

#include "KZDriveSummary.h"
#include "KZSMARTScanner.h"

#include <QAbstractItemModel>
#include <QList>
#include <memory>

// The drive outline's items: one row per drive of a drive list and, under a
// drive, its partitions. The texts and colours are read from the drives when
// the list is set or reloaded, never while the view paints, so a view may
// repaint while a refresh changes the drives on another thread.
class KZDriveOutlineModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit KZDriveOutlineModel(KZDriveViewFlavour flavour, QObject *parent = nullptr);

    KZDriveViewFlavour flavour() const { return m_flavour; }

    // Shows these drives (shared with their owner, not copied).
    void setDrives(const KZDriveList &drives);
    // Reads the rows again from the same drives.
    void reload();
    const KZDriveList &drives() const { return m_drives; }

    // The drive of a drive row (or of a partition row's parent); null otherwise.
    std::shared_ptr<KZSMARTDrive> driveAt(const QModelIndex &index) const;
    // The drive row's position among the drives, or -1.
    int driveRow(const QModelIndex &index) const;
    QModelIndex driveIndex(int row) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        QString text;
        KZTone tone = KZTone::Normal;
        int health = 0; // the icon's status: 1, 2, 3, or 0 for none
        QList<Row> partitions;
    };
    QList<Row> readRows() const;

    KZDriveViewFlavour m_flavour;
    KZDriveList m_drives;
    QList<Row> m_rows;
};
