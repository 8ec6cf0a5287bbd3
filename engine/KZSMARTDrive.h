#pragma once

#include "KZReportSections.h"
#include "KZSMARTAttribute.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "KZSMARTErrorLog.h"
#include "KZSMARTSelfTestLog.h"

// One physical disk, or one raw capture file replayed as a disk: where it is,
// which volumes live on it, and everything parsed from smartctl about it.
// A drive has no locks: one thread refreshes it at a time.
class KZTask;

class KZSMARTDrive
{
    // Texts of the windows and the plain-text report (tr()).
    Q_DECLARE_TR_FUNCTIONS(KZSMARTDrive)

public:
    // The smartctl command the next run performs.
    enum ArgumentCode : quint64
    {
        OverallHealth = 1,
        Identity = 2,
        Capabilities = 3,
        AttributeTable = 4,
        ErrorLog = 5,
        SelfTestLog = 6,
        SelectiveSelfTestLog = 7,
        StartShortSelfTest = 8,
        StartExtendedSelfTest = 9,
        AbortSelfTest = 10,
        ToolVersion = 11,
        SwitchSMARTOn = 12,
        FreeOptions = 13,
        RawCapture = 14,
    };

    // Two kinds of "no data". A drive's own answer that it has no usable
    // S.M.A.R.T. data (an open failure such as "No such device", "Unable to
    // detect device type", an unknown USB bridge) clears smartSupported():
    // the drive is UNSUPPORTED and a drive list drops it unless unsupported
    // drives are shown. A failure to get an answer at all is a ReadFailure:
    // smartctl could not be run, was killed, did not answer in time, printed
    // nothing, too much, something cut off or something that is not a
    // smartctl report, or the device could not be opened for lack of
    // permission (or the permission to read it was refused), or a capture
    // file cannot be replayed. A drive with a read failure:
    //  - is never dropped from a drive list (driveReadFailed());
    //  - has health 0, never 1: a refresh that recorded one ends with health
    //    0 unless one of its steps judged the drive failing (2) or failed (3);
    //  - has the status word "UNKNOWN" (or "FAILING"/"FAILED" as judged);
    //  - holds the reason in plain words in getLastSMARTErrorMessage() and
    //    driveReadFailureReason(), such as "smartctl did not answer within
    //    120 s" or "cannot read /dev/sda: permission denied — run as root or
    //    install the helper";
    //  - makes a check UNKNOWN (exit status 3) unless a failed or failing
    //    drive makes it critical or a warning.
    // updateInfo() starts without one; the first failure of a refresh is the
    // one kept. After a time-out the rest of the refresh is skipped, so a
    // hung disk costs one time-out per refresh. Code that asks for the data
    // another way (a helper that runs smartctl with more rights) records its
    // own failures with recordReadFailure().
    enum class ReadFailure
    {
        None,
        NotRunnable,       // smartctl missing, not executable, not a program
        Killed,            // ended by a signal
        TimedOut,          // no answer within the runner's time-out
        NoOutput,          // printed nothing at all
        CutOff,            // the output ended early or in the middle of a line
        NotSmartctl,       // not smartctl's output (no banner, not text)
        OutputTooLarge,    // more output than the runner takes
        PermissionDenied,  // the device could not be opened: no permission
        Refused,           // the permission to read the device was refused
        UnreadableCapture, // a capture file smartctl cannot replay
        DeviceError,       // the device could not be opened: an input/output error
        OpenFailed,        // a device the user named could not be opened at all
    };

    KZSMARTDrive() = default; // init: alerts allowed
    static KZSMARTDrive initForCommandLine();

