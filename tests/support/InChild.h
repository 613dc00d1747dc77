#pragma once

#include <functional>
#include <string>

namespace vantorix::test {

// Checks that change the process for good run in a forked child, so that the test runner
// goes on unchanged. Each returns the check's result; a failure message, if any, is
// printed by the check itself.

// Runs the check as an ordinary user, because root ignores permission bits: as root in a
// child that has given up root for the "nobody" user (files the check needs must be
// reachable by that user); as anybody else, directly.
bool RunAsOrdinaryUser(const std::function<bool()>& check);

// Runs the check in a child in which every call of the system function `number`
// (SYS_pread64, SYS_fsync, ...) fails with the errno value `error`: the device errors that
// no test folder can be made to produce, raised where the program really meets them.
bool RunWithFailingSystemCall(long number, int error, const std::function<bool()>& check);

// Lets every user read, write and enter the path (for files made by root for the check).
void OpenToEveryone(const std::string& path);

}  // namespace vantorix::test
