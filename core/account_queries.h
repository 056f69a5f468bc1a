#pragma once

#include <QString>

#include <string>

// The computer name (the host name here), empty on failure.
std::wstring getComputerNameNative();
QString getComputerName();
QString getHomeDirectory();

// The account of the effective user: its name, its domain (the computer, as the
// account is local to it) and its security identifier "S-1-22-1-<uid>".
// Returns 0, or the native error of the lookup; sid is set before the lookup.
[[nodiscard]] unsigned getProcessUser(std::wstring& user, std::wstring& domain, std::wstring& sid);
// The same as texts: 0, or 5 after logging the native error; the outputs are set
// only on success.
[[nodiscard]] int getUserInformation(QString& user, QString& domain, QString& sid);

// The two above for any user id, so that a failed lookup can be shown.
[[nodiscard]] unsigned getProcessUserOf(unsigned uid, std::wstring& user, std::wstring& domain, std::wstring& sid);
[[nodiscard]] int getUserInformationOf(unsigned uid, QString& user, QString& domain, QString& sid);
