// tarnwell-smartctl-helper: runs smartctl as root for one of Tarnwell's own
// command lines, so that a desktop user reads their disks without running
// the application as root. It is started through pkexec, which asks polkit
// whether the user may (the action is chosen by the first argument):
//
//   tarnwell-smartctl-helper --read COMMAND... DEVICE
//   tarnwell-smartctl-helper --options WORD... DEVICE
//
// COMMAND is one of the engine's smartctl command lines; WORD are options
// the user typed (a separate action that asks for an administrator). DEVICE
// must be a whole disk. Anything else is refused with one line on standard
// error and an exit status for its kind, and nothing is run. smartctl is run
// by execve, without a shell, with a fixed environment, from fixed places
// only, and ended after a time limit; its output passes through unchanged
// and the helper writes no file.

#include "KZHelperRules.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef TARNWELL_HELPER_DEVICE_FOLDER
#define TARNWELL_HELPER_DEVICE_FOLDER "/dev"
#endif

namespace {

// Test builds name their own stand-in; the installed helper only these.
std::vector<std::string> smartctlCandidates()
{
#ifdef TARNWELL_HELPER_SMARTCTL
    return {TARNWELL_HELPER_SMARTCTL};
#else
    return {"/usr/local/sbin/smartctl", "/usr/sbin/smartctl"};
#endif
}

int refuse(int status, const std::string &reason)
{
    const std::string line = std::string(KZHelperRules::refusalPrefix) + reason + "\n";
    ::fputs(line.c_str(), stderr);
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const KZHelperRules::Verdict verdict =
        KZHelperRules::check(arguments, TARNWELL_HELPER_DEVICE_FOLDER);
    if (verdict.status != KZHelperRules::Accepted)
        return refuse(verdict.status, verdict.reason);

    std::string problem;
    const std::string smartctl = KZHelperRules::findSmartctl(smartctlCandidates(), &problem);
    if (smartctl.empty())
        return refuse(KZHelperRules::NoSmartctl, problem);

    std::vector<char *> smartctlArgv;
    smartctlArgv.push_back(const_cast<char *>(smartctl.c_str()));
    for (const std::string &argument : verdict.smartctlArguments)
        smartctlArgv.push_back(const_cast<char *>(argument.c_str()));
    smartctlArgv.push_back(nullptr);
    // Numbers in smartctl's output follow LC_NUMERIC: the C locale keeps
    // them as the engine reads them.
    char path[] = "PATH=/usr/sbin:/usr/bin:/sbin:/bin";
    char locale[] = "LC_ALL=C";
    char *environment[] = {path, locale, nullptr};

    // Only standard input, output and error go on to smartctl. The alarm
    // stays armed across execve; its signal must end smartctl.
    ::close_range(3, ~0U, 0);
    ::signal(SIGALRM, SIG_DFL);
    sigset_t alarmSignal;
    sigemptyset(&alarmSignal);
    sigaddset(&alarmSignal, SIGALRM);
    ::sigprocmask(SIG_UNBLOCK, &alarmSignal, nullptr);
    ::alarm(KZHelperRules::smartctlTimeLimitSeconds);
    ::execve(smartctl.c_str(), smartctlArgv.data(), environment);
    return refuse(KZHelperRules::CannotRun, "cannot run " + smartctl + ": " + std::strerror(errno));
}
