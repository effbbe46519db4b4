// Child processes for tests.
#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_home.h"

extern char **environ;

std::string OrvaToolPath(const std::string &name) {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, size_t(n > 0 ? n : 0));
    return path.substr(0, path.rfind('/')) + "/../tools/" + name;
}

pid_t OrvaStartChild(const std::vector<std::string> &argv, const ChildOptions &options) {
    // Everything the child needs is built before fork: only async-signal-safe calls follow.
    std::vector<std::string> env;
    for (char **e = environ; *e; e++) {
        std::string entry = *e;
        std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string &o : options.env)
            if (o.substr(0, o.find('=')) == name) replaced = true;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), options.env.begin(), options.env.end());
    std::vector<char *> envp, args;
    for (std::string &e : env) envp.push_back(&e[0]);
    envp.push_back(nullptr);
    std::vector<std::string> argCopy = argv;
    for (std::string &a : argCopy) args.push_back(&a[0]);
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (!options.folder.empty() && chdir(options.folder.c_str()) != 0) _exit(126);
    if (!options.stdoutPath.empty()) {
        int fd = open(options.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) dup2(fd, 1), close(fd);
    }
    if (!options.stderrPath.empty()) {
        int fd = open(options.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) dup2(fd, 2), close(fd);
    }
    execve(args[0], args.data(), envp.data());
    _exit(127);
}

int OrvaWaitChild(pid_t pid, int timeoutMs) {
    for (int waited = 0;; waited += 10) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return status;
        if (done < 0) return -1;
        if (waited >= timeoutMs) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(10000);
    }
}

bool OrvaWaitForText(const std::string &path, const std::string &text, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (OrvaTestReadFile(path).find(text) != std::string::npos) return true;
        usleep(20000);
    }
    return false;
}
