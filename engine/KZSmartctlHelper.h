#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// How the engine reaches smartctl for a desktop user who is not root: through
// pkexec and the privileged helper tarnwell-smartctl-helper, which polkit
// authorises and which runs only the engine's own commands on whole disks.
// As root, or where the helper or pkexec is missing, smartctl runs directly.
namespace KZSmartctlHelper {

struct Setup
{
    bool runningAsRoot = false;
    // Empty when there is no usable helper: not installed where this build
    // installs it, or its polkit actions are not where polkit reads them.
    QString helperPath;
    // Empty when pkexec is not installed.
    QString pkexecPath;
};

// Where this build expects the installed helper.
QString expectedHelperPath();
// This process's setup, found once.
Setup systemSetup();
// The setup the engine uses: the system's, or the one a test set.
Setup currentSetup();
// Tests pretend another setup; nothing restores the system's.
void setSetupForTesting(std::optional<Setup> setup);

// The pkexec arguments that run smartctl with these arguments through the
// helper: the engine's command under the reading action, or the typed
// options under the action that asks for an administrator. Nothing when the
// run needs no helper: as root, without helper or pkexec, or for arguments
// that do not end with the device (the tool version, a replayed capture).
std::optional<QStringList> pkexecArguments(const Setup &setup, const QStringList &arguments,
                                           const QString &device, bool freeOptions);

// Why a run through the helper gave no smartctl output: pkexec did not
// authorise it ("Not authorized to read this disk: …"), or the helper refused
// the request (its own line). Nothing when the output is smartctl's.
std::optional<QString> refusalOf(const QStringList &lines);

// A scan begins: the next refusal is logged again.
void beginScan();
// Logs a refusal of a disk. pkexec's refusals concern every disk alike and
// are logged once per scan; the helper's name what was wrong with each.
void logRefusal(const QString &device, const QString &reason);

} // namespace KZSmartctlHelper
