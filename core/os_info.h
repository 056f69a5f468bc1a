#pragma once

#include <QString>

enum OsCode : int {
  OsWindows = 100,
  OsMacos = 200,
  OsLinux = 300,
};

// The system the program is compiled for.
constexpr int kOwnOsCode =
#if defined(Q_OS_WIN)
    OsWindows;
#elif defined(Q_OS_MACOS)
    OsMacos;
#else
    OsLinux;
#endif

// osName of kOwnOsCode: "linux" here.
QString currentOsName();
