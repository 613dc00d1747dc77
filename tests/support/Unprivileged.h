#pragma once

#include <functional>
#include <string>

namespace vantorix::test {

// Runs the check as an ordinary user, because root ignores permission bits: as root it
// forks and runs the check in a child that has given up root for the "nobody" user
// (files the check needs must be reachable by that user). Returns the check's result;
// a failure message, if any, is printed by the check itself.
bool RunAsOrdinaryUser(const std::function<bool()>& check);

// Lets every user read, write and enter the path (for files made by root for the check).
void OpenToEveryone(const std::string& path);

}  // namespace vantorix::test
