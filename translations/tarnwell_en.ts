<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>KZDetailRows</name>
    <message numerus="yes">
        <source>%n minutes</source>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n hours</source>
        <translation>
            <numerusform>%n hour</numerusform>
            <numerusform>%n hours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds</source>
        <translation>
            <numerusform>%n second</numerusform>
            <numerusform>%n seconds</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZDriveSummary</name>
    <message numerus="yes">
        <source>%n disks found, none with S.M.A.R.T. data: %1.</source>
        <translation>
            <numerusform>%n disk found, none with S.M.A.R.T. data: %1.</numerusform>
            <numerusform>%n disks found, none with S.M.A.R.T. data: %1.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZErrorsController</name>
    <message numerus="yes">
        <source>Errors logged by the drive: %n (its log keeps the five most recent).</source>
        <translation>
            <numerusform>Errors logged by the drive: %n (its log keeps the five most recent).</numerusform>
            <numerusform>Errors logged by the drive: %n (its log keeps the five most recent).</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZHistoryController</name>
    <message numerus="yes">
        <source>%n checks</source>
        <translation>
            <numerusform>%n check</numerusform>
            <numerusform>%n checks</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZHistorySeries</name>
    <message numerus="yes">
        <source>no change in %n days</source>
        <translation>
            <numerusform>no change in %n day</numerusform>
            <numerusform>no change in %n days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 in %n days</source>
        <translation>
            <numerusform>%1 in %n day</numerusform>
            <numerusform>%1 in %n days</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZPreferencesWindow</name>
    <message numerus="yes">
        <source> hours</source>
        <comment>after a number of hours</comment>
        <translation>
            <numerusform> hour</numerusform>
            <numerusform> hours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> days</source>
        <comment>after a number of days</comment>
        <translation>
            <numerusform> day</numerusform>
            <numerusform> days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The history holds %n checks older than %1. The next check removes them, and they cannot be brought back.</source>
        <translation>
            <numerusform>The history holds %n check older than %1. The next check removes it, and it cannot be brought back.</numerusform>
            <numerusform>The history holds %n checks older than %1. The next check removes them, and they cannot be brought back.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n days</source>
        <translation>
            <numerusform>%n day</numerusform>
            <numerusform>%n days</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZSMARTErrorLog</name>
    <message numerus="yes">
        <source>Error %1 occured at disk power-on lifetime: %n hours</source>
        <translation>
            <numerusform>Error %1 occured at disk power-on lifetime: %n hour</numerusform>
            <numerusform>Error %1 occured at disk power-on lifetime: %n hours</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> with %n sectors at LBA = %1</source>
        <translation>
            <numerusform> with %n sector at LBA = %1</numerusform>
            <numerusform> with %n sectors at LBA = %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>KZSelfTestMonitor</name>
    <message numerus="yes">
        <source>%n minutes</source>
        <translation>
            <numerusform>%n minute</numerusform>
            <numerusform>%n minutes</numerusform>
        </translation>
    </message>
</context>
</TS>
