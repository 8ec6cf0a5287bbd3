#include "KZHelperRules.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace KZHelperRules {

namespace {

using Words = std::vector<std::string_view>;

// An argument as it appears in a message: quoted, control characters
// written as escapes (the message stays on one line), at most 80 bytes.
std::string quoted(std::string_view text)
{
    constexpr std::size_t shown = 80;
    std::string result = "\"";
    for (std::size_t at = 0; at < text.size() && at < shown; ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c == '\n') {
            result += "\\n";
        } else if (c < 0x20 || c == 0x7f) {
            static const char digits[] = "0123456789abcdef";
            result += "\\x";
            result += digits[c >> 4];
            result += digits[c & 0x0f];
        } else if (c == '"' || c == '\\') {
            result += '\\';
            result += static_cast<char>(c);
        } else {
            result += static_cast<char>(c);
        }
    }
    if (text.size() > shown)
        result += "...";
    return result + "\"";
}

std::string joined(const Words &words)
{
    std::string result;
    for (std::string_view word : words) {
        if (!result.empty())
            result += ' ';
        result += word;
    }
    return result;
}

bool hasControlCharacter(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return true;
    }
    return false;
}

bool allOf(std::string_view text, std::size_t from, bool (*test)(char))
{
    if (from >= text.size())
        return false;
    for (std::size_t at = from; at < text.size(); ++at) {
        if (!test(text[at]))
            return false;
    }
    return true;
}

bool isLower(char c)
{
    return c >= 'a' && c <= 'z';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

Verdict refused(int status, std::string reason)
{
    Verdict verdict;
    verdict.status = status;
    verdict.reason = std::move(reason);
    return verdict;
}

// Why the words are not the best-matching command line followed by one device.
std::string unknownCommandReason(const std::vector<std::string> &words)
{
    if (words.empty())
        return "no smartctl command given";
    const Words *best = nullptr;
    std::size_t bestMatch = 0;
    for (const Words &line : commandLines()) {
        std::size_t match = 0;
        while (match < line.size() && match < words.size() && line[match] == words[match])
            ++match;
        if (!best || match > bestMatch) {
            best = &line;
            bestMatch = match;
        }
    }
    const Words &line = *best;
    if (bestMatch == line.size()) {
        const std::size_t rest = words.size() - line.size();
        if (rest == 0)
            return "the device is missing after \"" + joined(line) + "\"";
        const std::string &extra = words.at(line.size());
        return "expected one device after \"" + joined(line) + "\", got " + std::to_string(rest) +
               " arguments" +
               (!extra.empty() && extra.front() == '-'
                    ? ", starting with the option " + quoted(extra)
                    : "");
    }
    if (bestMatch == words.size())
        return "\"" + joined(Words(words.begin(), words.end())) + "\" is not a whole command";
    const std::string &word = words.at(bestMatch);
    // A word that follows an option which takes a value in the table, as
    // "error" follows "-l", is that option's value.
    if (bestMatch > 0 && line[bestMatch - 1].front() == '-' && line[bestMatch].front() != '-')
        return "value " + quoted(word) + " of \"" + std::string(line[bestMatch - 1]) +
               "\" is not one Tarnwell uses";
    if (!word.empty() && word.front() == '-')
        return "option " + quoted(word) + " is not one Tarnwell uses";
    return "argument " + quoted(word) + " is not one Tarnwell uses";
}

// The node a device path names, when it is a whole disk directly in the
// device folder.
Verdict checkDevice(const std::string &path, const std::string &deviceFolder)
{
    if (path.empty() || path.front() != '/')
        return refused(BadDevicePath, "the device " + quoted(path) + " is not an absolute path");
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (path.compare(start, end - start, "..") == 0)
            return refused(BadDevicePath, "the device path " + quoted(path) + " contains \"..\"");
        start = end + 1;
    }

    char resolvedBuffer[PATH_MAX];
    if (!::realpath(path.c_str(), resolvedBuffer))
        return refused(BadDevicePath,
                       "cannot resolve the device " + quoted(path) + ": " + std::strerror(errno));
    const std::string resolved = resolvedBuffer;
    const std::string named =
        resolved == path ? quoted(path) : quoted(path) + " (" + quoted(resolved) + ")";

    struct stat status;
    if (::stat(resolved.c_str(), &status) != 0)
        return refused(BadDevicePath,
                       "cannot examine the device " + named + ": " + std::strerror(errno));
    if (S_ISREG(status.st_mode))
        return refused(NotAWholeDisk, named + " is a regular file, not a disk");
    if (!S_ISBLK(status.st_mode))
        return refused(NotAWholeDisk, named + " is not a block device");

    char folderBuffer[PATH_MAX];
    const std::string folder =
        ::realpath(deviceFolder.c_str(), folderBuffer) ? folderBuffer : deviceFolder;
    const std::size_t slash = resolved.rfind('/');
    const std::string parent = resolved.substr(0, slash == 0 ? 1 : slash);
    if (parent != folder || !isWholeDiskName(std::string_view(resolved).substr(slash + 1)))
        return refused(NotAWholeDisk, named + " is not a whole disk");

    Verdict verdict;
    verdict.smartctlArguments.push_back(resolved);
    return verdict;
}

} // namespace

