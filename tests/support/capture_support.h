// The tests' capture device (tests/alsa/capture.conf, set up by ./test.sh): what the default
// ALSA device plays goes to WAV files, a new one for each opening.
#pragma once

#include <string>

// True when ./test.sh set the capture device up. Each process then gets capture files of its
// own (in the test's temporary folder), so that tests running side by side never share one.
bool CaptureDeviceSet();
// True when ./test.sh says the capture device must be there: a test needing it fails rather
// than skips.
bool CaptureDeviceRequired();
// The file of the process's opening-th opening of the device (0 first).
std::string CaptureName(int opening);
// Deletes the process's capture files.
void DeleteCaptures();
// How many capture files the process has now.
int CaptureCount();
