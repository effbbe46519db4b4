// The project's own addresses and names that the library writes into reports and file names.
#pragma once

// The web site whose troubleshooting page receives crash reports (path /cgi-bin/crash.pl).
constexpr char kOrvaCrashPageHost[] = "https://www.ondrak.example";
// Where users without an Internet connection mail their crash report.
constexpr char kOrvaSupportAddress[] = "support@ondrak.example";
// The reverse-domain prefix of the standalone application's pid file name.
constexpr char kOrvaPidFilePrefix[] = "example.ondrak";