    // Setters.
    void setID(quint64 identifier) { m_controllerID = identifier; }
    void setDebugState(bool enabled) { m_outputDebugMessages = enabled; }
    void setDriveAsFile(bool fromFile) { m_driveFromFile = fromFile; }
    void setLocation(const QString &location) { m_location = location; }
    void addPartitionName(const QString &name);
    bool sameLocation(const QString &location) const { return location == m_location; }
    void setSelfTestInProgress(bool running) { m_testInProgress = running; }
    // The user named this device (a command line's TARGET): it is never
    // dropped from a drive list, and a failure to open it ("No such device"
    // and the like) is a read failure (OpenFailed, with smartctl's own line),
    // not the drive's answer that it has no S.M.A.R.T. data.
    void setNamedTarget(bool named) { m_namedTarget = named; }
    bool namedTarget() const { return m_namedTarget; }
    // Offline data collection capabilities, as the "-c" output reports them.
    void setDataCapabilities(quint32 capabilities) { m_dataCapabilities = capabilities; }
    // Runs smartctl through this program instead of the one getsmartctlPath finds.
    void setSmartctlOverride(const QString &program) { m_smartctlOverride = program; }
    // Answers smartctl runs from memory instead of running a program: given
    // the argument list, returns the lines printed (blank ones included) or
    // nothing. The answer is judged like real output. Used to drive the
    // parsers with arbitrary text.
    using OutputProvider = std::function<std::optional<QStringList>(const QStringList &arguments)>;
    void setOutputProvider(OutputProvider provider) { m_outputProvider = std::move(provider); }
    // Seconds after which a smartctl run that has not finished is stopped
    // (the runner's process-wide default, KZTask::defaultTimeout(), unless set).
    void setTaskTimeout(int seconds) { m_taskTimeoutSeconds = seconds; }

    // A failure to get an answer (see ReadFailure). The first one of a
    // refresh is kept; the reason also becomes the last error message.
    void recordReadFailure(ReadFailure failure, const QString &reason);
    ReadFailure driveReadFailure() const { return m_readFailure; }
    bool driveReadFailed() const { return m_readFailure != ReadFailure::None; }
    // The reason of the read failure, or nothing when there was none.
    std::optional<QString> driveReadFailureReason() const;
    // The name of a read failure as the JSON report gives it ("TimedOut").
    static QString readFailureName(ReadFailure failure);
    // The reason of a device smartctl could not open for lack of permission.
    static QString permissionDeniedReason(const QString &location);

    // Called after each step of a refresh that ended normally: the six read
    // steps and the writing of the raw capture (progressStepCount()). Whoever shows the
    // progress of one job sets it for the drives of that job; it runs on the
    // thread that refreshes the drive.
    using ProgressHandler = std::function<void()>;
    void setProgressHandler(ProgressHandler handler) { m_progressHandler = std::move(handler); }
    // The steps a refresh reports when every one of them ends normally.
    int progressStepCount() const { return m_driveFromFile ? 6 : 7; }
    // The alert a person should see after the last refresh or smartctl run: a
    // step that broke off ("An error occurred attempting to read some SMART
    // data…"). Only recorded here: whoever ran the drive shows it, on its own
    // thread and in its own time; nothing of the engine ever waits for a
    // person. A refresh starts without one and keeps the first.
    const std::optional<QString> &driveAlert() const { return m_alert; }
    void clearAlert() { m_alert.reset(); }
    // Refresh and smartctl runs. A refresh runs smartctl once, with the raw
    // capture's command (argument code 14): what it prints is the raw
    // capture (written for a live drive) and the text of every parse step,
    // each reading its own part (KZReportSections). It runs again only after
    // the very-permissive retry's "Ambiguous" answer and after switching
    // S.M.A.R.T. on. A parse step called on its own outside a refresh runs
    // its own command (the self-test window polls "-c" and "-l selftest").
    void updateInfo();
    // Sleeping disks. A refresh asked to leave a sleeping disk asleep runs
    // with "-n standby": a disk in STANDBY or SLEEP answers only that
    // ("Device is in STANDBY mode, exit(2)"), and the refresh ends there. The
    // drive then keeps everything of its last read (values, verdict, failure
    // reasons, raw capture) and is sleeping. Saved reports and NVMe drives
    // are always read. Whoever refreshes the drive decides, per refresh.
    void setLeaveAsleep(bool leave) { m_leaveAsleep = leave; }
    bool leavesAsleep() const { return m_leaveAsleep; }
    // The last refresh found the disk asleep and read nothing.
    bool driveSleeping() const { return m_sleeping; }
    // "STANDBY" or "SLEEP" (smartctl's word) while sleeping, "ACTIVE" after
    // a read of a disk, empty for a saved report or a drive never refreshed.
    const QString &drivePowerMode() const { return m_powerMode; }
    // When a refresh last read the drive; invalid when none did.
    const QDateTime &driveLastRead() const { return m_lastRead; }
    // Refreshes in a row that found the disk asleep (0 after a read).
    int sleepingRefreshes() const { return m_sleepingRefreshes; }
    // The model and serial number a device listing gave (lsblk): a disk left
    // asleep before any read is named by them.
    void setListedIdentity(const QString &model, const QString &serial);
    // Writes the raw capture with a run of its own.
    void saveRawData();
    void runOptions(const QString &typedOptions);
    std::optional<QStringList> runSMARTbinary(bool capture);
    std::optional<QString> getsmartctlPath() const;
    std::optional<QString> smartctlVersion();
    // The argument list of a run of the current argument code.
    QStringList argumentList() const;
    // The program and arguments that run smartctl for the current argument
    // code: smartctl itself, or, for a user who is not root, pkexec with the
    // privileged helper (see KZSmartctlHelper). Nothing when no smartctl is found.
    struct SmartctlCommand
    {
        QString program;
        QStringList arguments;
        bool throughHelper = false;
    };
    std::optional<SmartctlCommand> smartctlCommand() const;

