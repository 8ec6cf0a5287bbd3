#include "KZHistoryController.h"

#include "KZBackground.h"
#include "KZCheckHistory.h"
#include "KZDriveColours.h"
#include "KZHealthHistory.h"
#include "KZHistoryTableModel.h"
#include "KZPreferences.h"
#include "KZSMARTDrive.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPointer>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <memory>

using Quantity = KZHistorySeries::Quantity;

namespace {

// About one point for every three pixels of a chart: each point stays a dot
// of its own colour.
constexpr int maxPoints = 240;

KZStatusStyle styleOf(const QString &status)
{
    if (status == QLatin1String("PASSED"))
        return KZStatusStyle::Passed;
    if (status == QLatin1String("FAILING"))
        return KZStatusStyle::Failing;
    if (status == QLatin1String("FAILED"))
        return KZStatusStyle::Failed;
    if (status == QLatin1String("TESTING"))
        return KZStatusStyle::Testing;
    if (status == QLatin1String("UNSUPPORTED"))
        return KZStatusStyle::Unsupported;
    return KZStatusStyle::Unknown;
}

// The device name a drive's windows carry in their titles.
QString deviceName(const KZSMARTDrive &drive)
{
    if (drive.driveFromFile())
        return QFileInfo(drive.driveLocation()).fileName();
    if (drive.drivePartitionCount() == 1)
        return drive.partitionNameAtIndex(0);
    return drive.driveLocationID();
}

QChartView *makeChartView(const QString &title, const QString &accessibleName)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    auto *view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setAccessibleName(accessibleName);
    view->setMinimumHeight(180);
    return view;
}

} // namespace

struct KZHistoryController::Loaded
{
    quint64 generation = 0;
    bool off = false;
    bool failed = false;
    QString error;
    QList<KZHistoryRow> rows;
    QMap<qint32, QString> names;
    qint32 attribute = 0;
};

