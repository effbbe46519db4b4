#include "support/capture_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "support/tool_support.h"

static const int kMostOpenings = 100;

bool CaptureDeviceSet() {
    const char *config = getenv("ALSA_CONFIG_PATH");
    if (!config || !strstr(config, "capture") || !getenv("ALSA_CAPTURE_FILE")) return false;
    static const std::string own = TempFile("capture.wav");
    setenv("ALSA_CAPTURE_FILE", own.c_str(), 1);  // read by ALSA at every opening
    return true;
}

bool CaptureDeviceRequired() {
    const char *required = getenv("ORVA_CAPTURE_REQUIRED");
    return required && strcmp(required, "1") == 0;
}

std::string CaptureName(int opening) {
    const char *base = getenv("ALSA_CAPTURE_FILE");
    char suffix[16] = "";
    if (opening > 0) snprintf(suffix, sizeof suffix, ".%04d", opening);
    return std::string(base ? base : "") + suffix;
}

void DeleteCaptures() {
    for (int i = 0; i < kMostOpenings; i++) unlink(CaptureName(i).c_str());
}

int CaptureCount() {
    int count = 0;
    while (count < kMostOpenings && access(CaptureName(count).c_str(), F_OK) == 0) count++;
    return count;
}