    // Parse steps of a refresh.
    void parseInfo();
    void parseHealth();

private:
    void readNVMeCapacity(const QStringList &identityLines);

public:
    // Capabilities ("-c"): status bytes, capability bytes, self-test durations.
    void parseCapabilities();
    bool driveAutoOfflineDataCollectionEnable() const;
    bool driveSMARTExecuteOfflineImmediate() const;
    bool driveAutoOfflineDataCollection() const;
    bool driveAbortOfflineCollection() const;
    bool driveOfflineSurfaceScan() const;
    bool driveSelfTest() const;
    bool driveConveyanceSelfTest() const;
    bool driveSelectiveSelfTest() const;
    bool driveAutoSavingSMARTData() const;
    bool driveSavesSMARTDataPowerSave() const;
    bool driveSMARTAutoSaveTimer() const;
    bool driveErrorLogging() const;
    bool driveGeneralPurposeLogging() const { return m_generalPurposeLogging; }
    qint32 driveOfflineDataCollectionTime() const { return m_timeOfflineData; }
    qint32 driveShortSelfTestTime() const { return m_shortSelftestTime; }
    qint32 driveExtendedSelfTestTime() const { return m_longSelftestTime; }
    qint32 driveConveyanceSelfTestTime() const { return m_conveyanceSelftestTime; }
    quint32 driveOfflineDataStatus() const { return m_offlineDataStatus; }
    qint32 driveSelftestStatus() const { return m_selftestStatus; }
    quint32 driveDataCapabilities() const { return m_dataCapabilities; }
    quint32 driveSMARTCapabilities() const { return m_smartCapabilities; }
    quint32 driveErrorLoggingCapabilities() const { return m_errorLoggingCapabilities; }
    // Sentence tail for the offline data collection activity.
    QString driveOfflineDataCollectionActivity() const;
    // Sentence for the self-test execution status.
    QString driveSelfTestExecution() const;

    // Attribute table ("-A") and its failure evaluation. The settings a row
    // depends on are read once per table; the one-row forms read them now.
    struct AttributeSettings
    {
        bool fahrenheit = false;
        bool ignore190 = false;
        bool ignore196 = false;
        bool rememberBadSectors = false;
        // The custom bad-sector limit, or 0 when no custom limit is set.
        qint64 badSectorLimit = 0;
        static AttributeSettings current();
    };
    void parseAttributes();
    KZSMARTAttribute parseAttributeLine(const QString &line) const;
    KZSMARTAttribute parseAttributeLine(const QString &line,
                                        const AttributeSettings &settings) const;
    KZSMARTAttribute parseNVMeAttributeLine(const QString &line);
    KZSMARTAttribute parseNVMeAttributeLine(const QString &line, const AttributeSettings &settings);
    qint32 driveAttributeRevision() const { return m_attributeRevision; }
    qint32 driveAttributeCount() const { return m_attributeCount; }
    qint32 nvmeNextAttributeID() const { return m_nvmeNextAttributeID; }
    // The attribute at an index, or nothing when the index is not below the count.
    const KZSMARTAttribute *driveAttribute(quint64 index) const;
    const std::optional<QList<KZSMARTAttribute>> &driveAttributes() const { return m_attributes; }
    // Raw value of the first attribute with this ID, or -1.
    qint64 readRawAttribute(qint32 idNumber) const;
    qint64 drivePowerOnHours() const { return readRawAttribute(9); }
    qint64 driveAirflowTemperature() const { return readRawAttribute(190); }
    qint64 driveTemperature() const { return readRawAttribute(194); }
    qint64 drivePendingBadSectors() const { return readRawAttribute(197); }
    qint64 driveRemovedBadSectors() const { return readRawAttribute(198); }
    qint64 driveReallocatedBadSectors() const { return readRawAttribute(5); }
    qint64 driveCRCErrorCount() const { return readRawAttribute(199); }
    // Whether the table's temperatures (IDs 190 and 194) were read in
    // Fahrenheit: "DisplayTempInFahrenheit" at the last parse of the table.
    bool driveTemperaturesInFahrenheit() const { return m_temperaturesInFahrenheit; }
    // The temperature in degrees Celsius whatever the table's unit: attribute
    // 194, else the airflow temperature 190; nothing when neither is reported.
    std::optional<qint64> driveTemperatureCelsius() const;
    std::optional<QStringList> getFailureReasonsText() const { return m_failureReasonsText; }
    // Preferences key of a remembered per-drive count: serial number (or
    // location when there is none) followed by the suffix.
    QString rememberedCountKey(const QString &suffix) const;

private:
    void evaluateAttribute(const KZSMARTAttribute &attribute, const AttributeSettings &settings);

public:
    // Text routines every parser uses; they throw KZException on bad lines.
    static QString parseLine(const QString &line);
    static quint32 convertStringToHex(const QString &line);
    static qint32 convertStringToInt(const QString &line, bool searchParan);

