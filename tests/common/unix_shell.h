// Reaching the Unix side from a test running under Wine: paths both ways and
// shell scripts run to their end.
#pragma once
#include <windows.h>

#include <string>

namespace mt::test {

// A Unix path as Wine's Z: drive shows it.
std::wstring WindowsPath(const std::string& unixPath);
// The Unix path of a Windows path (any drive); empty when Wine gives none.
std::string UnixPath(const std::wstring& windowsPath);

// Runs a Unix shell script to its end (Wine starts Unix programs itself),
// pumping messages meanwhile; its exit status, or -1 when it could not start
// or did not finish within the bound. statusFile (a Unix path) receives the status.
int RunUnix(const std::string& script, const std::string& statusFile, DWORD timeoutMs = 120000);

}  // namespace mt::test
