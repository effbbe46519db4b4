// The crash trap: what the report needs is gathered when the trap is installed; the handler
// itself formats with its own signal-safe writers, writes with open and write, and reads
// memory at the faulting addresses only after the kernel has said it is readable.
#include "platform/gtk/crash_trap.h"

#include <fcntl.h>
#include <gtk/gtk.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include "graphics/toolbox_hooks.h"
#include "platform/core/language.h"
#include "platform/core/project_constants.h"
#include "platform/core/runtime.h"
#include "platform/gtk/linux_services.h"
#include "platform/gtk/standalone.h"

namespace {

constexpr int kTrappedSignals[] = {SIGSEGV, SIGILL, SIGABRT, SIGFPE, SIGUSR1};
constexpr int kTrappedCount = int(sizeof kTrappedSignals / sizeof kTrappedSignals[0]);
constexpr int kCodeBytes = 30;    // bytes shown from the instruction pointer
constexpr int kStackWords = 64;   // 32-bit words shown from the stack pointer
constexpr int kWordsPerLine = 8;
constexpr char kDefaultOpenProgram[] = "/usr/bin/xdg-open";
constexpr size_t kTextField = 512;
constexpr size_t kPathField = 4096;
constexpr size_t kHandlerStackSize = 4u << 20;  // room for the report and the dialog

// Everything the handler reads, gathered at installation; afterwards only the handler writes
// the buffers. The handler runs on whatever thread faulted.
struct CrashTrapRecord {
    bool installed = false;
    volatile sig_atomic_t entered = 0;  // the handler already ran: a second fault ends at once
    char program[kOrvaProcessNameSize] = "";
    char version[kTextField] = "";
    char system[kVersionNameSize] = "";
    char reportPath[kPathField] = "";
    char signalNames[kTrappedCount][64] = {};
    long utcOffset = 0;              // seconds east of UTC when installed
    int probe[2] = {-1, -1};         // pipe through which the kernel tells readable memory
    void *handlerStack = nullptr;    // the installing thread's stack for the handler
    SInt16 (*hook)(const char *text) = nullptr;
    char openProgram[kPathField] = "";
    char report[kCrashReportMax] = "";
    char address[kCrashReportMax] = "";
    char dialog[kCrashDialogTextSize] = "";
};
CrashTrapRecord gTrap;

// A bounded text being built; it always ends with a terminator and drops what does not fit.
struct TextWriter {
    char *out;
    size_t size;
    size_t length;
};

void Put(TextWriter *w, const char *text);
void PutHex(TextWriter *w, unsigned long value, int digits);
void PutDecimal(TextWriter *w, long value, int digits);
bool ReadMemory(const void *address, void *out, size_t count);
void GatherReportPath(char *out, size_t size);
const char *SignalName(int signal);
void PutDate(TextWriter *w);
void PutRegisters(TextWriter *w, const void *context);
void PutMemory(TextWriter *w, const void *context);
void AppendToReportFile(const char *report, size_t length);
SInt16 AskUser(const char *text);
[[noreturn]] void EndWithTerm();
void OnFatalSignal(int signal, siginfo_t *info, void *context);

}  // namespace

