// nphost: loads the plug-in library as a browser would and drives it from the command line;
// every call between the two goes to a JSON-lines log. See usage() for the options.
#include <X11/X.h>
#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "browser_host.h"

namespace {

struct Action {
    std::string name;
    std::string argument;
    int instance;  // the instance it applies to, 0 none yet
};

struct PendingEmbed {
    NpHostParams params;
    NpHostElement element;
};

struct Command {
    std::string plugin;
    NpHostOptions options;
    std::string logPath;
    bool traceFolderGiven = false;
    std::vector<Action> actions;  // embeds are actions too, so that order is kept
    std::vector<PendingEmbed> embeds;
    std::string url;  // the address streams announce; "" for their file's
};

void Usage(FILE *out) {
    fprintf(out,
            "usage: nphost PLUGIN.so [options] [instances and actions, done in order]\n"
            "browser: --funcs-size N  --browser-version N  --no-windowless  --timers  --no-async\n"
            "         --language TEXT  --fail-alloc N  --expose-sizes  --log FILE  --trace-folder DIR\n"
            "instance: --embed \"NAME=VALUE ...\" [--size WxH] [--at TOP,LEFT | --unplaced]\n"
            "actions (on the last instance, or --instance K): --expose [N]  --press X,Y[,B][,shift,ctrl,alt]\n"
            "         --release X,Y[,B]  --click X,Y[,B][,mods]  --motion X,Y  --leave  --key CODE\n"
            "         --pixel X,Y  --fill RRGGBB  --run SECONDS  --queued  --stream FILE[,CHUNK[,DESTROY_AFTER]]\n"
            "         --stream-error FILE[,CHUNK[,BYTES]]  --url URL  --probe NAME,...  --get-value N  --destroy\n"
            "         --null-calls\n");
}

std::vector<std::string> Split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

NpHostParams ParseEmbed(const std::string &text) {
    NpHostParams params;
    for (const std::string &token : Split(text, ' ')) {
        if (token.empty()) continue;
        size_t equals = token.find('=');
        NpHostParam param;
        param.name = token.substr(0, equals);
        param.hasValue = equals != std::string::npos;
        if (param.hasValue) param.value = token.substr(equals + 1);
        params.push_back(param);
    }
    return params;
}

// A path as given, made absolute: the plug-in changes the current folder when it starts.
std::string Absolute(const std::string &path) {
    char here[4096];
    if (path.empty() || path[0] == '/' || !getcwd(here, sizeof here)) return path;
    return std::string(here) + "/" + path;
}

bool ParseCommand(int argc, char **argv, Command *command) {
    if (argc < 2) {
        fprintf(stderr, "nphost: no plug-in library given\n");
        return false;
    }
    if (argv[1][0] == '-') {
        fprintf(stderr, "nphost: the first argument is the plug-in library, not %s\n", argv[1]);
        return false;
    }
    command->plugin = argv[1];
    int current = 0;
    for (int i = 2; i < argc; i++) {
        std::string option = argv[i];
        auto next = [&](std::string *value) {
            if (i + 1 >= argc) return false;
            *value = argv[++i];
            return true;
        };
        std::string value;
        if (option == "--no-windowless") command->options.windowless = false;
        else if (option == "--timers") command->options.timers = true;
        else if (option == "--no-async") command->options.asyncCalls = false;
        else if (option == "--expose-sizes") command->options.realExposeSize = true;
        else if (option == "--funcs-size" && next(&value)) command->options.pluginTableSize = uint16_t(atoi(value.c_str()));
        else if (option == "--browser-version" && next(&value)) command->options.browserVersion = uint16_t(atoi(value.c_str()));
        else if (option == "--language" && next(&value)) command->options.language = value;
        else if (option == "--fail-alloc" && next(&value)) command->options.failAllocAfter = atol(value.c_str());
        else if (option == "--log" && next(&value)) command->logPath = value;
        else if (option == "--trace-folder" && next(&value)) {
            command->options.traceFolder = value;
            command->traceFolderGiven = true;
        } else if (option == "--embed" && next(&value)) {
            command->embeds.push_back(PendingEmbed{ParseEmbed(value), NpHostElement()});
            current = int(command->embeds.size());
            command->actions.push_back(Action{"embed", "", current});
        } else if (option == "--size" && next(&value) && current) {
            sscanf(value.c_str(), "%dx%d", &command->embeds[size_t(current - 1)].element.width,
                   &command->embeds[size_t(current - 1)].element.height);
        } else if (option == "--at" && next(&value) && current) {
            sscanf(value.c_str(), "%d,%d", &command->embeds[size_t(current - 1)].element.top,
                   &command->embeds[size_t(current - 1)].element.left);
        } else if (option == "--unplaced" && current) {
            command->embeds[size_t(current - 1)].element.placed = false;
        } else if (option == "--instance" && next(&value)) {
            current = atoi(value.c_str());
        } else if (option == "--leave" || option == "--queued" || option == "--destroy" || option == "--null-calls") {
            command->actions.push_back(Action{option.substr(2), "", current});
        } else if (option == "--expose") {
            if (i + 1 < argc && argv[i + 1][0] != '-') value = argv[++i];
            command->actions.push_back(Action{"expose", value.empty() ? "1" : value, current});
        } else if ((option == "--stream" || option == "--stream-error") && next(&value)) {
            command->actions.push_back(Action{option.substr(2), Absolute(value), current});
        } else if (option == "--url" && next(&value)) {
            command->url = value;
        } else if ((option == "--press" || option == "--release" || option == "--click" || option == "--motion" ||
                    option == "--key" || option == "--pixel" || option == "--fill" || option == "--run" ||
                    option == "--probe" || option == "--get-value") &&
                   next(&value)) {
            command->actions.push_back(Action{option.substr(2), value, current});
        } else {
            fprintf(stderr, "nphost: unknown or incomplete option %s\n", option.c_str());
            return false;
        }
    }
    return true;
}

// "X,Y[,BUTTON][,shift][,ctrl][,alt]"
void ParsePointer(const std::string &text, int *x, int *y, unsigned *button, unsigned *state) {
    std::vector<std::string> parts = Split(text, ',');
    *x = parts.size() > 0 ? atoi(parts[0].c_str()) : 0;
    *y = parts.size() > 1 ? atoi(parts[1].c_str()) : 0;
    *button = Button1;
    *state = 0;
    for (size_t i = 2; i < parts.size(); i++) {
        if (parts[i] == "shift") *state |= ShiftMask;
        else if (parts[i] == "ctrl") *state |= ControlMask;
        else if (parts[i] == "alt") *state |= Mod1Mask;
        else if (parts[i] == "right") *button = Button3;
        else if (parts[i] == "middle") *button = Button2;
        else *button = unsigned(atoi(parts[i].c_str()));
    }
}

// The names of the process's threads (their count is the list's size).
std::vector<std::string> Threads() {
    std::vector<std::string> names;
    if (DIR *tasks = opendir("/proc/self/task")) {
        while (struct dirent *entry = readdir(tasks)) {
            if (entry->d_name[0] == '.') continue;
            char name[64] = "";
            std::string path = std::string("/proc/self/task/") + entry->d_name + "/comm";
            if (FILE *f = fopen(path.c_str(), "r")) {
                if (!fgets(name, sizeof name, f)) name[0] = 0;
                fclose(f);
            }
            names.push_back(name);
        }
        closedir(tasks);
    }
    return names;
}

// The calls a careless browser could make with nothing to point at.
void NullCalls(int instance) {
    const NPPluginFuncs &table = NpHostPluginTable();
    char type[] = "application/x-ondrak-music";
    auto answer = [](const char *call, int result) {
        NpHostLogLine("{\"call\":" + NpHostJsonText(call) + ",\"result\":" + std::to_string(result) + "}");
    };
    if (table.newp) answer("NPP_New(null)", table.newp(type, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr));
    if (table.setwindow) {
        answer("NPP_SetWindow(null)", table.setwindow(nullptr, nullptr));
        if (NPP npp = NpHostInstance(instance)) answer("NPP_SetWindow(instance,null)", table.setwindow(npp, nullptr));
    }
    if (table.event) {
        answer("NPP_HandleEvent(null)", table.event(nullptr, nullptr));
        if (NPP npp = NpHostInstance(instance)) answer("NPP_HandleEvent(instance,null)", table.event(npp, nullptr));
    }
    if (table.destroy) answer("NPP_Destroy(null)", table.destroy(nullptr, nullptr));
    NpHostReadTrace();
}

// Runs one action; false (with a message) when it could not be done.
bool RunAction(const Action &action, Command *command) {
    int k = action.instance;
    int x, y;
    unsigned button, state;
    if (action.name == "embed") {
        PendingEmbed &embed = command->embeds[size_t(k - 1)];
        NPError result;
        int index = NpHostNew(embed.params, embed.element, &result);
        if (result == NPERR_NO_ERROR) NpHostSetWindow(index);
    } else if (action.name == "expose") {
        if (k < 1 || size_t(k) > command->embeds.size()) {
            fprintf(stderr, "nphost: --expose names no instance (%d)\n", k);
            return false;
        }
        const PendingEmbed &embed = command->embeds[size_t(k - 1)];
        for (int n = atoi(action.argument.c_str()); n > 0; n--)
            NpHostExpose(k, 0, 0, embed.element.width, embed.element.height);
    } else if (action.name == "press" || action.name == "release" || action.name == "click") {
        ParsePointer(action.argument, &x, &y, &button, &state);
        if (action.name != "release") NpHostButton(k, true, x, y, button, state);
        if (action.name != "press") NpHostButton(k, false, x, y, button, action.name == "click" ? state : state);
    } else if (action.name == "motion") {
        ParsePointer(action.argument, &x, &y, &button, &state);
        NpHostMotion(k, x, y);
    } else if (action.name == "leave") {
        NpHostLeave(k);
    } else if (action.name == "key") {
        NpHostKey(k, true, unsigned(atoi(action.argument.c_str())), 0);
        NpHostKey(k, false, unsigned(atoi(action.argument.c_str())), 0);
    } else if (action.name == "pixel") {
        ParsePointer(action.argument, &x, &y, &button, &state);
        uint32_t rgb = 0;
        char text[96];
        bool read = NpHostPixel(k, x, y, &rgb);
        if (read) snprintf(text, sizeof text, "{\"pixel\":[%d,%d],\"rgb\":\"%06X\"}", x, y, rgb);
        else snprintf(text, sizeof text, "{\"pixel\":[%d,%d],\"rgb\":null}", x, y);
        NpHostLogLine(text);
        if (!read) {
            fprintf(stderr, "nphost: no pixel at %d,%d: outside the instance's window, or no window or display\n", x, y);
            return false;
        }
    } else if (action.name == "fill") {
        NpHostFillDrawable(k, uint32_t(strtoul(action.argument.c_str(), nullptr, 16)));
    } else if (action.name == "run") {
        NpHostRun(atof(action.argument.c_str()));
    } else if (action.name == "queued") {
        NpHostRunQueued();
    } else if (action.name == "stream" || action.name == "stream-error") {
        std::vector<std::string> parts = Split(action.argument, ',');
        NpHostStreamOptions options;
        options.url = command->url;
        options.chunk = parts.size() > 1 ? size_t(atol(parts[1].c_str())) : 4096;
        long third = parts.size() > 2 ? atol(parts[2].c_str()) : -1;
        if (action.name == "stream") {
            options.destroyAfterChunks = third;
        } else {
            options.endReason = 1;  // a network error
            options.endAfterBytes = third;
        }
        if (!NpHostStreamWith(k, parts[0], options)) {
            fprintf(stderr, "nphost: cannot stream %s to instance %d\n", parts[0].c_str(), k);
            return false;
        }
    } else if (action.name == "probe") {
        NpHostProbeObject(k, Split(action.argument, ','));
    } else if (action.name == "get-value") {
        NpHostGetValue(k, atoi(action.argument.c_str()));
    } else if (action.name == "destroy") {
        NpHostDestroy(k);
    } else if (action.name == "null-calls") {
        NullCalls(k);
    }
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            Usage(stdout);
            return 0;
        }
    }
    Command command;
    if (!ParseCommand(argc, argv, &command)) {
        Usage(stderr);
        return 2;
    }
    if (access(command.plugin.c_str(), R_OK) != 0) {
        fprintf(stderr, "nphost: no plug-in library %s\n", command.plugin.c_str());
        return 3;
    }
    FILE *log = stdout;
    if (!command.logPath.empty() && !(log = fopen(command.logPath.c_str(), "w"))) {
        fprintf(stderr, "nphost: cannot write %s\n", command.logPath.c_str());
        return 2;
    }
    command.options.log = log;
    if (!command.traceFolderGiven) {
        // The plug-in makes its own folder current; the path is made absolute before that.
        size_t slash = command.plugin.rfind('/');
        command.options.traceFolder = slash == std::string::npos ? "." : command.plugin.substr(0, slash);
    }
    char here[4096];
    if (command.options.traceFolder[0] != '/' && getcwd(here, sizeof here))
        command.options.traceFolder = std::string(here) + "/" + command.options.traceFolder;
    size_t threadsBefore = Threads().size();
    void *library = dlopen(command.plugin.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "nphost: %s\n", dlerror());
        return 3;
    }
    NpHostPlugin plugin;
    plugin.getMIMEDescription = reinterpret_cast<NPGetMIMEDescriptionProc>(dlsym(library, "NP_GetMIMEDescription"));
    plugin.getValue = reinterpret_cast<NPGetValueProc>(dlsym(library, "NP_GetValue"));
    plugin.initialize = reinterpret_cast<NPInitializeProc>(dlsym(library, "NP_Initialize"));
    plugin.shutdown = reinterpret_cast<NPShutdownProc>(dlsym(library, "NP_Shutdown"));
    if (!plugin.initialize || !plugin.shutdown) {
        fprintf(stderr, "nphost: %s exports no NP_Initialize or NP_Shutdown\n", command.plugin.c_str());
        return 3;
    }
    NpHostStart(command.options);
    // A browser shuts down only a plug-in that started.
    bool done = true;
    if (NpHostInitialize(plugin) == NPERR_NO_ERROR) {
        for (const Action &action : command.actions) done = RunAction(action, &command) && done;
        NpHostRunQueued();
        NpHostDestroyAll();
        NpHostRunQueued();
        NpHostShutdown();
    }
    // Pango starts short helper threads of its own while fonts are set up; they are given a
    // moment to end, so that only threads the library kept are counted.
    std::vector<std::string> threads = Threads();
    for (int wait = 0; wait < 150 && threads.size() > threadsBefore; wait++) {
        usleep(20000);
        threads = Threads();
    }
    char summary[160];
    snprintf(summary, sizeof summary, "{\"threads_left\":%ld,\"objects_left\":%ld,\"blocks_left\":%ld}",
             long(threads.size()) - long(threadsBefore), NpHostObjectsAlive(), NpHostBlocksAlive());
    NpHostLogLine(summary);
    if (threads.size() > threadsBefore) {
        std::string names;
        for (const std::string &name : threads) names += NpHostJsonText(name.substr(0, name.find('\n'))) + ",";
        names.pop_back();
        NpHostLogLine("{\"threads\":[" + names + "]}");
    }
    NpHostStop();
    if (log != stdout) fclose(log);
    return done ? 0 : 1;
}
