#pragma once

#include "KZDetailWindowController.h"
#include "KZHistorySeries.h"

#include <QDateTime>
#include <QMap>
#include <functional>

class KZHistoryTableModel;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QTableView;

// The history window of a drive ("%@ History"): line charts of its
// temperature, of its four bad-sector counts and of any attribute chosen in
// the list (value or raw value), over the chosen range, each point coloured
// by the status of its check and described when the pointer rests on it;
// beside them a table of the same rows for screen readers and copying.
// The rows are read on the background pool (a year of checks never holds up
// the window), again at every update of the drive.
class KZHistoryController : public KZDetailWindowController
{
    Q_OBJECT

public:
    explicit KZHistoryController(QWidget *parent = nullptr);
    ~KZHistoryController() override;

    // Where the history is read (default: the user's) and the time now.
    void setHistoryPath(const QString &path) { m_path = path; }
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    void updateWindow() override;

    KZHistoryTableModel *tableModel() const { return m_model; }
    QTableView *table() const { return m_table; }
    QComboBox *rangeSelector() const { return m_range; }
    QComboBox *attributeSelector() const { return m_attribute; }
    QComboBox *plotSelector() const { return m_plot; }
    QLabel *stateLabel() const { return m_state; }
    const QList<QChartView *> &chartViews() const { return m_views; }
    // Whether rows are being read.
    bool isLoading() const { return m_loading; }
    // The drive key the window shows (KZHealthHistory::keyOf).
    const QString &driveKey() const { return m_key; }
    // The text shown for the point of `row` (its time and values).
    QString pointText(qsizetype row) const;

Q_SIGNALS:
    // The rows read last are shown.
    void rowsShown();

private:
    struct Loaded;
    void reload();
    void show(const Loaded &loaded);
    void plot(QChart *chart, const QList<KZHistorySeries::Quantity> &quantities, qint32 attribute);
    void fillAttributes(const QMap<qint32, QString> &names);
    void copySelection();
    KZHistorySeries::Range range() const;
    qint32 chosenAttribute() const;
    QString chosenAttributeName() const;

    QString m_path;
    std::function<QDateTime()> m_clock;
    QString m_key;
    quint64 m_generation = 0;
    bool m_loading = false;
    KZHistoryTableModel *m_model;
    QTableView *m_table;
    QComboBox *m_range;
    QComboBox *m_attribute;
    QComboBox *m_plot;
    QLabel *m_state;
    QList<QChartView *> m_views;
    QMap<QLineSeries *, QList<KZHistorySeries::Point>> m_points;
};