    // Accessors.
    const QString &driveLocation() const { return m_location; }
    QString driveLocationID() const;
    quint64 drivePartitionCount() const { return m_partitionCount; }
    QString partitionNameAtIndex(quint64 index) const
    {
        return m_partitionNames.value(qsizetype(index));
    }
    const QStringList &partitionNames() const { return m_partitionNames; }
    bool smartSupported() const { return m_smartSupport; }
    bool exceptionOccurred() const { return m_exceptionOccurred; }
    bool driveFromFile() const { return m_driveFromFile; }
    bool commandLineMode() const { return m_enableCommandLineOption; }
    bool debugState() const { return m_outputDebugMessages; }
    qint32 driveHealth() const { return m_health; }
    const std::optional<QString> &driveOverallHealth() const { return m_overallHealth; }
    const std::optional<QString> &driveModelFamily() const { return m_modelFamily; }
    const std::optional<QString> &driveModel() const { return m_model; }
    const std::optional<QString> &driveSerialNumber() const { return m_serialNumber; }
    const std::optional<QString> &driveFirmwareVersion() const { return m_firmwareVersion; }
    const std::optional<QString> &driveCapacity() const { return m_capacity; }
    const std::optional<QString> &driveATAVersion() const { return m_ataVersion; }
    const std::optional<QString> &driveSATAVersion() const { return m_sataVersion; }
    const std::optional<QString> &driveRotationRate() const { return m_rotationRate; }
    bool driveIsNVMe() const { return m_isNVMe; }
    bool driveSelftestFail() const { return m_selftestFail; }
    bool driveErrorsFail() const { return m_errorsFail; }
    bool driveTestsFail() const { return m_testsFail; }
    bool driveNewTestFail() const { return m_newTestFail; }
    bool testInProgress() const { return m_testInProgress; }
    // A self-test runs: one started by this program, or the status byte says so.
    bool driveSelfTestExecutionInProgress() const
    {
        return m_testInProgress || (m_selftestStatus >> 4) == 15;
    }
    // Percent of the running self-test still to do.
    qint32 driveSelfTestExecutionRemaining() const { return (m_selftestStatus & 0x0f) * 10; }
    qint32 driveReallocatedSectorsFail() const { return m_reallocatedSectorsFail; }
    qint32 driveReallocatedEventsFail() const { return m_reallocatedEventsFail; }
    qint32 driveCurrentSectorsFail() const { return m_currentSectorsFail; }
    qint32 driveOfflineSectorsFail() const { return m_offlineSectorsFail; }
    qint32 driveOtherAttributesFail() const { return m_otherAttributesFail; }
    const std::optional<QString> &getLastSMARTErrorMessage() const { return m_smartError; }
    quint64 getID() const { return m_controllerID; }
    quint64 argumentCode() const { return m_argumentCode; }
    void setArgumentCode(quint64 code) { m_argumentCode = code; }
    bool runVeryPermissive() const { return m_runVeryPermissive; }
    const std::optional<QStringList> &failureReasons() const { return m_failureReasonsText; }
    void addFailureReasonsString(const QString &reason);