KZHistoryController::KZHistoryController(QWidget *parent)
    : KZDetailWindowController(parent), m_path(KZCheckHistory::defaultPath()),
      m_clock([] { return QDateTime::currentDateTime(); }), m_model(new KZHistoryTableModel(this)),
      m_table(new QTableView), m_range(new QComboBox), m_attribute(new QComboBox),
      m_plot(new QComboBox), m_state(new QLabel)
{
    setObjectName(QStringLiteral("historyWindow"));

    auto *controls = new QHBoxLayout;
    const auto addSelector = [controls](const QString &caption, QComboBox *box,
                                        const QString &name) {
        auto *label = new QLabel(caption);
        label->setBuddy(box);
        box->setObjectName(name);
        box->setAccessibleName(QString(caption).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
        controls->addWidget(label);
        controls->addWidget(box);
        controls->addSpacing(12);
    };
    for (KZHistorySeries::Range range : KZHistorySeries::ranges())
        m_range->addItem(KZHistorySeries::rangeName(range), int(range));
    m_range->setCurrentIndex(1);
    addSelector(tr("&Range:"), m_range, QStringLiteral("historyRange"));
    m_attribute->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_attribute->setMinimumContentsLength(24);
    addSelector(tr("&Attribute:"), m_attribute, QStringLiteral("historyAttribute"));
    m_plot->addItem(tr("Value"), false);
    m_plot->addItem(tr("Raw value"), true);
    addSelector(tr("&Plot:"), m_plot, QStringLiteral("historyPlot"));
    controls->addStretch(1);
    m_state->setObjectName(QStringLiteral("historyState"));
    controls->addWidget(m_state);

    auto *charts = new QWidget;
    auto *chartLayout = new QVBoxLayout(charts);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    m_views = {makeChartView(tr("Temperature (°C)"), tr("Temperature chart")),
               makeChartView(tr("Bad sectors and interface errors"), tr("Bad sectors chart")),
               makeChartView(tr("Attribute"), tr("Attribute chart"))};
    m_views.at(0)->setObjectName(QStringLiteral("temperatureChart"));
    m_views.at(1)->setObjectName(QStringLiteral("badSectorsChart"));
    m_views.at(2)->setObjectName(QStringLiteral("attributeChart"));
    for (QChartView *view : std::as_const(m_views))
        chartLayout->addWidget(view, 1);

    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setAccessibleName(tr("Recorded checks"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->hide();
    // Rows as tall as a line of text: more checks in sight.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Columns as wide as the header and the rows in sight: a year of checks
    // is not measured row by row.
    m_table->horizontalHeader()->setResizeContentsPrecision(0);
    auto *copy = new QShortcut(QKeySequence::Copy, m_table, nullptr, nullptr,
                               Qt::WidgetWithChildrenShortcut);
    connect(copy, &QShortcut::activated, this, &KZHistoryController::copySelection);

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(charts);
    splitter->addWidget(m_table);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(splitter, 1);
    // Fits a 1366 x 768 screen with a panel and the window's frame.
    resize(1200, 680);
    splitter->setSizes({560, 640});

    connect(m_range, &QComboBox::currentIndexChanged, this, &KZHistoryController::reload);
    connect(m_attribute, &QComboBox::currentIndexChanged, this, &KZHistoryController::reload);
    connect(m_plot, &QComboBox::currentIndexChanged, this, &KZHistoryController::reload);
}

KZHistoryController::~KZHistoryController() = default;

KZHistorySeries::Range KZHistoryController::range() const
{
    return KZHistorySeries::Range(m_range->currentData().toInt());
}

qint32 KZHistoryController::chosenAttribute() const
{
    return m_attribute->currentData().toInt();
}

QString KZHistoryController::chosenAttributeName() const
{
    return m_attribute->currentText();
}

void KZHistoryController::updateWindow()
{
    if (!m_drive)
        return;
    setWindowTitle(tr("%1 History").arg(deviceName(*m_drive)));
    m_key = KZHealthHistory::keyOf(*m_drive);
    reload();
}

void KZHistoryController::reload()
{
    if (m_key.isEmpty())
        return;
    const quint64 generation = ++m_generation;
    m_loading = true;
    m_state->setText(tr("Reading the history..."));
    auto loaded = std::make_shared<Loaded>();
    loaded->generation = generation;
    loaded->attribute = chosenAttribute();
    const QString path = m_path;
    const QString key = m_key;
    const QDateTime since = KZHistorySeries::rangeStart(range(), m_clock());
    loaded->off = KZCheckHistory::retentionDays(KZPreferences::standard()) <= 0;
    const QPointer<KZHistoryController> self(this);
    KZBackground::run(
        this,
        [loaded, path, key, since] {
            if (loaded->off)
                return;
            KZCheckHistory history(path);
            loaded->names = history.attributeNames(key);
            if (loaded->attribute == 0 && !loaded->names.isEmpty())
                loaded->attribute = loaded->names.firstKey();
            const std::optional<QList<KZHistoryRow>> rows = history.rows(
                key, since,
                loaded->attribute > 0 ? std::optional<qint32>(loaded->attribute) : std::nullopt);
            if (rows)
                loaded->rows = *rows;
            else {
                loaded->failed = true;
                loaded->error = history.errorString();
            }
        },
        [self, loaded] {
            if (self && loaded->generation == self->m_generation)
                self->show(*loaded);
        });
}

void KZHistoryController::fillAttributes(const QMap<qint32, QString> &names)
{
    const QSignalBlocker blocker(m_attribute);
    const qint32 chosen = chosenAttribute();
    m_attribute->clear();
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        m_attribute->addItem(it.value().isEmpty()
                                 ? QString::number(it.key())
                                 : QStringLiteral("%1 %2").arg(it.key()).arg(it.value()),
                             it.key());
    const int index = m_attribute->findData(chosen);
    m_attribute->setCurrentIndex(index >= 0 ? index : 0);
    m_attribute->setEnabled(!names.isEmpty());
}

void KZHistoryController::show(const Loaded &loaded)
{
    m_loading = false;
    fillAttributes(loaded.names);
    const qint32 attribute = loaded.attribute;
    if (m_attribute->findData(attribute) >= 0) {
        const QSignalBlocker blocker(m_attribute);
        m_attribute->setCurrentIndex(m_attribute->findData(attribute));
    }
    const bool raw = m_plot->currentData().toBool();
    m_model->setRows(loaded.rows, attribute, attribute > 0 ? chosenAttributeName() : QString(),
                     raw);
    if (loaded.off)
        m_state->setText(tr("The history of checks is switched off in the preferences."));
    else if (loaded.failed)
        m_state->setText(tr("The history could not be read: %1").arg(loaded.error));
    else if (loaded.rows.isEmpty())
        m_state->setText(tr("No checks of this drive are recorded in this range."));
    else
        m_state->setText(loaded.rows.size() == 1 ? tr("1 check")
                                                 : tr("%1 checks").arg(loaded.rows.size()));

    m_points.clear();
    plot(m_views.at(0)->chart(), {Quantity::Temperature}, 0);
    plot(m_views.at(1)->chart(),
         {Quantity::Reallocated, Quantity::Pending, Quantity::OfflineUncorrectable,
          Quantity::CrcErrors},
         0);
    m_views.at(2)->chart()->setTitle(attribute == 0 ? tr("Attribute")
                                     : raw
                                         ? tr("Attribute %1 (raw value)").arg(chosenAttributeName())
                                         : tr("Attribute %1 (value)").arg(chosenAttributeName()));
    plot(m_views.at(2)->chart(), {raw ? Quantity::AttributeRaw : Quantity::AttributeValue},
         attribute);
    Q_EMIT rowsShown();
}

void KZHistoryController::plot(QChart *chart, const QList<Quantity> &quantities, qint32 attribute)
{
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis);
    const QList<KZHistoryRow> &rows = m_model->rows();

    auto *timeAxis = new QDateTimeAxis;
    timeAxis->setTickCount(6);
    auto *valueAxis = new QValueAxis;
    valueAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);

    double low = 0;
    double high = 1;
    bool any = false;
    for (Quantity quantity : quantities) {
        const QList<KZHistorySeries::Point> points =
            KZHistorySeries::points(rows, quantity, maxPoints, attribute);
        auto *series = new QLineSeries;
        series->setName(KZHistorySeries::quantityName(quantity));
        QList<QPointF> xy;
        xy.reserve(points.size());
        QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>> colours;
        for (qsizetype index = 0; index < points.size(); ++index) {
            const KZHistorySeries::Point &point = points.at(index);
            xy.append(QPointF(double(point.time.toMSecsSinceEpoch()), point.value));
            colours[int(index)][QXYSeries::PointConfiguration::Color] =
                KZDriveColours::statusBackground(styleOf(point.status));
            low = any ? qMin(low, point.value) : point.value;
            high = any ? qMax(high, point.value) : point.value;
            any = true;
        }
        series->replace(xy);
        series->setPointsVisible(true);
        series->setMarkerSize(points.size() > 80 ? 4 : 7);
        series->setPointsConfiguration(colours);
        chart->addSeries(series);
        series->attachAxis(timeAxis);
        series->attachAxis(valueAxis);
        m_points.insert(series, points);
        connect(series, &QXYSeries::hovered, this, [this, series](const QPointF &at, bool state) {
            if (!state) {
                QToolTip::hideText();
                return;
            }
            const QList<KZHistorySeries::Point> &points = m_points.value(series);
            if (points.isEmpty())
                return;
            // The point nearest in time to the pointer.
            const auto later = std::lower_bound(
                points.cbegin(), points.cend(), at.x(), [](const auto &point, double x) {
                    return double(point.time.toMSecsSinceEpoch()) < x;
                });
            auto nearest = later == points.cend() ? later - 1 : later;
            if (later != points.cbegin() && later != points.cend() &&
                at.x() - double((later - 1)->time.toMSecsSinceEpoch()) <
                    double(later->time.toMSecsSinceEpoch()) - at.x())
                nearest = later - 1;
            QToolTip::showText(QCursor::pos(), pointText(nearest->row), m_views.value(0));
        });
    }
    // A quiet drive's counts sit on a line of their own, not on the axis.
    if (!any || quantities.size() > 1 || quantities.first() != Quantity::Temperature)
        low = qMin(low, 0.0);
    if (high - low < 4)
        high = low + 4;
    valueAxis->setRange(low, high + (high - low) * 0.05);
    valueAxis->applyNiceNumbers();
    const QDateTime now = m_clock();
    QDateTime start = KZHistorySeries::rangeStart(range(), now);
    if (!start.isValid() && !rows.isEmpty())
        start = rows.first().time;
    if (!start.isValid())
        start = now.addDays(-1);
    const QDateTime end = rows.isEmpty() ? now : qMax(now, rows.last().time);
    // Months and years over a long span, days over a short one.
    timeAxis->setFormat(start.daysTo(end) > 300 ? QStringLiteral("MMM yyyy")
                                                : QStringLiteral("d MMM"));
    timeAxis->setRange(start, end);
    chart->legend()->setVisible(quantities.size() > 1);
}

QString KZHistoryController::pointText(qsizetype row) const
{
    const QList<KZHistoryRow> &rows = m_model->rows();
    if (row < 0 || row >= rows.size())
        return {};
    return KZHistorySeries::describe(rows.at(row), m_model->attribute(), chosenAttributeName());
}

void KZHistoryController::copySelection()
{
    QModelIndexList selected = m_table->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    QStringList header;
    for (int column = 0; column < m_model->columnCount(); ++column)
        header.append(
            m_model->headerData(column, Qt::Horizontal, Qt::AccessibleTextRole).toString());
    lines.append(header.join(QLatin1Char('\t')));
    for (const QModelIndex &index : std::as_const(selected)) {
        QStringList cells;
        for (int column = 0; column < m_model->columnCount(); ++column)
            cells.append(m_model->index(index.row(), column).data().toString());
        lines.append(cells.join(QLatin1Char('\t')));
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}