const std::vector<Words> &commandLines()
{
    static const std::vector<Words> lines = {
        // A refresh: one run, "-n standby" for a check that leaves a sleeping
        // disk asleep, "-T verypermissive" after an ambiguous answer.
        {"-r", "ataioctl,2", "-a"},
        {"-n", "standby", "-r", "ataioctl,2", "-a"},
        {"-T", "verypermissive", "-r", "ataioctl,2", "-a"},
        {"-T", "verypermissive", "-n", "standby", "-r", "ataioctl,2", "-a"},
        {"-s", "on"},
        // The self-test window: its polling and the self-test commands.
        {"-c"},
        {"-l", "selftest"},
        {"-T", "verypermissive", "-c"},
        {"-T", "verypermissive", "-l", "selftest"},
        {"-t", "short"},
        {"-t", "long"},
        {"-X"},
    };
    return lines;
}

bool isWholeDiskName(std::string_view name)
{
    for (std::string_view prefix : {"sd", "hd", "vd"}) {
        if (name.substr(0, 2) == prefix)
            return allOf(name, 2, isLower);
    }
    constexpr std::string_view nvme = "nvme";
    if (name.substr(0, nvme.size()) == nvme) {
        const std::size_t n = name.find('n', nvme.size());
        return n != std::string_view::npos && allOf(name.substr(0, n), nvme.size(), isDigit) &&
               allOf(name, n + 1, isDigit);
    }
    constexpr std::string_view mmc = "mmcblk";
    return name.substr(0, mmc.size()) == mmc && allOf(name, mmc.size(), isDigit);
}

Verdict check(const std::vector<std::string> &arguments, const std::string &deviceFolder)
{
    if (arguments.size() > maximumArguments)
        return refused(MalformedArguments, std::to_string(arguments.size()) +
                                               " arguments are too many (at most " +
                                               std::to_string(maximumArguments) + ")");
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string &argument = arguments[index];
        if (argument.size() > maximumArgumentLength)
            return refused(MalformedArguments,
                           "argument " + std::to_string(index + 1) + " is longer than " +
                               std::to_string(maximumArgumentLength) + " bytes");
        if (hasControlCharacter(argument))
            return refused(MalformedArguments, "argument " + std::to_string(index + 1) + " " +
                                                   quoted(argument) +
                                                   " holds a line break or control character");
    }
    if (arguments.empty() || (arguments.front() != readMode && arguments.front() != optionsMode))
        return refused(BadMode, "the first argument must be \"" + std::string(readMode) +
                                    "\" or \"" + std::string(optionsMode) + "\"" +
                                    (arguments.empty() ? "" : ", not " + quoted(arguments[0])));

    const std::vector<std::string> words(arguments.begin() + 1, arguments.end());
    std::vector<std::string> command;
    if (arguments.front() == optionsMode) {
        if (words.empty())
            return refused(UnknownCommand, "no device given");
        command.assign(words.begin(), words.end() - 1);
    } else {
        for (const Words &line : commandLines()) {
            if (words.size() == line.size() + 1 &&
                std::equal(line.begin(), line.end(), words.begin())) {
                command.assign(line.begin(), line.end());
                break;
            }
        }
        if (command.empty())
            return refused(UnknownCommand, unknownCommandReason(words));
    }

    Verdict verdict = checkDevice(words.back(), deviceFolder);
    if (verdict.status != Accepted)
        return verdict;
    command.push_back(verdict.smartctlArguments.front());
    verdict.smartctlArguments = std::move(command);
    return verdict;
}

std::string findSmartctl(const std::vector<std::string> &candidates, std::string *reason)
{
    std::string problems;
    for (const std::string &candidate : candidates) {
        struct stat status;
        std::string problem;
        if (::stat(candidate.c_str(), &status) != 0)
            problem = std::strerror(errno);
        else if (!S_ISREG(status.st_mode) || !(status.st_mode & S_IXUSR))
            problem = "not an executable file";
        else if (status.st_uid != 0 && status.st_uid != ::geteuid())
            problem = "owned by another user";
        else if (status.st_mode & (S_IWGRP | S_IWOTH))
            problem = "writable by other users";
        else
            return candidate;
        problems += (problems.empty() ? "" : "; ") + candidate + ": " + problem;
    }
    if (reason)
        *reason = "no trustworthy smartctl found (" + problems + ")";
    return {};
}

} // namespace KZHelperRules