    // The plain-text report of the drive.
    QString description() const;

    // Every field, named as in the data model, for machine-readable reports.
    QJsonObject toJSON() const;

    // Raw capture file of this drive.
    QString rawCaptureFilePath() const;

    // ATA error log ("-l error").
    void parseErrorLog();
    static qint32 parseErrorType(const QString &text);
    static KZSMARTErrorCommand parseErrorCommandLine(const QString &line);
    qint32 driveErrorLogVersion() const { return m_errorLogVersion; }
    qint32 driveTotalErrors() const { return m_errorCount; }
    const std::optional<QList<KZSMARTErrorLog>> &driveErrorLogEntries() const { return m_errorLog; }
    std::optional<QString> driveLastErrorType() const;
    qint32 driveLastErrorTime() const;
    std::optional<KZSMARTErrorLog> driveErrorLog(quint64 index) const;
    // One row of an NVMe drive's error information table.
    static KZSMARTErrorLog parseNVMeErrorLine(const QString &line);

    // Self-test log ("-l selftest") and self-test control.
    void parseSelftestLog();
    quint64 runSelfTest(quint64 code);
    quint64 stopSelfTest();
    qint32 driveSelfTestLogRevision() const { return m_selfTestLogRevision; }
    quint64 driveTestsCount() const { return m_selfTestCount; }
    const std::optional<QList<KZSMARTSelfTestLog>> &driveSelfTestLogEntries() const
    {
        return m_selfTestLog;
    }
    std::optional<KZSMARTSelfTestLog> driveSelfTestLog(quint64 index) const;
    std::optional<QString> driveLastTestStatus() const;
    qint32 driveLastTestTime() const;
    // One row of an NVMe drive's self-test table; `number` counts from 1 as
    // for ATA rows, so it is smartctl's "Num" plus 1.
    static KZSMARTSelfTestLog parseNVMeSelfTestLine(const QString &line);

private:
    void debugLog(const QString &message) const;
    // Records the alert of this refresh or run (the first one is kept).
    void recordAlert(const QString &text);
    static void storeOnce(std::optional<QString> &field, const QString &value);
    std::optional<QStringList> runOnce(bool capture);
    // The lines a parse step reads: inside a refresh its part of the
    // refresh's run (nothing when that run gave no report), else the output
    // of the step's own command.
    std::optional<QStringList> stepLines(ArgumentCode code);
    // The refresh's one run; its parts are kept for the parse steps.
    void readReport();
    // The pieces of a refresh: the resets, the six parse steps with their
    // progress, then the raw capture (a live drive only) with its progress
    // and what the refresh judges at its end.
    void beginRefresh();
    void runParseSteps();
    bool refreshTimedOut() const { return m_timedOutInRefresh; }
    void finishRefresh(const std::function<void()> &capture);
    void writeRawCapture() const;
    // What a run asked to leave the disk asleep says when it is asleep:
    // "STANDBY" or "SLEEP"; nothing for any other answer.
    static std::optional<QString> sleepingModeOf(const QStringList &lines);
    // Ends a refresh that found the disk asleep: back to its last read.
    void stayAsleep(KZSMARTDrive lastRead, const QString &mode);
    // Judges a run that gave nothing or no smartctl report; true when it was
    // a failure to get an answer (then recorded).
    bool judgeRunnerFailure(const KZTask &task, const std::optional<QStringList> &lines);