void SystemDependantInitCrashTrap() {
    if (OrvaIsPlugin() || gTrap.installed) return;
    GetAppNameFromPid(long(getpid()), gTrap.program);
    size_t length = strlen(gTrap.program);
    if (length >= 2 && gTrap.program[0] == '(' && gTrap.program[length - 1] == ')') {
        memmove(gTrap.program, gTrap.program + 1, length - 2);
        gTrap.program[length - 2] = 0;
    }
    snprintf(gTrap.version, sizeof gTrap.version, "%s", orvaSettings.version ? orvaSettings.version : "");
    GetWindowsVersionName(gTrap.system);  // taken now: the handler runs nothing
    GatherReportPath(gTrap.reportPath, sizeof gTrap.reportPath);
    for (int i = 0; i < kTrappedCount; i++)
        snprintf(gTrap.signalNames[i], sizeof gTrap.signalNames[i], "%s", strsignal(kTrappedSignals[i]));
    time_t now = time(nullptr);
    struct tm local;
    if (localtime_r(&now, &local)) gTrap.utcOffset = local.tm_gmtoff;
    if (!gTrap.openProgram[0]) snprintf(gTrap.openProgram, sizeof gTrap.openProgram, "%s", kDefaultOpenProgram);
    if (pipe2(gTrap.probe, O_CLOEXEC | O_NONBLOCK) != 0) gTrap.probe[0] = gTrap.probe[1] = -1;

    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_sigaction = OnFatalSignal;
    // Not deferred: a fault inside the handler enters it again and ends the process, where a
    // blocked signal would let the kernel kill it without a word.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    // A fault that has used up the stack (a runaway recursion) can only be handled on a stack
    // of its own; the kernel would otherwise end the process without a report.
    void *memory = mmap(nullptr, kHandlerStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    gTrap.handlerStack = memory == MAP_FAILED ? nullptr : memory;
    if (gTrap.handlerStack) {
        stack_t stack;
        memset(&stack, 0, sizeof stack);
        stack.ss_sp = gTrap.handlerStack;
        stack.ss_size = kHandlerStackSize;
        if (sigaltstack(&stack, nullptr) == 0) action.sa_flags |= SA_ONSTACK;
    }
    sigemptyset(&action.sa_mask);
    for (int signal : kTrappedSignals) sigaction(signal, &action, nullptr);
    gTrap.installed = true;
}

Boolean OrvaIsCrashTrapInstalled() { return gTrap.installed; }

size_t OrvaBuildCrashReport(int signal, const siginfo_t *info, const void *context, char *out, size_t size) {
    if (!out || size == 0) return 0;
    if (size > size_t(kCrashReportMax)) size = kCrashReportMax;
    TextWriter w{out, size, 0};
    out[0] = 0;
    Put(&w, "PROGRAM: "), Put(&w, gTrap.program), Put(&w, "\r\nVERSION: "), Put(&w, gTrap.version);
    Put(&w, "\r\nCOMPILED: " __DATE__ " " __TIME__ "\r\n");
    Put(&w, "OS: GTK\r\nOSVERSION: "), Put(&w, gTrap.system), Put(&w, "\r\nDATE: ");
    PutDate(&w);
    Put(&w, "\r\nTYPE: "), PutHex(&w, unsigned(signal), 8), Put(&w, " ("), Put(&w, SignalName(signal));
    Put(&w, ")\r\nADDRESS: ");
    unsigned long ip = 0;
#if defined(__x86_64__)
    if (context) ip = static_cast<const ucontext_t *>(context)->uc_mcontext.gregs[REG_RIP];
#endif
    PutHex(&w, ip, 16);
    Put(&w, "\r\nSUB_TYPE: "), PutDecimal(&w, info ? info->si_code : 0, 1);
    Put(&w, "\r\nFAULT_ADDR: "), PutHex(&w, info ? reinterpret_cast<unsigned long>(info->si_addr) : 0, 16);
    Put(&w, "\r\n");
    PutRegisters(&w, context);
    PutMemory(&w, context);
    return w.length;
}

size_t OrvaUrlEncode(const char *text, char *out, size_t size) {
    if (!out || size == 0) return 0;
    static const char kHex[] = "0123456789ABCDEF";
    size_t length = 0;
    for (; text && *text; text++) {
        unsigned char c = static_cast<unsigned char>(*text);
        if (c == '\r') continue;
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ';
        size_t need = plain ? 1 : 3;
        if (length + need >= size) break;
        if (plain) {
            out[length++] = c == ' ' ? '+' : char(c);
        } else {
            out[length++] = '%';
            out[length++] = kHex[c >> 4];
            out[length++] = kHex[c & 15];
        }
    }
    out[length] = 0;
    return length;
}

size_t OrvaCrashPageAddress(const char *languageCode, const char *report, char *out, size_t size) {
    if (!out || size == 0) return 0;
    if (size > size_t(kCrashReportMax)) size = kCrashReportMax;
    TextWriter w{out, size, 0};
    out[0] = 0;
    Put(&w, kOrvaCrashPageHost), Put(&w, "/cgi-bin/crash.pl?lang=");
    w.length += OrvaUrlEncode(languageCode, out + w.length, size - w.length);
    Put(&w, "&data=");
    w.length += OrvaUrlEncode(report, out + w.length, size - w.length);
    return w.length;
}

const char *OrvaCrashLanguageCode(SInt16 language) {
    static const char *const kCodes[] = {"FR", "EN", "IT", "DE", "ES", "JP"};
    return language >= 0 && language < 6 ? kCodes[language] : "EN";
}

size_t OrvaCrashDialogText(const char *languageCode, const char *program, const char *reportPath, char *out,
                           size_t size) {
    if (!out || size == 0) return 0;
    TextWriter w{out, size, 0};
    out[0] = 0;
    bool french = languageCode && (languageCode[0] == 'F' || languageCode[0] == 'f') &&
                  (languageCode[1] == 'R' || languageCode[1] == 'r') && languageCode[2] == 0;
    if (french) {
        Put(&w, "L'application "), Put(&w, program), Put(&w, " a rencontr\xC3\xA9 un probl\xC3\xA8me.\n\n");
        Put(&w, "Un rapport a \xC3\xA9t\xC3\xA9 \xC3\xA9" "crit dans le fichier 'crash.log' de votre dossier de documents (");
        Put(&w, reportPath), Put(&w, ").\n\n");
        Put(&w, "Si vous n'avez pas de connexion \xC3\xA0 Internet, r\xC3\xA9pondez Non et envoyez ce fichier \xC3\xA0 ");
        Put(&w, kOrvaSupportAddress);
        Put(&w, " en d\xC3\xA9" "crivant les circonstances du probl\xC3\xA8me.\n\n");
        Put(&w, "Si vous \xC3\xAAtes connect\xC3\xA9, r\xC3\xA9pondez Oui pour obtenir de l'aide au d\xC3\xA9pannage.");
    } else {
        Put(&w, "A crash has been encountered in "), Put(&w, program), Put(&w, ".\n\n");
        Put(&w, "A report has been written to the file 'crash.log' in your documents folder (");
        Put(&w, reportPath), Put(&w, ").\n\n");
        Put(&w, "If you have no Internet connection, answer No and mail that file to "), Put(&w, kOrvaSupportAddress);
        Put(&w, " with the circumstances of the crash.\n\n");
        Put(&w, "If you are connected, answer Yes for troubleshooting information.");
    }
    return w.length;
}

void OrvaSetCrashDialogHook(SInt16 (*hook)(const char *text)) { gTrap.hook = hook; }

void OrvaSetCrashOpenProgram(const char *path) {
    snprintf(gTrap.openProgram, sizeof gTrap.openProgram, "%s", path && path[0] ? path : kDefaultOpenProgram);
}

const char *OrvaGetCrashReportPath() { return gTrap.reportPath; }

namespace {

void Put(TextWriter *w, const char *text) {
    for (; text && *text && w->length + 1 < w->size; text++) w->out[w->length++] = *text;
    w->out[w->length] = 0;
}

void PutHex(TextWriter *w, unsigned long value, int digits) {
    static const char kHex[] = "0123456789abcdef";
    char text[24];
    int count = 0;
    do {
        text[count++] = kHex[value & 15];
        value >>= 4;
    } while (value && count < 16);
    while (count < digits && count < 16) text[count++] = '0';
    char ordered[24];
    for (int i = 0; i < count; i++) ordered[i] = text[count - 1 - i];
    ordered[count] = 0;
    Put(w, ordered);
}

void PutDecimal(TextWriter *w, long value, int digits) {
    char text[24];
    int count = 0;
    unsigned long magnitude = value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        text[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude && count < 20);
    while (count < digits && count < 20) text[count++] = '0';
    if (value < 0) text[count++] = '-';
    char ordered[24];
    for (int i = 0; i < count; i++) ordered[i] = text[count - 1 - i];
    ordered[count] = 0;
    Put(w, ordered);
}

// Copies count bytes (at most a pipe's atomic size) from address when the kernel can read them
// all. The kernel copies through the pipe: a bad address answers EFAULT instead of faulting
// again, and the memory checker of a test build never sees the read.
bool ReadMemory(const void *address, void *out, size_t count) {
    if (gTrap.probe[1] < 0 || count > 512) return false;
    long written = syscall(SYS_write, gTrap.probe[1], address, count);
    bool whole = written == long(count);
    char drain[512];
    long got = written > 0 ? read(gTrap.probe[0], drain, size_t(written)) : 0;
    if (!whole || got != written) return false;
    memcpy(out, drain, count);
    return true;
}

// "crash.log" in the documents folder, else in the home folder (an account without a
// user-dirs file has no documents folder).
void GatherReportPath(char *out, size_t size) {
    const char *folder = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    if (!folder || !folder[0]) folder = g_get_home_dir();
    if (!folder || !folder[0]) {
        out[0] = 0;
        return;
    }
    size_t length = strlen(folder);
    snprintf(out, size, "%s%scrash.log", folder, length && folder[length - 1] == '/' ? "" : "/");
}

const char *SignalName(int signal) {
    for (int i = 0; i < kTrappedCount; i++)
        if (kTrappedSignals[i] == signal) return gTrap.signalNames[i];
    return "?";
}

// Month/day/year hour:minute in the local time of the installation, from the clock alone.
void PutDate(TextWriter *w) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    long long seconds = static_cast<long long>(now.tv_sec) + gTrap.utcOffset;
    long long days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    long minuteOfDay = long((seconds - days * 86400) / 60);
    // Civil date of a day count from 1970-01-01, in eras of 400 years from 0000-03-01.
    long long z = days + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long dayOfEra = z - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    long long monthIndex = (5 * dayOfYear + 2) / 153;
    long day = long(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    long month = long(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    long year = long(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    PutDecimal(w, month, 2), Put(w, "/"), PutDecimal(w, day, 2), Put(w, "/"), PutDecimal(w, year, 2);
    Put(w, " "), PutDecimal(w, minuteOfDay / 60, 2), Put(w, ":"), PutDecimal(w, minuteOfDay % 60, 2);
}

// The x86_64 register set of the interrupted context, one "NAME: value" line each.
void PutRegisters(TextWriter *w, const void *context) {
#if defined(__x86_64__)
    const ucontext_t *uc = static_cast<const ucontext_t *>(context);
    auto reg = [uc](int index) { return uc ? static_cast<unsigned long>(uc->uc_mcontext.gregs[index]) : 0ul; };
    unsigned long control = 0, status = 0;
    if (uc && uc->uc_mcontext.fpregs) {
        control = uc->uc_mcontext.fpregs->cwd;
        status = uc->uc_mcontext.fpregs->swd;
    }
    Put(w, "CWFLAG: "), PutHex(w, control, 8), Put(w, "\r\nSWFLAG: "), PutHex(w, status, 8), Put(w, "\r\n");
    unsigned long segments = reg(REG_CSGSFS);  // cs, gs and fs, 16 bits each from the low end
    Put(w, "CS: "), PutHex(w, segments & 0xFFFF, 8), Put(w, "\r\nGS: "), PutHex(w, (segments >> 16) & 0xFFFF, 8);
    Put(w, "\r\nFS: "), PutHex(w, (segments >> 32) & 0xFFFF, 8), Put(w, "\r\n");
    static const struct {
        const char *name;
        int index;
    } kRegisters[] = {{"RDI", REG_RDI}, {"RSI", REG_RSI}, {"RBX", REG_RBX}, {"RDX", REG_RDX}, {"RCX", REG_RCX},
                      {"RAX", REG_RAX}, {"RBP", REG_RBP}, {"RIP", REG_RIP}, {"R8", REG_R8},   {"R9", REG_R9},
                      {"R10", REG_R10}, {"R11", REG_R11}, {"R12", REG_R12}, {"R13", REG_R13}, {"R14", REG_R14},
                      {"R15", REG_R15}, {"FL", REG_EFL},  {"RSP", REG_RSP}};
    for (const auto &r : kRegisters) Put(w, r.name), Put(w, ": "), PutHex(w, reg(r.index), 16), Put(w, "\r\n");
#else
    (void)context;
    Put(w, "REGISTERS: ?\r\n");
#endif
}

// The code bytes at the instruction pointer and the stack words at the stack pointer; what
// cannot be read shows as dashes.
void PutMemory(TextWriter *w, const void *context) {
    unsigned long ip = 0, sp = 0;
#if defined(__x86_64__)
    if (context) {
        const ucontext_t *uc = static_cast<const ucontext_t *>(context);
        ip = static_cast<unsigned long>(uc->uc_mcontext.gregs[REG_RIP]);
        sp = static_cast<unsigned long>(uc->uc_mcontext.gregs[REG_RSP]);
    }
#endif
    UInt8 code[kCodeBytes];
    bool codeReadable = ip && ReadMemory(reinterpret_cast<const void *>(ip), code, sizeof code);
    for (int i = 0; i < kCodeBytes; i++) {
        if (codeReadable) PutHex(w, code[i], 2);
        else Put(w, "--");
    }
    UInt32 words[kStackWords];
    bool stackReadable = sp && ReadMemory(reinterpret_cast<const void *>(sp), words, sizeof words);
    for (int i = 0; i < kStackWords; i++) {
        if (i % kWordsPerLine == 0) Put(w, "\r\nSTK"), PutDecimal(w, i / kWordsPerLine + 1, 1), Put(w, ": ");
        // Near the top of the stack only some words are readable: try those one by one.
        bool readable = stackReadable || (sp && ReadMemory(reinterpret_cast<const void *>(sp + 4ul * unsigned(i)),
                                                           &words[i], sizeof words[i]));
        if (readable) PutHex(w, words[i], 8);
        else Put(w, "--------");
        Put(w, " ");
    }
    Put(w, "\r\n");
}

void AppendToReportFile(const char *report, size_t length) {
    if (!gTrap.reportPath[0]) return;
    int fd = open(gTrap.reportPath, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    char header[256];
    TextWriter w{header, sizeof header, 0};
    Put(&w, "\r\n--------------------------------\r\nPlease e-mail this report to ");
    Put(&w, kOrvaSupportAddress), Put(&w, "\r\n");
    ssize_t ignored = write(fd, header, w.length);
    ignored = write(fd, report, length);
    (void)ignored;
    close(fd);
}

SInt16 AskUser(const char *text) {
    if (gTrap.hook) return gTrap.hook(text);
    if (!gdk_display_get_default()) return kCrashDialogNo;
    GtkWidget *dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_YES_NO,
                                               "%s", text);
    if (!dialog) return kCrashDialogNo;
    SInt16 answer = SInt16(gtk_dialog_run(GTK_DIALOG(dialog)));
    gtk_widget_destroy(dialog);
    return answer;
}

// Ends the process by SIGTERM, whatever this process had done with that signal.
void EndWithTerm() {
    struct sigaction standard;
    memset(&standard, 0, sizeof standard);
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(SIGTERM, &standard, nullptr);
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    pthread_sigmask(SIG_UNBLOCK, &term, nullptr);
    kill(getpid(), SIGTERM);
    _exit(128 + SIGTERM);
}

void OnFatalSignal(int signal, siginfo_t *info, void *context) {
    if (gTrap.entered) EndWithTerm();
    gTrap.entered = 1;
    size_t length = OrvaBuildCrashReport(signal, info, context, gTrap.report, sizeof gTrap.report);
    AppendToReportFile(gTrap.report, length);
    const char *code = OrvaCrashLanguageCode(OrvaGetLangue());
    OrvaCrashPageAddress(code, gTrap.report, gTrap.address, sizeof gTrap.address);
    // GTK belongs to the main thread: a fault elsewhere ends without asking.
    if (!OrvaIsMainThread()) EndWithTerm();
    OrvaCrashDialogText(code, gTrap.program, gTrap.reportPath, gTrap.dialog, sizeof gTrap.dialog);
    if (AskUser(gTrap.dialog) == kCrashDialogYes)
        execl(gTrap.openProgram, gTrap.openProgram, gTrap.address, static_cast<char *>(nullptr));
    EndWithTerm();
}

}  // namespace
