#pragma once

// What the privileged smartctl helper accepts. Plain C++ without Qt, so that
// the program that runs as root stays small enough to read in one sitting;
// the engine and drive discovery use the same rules, so that the helper
// accepts exactly the commands the engine builds for the disks it lists.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace KZHelperRules {

// The helper's first argument names the polkit action that authorised the
// run (pkexec picks the action by it): the engine's own commands, or a
// command line the user typed.
inline constexpr std::string_view readMode = "--read";
inline constexpr std::string_view optionsMode = "--options";

// The helper's single line on standard error when it refuses a request
// begins with this text; the reason follows.
inline constexpr std::string_view refusalPrefix = "tarnwell-smartctl-helper: refused: ";

// Exit status of the helper: Accepted never leaves it (smartctl's own
// status does), every kind of refusal has its own. They stay clear of the
// 126 and 127 pkexec answers with when it does not authorise a run.
enum Status : int
{
    Accepted = 0,
    BadMode = 64,            // the first argument is neither --read nor --options
    MalformedArguments = 65, // a control character, too many or too long arguments
    UnknownCommand = 66,     // not one of the engine's smartctl command lines
    BadDevicePath = 67,      // not an absolute path, "..", cannot be resolved
    NotAWholeDisk = 68,      // resolves to something other than a whole disk
    NoSmartctl = 69,         // no trustworthy smartctl at the fixed locations
    CannotRun = 70,          // smartctl could not be started
};

// smartctl is ended by SIGALRM after this many seconds: a user's program
// cannot stop a child that runs as root, so the helper bounds it itself.
inline constexpr unsigned smartctlTimeLimitSeconds = 120;

inline constexpr std::size_t maximumArguments = 32;
inline constexpr std::size_t maximumArgumentLength = 4096;

// The engine's smartctl command lines that name a device, without the device
// word that ends each of them: a refresh's one run (which is also the raw
// capture), with "-n standby" and in its very-permissive form, switching
// S.M.A.R.T. on, and the self-test window's polling ("-c", "-l selftest")
// and self-test commands. The tool version ("-V") names no device and needs
// no privileges.
const std::vector<std::vector<std::string_view>> &commandLines();

// True for the kernel names of whole disks: sdX, hdX, vdX (X one or more
// lower-case letters), nvmeNnM and mmcblkN; false for their partitions and
// every other kind of block device.
bool isWholeDiskName(std::string_view name);

struct Verdict
{
    int status = Accepted;
    // Why the request was refused, on one line.
    std::string reason;
    // What smartctl is to be run with when accepted: the command, then the
    // device resolved to its node, so that a symbolic link changed after the
    // check cannot point smartctl elsewhere.
    std::vector<std::string> smartctlArguments;
};

// Judges the helper's arguments (without the program name). Devices must be
// whole-disk block devices directly in deviceFolder (/dev).
Verdict check(const std::vector<std::string> &arguments, const std::string &deviceFolder);

// The first of the candidates that is a regular executable file owned by
// root or by this process's user and writable by nobody else. Empty, with
// the reason, when there is none.
std::string findSmartctl(const std::vector<std::string> &candidates, std::string *reason);

} // namespace KZHelperRules