    bool m_smartSupport = false;
    std::optional<QString> m_smartError;
    QString m_location;
    quint64 m_partitionCount = 0;
    QStringList m_partitionNames;
    std::optional<QString> m_modelFamily;
    std::optional<QString> m_model;
    std::optional<QString> m_serialNumber;
    std::optional<QString> m_firmwareVersion;
    std::optional<QString> m_capacity;
    std::optional<QString> m_ataVersion;
    std::optional<QString> m_sataVersion;
    std::optional<QString> m_rotationRate;
    qint32 m_health = 0;
    std::optional<QString> m_overallHealth;
    quint32 m_offlineDataStatus = 0;
    qint32 m_selftestStatus = 0;
    qint32 m_timeOfflineData = 0;
    quint32 m_dataCapabilities = 0;
    quint32 m_smartCapabilities = 0;
    quint32 m_errorLoggingCapabilities = 0;
    bool m_generalPurposeLogging = false;
    qint32 m_shortSelftestTime = 0;
    qint32 m_longSelftestTime = 0;
    qint32 m_conveyanceSelftestTime = 0;
    qint32 m_attributeRevision = 0;
    qint32 m_attributeCount = 0;
    qint32 m_nvmeNextAttributeID = 0;
    std::optional<QList<KZSMARTAttribute>> m_attributes;
    bool m_temperaturesInFahrenheit = false;
    bool m_isNVMe = false;
    quint64 m_argumentCode = 0;
    bool m_runVeryPermissive = false;
    std::optional<QStringList> m_options;
    bool m_outputDebugMessages = false;
    quint64 m_controllerID = 0;
    bool m_selftestFail = false;
    qint32 m_reallocatedSectorsFail = 0;
    qint32 m_reallocatedEventsFail = 0;
    qint32 m_currentSectorsFail = 0;
    qint32 m_offlineSectorsFail = 0;
    qint32 m_otherAttributesFail = 0;
    bool m_errorsFail = false;
    bool m_testsFail = false;
    bool m_newTestFail = false;
    bool m_testInProgress = false;
    bool m_exceptionOccurred = false;
    bool m_driveFromFile = false;
    bool m_namedTarget = false;
    bool m_enableCommandLineOption = false;
    std::optional<QStringList> m_failureReasonsText;
    // The last overall-health check said the drive failed.
    bool m_healthCheckFailed = false;

    QString m_smartctlOverride;
    OutputProvider m_outputProvider;
    ProgressHandler m_progressHandler;
    std::optional<QString> m_alert;
    int m_taskTimeoutSeconds = 0; // 0: the runner's default
    ReadFailure m_readFailure = ReadFailure::None;
    QString m_readFailureReason;
    bool m_inRefresh = false;
    bool m_timedOutInRefresh = false; // the refresh asks nothing more
    qsizetype m_reasonsBeforeRefresh = 0;
    // The refresh's run: the parse steps read its parts; the bytes it
    // printed are the raw capture.
    bool m_readingReport = false;
    std::optional<KZReportSections> m_report;
    std::optional<QByteArray> m_reportOutput;
    bool m_rereadReport = false;      // S.M.A.R.T. was switched on: read again
    bool m_answeredInRefresh = false; // a run of the refresh gave a report
    // Sleeping disks.
    bool m_leaveAsleep = false;
    bool m_standbyRun = false; // this run carries "-n standby"
    std::optional<QString> m_sleepAnswer;
    bool m_sleeping = false;
    QString m_powerMode;
    QDateTime m_lastRead;
    int m_sleepingRefreshes = 0;
    QString m_listedModel;
    QString m_listedSerial;

    // ATA error log and self-test log.
    qint32 m_errorLogVersion = 0;
    qint32 m_errorCount = 0;
    std::optional<QList<KZSMARTErrorLog>> m_errorLog;
    qint32 m_selfTestLogRevision = 0;
    quint64 m_selfTestCount = 0;
    std::optional<QList<KZSMARTSelfTestLog>> m_selfTestLog;

    // The preference key of a count remembered for this drive: serial number
    // (or location when there is none) followed by the suffix.
    QString rememberedLogKey(const QString &suffix) const;
    // How the walk over the error log goes on after one entry.
    enum class ErrorLogWalk
    {
        Continue, // at the line after the entry's last command
        EndWalk,  // the output ended inside the entry; the walk ends
        EndParse, // the output ended inside the entry; the parse ends at once
    };
    // Reads one error-log entry starting at the "Error " line at index and
    // moves index to the entry's last line. An entry cut short is dropped.
    ErrorLogWalk readErrorLogEntry(const QStringList &lines, qsizetype &index);
    void checkErrorCount();
    // Reads the NVMe error table that follows its heading at start.
    void readNVMeErrorLog(const QStringList &lines, qsizetype start);
    static KZSMARTSelfTestLog parseSelfTestLine(const QString &line);
    static bool isNVMeSelfTestRow(const QString &line);

    // Tests set the fields that the capability parse would fill.
    friend struct KZSMARTDriveTesting;
};
