// Interim declaration until the plug-in host services land.
#pragma once

void Collapse(const char *format, ...) __attribute__((format(printf, 1, 2)));
